#pragma once
// TTimer: raises OnTimer every Interval milliseconds through the message loop while Enabled.
// The timer runs only while it is enabled, has a non-zero interval and an OnTimer handler.

#include <windows.h>

#include "framework/component.h"
#include "framework/events.h"

namespace tw {

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  std::string ClassName() const override { return "TTimer"; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned value);
  const TNotifyEvent& OnTimer() const { return on_timer_; }
  void SetOnTimer(TNotifyEvent value);
  // Whether the system timer is running now.
  bool Running() const { return id_ != 0; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  static HWND TimerWindow();
  static LRESULT CALLBACK TimerWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

  bool enabled_ = true;
  unsigned interval_ = 1000;
  TNotifyEvent on_timer_;
  UINT_PTR id_ = 0;
};

}  // namespace tw
