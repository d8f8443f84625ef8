#include "shell/win/shell_list.h"

#include <utility>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/messages.h"
#include "shell/shell_list_texts.h"
#include "shell/win/change_handler_thread.h"
#include "shell/win/shell_names.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

PTypeInfo ShellListOptionsType() {
  static PTypeInfo type = SetType(
      "TPTShellListOptions",
      EnumerationType("TPTShellListOption",
                      {"ptsloAutoFill", "ptsloNonFilesystemAncestors", "ptsloDesignInteractive",
                       "ptsloDefaultKeyHandling", "ptsloContextMenus", "ptsloDontChangeFolder",
                       "ptsloDontGoBelowBase", "ptsloDynamicRefresh",
                       "ptsloHideFoldersWhenLinkedToTree", "ptsloOleDrag", "ptsloOleDrop",
                       "ptsloFolderContextMenu", "ptsloShowHidden"}));
  return type;
}

using L = TPTShellList;
const bool kRegistered =
    TTypeRegistry::Class<TPTShellList>("TPTShellList", "TCustomListView")
        .Set("Options", ShellListOptionsType(), [](L& l) { return l.Options().Bits(); },
             [](L& l, std::int64_t bits) {
               l.SetOptions(TPTShellListOptions(static_cast<std::uint16_t>(bits)));
             },
             kDefaultShellListOptions.Bits())
        .Object<TPTShellLocator>("Folder", "TPTShellLocator", [](L& l) { return &l.Folder(); },
                                 [](L& l, TPTShellLocator* value) {
                                   if (value) l.SetFolder(*value);
                                 })
        // A linked tree or combo decides the folder.
        .StoredIf([](L& l) { return !l.LinkedTree() && !l.LinkedCombo(); })
        .String("FileFilter", &L::FileFilter, &L::SetFileFilter)
        .Method("OnAddItem", [](L& l) { return bool(l.OnAddItem); })
        .Method("OnDeleteItem", [](L& l) { return bool(l.OnDeleteItem); })
        .Method("OnPopupHint", [](L& l) { return bool(l.OnPopupHint); })
        .Method("OnDblClickOpen", [](L& l) { return bool(l.OnDblClickOpen); })
        .Method("OnCustomDrawSh", [](L& l) { return bool(l.OnCustomDrawSh); })
        .Method("OnCustomDrawShEx", [](L& l) { return bool(l.OnCustomDrawShEx); })
        .Method("OnFillComplete", [](L& l) { return bool(l.OnFillComplete); })
        .Done();

}  // namespace

TPTCustomShellList::TPTCustomShellList(TComponent* AOwner)
    : TPTCustomListView(AOwner),
      folder_([this](TObject*) { FolderChanged(); }),
      refresh_timer_(nullptr),
      small_images_(nullptr, 16, 16),
      large_images_(nullptr, 32, 32) {
  refresh_timer_.SetEnabled(false);
  refresh_timer_.SetOnTimer([this](TObject*) { RefreshTimerFired(); });
  IconOptions().SetAutoArrange(true);
  // The system's shared image lists: borrowed, never destroyed here.
  small_images_.SetShareImages(true);
  small_images_.SetHandle(SystemImageList(silSmall));
  large_images_.SetShareImages(true);
  large_images_.SetHandle(SystemImageList(silLarge));
  SetSmallImages(&small_images_);
  SetLargeImages(&large_images_);
  // The items stay here; the control only hears how many there are, so a fill of thousands
  // costs no more than their enumeration.
  SetOwnerData(true);
}

TPTCustomShellList::~TPTCustomShellList() {
  Destroying();
  refresh_timer_.SetEnabled(false);
  RevokeDropTarget();
  CancelRead();
  // The records go with the items while this object can still free them.
  Items().Clear();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
  // The partners forget this list while it is whole: a free notification heard later would
  // reach a list already taken apart.
  SetLinkedTree(nullptr);
  SetLinkedCombo(nullptr);
  watcher_.reset();
}

HWND TPTCustomShellList::OwnerWindow() { return OwnerFormHandle(this); }

void TPTCustomShellList::SetOptions(TPTShellListOptions value) {
  const TPTShellListOptions old = options_;
  options_ = value;
  if (Loading() || !HandleAllocated() || old == value) return;
  if (old.Contains(ptsloOleDrop) != value.Contains(ptsloOleDrop)) {
    if (value.Contains(ptsloOleDrop))
      RegisterDropTarget();
    else
      RevokeDropTarget();
  }
  if (old.Contains(ptsloDynamicRefresh) != value.Contains(ptsloDynamicRefresh)) {
    if (value.Contains(ptsloDynamicRefresh))
      StartWatching();
    else
      StopWatching();
  }
  if (old.Contains(ptsloHideFoldersWhenLinkedToTree) !=
          value.Contains(ptsloHideFoldersWhenLinkedToTree) ||
      old.Contains(ptsloShowHidden) != value.Contains(ptsloShowHidden))
    // A refresh only adds what is new and drops what is gone; items the new options leave out
    // are still there, so the list is filled anew.
    FillList();
}

