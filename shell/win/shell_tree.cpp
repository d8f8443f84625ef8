#include "shell/win/shell_tree.h"

#include <utility>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/messages.h"
#include "shell/win/change_handler_thread.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_names.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

PTypeInfo ShellTreeOptionsType() {
  static PTypeInfo type = SetType(
      "TPTShellTreeOptions",
      EnumerationType("TPTShellTreeOption",
                      {"ptstoAutoFill", "ptstoVirtualFolders", "ptstoDesignInteractive",
                       "ptstoDefaultKeyHandling", "ptstoContextMenus", "ptstoDynamicRefresh",
                       "ptstoIncludeNonFolders", "ptstoOleDrag", "ptstoOleDrop",
                       "ptstoShowHidden"}));
  return type;
}

using T = TPTShellTree;
const bool kRegistered =
    TTypeRegistry::Class<TPTShellTree>("TPTShellTree", "TCustomTreeView")
        .Object<TPTShellLocator>("BaseFolder", "TPTShellLocator",
                                 [](T& t) { return &t.BaseFolder(); },
                                 [](T& t, TPTShellLocator* value) {
                                   if (value) t.SetBaseFolder(*value);
                                 })
        .Object<TPTCustomShellList>("ShellList", "TPTCustomShellList",
                                    [](T& t) { return t.ShellList(); },
                                    [](T& t, TPTCustomShellList* value) { t.SetShellList(value); })
        .Set("Options", ShellTreeOptionsType(), [](T& t) { return t.Options().Bits(); },
             [](T& t, std::int64_t bits) {
               t.SetOptions(TPTShellTreeOptions(static_cast<std::uint16_t>(bits)));
             },
             kDefaultShellTreeOptions.Bits())
        .Method("OnAddItem", [](T& t) { return bool(t.OnAddItem); })
        .Method("OnDeleteItem", [](T& t) { return bool(t.OnDeleteItem); })
        .Method("OnPopupHint", [](T& t) { return bool(t.OnPopupHint); })
        .Method("OnCustomDrawSh", [](T& t) { return bool(t.OnCustomDrawSh); })
        .Method("OnCustomDrawShEx", [](T& t) { return bool(t.OnCustomDrawShEx); })
        .Method("OnFillComplete", [](T& t) { return bool(t.OnFillComplete); })
        .Done();

}  // namespace

TPTCustomShellTree::TPTCustomShellTree(TComponent* AOwner)
    : TPTCustomTreeView(AOwner),
      base_folder_([this](TObject*) { BaseFolderChanged(); }),
      current_folder_([this](TObject*) { CurrentFolderChanged(); }),
      sync_timer_(nullptr),
      images_(nullptr, 16, 16) {
  sync_timer_.SetEnabled(false);
  sync_timer_.SetOnTimer([this](TObject*) { SyncTimerFired(); });
  SetShowRoot(false);
  // The system's shared image list: borrowed, never destroyed here.
  images_.SetShareImages(true);
  images_.SetHandle(SystemImageList(silSmall));
  SetImages(&images_);
}

TPTCustomShellTree::~TPTCustomShellTree() {
  Destroying();
  CancelNodeReads();
  sync_timer_.SetEnabled(false);
  UpdateDropTarget(false);
  watcher_.reset();
  // The records go with the nodes while this object can still free them.
  Items().Clear();
  SetImages(nullptr);
  // The partners forget this tree while it is whole: a free notification heard later would
  // reach a tree already taken apart.
  SetShellList(nullptr);
  SetLinkedCombo(nullptr);
}

HWND TPTCustomShellTree::OwnerWindow() { return OwnerFormHandle(this); }

void TPTCustomShellTree::SetBaseFolder(const TPTShellLocator& value) {
  if (!Loading()) base_folder_.Assign(value);
}

void TPTCustomShellTree::SetShellList(TPTCustomShellList* value) {
  if (shell_list_ && shell_list_ != value) {
    shell_list_->RemoveFreeNotification(this);
    if (shell_list_->LinkedTree() == this) shell_list_->SetLinkedTree(nullptr);
  }
  shell_list_ = value;
  if (!value) return;
  value->SetLinkedTree(this);
  value->FreeNotification(this);
  value->SetFolder(current_folder_);
}

void TPTCustomShellTree::ListUnlinked(TPTCustomShellList* list) {
  if (shell_list_ != list) return;
  shell_list_->RemoveFreeNotification(this);
  shell_list_ = nullptr;
}

void TPTCustomShellTree::SetLinkedCombo(TPTShellTreeComboLink* combo) {
  if (combo_ == combo) return;
  // The old combo is told: the free notification it would have heard through goes here.
  if (TPTShellTreeComboLink* old = std::exchange(combo_, nullptr)) {
    old->LinkComponent()->RemoveFreeNotification(this);
    old->TreeUnlinked(this);
  }
  combo_ = combo;
  if (combo_) combo_->LinkComponent()->FreeNotification(this);
}

