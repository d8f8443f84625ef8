#include "settings/win/control_hook.h"

#include <algorithm>

#include "framework/win/application.h"
#include "framework/win/messages.h"
#include "framework/win/win_control.h"
#include "settings/win/hook_list.h"
#include "settings/win/window_hook.h"

namespace tw {

namespace {

// The window's active TControlHook, or none while this procedure only passes messages on.
constexpr const char* kHookProp = "TwControlHook";
// The procedure this one replaced on the window. It outlives the TControlHook so that a party
// that subclassed the window after us keeps a working chain through our procedure.
constexpr const char* kNextProp = "TwControlHookNext";

void RemoveHookProps(HWND window) {
  RemovePropA(window, kHookProp);
  RemovePropA(window, kNextProp);
}

}  // namespace

TControlHook::TControlHook(TWinControl* control) : control_(control) {}

TControlHook::~TControlHook() {
  destroying_ = true;
  if (THookList* list = THookList::Instance()) list->Remove(this);
  while (!hooks_.empty()) RemoveHook(hooks_.back());
  Unsubclass();
  control_ = nullptr;
}

void TControlHook::AddHook(TTwWindowHook* hook) {
  if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) {
    hooks_.push_back(hook);
    hook->control_hook_ = this;
    SetControl(hook->control_);
  }
  Subclass();
}

void TControlHook::RemoveHook(TTwWindowHook* hook) {
  if (hook->control_hook_ == this) hook->control_hook_ = nullptr;
  std::erase(hooks_, hook);
  if (hooks_.empty()) Unsubclass();
}

void TControlHook::SetControl(TWinControl* control) {
  if (control == control_) return;
  Unsubclass();
  control_ = control;
  if (!hooks_.empty()) Subclass();
}

void TControlHook::Subclass() {
  if (!control_ || destroying_ || control_->HasState(csDesigning) || control_->HasState(csDestroying)) return;
  HWND window = control_->Handle();
  if (window_ == window && GetPropA(window, kHookProp) == this) return;
  if (auto next = reinterpret_cast<WNDPROC>(GetPropA(window, kNextProp))) {
    // Our procedure is still in the window's chain below another party's: take it up again
    // rather than installing a second copy that would end up calling itself.
    previous_ = next;
  } else {
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWndProc)));
    SetPropA(window, kNextProp, reinterpret_cast<HANDLE>(previous_));
  }
  SetPropA(window, kHookProp, this);
  window_ = window;
}

void TControlHook::Unsubclass() {
  if (window_ && previous_ && IsWindow(window_) && GetPropA(window_, kHookProp) == this) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)) == &HookWndProc) {
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
      RemoveHookProps(window_);
    } else {
      RemovePropA(window_, kHookProp);
    }
  }
  previous_ = nullptr;
  window_ = nullptr;
}

LRESULT CALLBACK TControlHook::HookWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (auto* self = static_cast<TControlHook*>(GetPropA(window, kHookProp)))
    return self->WndProc(window, msg, wparam, lparam);
  auto next = reinterpret_cast<WNDPROC>(GetPropA(window, kNextProp));
  const LRESULT result =
      next ? CallWindowProcA(next, window, msg, wparam, lparam) : DefWindowProcA(window, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) RemoveHookProps(window);
  return result;
}

LRESULT TControlHook::WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  const WNDPROC previous = previous_ ? previous_ : reinterpret_cast<WNDPROC>(GetPropA(window, kNextProp));
  auto call_previous = [&] {
    return previous ? CallWindowProcA(previous, window, message.Msg, message.WParam, message.LParam)
                    : DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
  };
  if (!control_) return call_previous();
  bool handled = false;
  if (msg != WM_QUIT) Notify(true, message, handled);
  if (!handled || msg == WM_DESTROY) {
    message.Result = call_previous();
    // A WM_DESTROY kept from the other hooks still reached the control: every hook sees it after.
    handled = false;
    Notify(false, message, handled);
  }
  if (msg == WM_DESTROY) {
    Unsubclass();
    // Hooks survive a re-created window: subclass the new one once it exists.
    if (THookList* list = THookList::Instance();
        list && !destroying_ && control_ && !control_->HasState(csDestroying))
      PostMessageA(list->Handle(), WM_TW_REHOOK, 0, reinterpret_cast<LPARAM>(this));
  }
  return message.Result;
}

void TControlHook::Notify(bool before, TMessage& message, bool& handled) {
  if (hooks_.empty() || !control_ || destroying_ || control_->HasState(csDestroying)) return;
  // A handler may attach or detach hooks; walk a copy and skip those that left meanwhile.
  const std::vector<TTwWindowHook*> hooks = hooks_;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
    TTwWindowHook* hook = *it;
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) continue;
    const THookMessageEvent& handler = before ? hook->BeforeMessage : hook->AfterMessage;
    if (!handler) continue;
    try {
      handler(hook, message, handled);
    } catch (...) {
      Application->HandleException(hook);
    }
    if (handled) break;
  }
}

}  // namespace tw
