#include "shell/win/shell_names.h"

#include <shlwapi.h>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "framework/win/com_ptr.h"
#include "framework/win/handles.h"
#include "shell/id_list_array.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_process.h"
#include "shell/win/wide_text.h"

namespace tw {
namespace {

constexpr DWORD kShgdnOfKind[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING};

// Asks FOLDER (the desktop when null) for REL_ID's name; S_OK with NAME filled or the failure.
HRESULT QueryDisplayName(IShellFolder* folder, const ItemIdList* rel_id, DWORD flags,
                         std::string& name) {
  ComPtr<IShellFolder> desktop;
  if (!folder) {
    const HRESULT hr = SHGetDesktopFolder(desktop.Receive());
    if (FAILED(hr)) return hr;
    folder = desktop.Get();
  }
  STRRET strret{};
  strret.uType = STRRET_CSTR;
  const HRESULT hr = folder->GetDisplayNameOf(Pidl(rel_id), flags, &strret);
  if (SUCCEEDED(hr)) name = StrRetToString(rel_id, strret);
  return hr;
}

}  // namespace

std::string StrRetToString(const ItemIdList* rel_id, STRRET& strret) {
  switch (strret.uType) {
    case STRRET_WSTR: {
      ScopedCoMem<wchar_t> wide(strret.pOleStr);
      strret.pOleStr = nullptr;
      return FromWide(wide.Get());
    }
    case STRRET_OFFSET: {
      // The name lies inside the item; a string that would run past the list is cut at its end.
      const std::size_t size = IdListSize(rel_id);
      if (strret.uOffset >= size) return {};
      const char* text = reinterpret_cast<const char*>(IdBytes(rel_id)) + strret.uOffset;
      return std::string(text, strnlen(text, size - strret.uOffset));
    }
    case STRRET_CSTR:
      return std::string(strret.cStr, strnlen(strret.cStr, sizeof(strret.cStr)));
    default:
      return {};
  }
}

std::string GetDisplayName(IShellFolder* folder, const ItemIdList* rel_id,
                           TDisplayNameKind kind) {
  std::string name;
  if (kind < dnkNormal || kind > dnkForParsing) return name;
  QueryDisplayName(folder, rel_id, kShgdnOfKind[kind], name);
  return name;
}

std::wstring GetWideDisplayName(IShellFolder* folder, const ItemIdList* rel_id, TDisplayNameKind kind) {
  if (kind < dnkNormal || kind > dnkForParsing || !folder) return {};
  STRRET strret{};
  if (FAILED(folder->GetDisplayNameOf(Pidl(rel_id), kShgdnOfKind[kind], &strret))) return {};
  ScopedCoMem<wchar_t> name;
  if (FAILED(StrRetToStrW(&strret, Pidl(rel_id), name.Receive()))) return {};
  return name.Get() ? std::wstring(name.Get()) : std::wstring();
}

std::string GetDisplayNameOrShowError(IShellFolder* folder, const ItemIdList* rel_id,
                                      DWORD flags) {
  std::string name;
  const HRESULT hr = QueryDisplayName(folder, rel_id, flags, name);
  if (FAILED(hr)) {
    MessageBoxA(nullptr, SysErrorMessage(static_cast<DWORD>(hr)).c_str(), nullptr, MB_OK);
    return {};
  }
  return name;
}

std::string DisplayNameOfAbsIdList(const ItemIdList* abs_id) {
  TPTIdListArray items(abs_id);
  ComPtr<IShellFolder> desktop;
  CheckResult(SHGetDesktopFolder(desktop.Receive()));
  if (items.Count() < 2) return GetDisplayName(desktop.Get(), abs_id, dnkInFolder);
  ComPtr<IShellFolder> parent;
  CheckResult(
      desktop->BindToObject(Pidl(items.Ancestor(1)), nullptr, IID_IShellFolder, parent.ReceiveVoid()));
  return GetDisplayName(parent.Get(), items.Items(items.Count() - 1), dnkInFolder);
}

namespace {

int IconIndexOfId(const ItemIdList* abs_id, UINT extra_flags) {
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(Pidl(abs_id)), 0, &info, sizeof(info),
                      extra_flags | SHGFI_SYSICONINDEX | SHGFI_PIDL))
    return 0;
  return info.iIcon;
}

}  // namespace

// A plain folder has the folder's icon, the same for every such folder. Asked by id, Wine looks
// for the folder's desktop.ini, which in a folder of 100,000 names takes it over 100 ms: the icon
// is asked once for each kind (small, open, ...) and kept.
int PlainFolderIconIndex(const ItemIdList* abs_id, UINT extra_flags) {
  static std::mutex guard;
  static std::map<UINT, int> plain_folder_icons;
  std::lock_guard<std::mutex> lock(guard);
  auto known = plain_folder_icons.find(extra_flags);
  if (known == plain_folder_icons.end())
    known = plain_folder_icons.emplace(extra_flags, IconIndexOfId(abs_id, extra_flags)).first;
  return known->second;
}

int SystemIconIndex(const ItemIdList* abs_id, UINT extra_flags) {
  return IsPlainFileFolder(abs_id) ? PlainFolderIconIndex(abs_id, extra_flags)
                                   : IconIndexOfId(abs_id, extra_flags);
}

namespace {

HIMAGELIST QuerySystemImageList(TSystemImageListKind kind) {
  SHFILEINFOA info{};
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | (kind == silSmall ? SHGFI_SMALLICON : 0)));
}

// Common controls 4.71 on NT lose the system image lists' overlays: put the shell's share hand
// (icon 29) and shortcut arrow (icon 30) back as overlays 1 and 2.
void FixOverlayImages() {
  constexpr DWORD kPlatformNT = 2;
  constexpr DWORD kVersion471 = 0x00040047;
  if (OverlaysFixed() || ShellOsVersion().PlatformId != kPlatformNT ||
      CommonControlsVersion().Ms != kVersion471)
    return;
  ScopedLibrary shell32(LoadLibraryA("shell32.dll"));
  if (!shell32) return;
  for (const auto& [kind, size] : {std::pair{silSmall, 16}, std::pair{silLarge, 32}}) {
    HIMAGELIST list = QuerySystemImageList(kind);
    if (!list) continue;
    for (const auto& [resource, overlay] : {std::pair{29, 1}, std::pair{30, 2}}) {
      auto icon = static_cast<HICON>(LoadImageA(shell32.Get(), MAKEINTRESOURCEA(resource),
                                                IMAGE_ICON, size, size, LR_SHARED));
      if (!icon) continue;
      const int index = ImageList_ReplaceIcon(list, -1, icon);
      if (index >= 0) ImageList_SetOverlayImage(list, index, overlay);
    }
  }
  OverlaysFixed() = true;
}

}  // namespace

HIMAGELIST SystemImageList(TSystemImageListKind kind) {
  FixOverlayImages();
  return QuerySystemImageList(kind);
}

}  // namespace tw
