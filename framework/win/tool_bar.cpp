#include "framework/win/tool_bar.h"

#include <algorithm>
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered =
    TTypeRegistry::Class<TToolButton>("TToolButton", "TControl")
        .Boolean("Down", &TToolButton::Down, &TToolButton::SetDown, false)
        .Boolean("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped, false)
        .Boolean("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp, false)
        .Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, -1)
        .Enumeration("Style",
                     EnumerationType("TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown",
                                                          "tbsSeparator", "tbsDivider"}),
                     &TToolButton::Style, &TToolButton::SetStyle, 0)
        .Done() &&
    TTypeRegistry::Class<TToolBar>("TToolBar", "TWinControl")
        .Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat, false)
        .Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, false)
        .Integer("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth, 23)
        .Integer("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight, 22)
        .Done();
}  // namespace


namespace {
// Button command ids are the button's index plus this.
constexpr int kFirstCommand = 1;
}  // namespace

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) { SetBounds(0, 0, 23, 22); }

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (!bar) return -1;
  auto it = std::find(bar->buttons_.begin(), bar->buttons_.end(), this);
  return it == bar->buttons_.end() ? -1 : static_cast<int>(it - bar->buttons_.begin());
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (value == style_) return;
  style_ = value;
  if (TToolBar* bar = ToolBar()) bar->RebuildButtons();
}

void TToolButton::SetGrouped(bool value) {
  if (value == grouped_) return;
  grouped_ = value;
  if (TToolBar* bar = ToolBar()) bar->RebuildButtons();
}

void TToolButton::SetDown(bool value) {
  if (value == down_) return;
  TToolBar* bar = ToolBar();
  std::vector<TToolButton*> group = bar ? bar->GroupOf(this) : std::vector<TToolButton*>{};
  bool in_group = grouped_ && style_ == tbsCheck;
  if (!value && in_group && !allow_all_up_) return;
  down_ = value;
  Changed();
  if (value) {
    for (TToolButton* other : group) {
      if (other->down_) {
        other->down_ = false;
        other->Changed();
      }
    }
  }
}

void TToolButton::SetImageIndex(int value) {
  if (value == image_index_) return;
  image_index_ = value;
  Changed();
}

void TToolButton::Click() { TControl::Click(); }

void TToolButton::TextChanged() {
  if (TToolBar* bar = ToolBar()) bar->RebuildButtons();
}

void TToolButton::VisibleChanged() { Changed(); }

void TToolButton::EnabledChanged() { Changed(); }

void TToolButton::Changed() {
  if (TToolBar* bar = ToolBar()) bar->UpdateButton(this);
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alTop);
  SetBounds(0, 0, 150, 29);
}

void TToolBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = TOOLBARCLASSNAMEA;
  // The framework places the bar itself: no self-sizing or parent alignment by the control.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (flat_) params.Style |= TBSTYLE_FLAT;
}

void TToolBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  RebuildButtons();
}

void TToolBar::InsertControl(TControl* control) {
  TWinControl::InsertControl(control);
  if (auto* button = dynamic_cast<TToolButton*>(control)) {
    buttons_.push_back(button);
    RebuildButtons();
  }
}

void TToolBar::RemoveControl(TControl* control) {
  if (auto* button = dynamic_cast<TToolButton*>(control); button && std::erase(buttons_, button)) {
    TWinControl::RemoveControl(control);
    if (!IsDestroying()) RebuildButtons();
    return;
  }
  TWinControl::RemoveControl(control);
}

std::vector<TToolButton*> TToolBar::GroupOf(const TToolButton* button) const {
  std::vector<TToolButton*> group;
  if (!button->grouped_ || button->style_ != tbsCheck) return group;
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return group;
  auto member = [](const TToolButton* b) { return b->grouped_ && b->style_ == tbsCheck; };
  auto first = it;
  while (first != buttons_.begin() && member(*(first - 1))) --first;
  for (auto i = first; i != buttons_.end() && member(*i); ++i) {
    if (*i != button) group.push_back(*i);
  }
  return group;
}

