#include "framework/win/popup_menu.h"

#include <algorithm>

#include "framework/win/application.h"
#include "framework/win/win_control.h"

namespace tw {

namespace {

// Command ids of a popup start here; 0 means "nothing chosen".
constexpr UINT kFirstCommand = 1;

UINT SystemTrack(HMENU menu, UINT flags, int x, int y, HWND owner) {
  return static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

TPopupMenu::TTrackFunction& Track() {
  static TPopupMenu::TTrackFunction track = &SystemTrack;
  return track;
}

}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  Clear();
  if (parent_) parent_->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  if (item->parent_ != this) return;
  std::erase(items_, item);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) Remove(items_.back());
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::BuildMenu(HMENU menu, UINT& next_id) {
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (item->IsLine()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (!item->enabled_) flags |= MF_GRAYED;
    if (item->checked_) flags |= MF_CHECKED;
    if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      item->BuildMenu(sub, next_id);
      item->command_ = 0;
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
    } else {
      item->command_ = next_id++;
      AppendMenuA(menu, flags, item->command_, item->caption_.c_str());
      if (item->default_) SetMenuDefaultItem(menu, item->command_, FALSE);
    }
  }
}

TMenuItem* TMenuItem::FindByCommand(UINT id) {
  for (TMenuItem* item : items_) {
    if (item->command_ == id && item->Count() == 0) return item;
    if (TMenuItem* found = item->FindByCommand(id)) return found;
  }
  return nullptr;
}

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() { Destroying(); }

void TPopupMenu::SetTrackFunction(TTrackFunction track) {
  Track() = track ? std::move(track) : TTrackFunction(&SystemTrack);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (value == popup_component_) return;
  if (popup_component_) popup_component_->RemoveFreeNotification(this);
  popup_component_ = value;
  if (popup_component_) popup_component_->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popup_component_) popup_component_ = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  handle_.Reset(CreatePopupMenu());
  UINT next_id = kFirstCommand;
  items_->BuildMenu(handle_.Get(), next_id);
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
  if (alignment_ == paRight) flags |= TPM_RIGHTALIGN;
  if (alignment_ == paCenter) flags |= TPM_CENTERALIGN;
  // The menu needs a window of this thread to report to: the application window does.
  UINT chosen = Track()(handle_.Get(), flags, X, Y, Application->Handle());
  if (chosen == 0) return;
  if (TMenuItem* item = items_->FindByCommand(chosen); item && item->Enabled()) item->Click();
}

}  // namespace tw
