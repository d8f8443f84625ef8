#include "shell/win/custom_list_view.h"

#include <windowsx.h>

namespace tw {

bool IsContextMenuKey(WORD key, TShiftState shift) {
  const TShiftState modifiers = shift & (ssShift | ssAlt | ssCtrl);
  return (key == VK_APPS && modifiers == 0) || (key == VK_F10 && modifiers == ssShift);
}

POINT CentreOf(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void TPTCustomListView::DoCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) {
  draw_object_.reset();
  // The class library's own answer is CDRF_DODEFAULT, which the hook's answer stands for.
  draw_object_ = CustomDrawHook(draw, result);
}

std::unique_ptr<TPTCustomDraw> TPTCustomListView::CreateDrawObject(NMLVCUSTOMDRAW& draw,
                                                                   LRESULT& result) {
  return std::make_unique<TPTLvCustomDraw>(draw, result, Font());
}

TListItem* TPTCustomListView::DrawItem(const NMLVCUSTOMDRAW& draw) {
  if (!(draw.nmcd.dwDrawStage & CDDS_ITEM)) return nullptr;
  const auto index = static_cast<int>(draw.nmcd.dwItemSpec);
  return index >= 0 && index < Items().Count() ? Items().Item(index) : nullptr;
}

std::unique_ptr<TPTCustomDraw> TPTCustomListView::CustomDrawHook(NMLVCUSTOMDRAW& draw,
                                                                 LRESULT& result) {
  std::unique_ptr<TPTCustomDraw> object;
  TListItem* item = nullptr;
  const DWORD stage = draw.nmcd.dwDrawStage;
  if (OnCustomDrawStage) {
    object = CreateDrawObject(draw, result);
    item = DrawItem(draw);
    OnCustomDrawStage(this, static_cast<TPTLvCustomDraw&>(*object), item);
  }
  if (OnCustomDrawItem && (stage & CDDS_ITEM) && (stage & CDDS_PREPAINT)) {
    if (!object) {
      object = CreateDrawObject(draw, result);
      item = DrawItem(draw);
    }
    OnCustomDrawItem(this, static_cast<TPTLvCustomDraw&>(*object), item);
  }
  if (object) object->Apply();
  else result = CDRF_DODEFAULT;
  // The pre-paint stage of the whole control, not an item's (whose stage has that bit too).
  if (stage == CDDS_PREPAINT) result |= CDRF_NOTIFYITEMDRAW;
  return object;
}

void TPTCustomListView::DoNotify(const NMHDR& header, LRESULT& result) {
  if (header.code == NM_RCLICK) {
    POINT cursor;
    GetCursorPos(&cursor);
    PopupForSelection(ScreenToClient(cursor));
    return;
  }
  if (header.code == LVN_BEGINDRAG || header.code == LVN_BEGINRDRAG) {
    BeginItemDrag(header.code == LVN_BEGINDRAG ? mbLeft : mbRight,
                  reinterpret_cast<const NMLISTVIEW&>(header).iItem);
    return;
  }
  TCustomListView::DoNotify(header, result);
}

void TPTCustomListView::BeginItemDrag(TMouseButton, int) {}

void TPTCustomListView::ShowOrdinaryPopup(POINT point) {
  TPopupMenu* menu = PopupMenu();
  if (!menu) return;
  menu->SetPopupComponent(this);
  const POINT screen = ClientToScreen(point);
  menu->Popup(screen.x, screen.y);
}

void TPTCustomListView::PopupForSelection(POINT point) {
  TListItem* focused = ItemFocused();
  if (!focused) {
    ShowOrdinaryPopup(point);
    return;
  }
  if (focused->Selected()) {
    point = CentreOf(focused->DisplayRect(drIcon));
  } else if (TListItem* selected = Selected()) {
    point = CentreOf(selected->DisplayRect(drIcon));
  } else {
    ShowOrdinaryPopup(point);
    return;
  }
  ShowPopupAt(point);
}

void TPTCustomListView::ShowPopupAt(POINT point) {
  TPopupMenu* menu = PopupMenu();
  RequestPopup(ItemFocused(), point, menu);
  popup_handled_ = true;
  if (!menu) return;
  menu->SetPopupComponent(this);
  const POINT screen = ClientToScreen(point);
  menu->Popup(screen.x, screen.y);
}

void TPTCustomListView::RequestPopup(TListItem* item, POINT point, TPopupMenu*& menu) {
  if (OnPopupRequest) OnPopupRequest(this, item, point, menu);
}

void TPTCustomListView::WMContextMenu(TMessage& message) {
  if (popup_handled_ || SelCount() == 0 || !ItemFocused()) return;
  if (message.LParam == -1) {
    PopupForSelection({0, 0});
  } else {
    ShowPopupAt(ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}));
  }
}

bool TPTCustomListView::DoKeyDown(WORD& key, TShiftState shift) {
  if (IsContextMenuKey(key, shift)) {
    PopupForSelection({0, 0});
    return true;
  }
  return TCustomListView::DoKeyDown(key, shift);
}

void TPTCustomListView::WndProc(TMessage& message) {
  if (message.Msg != WM_RBUTTONUP) {
    TCustomListView::WndProc(message);
    return;
  }
  if (popup_handled_ && PopupMenu()) {
    // This click's menu was shown already: keep the ordinary one from showing a second.
    TPopupMenu* menu = PopupMenu();
    SetPopupMenu(nullptr);
    TCustomListView::WndProc(message);
    SetPopupMenu(menu);
  } else {
    TCustomListView::WndProc(message);
  }
  popup_handled_ = false;
}

}  // namespace tw
