#include "shell/win/custom_tree_view.h"

#include <windowsx.h>

#include "shell/win/custom_list_view.h"
#include "shell/win/shell_process.h"

namespace tw {

void TPTCustomTreeView::CreateParams(TCreateParams& params) {
  TCustomTreeView::CreateParams(params);
  if (ShellOsVersion().PlatformId == VER_PLATFORM_WIN32_NT) params.Style |= TVS_NOTOOLTIPS;
}

void TPTCustomTreeView::DoCustomDraw(NMTVCUSTOMDRAW& draw, LRESULT& result) {
  draw_object_.reset();
  // The class library's own answer is CDRF_DODEFAULT, which the hook's answer stands for.
  draw_object_ = CustomDrawHook(draw, result);
}

std::unique_ptr<TPTCustomDraw> TPTCustomTreeView::CreateDrawObject(NMTVCUSTOMDRAW& draw,
                                                                   LRESULT& result) {
  return std::make_unique<TPTTvCustomDraw>(draw, result, Font());
}

TTreeNode* TPTCustomTreeView::DrawNode(const NMTVCUSTOMDRAW& draw) {
  if (!(draw.nmcd.dwDrawStage & CDDS_ITEM)) return nullptr;
  return Items().GetNode(reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec));
}

std::unique_ptr<TPTCustomDraw> TPTCustomTreeView::CustomDrawHook(NMTVCUSTOMDRAW& draw,
                                                                 LRESULT& result) {
  std::unique_ptr<TPTCustomDraw> object;
  TTreeNode* node = nullptr;
  const DWORD stage = draw.nmcd.dwDrawStage;
  if (OnCustomDrawStage) {
    object = CreateDrawObject(draw, result);
    node = DrawNode(draw);
    OnCustomDrawStage(this, static_cast<TPTTvCustomDraw&>(*object), node);
  }
  if (OnCustomDrawItem && (stage & CDDS_ITEM) && (stage & CDDS_PREPAINT)) {
    if (!object) {
      object = CreateDrawObject(draw, result);
      node = DrawNode(draw);
    }
    OnCustomDrawItem(this, static_cast<TPTTvCustomDraw&>(*object), node);
  }
  if (object) object->Apply();
  else result = CDRF_DODEFAULT;
  // The pre-paint stage of the whole control, not an item's (whose stage has that bit too).
  if (stage == CDDS_PREPAINT && (OnCustomDrawStage || OnCustomDrawItem))
    result |= CDRF_NOTIFYITEMDRAW;
  return object;
}

void TPTCustomTreeView::ShowMenu(TPopupMenu* menu, POINT point) {
  if (!menu) return;
  menu->SetPopupComponent(this);
  const POINT screen = ClientToScreen(point);
  menu->Popup(screen.x, screen.y);
}

void TPTCustomTreeView::DoNotify(const NMHDR& header, LRESULT& result) {
  if (header.code != NM_RCLICK) {
    TCustomTreeView::DoNotify(header, result);
    return;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  const POINT point = ScreenToClient(cursor);
  TTreeNode* node = GetNodeAt(point.x, point.y);
  if (!node) return;
  TPopupMenu* menu = PopupMenu();
  RequestPopup(node, point, menu);
  ShowMenu(menu, point);
  popup_handled_ = true;
}

void TPTCustomTreeView::PopupForSelectedNode() {
  if (TTreeNode* node = Selected())
    ShowPopupAt(node, CentreOf(node->DisplayRect(true)));
  else
    ShowMenu(PopupMenu(), {0, 0});
}

void TPTCustomTreeView::ShowPopupAt(TTreeNode* node, POINT point) {
  TPopupMenu* menu = PopupMenu();
  RequestPopup(node, point, menu);
  if (menu != PopupMenu()) popup_handled_ = true;
  ShowMenu(menu, point);
}

void TPTCustomTreeView::RequestPopup(TTreeNode* node, POINT point, TPopupMenu*& menu) {
  if (OnPopupRequest) OnPopupRequest(this, node, point, menu);
}

void TPTCustomTreeView::WMContextMenu(TMessage& message) {
  if (Selected() || popup_handled_) return;
  if (message.LParam == -1) {
    PopupForSelectedNode();
  } else {
    ShowPopupAt(Selected(),
                ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}));
  }
}

bool TPTCustomTreeView::DoKeyDown(WORD& key, TShiftState shift) {
  if (IsContextMenuKey(key, shift)) {
    PopupForSelectedNode();
    return true;
  }
  return TCustomTreeView::DoKeyDown(key, shift);
}

void TPTCustomTreeView::WndProc(TMessage& message) {
  if (message.Msg != WM_RBUTTONUP) {
    TCustomTreeView::WndProc(message);
    return;
  }
  TPopupMenu* menu = PopupMenu();
  if (popup_handled_ && menu) {
    // This click's menu was shown already: keep the ordinary one from popping up again.
    const bool auto_popup = menu->AutoPopup();
    menu->SetAutoPopup(false);
    TCustomTreeView::WndProc(message);
    menu->SetAutoPopup(auto_popup);
  } else {
    TCustomTreeView::WndProc(message);
  }
  popup_handled_ = false;
}

}  // namespace tw
