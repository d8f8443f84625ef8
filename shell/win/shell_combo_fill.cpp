// Building the entries: the desktop, its folders, My Computer's contents and the current
// folder's chain.
#include <vector>

#include "shell/shell_namespace.h"
#include "shell/win/counter_scope.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_combo.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_names.h"
#include "shell/win/sort_pidls.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

// Attributes asked for a level's entries and for the entries of the current folder's chain.
constexpr DWORD kLevelAttributes = 0xF00B0000;
constexpr DWORD kPathAttributes = 0xB00B0000;

DWORD AttributesOf(IShellFolder* folder, const ItemIdList* rel_id, DWORD mask) {
  LPCITEMIDLIST items[] = {Pidl(rel_id)};
  DWORD attributes = mask;
  return SUCCEEDED(folder->GetAttributesOf(1, items, &attributes)) ? attributes : 0;
}

ComPtr<IShellFolder> BindFolder(IShellFolder* folder, const ItemIdList* rel_id) {
  ComPtr<IShellFolder> child;
  CheckResult(folder->BindToObject(Pidl(rel_id), nullptr, IID_IShellFolder, child.ReceiveVoid()));
  return child;
}

// Stops the control from drawing while its entries are rebuilt.
class TRedrawOff {
public:
  explicit TRedrawOff(HWND window) : window_(window) { SendMessageA(window_, WM_SETREDRAW, FALSE, 0); }
  ~TRedrawOff() {
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  TRedrawOff(const TRedrawOff&) = delete;
  TRedrawOff& operator=(const TRedrawOff&) = delete;

private:
  HWND window_;
};

}  // namespace

void TPTCustomShellCombo::FillCombo() {
  TCounterScope busy(busy_);
  TRedrawOff redraw_off(Handle());
  SetItemIndex(-1);
  DeleteAllItems();
  TPTIdListArray path(current_folder_.GetIdList());
  path_pending_ = true;
  ComPtr<IShellFolder> desktop;
  CheckResult(SHGetDesktopFolder(desktop.Receive()));
  AddLevel(desktop.Get(), nullptr, path, -1);
  if (ItemIndex() < 0 && ItemCount() > 0) SetItemIndex(0);
}

void TPTCustomShellCombo::AddShellEntry(const std::string& text, int image_index, int indent,
                                        IShellFolder* folder, const ItemIdList* parent_id,
                                        const ItemIdList* rel_id, DWORD attributes) {
  auto data = std::make_unique<TPTShComboData>(this);
  data->Init(folder, parent_id, rel_id);
  TPTImageComboItem* item = AddItem(text, image_index, indent);
  item->SetData(std::move(data));
  if (attributes & SFGAO_SHARE)
    item->SetOverlayIndex(0);
  else if (attributes & SFGAO_LINK)
    item->SetOverlayIndex(1);
}

void TPTCustomShellCombo::AddLevel(IShellFolder* folder, const ItemIdList* parent_id,
                                   TPTIdListArray& path, int level) {
  ShellItemId my_computer;
  CheckResult(SHGetSpecialFolderLocation(OwnerFormHandle(this), CSIDL_DRIVES, PidlOut(my_computer)));
  ShellItemId parent;
  if (level < 0) {
    ShellItemId desktop_id = ConcatIdLists(nullptr, nullptr);
    AddShellEntry(DisplayNameOfAbsIdList(nullptr), SystemIconIndex(desktop_id.Get(), SHGFI_SMALLICON),
                  0, folder, nullptr, nullptr, 0);
    level = 1;
  } else {
    parent = CopyIdList(parent_id);
  }

  ComPtr<IEnumIDList> enumerator;
  HRESULT hr = folder->EnumObjects(GetActiveWindow(), SHCONTF_FOLDERS, enumerator.Receive());
  CheckResult(hr);
  std::vector<ShellItemId> items;
  if (enumerator) {
    for (;;) {
      ShellItemId item;
      ULONG fetched = 0;
      hr = enumerator->Next(1, PidlOut(item), &fetched);
      if (hr != S_OK || fetched == 0) break;
      items.push_back(std::move(item));
    }
    CheckResult(hr);
  }
  SortPidls(folder, items);

  for (const ShellItemId& item : items) {
    const DWORD attributes = AttributesOf(folder, item.Get(), kLevelAttributes);
    const bool wanted = options_.Contains(ptscoNonFilesystemAncestors) ||
                        (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
    if (!wanted || !DoAddItem(folder, parent.Get(), attributes, item.Get())) continue;
    ShellItemId abs_id = ConcatIdLists(parent.Get(), item.Get());
    const bool on_path = path_pending_ && path.Count() >= level &&
                         folder->CompareIDs(0, Pidl(path.Items(level - 1)), Pidl(item.Get())) == 0;
    const bool current = on_path && path.Count() == level;
    const bool is_my_computer = level == 1 && CompareIdLists(abs_id.Get(), my_computer.Get()) == 0;

    AddShellEntry(GetDisplayNameOrShowError(folder, item.Get(), SHGDN_INFOLDER),
                  SystemIconIndex(abs_id.Get(), SHGFI_SMALLICON | (current ? SHGFI_OPENICON : 0)),
                  level, folder, parent.Get(), item.Get(), attributes);
    if (current) {
      SelectLastEntry();
      path_pending_ = false;
    } else if (on_path && !is_my_computer) {
      AddPath(folder, abs_id.Get(), item.Get(), path, level);
      path_pending_ = false;
    }
    // My Computer's contents are always listed, and the chain continues inside them.
    if (is_my_computer) {
      ComPtr<IShellFolder> drives = BindFolder(folder, item.Get());
      AddLevel(drives.Get(), abs_id.Get(), path, level + 1);
    }
  }
}

void TPTCustomShellCombo::AddPath(IShellFolder* folder, const ItemIdList* abs_id,
                                  const ItemIdList* rel_id, TPTIdListArray& path, int level) {
  ComPtr<IShellFolder> current = BindFolder(folder, rel_id);
  ShellItemId current_id = CopyIdList(abs_id);
  for (int i = level; i < path.Count(); ++i) {
    ShellItemId item = CopyIdList(path.Items(i));
    const DWORD attributes = AttributesOf(current.Get(), item.Get(), kPathAttributes);
    ShellItemId item_abs_id = ConcatIdLists(current_id.Get(), item.Get());
    const bool last = i == path.Count() - 1;
    AddShellEntry(GetDisplayNameOrShowError(current.Get(), item.Get(),
                                            SHGDN_INFOLDER | SHGDN_FORADDRESSBAR),
                  SystemIconIndex(item_abs_id.Get(), SHGFI_SMALLICON | (last ? SHGFI_OPENICON : 0)),
                  i + 1, current.Get(), current_id.Get(), item.Get(), attributes);
    // The last folder is not bound: nothing lies below it, and binding a folder of many names
    // takes Wine tens of milliseconds.
    if (last) break;
    current = BindFolder(current.Get(), item.Get());
    current_id = std::move(item_abs_id);
  }
  SelectLastEntry();
}

}  // namespace tw
