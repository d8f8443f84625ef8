#pragma once
// TControlHook: the one replacement window procedure of a hooked control, shared by every
// TTwWindowHook attached to it. It walks the hooks before and after the control's own
// procedure, re-attaches itself when the control's window is re-created, and never takes its
// procedure out from under another party that subclassed the window after it.

#include <windows.h>

#include <vector>

#include "framework/win/control.h"

namespace tw {

class TTwWindowHook;
class TWinControl;

class TControlHook {
public:
  explicit TControlHook(TWinControl* control);
  ~TControlHook();
  TControlHook(const TControlHook&) = delete;
  TControlHook& operator=(const TControlHook&) = delete;

  TWinControl* Control() const { return control_; }
  int HookCount() const { return static_cast<int>(hooks_.size()); }
  TTwWindowHook* Hooks(int index) const { return hooks_.at(static_cast<std::size_t>(index)); }
  bool Destroying() const { return destroying_; }
  // The window this object's procedure is installed on, or null.
  HWND Window() const { return window_; }

  // Appends HOOK (once) and points it here; subclasses the control in every case.
  void AddHook(TTwWindowHook* hook);
  // Takes HOOK out; the last one to leave unsubclasses the control.
  void RemoveHook(TTwWindowHook* hook);
  void SetControl(TWinControl* control);
  // Installs the procedure on the control's window (created if needed).
  void Subclass();
  // Puts the previous procedure back if this one is still the window's own; if another party
  // subclassed the window since, its procedure stays and this one passes messages through.
  void Unsubclass();

private:
  static LRESULT CALLBACK HookWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  // Walks the hooks from the last attached to the first until one leaves HANDLED set.
  void Notify(bool before, TMessage& message, bool& handled);

  TWinControl* control_ = nullptr;
  HWND window_ = nullptr;
  WNDPROC previous_ = nullptr;
  std::vector<TTwWindowHook*> hooks_;
  bool destroying_ = false;
};

}  // namespace tw
