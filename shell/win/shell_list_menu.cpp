// Shell commands on the selection and on the shown folder, and the selection's context menu.
#include "shell/win/context_menu.h"
#include "shell/win/data_object_shlv.h"
#include "shell/win/send_to.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"

namespace tw {

std::vector<TPTShListData*> TPTCustomShellList::SelectedRecords() {
  std::vector<TPTShListData*> records;
  for (TListItem* item = GetNextItem(nullptr, LVNI_SELECTED); item;
       item = GetNextItem(item, LVNI_SELECTED))
    if (TPTShListData* data = DataOf(item)) records.push_back(data);
  return records;
}

void TPTCustomShellList::InvokeVerb(const std::string& Verb) {
  if (!folder_object_) return;
  std::vector<TPTShListData*> records = SelectedRecords();
  if (records.empty()) return;
  std::vector<LPCITEMIDLIST> ids;
  for (TPTShListData* data : records) ids.push_back(data->RelativeId());
  ComPtr<IContextMenu> context_menu;
  if (FAILED(folder_object_->GetUIObjectOf(OwnerWindow(), static_cast<UINT>(ids.size()), ids.data(),
                                           IID_IContextMenu, nullptr, context_menu.ReceiveVoid())))
    return;
  InvokeMenuCommand(OwnerWindow(), context_menu.Get(), Verb);
}

void TPTCustomShellList::InvokeFolderVerb(const std::string& Verb) {
  ComPtr<IContextMenu> context_menu;
  CheckResult(GetFolderUIObject(folder_id_.Get(), IID_IContextMenu, context_menu.ReceiveVoid()));
  if (!FindVerbCommand(context_menu.Get(), Verb) && folder_object_) {
    // Some shells (Wine's) offer "paste" only on the menu of a folder's empty space, not on the
    // folder's item menu: that one runs the command then.
    ComPtr<IContextMenu> background;
    if (SUCCEEDED(folder_object_->CreateViewObject(OwnerWindow(), IID_IContextMenu,
                                                   background.ReceiveVoid())) &&
        background && FindVerbCommand(background.Get(), Verb))
      context_menu = background;
  }
  CheckResult(InvokeMenuCommand(OwnerWindow(), context_menu.Get(), Verb));
}

bool TPTCustomShellList::ShowShellPopup(POINT client_point) {
  if (!options_.Contains(ptsloContextMenus) || Designing() || dragging_ || !folder_object_)
    return false;
  std::vector<TPTShListData*> records = SelectedRecords();
  if (records.empty()) return false;
  // The menu works on copies: a refresh while the menu is open may free the records.
  std::vector<ShellItemId> copies;
  std::vector<LPCITEMIDLIST> ids;
  for (TPTShListData* data : records) {
    copies.push_back(CopyIdList(data->RelativeId()));
    ids.push_back(copies.back().Get());
  }
  ComPtr<IShellFolder> folder = folder_object_;
  ComPtr<IContextMenu> context_menu;
  if (FAILED(folder->GetUIObjectOf(OwnerWindow(), static_cast<UINT>(ids.size()), ids.data(),
                                   IID_IContextMenu, nullptr, context_menu.ReceiveVoid())))
    return false;
  ScopedMenu menu(CreatePopupMenu());
  if (!menu) return false;
  CheckResult(context_menu->QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastShellCommand,
                                             CMF_EXPLORE));
  const POINT screen = ClientToScreen(client_point);
  context_menu_ = context_menu;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
  context_menu_.Reset();
  if (chosen >= kFirstShellCommand) {
    InvokeMenuCommand(OwnerWindow(), context_menu.Get(), chosen - kFirstShellCommand);
  } else if (chosen >= 1) {
    ComPtr<IDataObject> data(new TDataObject_shlv(*this));
    SendToTarget(static_cast<int>(chosen) - 1, data.Get());
  }
  return true;
}

void TPTCustomShellList::RequestPopup(TListItem* item, POINT point, TPopupMenu*& menu) {
  if (ShowShellPopup(point))
    menu = nullptr;
  else
    TPTCustomListView::RequestPopup(item, point, menu);
}

std::unique_ptr<TPTCustomDraw> TPTCustomShellList::CustomDrawHook(NMLVCUSTOMDRAW& draw,
                                                                  LRESULT& result) {
  std::unique_ptr<TPTCustomDraw> object = CreateDrawObject(draw, result);
  auto& settings = static_cast<TPTLvCustomDraw&>(*object);
  TListItem* item = DrawItem(draw);
  TPTShListData* data = DataOf(item);
  if (OnCustomDrawShEx) OnCustomDrawShEx(this, settings, item, data);
  if (OnCustomDrawSh && object->Stage() == TPTCustomDraw::cdsItemPrePaint)
    OnCustomDrawSh(this, settings, item, data);
  object->Apply();
  if (draw.nmcd.dwDrawStage & CDDS_PREPAINT) result |= CDRF_NOTIFYITEMDRAW;
  return object;
}

}  // namespace tw