void TPTCustomShellList::SetFileFilter(const std::string& value) {
  file_filter_ = value;
  if (value.empty()) {
    patterns_.clear();
    return;
  }
  patterns_ = SplitFileFilter(value);
  if (!Loading() && options_.Contains(ptsloAutoFill)) FillList();
}

void TPTCustomShellList::SetSortColumn(int value) {
  sort_column_ = value;
  Sort();
}

void TPTCustomShellList::SetLinkedTree(TPTShellListTreeLink* tree) {
  if (tree_ == tree) return;
  // The old tree is told: the free notification it would have heard through goes here.
  if (TPTShellListTreeLink* old = std::exchange(tree_, nullptr)) {
    old->LinkComponent()->RemoveFreeNotification(this);
    old->ListUnlinked(this);
  }
  tree_ = tree;
  if (tree_) tree_->LinkComponent()->FreeNotification(this);
}

void TPTCustomShellList::SetLinkedCombo(TPTShellListLink* combo) {
  if (combo_ == combo) return;
  if (TPTShellListLink* old = std::exchange(combo_, nullptr)) {
    old->LinkComponent()->RemoveFreeNotification(this);
    old->ListUnlinked(this);
  }
  combo_ = combo;
  if (combo_) combo_->LinkComponent()->FreeNotification(this);
}

void TPTCustomShellList::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomListView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (tree_ && tree_->LinkComponent() == AComponent) tree_ = nullptr;
  if (combo_ && combo_->LinkComponent() == AComponent) combo_ = nullptr;
}

void TPTCustomShellList::SetDragging(bool value) {
  dragging_ = value;
  if (!value && !IsEditing()) RunPostponedWork();
}

void TPTCustomShellList::CreateWnd() {
  TPTCustomListView::CreateWnd();
  if (options_.Contains(ptsloOleDrop)) RegisterDropTarget();
  if (fill_pending_ || (options_.Contains(ptsloAutoFill) && Items().Count() == 0)) FillList();
}

void TPTCustomShellList::DestroyWnd() {
  SaveColumnWidths();
  // A registration belongs to the window; a window made again registers again.
  RevokeDropTarget();
  // A background read tells the window that goes: the next window reads the folder again.
  if (Filling() && !HasState(csDestroying)) fill_pending_ = true;
  CancelRead();
  if (HasState(csDestroying)) {
    refresh_timer_.SetEnabled(false);
    watcher_.reset();
    watching_ = false;
  }
  TPTCustomListView::DestroyWnd();
}

TPTShListData* TPTCustomShellList::DataOf(const TListItem* item) const {
  if (!item || !item->HoldsViewData()) return nullptr;
  return static_cast<TPTShListData*>(item->Data());
}

TPTShListData* TPTCustomShellList::ItemData(int i) { return DataOf(Items().Item(i)); }

TPTShListData* TPTCustomShellList::SelectedData() { return DataOf(Selected()); }

void TPTCustomShellList::SelectAllItems() {
  if (!HandleAllocated()) return;
  Items().BeginUpdate();
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&state));
  Items().EndUpdate();
}

void TPTCustomShellList::InsertItem(TListItem* item) {
  // The item's overlay and dimmed state follow from the attributes it was added with.
  if (const TPTShListData* data = DataOf(item)) {
    const DWORD attributes = data->FillAttributes();
    if (attributes & SFGAO_SHARE)
      item->SetOverlayIndex(0);
    else if (attributes & SFGAO_LINK)
      item->SetOverlayIndex(1);
    if (attributes & SFGAO_GHOSTED) item->SetCut(true);
  }
  TPTCustomListView::InsertItem(item);
}

void TPTCustomShellList::Delete(TListItem* item) {
  TPTShListData* data = DataOf(item);
  if (item == renamed_item_) renamed_item_ = nullptr;
  if (data && OnDeleteItem) OnDeleteItem(this, item, data);
  if (data) item->SetData(nullptr);
  TPTCustomListView::Delete(item);
  delete data;
}

void TPTCustomShellList::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TPTCustomListView::MouseDown(button, shift, x, y);
  if (button == mbLeft && (shift & ssDouble) && !Designing()) OpenSelection();
}

void TPTCustomShellList::WndProc(TMessage& message) {
  try {
    switch (message.Msg) {
      case WM_TW_FOLDER_CHANGED:
        FolderChangeNotified();
        return;
      case WM_TW_START_RENAME:
        StartRenameNewFolder();
        return;
      case WM_TW_FOLDER_READ:
        ReadArrived(message.WParam, message.LParam);
        return;
      case WM_TW_GET_SHELL_BROWSER:
        message.Result = ShellBrowserOfProcess();
        return;
      case CM_WANTSPECIALKEY:
        if (static_cast<WORD>(message.LParam) == VK_RETURN) {
          TPTShListData* data = SelectedData();
          if (IsEditing() || (data && (data->FillAttributes() & SFGAO_FOLDER))) {
            message.Result = 1;
            return;
          }
        }
        break;
      default:
        break;
    }
    TPTCustomListView::WndProc(message);
    if (IsShellMenuMessage(message.Msg))
      HandleShellMenuMessage(message, context_menu_.Get(), small_images_.Handle(), this,
                             OnPopupHint);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

TPTShellList::TPTShellList(TComponent* AOwner) : TPTCustomShellList(AOwner) {}

}  // namespace tw
