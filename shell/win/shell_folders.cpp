#include "shell/win/shell_folders.h"

#include <shlwapi.h>
#include <shlguid.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "shell/id_list_array.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_id_list_format.h"
#include "shell/win/wide_text.h"

namespace tw {
namespace {

class TDesktopNamespace final : public TShellNamespace {
public:
  int CompareAbsoluteIds(const ItemIdList* a, const ItemIdList* b) override {
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive()))) return kIdCompareUnknown;
    const HRESULT hr = desktop->CompareIDs(0, Pidl(a), Pidl(b));
    if (FAILED(hr)) return kIdCompareUnknown;
    return static_cast<std::int16_t>(HRESULT_CODE(hr));
  }
  ShellItemId SpecialFolderIdList(int csidl) override {
    // The application's main window owns whatever the shell shows while resolving.
    TForm* main_form = Application ? Application->MainForm() : nullptr;
    HWND owner = main_form && main_form->HandleAllocated() ? main_form->Handle() : nullptr;
    ShellItemId id;
    GetSpecialFolderIdList(owner, csidl, id);
    return id;
  }
  std::string PathOfIdList(const ItemIdList* id) override { return IdListToPath(id); }
};

bool IsEmptyId(const ItemIdList* id) { return !id || ItemLength(IdBytes(id)) == 0; }

// Special folder 0: its id is the desktop, its path the desktop directory.
constexpr int kDesktopDirectory = CSIDL_DESKTOP;

}  // namespace

TShellNamespace& DesktopNamespace() {
  static TDesktopNamespace desktop;
  return desktop;
}

bool IsPlainFileFolder(const ItemIdList* abs_id) {
  wchar_t path[MAX_PATH + 1] = {};
  if (!abs_id || !SHGetPathFromIDListW(Pidl(abs_id), path) || PathIsRootW(path)) return false;
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT));
}

HRESULT BindPlainFolder(const ItemIdList* abs_id, ComPtr<IShellFolder>& folder) {
  folder.Reset();
  if (TPTIdListArray(abs_id).Count() < 2 || !IsPlainFileFolder(abs_id)) return E_FAIL;
  ComPtr<IPersistFolder> persist;
  HRESULT hr = CoCreateInstance(CLSID_ShellFSFolder, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IPersistFolder, persist.ReceiveVoid());
  if (SUCCEEDED(hr)) hr = persist->Initialize(Pidl(abs_id));
  if (SUCCEEDED(hr)) hr = persist->QueryInterface(IID_IShellFolder, folder.ReceiveVoid());
  if (FAILED(hr)) folder.Reset();
  return hr;
}

HRESULT BindToFolder(const ItemIdList* abs_id, ComPtr<IShellFolder>& folder) {
  folder.Reset();
  ComPtr<IShellFolder> desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Receive());
  if (FAILED(hr)) return hr;
  if (IsEmptyId(abs_id)) {
    folder = std::move(desktop);
    return S_OK;
  }
  if (SUCCEEDED(BindPlainFolder(abs_id, folder))) return S_OK;
  hr = desktop->BindToObject(Pidl(abs_id), nullptr, IID_IShellFolder, folder.ReceiveVoid());
  if (FAILED(hr)) folder.Reset();
  return hr;
}

HRESULT PathToIdList(const std::string& path, ShellItemId& abs_id) {
  abs_id.Reset();
  std::wstring wide;
  if (!ToWidePath(path, wide)) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  ComPtr<IMalloc> malloc;
  HRESULT hr = SHGetMalloc(malloc.Receive());
  if (FAILED(hr)) return hr;
  ComPtr<IShellFolder> desktop;
  hr = SHGetDesktopFolder(desktop.Receive());
  if (FAILED(hr)) return hr;
  ULONG eaten = 0;
  ULONG attributes = 0;
  hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, PidlOut(abs_id),
                                 &attributes);
  if (FAILED(hr)) abs_id.Reset();
  return hr;
}

