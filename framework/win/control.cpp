#include "framework/win/control.h"

#include <windowsx.h>

#include "framework/win/application.h"
#include "framework/type_info.h"
#include "framework/win/form.h"
#include "framework/win/messages.h"
#include "framework/win/popup_menu.h"
#include "framework/win/win_control.h"

namespace tw {

namespace {
PTypeInfo AlignType() {
  static PTypeInfo type =
      EnumerationType("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
  return type;
}

const bool kRegistered =
    TTypeRegistry::Class<TControl>("TControl", "TComponent")
        .Integer("Left", &TControl::Left, &TControl::SetLeft, 0)
        .Integer("Top", &TControl::Top, &TControl::SetTop, 0)
        .Integer("Width", &TControl::Width, &TControl::SetWidth, 0)
        .Integer("Height", &TControl::Height, &TControl::SetHeight, 0)
        .Enumeration("Align", AlignType(), &TControl::Align, &TControl::SetAlign, 0)
        .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Integer("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .String("Caption", &TControl::Caption, &TControl::SetCaption)
        .String("Hint", &TControl::Hint, &TControl::SetHint)
        .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
        .Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
        .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
        .Done() &&
    TTypeRegistry::Class<TGraphicControl>("TGraphicControl", "TControl").Done();
}  // namespace


TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), color_(clBtnFace), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) {
    parent_font_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  Destroying();
  if (Application) Application->ControlDestroyed(this);
  SetPopupMenu(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* value) {
  if (value == parent_) return;
  if (value == this) throw EInvalidOperation("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  if (value) value->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (parent_ && visible_) parent_->Invalidate();
  UpdateBoundsRect({left, top, left + width, top + height});
  if (parent_ && visible_) parent_->Invalidate();
}

void TControl::UpdateBoundsRect(const RECT& r) {
  bool resized = r.right - r.left != width_ || r.bottom - r.top != height_;
  bool moved = r.left != left_ || r.top != top_;
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (resized) Resize();
  if (resized || moved) RequestAlign();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

// Every move reaches the parent: aligned neighbours follow, and containers that scroll learn
// their new extent.
void TControl::RequestAlign() {
  if (parent_) parent_->Realign();
}

RECT TControl::ClientRect() const { return {0, 0, width_, height_}; }

int TControl::ClientWidth() const {
  RECT r = ClientRect();
  return r.right - r.left;
}

int TControl::ClientHeight() const {
  RECT r = ClientRect();
  return r.bottom - r.top;
}

POINT TControl::ClientToScreen(POINT p) const {
  if (!parent_) return p;
  return parent_->ClientToScreen({p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) const {
  if (!parent_) return p;
  POINT q = parent_->ScreenToClient(p);
  return {q.x - left_, q.y - top_};
}

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  TAlign old = align_;
  align_ = value;
  if (parent_ && (old != alNone || value != alNone)) parent_->Realign();
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (parent_) {
    parent_->Invalidate();
    if (align_ != alNone) parent_->Realign();
  }
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  EnabledChanged();
  Invalidate();
}

void TControl::SetText(const std::string& value) {
  if (value == GetText()) return;
  text_ = value;
  TextChanged();
}

void TControl::SetColor(TColor value) {
  parent_color_ = false;
  if (value == color_) return;
  color_ = value;
  ColorChanged();
}

void TControl::SetParentColor(bool value) {
  if (value == parent_color_) return;
  parent_color_ = value;
  if (value) ParentColorChanged();
}

void TControl::ColorChanged() {
  Invalidate();
  Perform(CM_COLORCHANGED);
}

void TControl::ParentColorChanged() {
  if (!parent_color_ || !parent_) return;
  if (parent_->Color() != color_) {
    color_ = parent_->Color();
    ColorChanged();
  }
  parent_color_ = true;
}

void TControl::SetParentFont(bool value) {
  if (value == parent_font_) return;
  parent_font_ = value;
  if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parent_font_ || !parent_) return;
  if (!font_->SameAttributes(parent_->Font()) || font_->Color() != parent_->Font().Color()) {
    font_->Assign(parent_->Font());  // raises OnChange, which clears the flag ...
  }
  parent_font_ = true;  // ... that following the parent must keep
}

void TControl::FontChanged() {
  Invalidate();
  Perform(CM_FONTCHANGED);
}

void TControl::SetShowHint(bool value) {
  parent_show_hint_ = false;
  if (value == show_hint_) return;
  show_hint_ = value;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == parent_show_hint_) return;
  parent_show_hint_ = value;
  if (value && parent_) {
    show_hint_ = parent_->ShowHint();
    Perform(CM_SHOWHINTCHANGED);
  }
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (value == popup_menu_) return;
  if (popup_menu_) popup_menu_->RemoveFreeNotification(this);
  popup_menu_ = value;
  if (popup_menu_) popup_menu_->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popup_menu_) popup_menu_ = nullptr;
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, TRUE);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  std::erase(list, this);
  list.push_back(this);
  Invalidate();
}

TForm* TControl::GetParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

TControl* TControl::HintControlAt(POINT) { return this; }

void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (Application) Application->CancelHint();
      break;
    case WM_MOUSEMOVE:
      if (Application) Application->HintMouseMessage(this, {GET_X_LPARAM(message.LParam),
                                                            GET_Y_LPARAM(message.LParam)});
      break;
    default:
      break;
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  int x = GET_X_LPARAM(message.LParam);
  int y = GET_Y_LPARAM(message.LParam);
  // Only mouse messages carry a shift state; asking for the Alt key's state is a request to
  // the window server under Wine, which would cost every other message more than its work.
  const bool mouse = (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK);
  const TShiftState shift = mouse ? MouseShiftState(message.WParam) : TShiftState{0};
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      mouse_captured_click_ = true;
      MouseDown(mbLeft, shift, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      MouseDown(mbLeft, shift | ssDouble, x, y);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, shift, x, y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, x, y);
      break;
    case WM_LBUTTONUP: {
      bool click = mouse_captured_click_;
      mouse_captured_click_ = false;
      MouseUp(mbLeft, shift, x, y);
      RECT client = ClientRect();
      if (click && !IsDestroying() && PtInRect(&client, {x, y})) Click();
      break;
    }
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, x, y);
      // A shown menu answers the click; otherwise the window's own handling makes the
      // context-menu message.
      if (DoContextPopup({x, y})) return;
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parent_show_hint_ && parent_ && parent_->ShowHint() != show_hint_) {
        show_hint_ = parent_->ShowHint();
        Perform(CM_SHOWHINTCHANGED);
      }
      return;
    default:
      break;
  }
  DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

bool TControl::DoContextPopup(POINT client_point) {
  TPopupMenu* menu = GetPopupMenu();
  if (!menu || !menu->AutoPopup()) return false;
  menu->SetPopupComponent(this);
  POINT screen = ClientToScreen(client_point);
  menu->Popup(screen.x, screen.y);
  return true;
}

}  // namespace tw