void TPTCustomShellTree::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomTreeView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == shell_list_) shell_list_ = nullptr;
  if (combo_ && combo_->LinkComponent() == AComponent) combo_ = nullptr;
}

void TPTCustomShellTree::SetOptions(TPTShellTreeOptions value) {
  const TPTShellTreeOptions old = options_;
  options_ = value;
  if (!HandleAllocated()) {
    SetWindowStyleBits(TVS_DISABLEDRAGDROP, !value.Contains(ptstoOleDrag));
    return;
  }
  if (old.Contains(ptstoOleDrop) != value.Contains(ptstoOleDrop))
    UpdateDropTarget(value.Contains(ptstoOleDrop) && !Designing());
  SetWindowStyleBits(TVS_DISABLEDRAGDROP, !value.Contains(ptstoOleDrag));
  if (old.Contains(ptstoDynamicRefresh) != value.Contains(ptstoDynamicRefresh) && !Designing()) {
    if (value.Contains(ptstoDynamicRefresh))
      StartChangeWatch();
    else
      StopChangeWatch();
  }
}

void TPTCustomShellTree::SetDragging(bool value) {
  dragging_ = value;
  if (!value && !IsEditing()) RunPostponedWork();
}

void TPTCustomShellTree::RunPostponedWork() {
  if (fill_pending_ || (refresh_pending_ && !Items().GetFirstNode()))
    FillNow();
  else if (refresh_pending_)
    RefreshNow();
}

void TPTCustomShellTree::ScheduleRefresh() {
  sync_timer_.SetEnabled(false);
  sync_job_ = sjRefresh;
  sync_timer_.SetInterval(Focused() ? 400 : 2000);
  sync_timer_.SetEnabled(true);
}

void TPTCustomShellTree::CreateParams(TCreateParams& params) {
  TPTCustomTreeView::CreateParams(params);
  if (options_.Contains(ptstoOleDrag))
    params.Style &= ~static_cast<DWORD>(TVS_DISABLEDRAGDROP);
  else
    params.Style |= TVS_DISABLEDRAGDROP;
}

void TPTCustomShellTree::CreateWnd() {
  TPTCustomTreeView::CreateWnd();
  if (options_.Contains(ptstoOleDrop) && !Designing()) UpdateDropTarget(true);
  // A window made again keeps its nodes and watches again; only a first window fills.
  if (Items().GetFirstNode() && options_.Contains(ptstoDynamicRefresh) && !Designing())
    StartChangeWatch();
  else if (!Loading() && options_.Contains(ptstoAutoFill) && !Items().GetFirstNode())
    AutoFill();
}

void TPTCustomShellTree::Loaded() {
  loading_ = true;
  try {
    TPTCustomTreeView::Loaded();
  } catch (...) {
    loading_ = false;
    throw;
  }
  loading_ = false;
  // A linked combo fills the tree itself.
  if (options_.Contains(ptstoAutoFill) && !combo_ && HandleAllocated()) AutoFill();
}

void TPTCustomShellTree::AutoFill() {
  FillTree();
  if (shell_list_) shell_list_->SetFolder(current_folder_);
}

void TPTCustomShellTree::DestroyWnd() {
  // The reads' messages would go to this window; a window made again keeps the nodes, which
  // the user expands again.
  CancelNodeReads();
  if (HasState(csDestroying)) {
    sync_timer_.SetEnabled(false);
    SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    {
      TBusy busy(busy_);
      SetSelected(nullptr);
    }
    Items().Clear();
    UpdateDropTarget(false);
  }
  TPTCustomTreeView::DestroyWnd();
}

void TPTCustomShellTree::BaseFolderChanged() {
  if (Loading()) return;
  current_folder_.Clear();
  if (options_.Contains(ptstoAutoFill)) FillTree();
}

void TPTCustomShellTree::CurrentFolderChanged() {
  if (Items().GetFirstNode()) ExpandToIdList(current_folder_.GetIdList());
}

TPTShTreeData* TPTCustomShellTree::GetNodeData(const TTreeNode* node) const {
  if (!node || !records_.count(node->Data())) return nullptr;
  return static_cast<TPTShTreeData*>(node->Data());
}

TTreeNode* TPTCustomShellTree::FirstShellRoot() {
  for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNextSibling())
    if (IsShellNode(node)) return node;
  return nullptr;
}

void TPTCustomShellTree::Delete(TTreeNode* node) {
  if (node == drag_node_) drag_node_ = nullptr;
  if (node == edited_node_) edited_node_ = nullptr;
  CancelNodeRead(node);
  UnwatchFolder(node);
  DoDeleteItem(node);
  TPTCustomTreeView::Delete(node);
}

