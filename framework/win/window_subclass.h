#pragma once
// Owner of one window subclassing: installs a window procedure on a window and, when released,
// puts the original back, but only while the window still runs the procedure installed here:
// if another party subclassed the window since, its chain is left intact.

#include <windows.h>

namespace tw {

class WindowSubclass {
public:
  WindowSubclass() noexcept = default;
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;
  ~WindowSubclass() { Release(); }

  // Installs PROC on WINDOW and returns the procedure it replaced.
  WNDPROC Install(HWND window, WNDPROC proc) noexcept;
  // Restores the original procedure (see above) and forgets the window.
  void Release() noexcept;

  HWND Window() const noexcept { return window_; }
  WNDPROC Original() const noexcept { return original_; }

private:
  HWND window_ = nullptr;
  WNDPROC installed_ = nullptr;
  WNDPROC original_ = nullptr;
};

}  // namespace tw
