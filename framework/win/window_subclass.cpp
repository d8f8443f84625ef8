#include "framework/win/window_subclass.h"

namespace tw {

WNDPROC WindowSubclass::Install(HWND window, WNDPROC proc) noexcept {
  Release();
  window_ = window;
  installed_ = proc;
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
  return original_;
}

void WindowSubclass::Release() noexcept {
  if (window_ && IsWindow(window_) &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)) == installed_) {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  }
  window_ = nullptr;
  installed_ = nullptr;
  original_ = nullptr;
}

}  // namespace tw