std::string IdListToPath(const ItemIdList* abs_id) {
  static const std::uint8_t kDesktop[2] = {0, 0};
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(Pidl(abs_id ? abs_id : AsIdList(kDesktop)), path)) return {};
  return FromWide(path);
}

HRESULT GetSpecialFolderIdList(HWND owner, int csidl, ShellItemId& abs_id) {
  const HRESULT hr = SHGetSpecialFolderLocation(owner, csidl & 0x7F, PidlOut(abs_id));
  if (FAILED(hr)) abs_id.Reset();
  return hr;
}

std::string SpecialFolderPath(HWND owner, int csidl) {
  ShellItemId id;
  if (FAILED(GetSpecialFolderIdList(owner, csidl, id))) return {};
  return IdListToPath(id.Get());
}

HRESULT SplitIdList(const ItemIdList* abs_id, ComPtr<IShellFolder>& parent_folder,
                    ShellItemId& parent_id, ShellItemId& last_item) {
  parent_folder.Reset();
  parent_id.Reset();
  last_item.Reset();
  if (IsEmptyId(abs_id)) {
    ShellItemId directory;
    const HRESULT hr = PathToIdList(SpecialFolderPath(nullptr, kDesktopDirectory), directory);
    if (FAILED(hr)) return hr;
    // A desktop directory that parses back to the desktop itself would split forever.
    if (IsEmptyId(directory.Get())) return E_FAIL;
    return SplitIdList(directory.Get(), parent_folder, parent_id, last_item);
  }
  TPTIdListArray items(abs_id);
  last_item = CopyIdList(items.Items(items.Count() - 1));
  if (items.Count() == 1) {
    const HRESULT hr = SHGetDesktopFolder(parent_folder.Receive());
    if (FAILED(hr)) last_item.Reset();
    return hr;
  }
  parent_id = CopyIdList(items.Ancestor(1));
  const HRESULT hr = BindToFolder(parent_id.Get(), parent_folder);
  if (FAILED(hr)) {
    parent_id.Reset();
    last_item.Reset();
  }
  return hr;
}

HRESULT GetFolderUIObject(const ItemIdList* abs_id, REFIID iid, void** object) {
  *object = nullptr;
  ComPtr<IShellFolder> parent;
  ShellItemId parent_id;
  ShellItemId last_item;
  HRESULT hr = SplitIdList(abs_id, parent, parent_id, last_item);
  if (FAILED(hr)) return hr;
  LPCITEMIDLIST item = Pidl(last_item);
  return parent->GetUIObjectOf(nullptr, 1, &item, iid, nullptr, object);
}

HRESULT GetDesktopDropTarget(ComPtr<IDropTarget>& target) {
  ShellItemId directory;
  const HRESULT hr = GetSpecialFolderIdList(nullptr, kDesktopDirectory, directory);
  if (FAILED(hr)) {
    target.Reset();
    return hr;
  }
  return GetFolderUIObject(directory.Get(), IID_IDropTarget, target.ReceiveVoid());
}

void DesktopDirectoryParentAndItem(ShellItemId& parent_id, ShellItemId& last_item) {
  parent_id.Reset();
  last_item.Reset();
  ShellItemId directory;
  if (FAILED(PathToIdList(SpecialFolderPath(nullptr, kDesktopDirectory), directory))) return;
  TPTIdListArray items(directory.Get());
  if (items.Count() == 0) return;
  parent_id = CopyIdList(items.Ancestor(1));
  last_item = CopyIdList(items.Items(items.Count() - 1));
  if (!parent_id || !last_item) {
    parent_id.Reset();
    last_item.Reset();
  }
}