TBBUTTON TToolBar::ButtonInfo(int index) const {
  const TToolButton* b = buttons_[index];
  TBBUTTON info{};
  info.idCommand = index + kFirstCommand;
  info.iBitmap = b->image_index_;
  switch (b->style_) {
    case tbsCheck: info.fsStyle = BTNS_CHECK; break;
    case tbsDropDown: info.fsStyle = BTNS_DROPDOWN; break;
    case tbsSeparator:
    case tbsDivider:
      // A separator's image index is its width.
      info.fsStyle = BTNS_SEP;
      info.iBitmap = b->Width();
      break;
    case tbsButton: info.fsStyle = BTNS_BUTTON; break;
  }
  if (b->Enabled()) info.fsState |= TBSTATE_ENABLED;
  if (b->down_) info.fsState |= TBSTATE_CHECKED;
  if (!b->Visible()) info.fsState |= TBSTATE_HIDDEN;
  // Captions show only when asked; otherwise the string index stays -1 (no text).
  info.iString = show_captions_ ? reinterpret_cast<INT_PTR>(b->Caption().c_str()) : -1;
  return info;
}

void TToolBar::RebuildButtons() {
  if (!HandleAllocated() || IsDestroying()) return;
  HWND bar = Handle();
  SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
  while (SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(bar, TB_DELETEBUTTON, 0, 0);
  SendMessageA(bar, TB_SETIMAGELIST, 0, LPARAM(images_ ? images_->Handle() : nullptr));
  SendMessageA(bar, TB_SETHOTIMAGELIST, 0, LPARAM(hot_images_ ? hot_images_->Handle() : nullptr));
  if (images_) {
    int cx = 16, cy = 16;
    ImageList_GetIconSize(images_->Handle(), &cx, &cy);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
  }
  for (int i = 0; i < ButtonCount(); ++i) {
    // Captions are copied by the control, so the strings need to live only for the call.
    std::string caption = buttons_[i]->Caption();
    TBBUTTON info = ButtonInfo(i);
    if (show_captions_) info.iString = reinterpret_cast<INT_PTR>(caption.c_str());
    SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&info));
  }
  SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(button_width_, button_height_));
  SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(bar, nullptr, TRUE);
  UpdateButtonBounds();
}

void TToolBar::UpdateButton(TToolButton* button) {
  if (!HandleAllocated()) return;
  int index = button->Index();
  if (index < 0) return;
  TBBUTTON info = ButtonInfo(index);
  SendMessageA(Handle(), TB_SETSTATE, info.idCommand, MAKELPARAM(info.fsState, 0));
  TBBUTTONINFOA image{};
  image.cbSize = sizeof(image);
  image.dwMask = TBIF_IMAGE;
  image.iImage = info.iBitmap;
  SendMessageA(Handle(), TB_SETBUTTONINFOA, info.idCommand, reinterpret_cast<LPARAM>(&image));
  UpdateButtonBounds();
}

void TToolBar::UpdateButtonBounds() {
  for (int i = 0; i < ButtonCount(); ++i) {
    RECT r{};
    if (SendMessageA(Handle(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) {
      buttons_[i]->UpdateBoundsRect(r);
    }
  }
}

void TToolBar::CNCommand(TMessage& message) {
  int index = LOWORD(message.WParam) - kFirstCommand;
  if (index < 0 || index >= ButtonCount()) return DefaultHandler(message);
  TToolButton* button = buttons_[index];
  if (button->style_ == tbsCheck) {
    // The control has already toggled its check state: take it over, within the group rules.
    bool checked = SendMessageA(Handle(), TB_ISBUTTONCHECKED, message.WParam & 0xFFFF, 0) != 0;
    button->SetDown(checked);
    if (button->down_ != checked) button->Changed();
  }
  button->Click();
}

TControl* TToolBar::HintControlAt(POINT p) {
  if (!HandleAllocated()) return this;
  int index = static_cast<int>(SendMessageA(Handle(), TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
  if (index >= 0 && index < ButtonCount() && buttons_[index]->style_ != tbsSeparator &&
      buttons_[index]->style_ != tbsDivider) {
    return buttons_[index];
  }
  return this;
}

void TToolBar::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  RecreateWnd();
}

void TToolBar::SetShowCaptions(bool value) {
  if (value == show_captions_) return;
  show_captions_ = value;
  RebuildButtons();
}

void TToolBar::SetButtonWidth(int value) {
  if (value == button_width_) return;
  button_width_ = value;
  RebuildButtons();
}

void TToolBar::SetButtonHeight(int value) {
  if (value == button_height_) return;
  button_height_ = value;
  RebuildButtons();
}

void TToolBar::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = value;
  if (images_) images_->FreeNotification(this);
  RebuildButtons();
}

void TToolBar::SetHotImages(TCustomImageList* value) {
  if (value == hot_images_) return;
  if (hot_images_) hot_images_->RemoveFreeNotification(this);
  hot_images_ = value;
  if (hot_images_) hot_images_->FreeNotification(this);
  RebuildButtons();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == hot_images_) SetHotImages(nullptr);
}

}  // namespace tw
