#include "settings/win/window_hook.h"

#include "framework/type_info.h"
#include "framework/win/messages.h"
#include "framework/win/win_control.h"
#include "settings/win/control_hook.h"
#include "settings/win/hook_list.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TTwWindowHook>("TTwWindowHook", "TComponent")
                             .Boolean("Active", &TTwWindowHook::Active, &TTwWindowHook::SetActive, true)
                             .Object<TWinControl>("WinControl", "TWinControl", &TTwWindowHook::WinControl,
                                                  &TTwWindowHook::SetWinControl)
                             .Method("BeforeMessage", [](TTwWindowHook& h) { return bool(h.BeforeMessage); })
                             .Method("AfterMessage", [](TTwWindowHook& h) { return bool(h.AfterMessage); })
                             .Done();
}  // namespace

TTwWindowHook::TTwWindowHook(TComponent* AOwner) : TComponent(AOwner) { (void)kRegistered; }

TTwWindowHook::~TTwWindowHook() {
  Destroying();
  SetActive(false);
  SetWinControl(nullptr);
}

void TTwWindowHook::SetActive(bool value) {
  if (value == active_) return;
  if (value)
    HookControl();
  else
    UnhookControl();
}

TWinControl* TTwWindowHook::WinControl() const {
  return control_hook_ ? control_hook_->Control() : control_;
}

void TTwWindowHook::HookControl() {
  if (control_ && !HasState(csDestroying)) THookList::Get().GetControlHook(control_)->AddHook(this);
  active_ = true;
}

void TTwWindowHook::UnhookControl() {
  if (control_hook_) control_hook_->RemoveHook(this);
  control_hook_ = nullptr;
  active_ = false;
}

void TTwWindowHook::SetWinControl(TWinControl* value) {
  if (value == WinControl()) return;
  const bool was_active = active_;
  TControlHook* previous = control_hook_;
  UnhookControl();
  if (control_) control_->RemoveFreeNotification(this);
  control_ = value;
  if (value) value->FreeNotification(this);
  // Freed later by the hook list's window, never inside a message it may be handling now.
  if (previous && previous->HookCount() == 0)
    if (THookList* list = THookList::Instance())
      PostMessageA(list->Handle(), WM_TW_RELEASE_HOOK, 0, reinterpret_cast<LPARAM>(previous));
  if (was_active) HookControl();
}

void TTwWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == control_ || AComponent == Owner() || !Owner()) SetWinControl(nullptr);
}

}  // namespace tw