void TPTCustomShellTree::DoDeleteItem(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return;
  if (OnDeleteItem) OnDeleteItem(this, node, data);
  node->SetData(nullptr);
  records_.erase(data);
  delete data;
}

void TPTCustomShellTree::DoNotify(const NMHDR& header, LRESULT& result) {
  if (header.code == NM_CLICK) immediate_sync_ = true;
  // The control's own notice of an expansion is the user's (a click, a key, a message sent to
  // the control); the code's expansions ask CanExpand without it.
  if (header.code == TVN_ITEMEXPANDINGA || header.code == TVN_ITEMEXPANDINGW) {
    user_expansion_ = true;
    TPTCustomTreeView::DoNotify(header, result);
    user_expansion_ = false;
    return;
  }
  const bool right_drag = header.code == TVN_BEGINRDRAGA || header.code == TVN_BEGINRDRAGW;
  if (right_drag || header.code == TVN_BEGINDRAGA || header.code == TVN_BEGINDRAGW) {
    const auto& view = reinterpret_cast<const NMTREEVIEWA&>(header);
    if (options_.Contains(ptstoOleDrag) && !Designing())
      StartNodeDrag(Items().GetNode(view.itemNew.hItem), right_drag);
    return;
  }
  TPTCustomTreeView::DoNotify(header, result);
}

std::unique_ptr<TPTCustomDraw> TPTCustomShellTree::CustomDrawHook(NMTVCUSTOMDRAW& draw,
                                                                 LRESULT& result) {
  if (!OnCustomDrawSh && !OnCustomDrawShEx) return TPTCustomTreeView::CustomDrawHook(draw, result);
  std::unique_ptr<TPTCustomDraw> object = CreateDrawObject(draw, result);
  TTreeNode* node = DrawNode(draw);
  DoCustomDrawSh(*object, node, GetNodeData(node));
  // At the control's pre-paint the drawing object asks for the items' notifications.
  object->Apply();
  return object;
}

void TPTCustomShellTree::DoCustomDrawSh(TPTCustomDraw& draw, TTreeNode* node,
                                        TPTShTreeData* data) {
  if (OnCustomDrawShEx) OnCustomDrawShEx(this, draw, node, data);
  if (OnCustomDrawSh && draw.Stage() == TPTCustomDraw::cdsItemPrePaint)
    OnCustomDrawSh(this, draw, node, data);
}

HRESULT TPTCustomShellTree::InvokeNodeVerb(TTreeNode* node, const std::string& verb) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data || !node->Parent()) return 1;
  IShellFolder* parent = data->ParentFolder();
  if (!parent) RaiseShellError(E_FAIL);
  ComPtr<IContextMenu> context_menu;
  LPCITEMIDLIST items[] = {data->RelativeId()};
  CheckResult(parent->GetUIObjectOf(OwnerWindow(), 1, items, IID_IContextMenu, nullptr,
                                    context_menu.ReceiveVoid()));
  return InvokeMenuCommand(OwnerWindow(), context_menu.Get(), verb);
}

void TPTCustomShellTree::WndProc(TMessage& message) {
  try {
    switch (message.Msg) {
      case TVM_DELETEITEM:
        if (reinterpret_cast<HTREEITEM>(message.LParam) == TVI_ROOT) {
          // Clearing the tree moves no linked view.
          TBusy busy(busy_);
          TPTCustomTreeView::WndProc(message);
          return;
        }
        break;
      case WM_TW_FOLDER_CHANGED:
        FolderChangeNotified(static_cast<int>(message.WParam));
        return;
      case WM_TW_FOLDER_READ:
        NodeReadArrived(message.WParam);
        return;
      case WM_NCDESTROY: {
        TBusy busy(busy_);
        CancelNodeReads();
        UpdateDropTarget(false);
        watcher_.reset();
        break;
      }
      case CM_WANTSPECIALKEY:
        TPTCustomTreeView::WndProc(message);
        if (IsEditing()) message.Result = 1;
        return;
      case CM_DESIGNHITTEST: {
        message.Result = 0;
        if (!options_.Contains(ptstoDesignInteractive)) return;
        const int x = static_cast<short>(LOWORD(message.LParam));
        const int y = static_cast<short>(HIWORD(message.LParam));
        const THitTests hit = GetHitTestInfoAt(x, y);
        if ((hit & (htOnItem | htOnButton | htToRight)) || x > ClientRect().right)
          message.Result = 1;
        return;
      }
      default:
        break;
    }
    TPTCustomTreeView::WndProc(message);
    if (IsShellMenuMessage(message.Msg))
      HandleShellMenuMessage(message, context_menu_.Get(), images_.Handle(), this, OnPopupHint);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

TPTShellTree::TPTShellTree(TComponent* AOwner) : TPTCustomShellTree(AOwner) {}

}  // namespace tw
