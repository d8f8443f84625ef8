#pragma once
// THookList: every TControlHook of the process, and a hidden window that does their deferred
// work: re-subclassing a control whose window was re-created (WM_TW_REHOOK) and freeing a shared
// hook that its last hook has left (WM_TW_RELEASE_HOOK). Both messages carry the TControlHook in
// lParam and are ignored when it is no longer listed, so stale ones are harmless.

#include <windows.h>

#include <vector>

namespace tw {

class TControlHook;
class TWinControl;

class THookList {
public:
  // The process's list, or null before its first use.
  static THookList* Instance();
  // The process's list, created on first use and freed at process end.
  static THookList& Get();

  ~THookList();
  THookList(const THookList&) = delete;
  THookList& operator=(const THookList&) = delete;

  TControlHook* FindControlHook(TWinControl* control) const;
  // Found, or created and added.
  TControlHook* GetControlHook(TWinControl* control);
  bool Contains(const TControlHook* hook) const;
  void Remove(TControlHook* hook);
  int Count() const { return static_cast<int>(items_.size()); }
  // The hidden window that receives the deferred-work messages.
  HWND Handle() const { return window_; }

private:
  THookList();
  static LRESULT CALLBACK ListWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  void HandleMessage(UINT msg, LPARAM lparam);

  std::vector<TControlHook*> items_;
  HWND window_ = nullptr;
};

}  // namespace tw
