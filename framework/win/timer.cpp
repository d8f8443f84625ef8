#include "framework/win/timer.h"

#include <map>
#include "framework/type_info.h"

#include "framework/win/application.h"
#include "framework/win/os_error.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TTimer>("TTimer", "TComponent")
                             .Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
                             .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
                             .Done();
}  // namespace


namespace {

// All timers share one hidden message-only window; its WM_TIMER ids name the timers.
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}

}  // namespace

LRESULT CALLBACK TTimer::TimerWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_TIMER) return DefWindowProcA(window, msg, wparam, lparam);
  auto it = Timers().find(wparam);
  if (it != Timers().end()) {
    TTimer* timer = it->second;
    try {
      timer->Timer();
    } catch (...) {
      Application->HandleException(timer);
    }
  }
  return 0;
}

HWND TTimer::TimerWindow() {
  static HWND window = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &TimerWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwTimerWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "TwTimerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    if (!w) RaiseLastOSError();
    return w;
  }();
  return window;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  on_timer_ = std::move(value);
  UpdateTimer();
}

void TTimer::Timer() {
  if (on_timer_) on_timer_(this);
}

void TTimer::UpdateTimer() {
  HWND window = TimerWindow();
  if (id_) {
    KillTimer(window, id_);
    Timers().erase(id_);
    id_ = 0;
  }
  if (!enabled_ || interval_ == 0 || !on_timer_) return;
  static UINT_PTR next_id = 0;
  do {
    next_id = next_id % 0x7FFFFFFF + 1;
  } while (Timers().count(next_id));
  if (!SetTimer(window, next_id, interval_, nullptr)) RaiseLastOSError();
  id_ = next_id;
  Timers()[id_] = this;
}

}  // namespace tw