HRESULT ReadShortcut(const std::string& file_name, TShortcutInfo& info, bool want_id_list) {
  info.IdList.Reset();
  std::wstring wide;
  if (!ToWidePath(file_name, wide)) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.ReceiveVoid());
  if (FAILED(hr)) return hr;
  ComPtr<IPersistFile> file = link.As<IPersistFile>();
  if (!file) return E_NOINTERFACE;
  if (FAILED(hr = file->Load(wide.c_str(), STGM_READ))) return hr;
  if (FAILED(hr = link->Resolve(nullptr, SLR_ANY_MATCH))) return hr;

  // Arguments and descriptions may run past MAX_PATH; the link keeps at most INFOTIPSIZE of them.
  wchar_t text[INFOTIPSIZE + 1] = {};
  const int room = INFOTIPSIZE;
  if (FAILED(hr = link->GetPath(text, MAX_PATH, &info.FindData, 0))) return hr;
  info.Path = FromWide(text);
  if (FAILED(hr = link->GetArguments(text, room))) return hr;
  info.Arguments = FromWide(text);
  if (FAILED(hr = link->GetDescription(text, room))) return hr;
  info.Description = FromWide(text);
  if (FAILED(hr = link->GetIconLocation(text, MAX_PATH, &info.IconIndex))) return hr;
  info.IconLocation = FromWide(text);
  if (FAILED(hr = link->GetWorkingDirectory(text, MAX_PATH))) return hr;
  info.WorkingDirectory = FromWide(text);
  if (FAILED(hr = link->GetShowCmd(&info.ShowCmd))) return hr;
  if (FAILED(hr = link->GetHotkey(&info.HotKey))) return hr;
  if (want_id_list && FAILED(hr = link->GetIDList(PidlOut(info.IdList)))) return hr;
  return S_OK;
}

namespace {

// The relative ids of an "Shell IDList Array" block: a 32-bit count n, n + 1 offsets, the
// parent's absolute id at the first offset and the items' ids at the others. Every offset and
// every list is checked against the block before it is used.
bool ReadIdListArray(const std::uint8_t* block, std::size_t size, const ItemIdList*& parent,
                     std::vector<LPCITEMIDLIST>& items) {
  if (size < 4) return false;
  std::uint32_t count;
  std::memcpy(&count, block, 4);
  if ((std::uint64_t{count} + 2) * 4 > size) return false;
  std::vector<const ItemIdList*> ids;
  for (std::uint32_t i = 0; i <= count; ++i) {
    std::uint32_t offset;
    std::memcpy(&offset, block + 4 + 4 * std::size_t{i}, 4);
    TIdListShape shape;
    if (offset >= size || !MeasureIdList(block + offset, size - offset, shape)) return false;
    ids.push_back(AsIdList(block + offset));
  }
  parent = ids[0];
  items.assign(ids.begin() + 1, ids.end());
  return true;
}

}  // namespace

DWORD DataObjectCapabilities(IDataObject* data) {
  FORMATETC format{static_cast<CLIPFORMAT>(ShellIdListFormat()), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (!data || FAILED(data->GetData(&format, &medium))) return 7;
  struct TMediumRelease {
    STGMEDIUM& medium;
    ~TMediumRelease() { ReleaseStgMedium(&medium); }
  } release{medium};
  if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return 0;
  const auto* block = static_cast<const std::uint8_t*>(GlobalLock(medium.hGlobal));
  if (!block) return 0;
  struct TUnlock {
    HGLOBAL global;
    ~TUnlock() { GlobalUnlock(global); }
  } unlock{medium.hGlobal};
  const ItemIdList* parent_id = nullptr;
  std::vector<LPCITEMIDLIST> items;
  if (!ReadIdListArray(block, GlobalSize(medium.hGlobal), parent_id, items)) return 0;
  ComPtr<IShellFolder> parent;
  CheckResult(BindToFolder(parent_id, parent));
  SFGAOF attributes = kDropEffectAttributeRequest;
  CheckResult(parent->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes));
  return kDropEffectAttributeRequest & attributes;
}

}  // namespace tw
