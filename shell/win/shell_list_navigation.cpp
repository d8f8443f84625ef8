// Following the Folder locator, moving into items and up, and opening items.
#include "shell/id_list_array.h"
#include "shell/win/counter_scope.h"
#include "shell/win/context_menu.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_list_hourglass.h"

namespace tw {

void TPTCustomShellList::FolderChanged() {
  if (navigation_depth_ > 0) return;
  {
    TCounterScope scope(navigation_depth_);
    if (tree_)
      tree_->ExpandToIdList(folder_.GetIdList());
    else if (combo_)
      combo_->CurrentFolderLocator().SetIdList(folder_.GetIdList());
  }
  FillList();
}

void TPTCustomShellList::SyncToIdList(const ItemIdList* abs_id) {
  if (!Loading()) folder_.SetIdList(abs_id);
}

void TPTCustomShellList::NavigateTo(const ItemIdList* abs_id) {
  if (options_.Contains(ptsloDontChangeFolder)) return;
  // The id may belong to an item about to be cleared away.
  ShellItemId target = CopyIdList(abs_id);
  Items().Clear();
  if (tree_) {
    tree_->CurrentFolderLocator().SetIdList(target.Get());
  } else if (combo_) {
    combo_->CurrentFolderLocator().SetIdList(target.Get());
  } else {
    const unsigned fills = fill_count_;
    folder_.SetIdList(target.Get());
    // A shortcut to the shown folder changes nothing: show it again rather than nothing.
    if (fill_count_ == fills) FillList();
  }
}

void TPTCustomShellList::GoUp(int Levels) {
  if (options_.Contains(ptsloDontChangeFolder)) return;
  if (tree_) {
    tree_->GoUp(Levels);
  } else if (combo_) {
    combo_->GoUp(Levels);
  } else {
    TPTIdListArray ids(folder_id_.Get());
    if (ids.Count() >= 1) folder_.SetIdList(ids.Ancestor(Levels));
  }
}

void TPTCustomShellList::FlushPendingSync(bool flushOthers) {
  if (flushOthers) {
    if (combo_) combo_->FlushPendingSync(false);
    if (tree_) tree_->FlushPendingSync(false);
  }
  if (refresh_timer_.Enabled()) RefreshTimerFired();
}

void TPTCustomShellList::OpenSelection() {
  FlushPendingSync(true);
  const int selected = SelCount();
  if (selected > 1) {
    std::vector<TPTShListData*> records = SelectedRecords();
    if (records.empty() || !folder_object_) return;
    std::vector<LPCITEMIDLIST> ids;
    for (TPTShListData* data : records) ids.push_back(data->RelativeId());
    ComPtr<IContextMenu> context_menu;
    ScopedMenu menu;
    CheckResult(CreateItemsMenu(OwnerWindow(), folder_object_.Get(), static_cast<UINT>(ids.size()),
                                ids.data(), CMF_EXPLORE, kFirstShellCommand, context_menu, menu));
    InvokeDefaultCommand(OwnerWindow(), context_menu.Get(), menu.Get());
  } else if (selected == 1) {
    OpenItem(Selected());
  }
}

void TPTCustomShellList::OpenItem(TListItem* item) {
  if (!item) return;
  FlushPendingSync(true);
  // The refresh just run may have taken the item away.
  if (Items().IndexOf(item) < 0) return;
  TPTShListData* data = DataOf(item);
  bool handled = false;
  if (!data) {
    if (OnDblClickOpen) OnDblClickOpen(this, handled);
    return;
  }
  if (!folder_object_) return;
  TShellListHourglass hourglass;
  ShellItemId abs_id = CopyIdList(data->AbsoluteId());
  DWORD attributes = SFGAO_FOLDER;
  LPCITEMIDLIST items[] = {data->RelativeId()};
  if (SUCCEEDED(folder_object_->GetAttributesOf(1, items, &attributes)) &&
      (attributes & SFGAO_FOLDER)) {
    NavigateTo(abs_id.Get());
    return;
  }
  if (data->IsLink()) {
    TShortcutInfo info;
    if (SUCCEEDED(ReadShortcut(data->Path(), info, false)) &&
        (info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !info.Path.empty()) {
      ShellItemId target;
      if (SUCCEEDED(PathToIdList(info.Path, target))) {
        NavigateTo(target.Get());
        return;
      }
    }
  }
  if (OnDblClickOpen) OnDblClickOpen(this, handled);
  if (handled) return;
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  CheckResult(CreateItemsMenu(OwnerWindow(), folder_object_.Get(), 1, items, CMF_EXPLORE,
                              kFirstShellCommand, context_menu, menu));
  InvokeDefaultCommand(OwnerWindow(), context_menu.Get(), menu.Get());
}

}  // namespace tw
