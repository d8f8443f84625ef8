#include "settings/win/hook_list.h"

#include <algorithm>
#include <memory>

#include "framework/win/application.h"
#include "framework/win/messages.h"
#include "settings/win/control_hook.h"

namespace tw {

namespace {

constexpr const char* kWindowClass = "TwHookListWindow";

std::unique_ptr<THookList>& ListHolder() {
  static std::unique_ptr<THookList> list;
  return list;
}

}  // namespace

THookList* THookList::Instance() { return ListHolder().get(); }

THookList& THookList::Get() {
  std::unique_ptr<THookList>& holder = ListHolder();
  if (!holder) holder.reset(new THookList());
  return *holder;
}

THookList::THookList() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, kWindowClass, &wc)) {
    wc = WNDCLASSA{};
    wc.lpfnWndProc = &ListWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
  }
  window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

THookList::~THookList() {
  while (!items_.empty()) delete items_.back();  // each removes itself from the list
  if (window_) DestroyWindow(window_);
}

TControlHook* THookList::FindControlHook(TWinControl* control) const {
  for (TControlHook* hook : items_)
    if (hook->Control() == control) return hook;
  return nullptr;
}

TControlHook* THookList::GetControlHook(TWinControl* control) {
  if (TControlHook* found = FindControlHook(control)) return found;
  return items_.emplace_back(new TControlHook(control));
}

bool THookList::Contains(const TControlHook* hook) const {
  return std::find(items_.begin(), items_.end(), hook) != items_.end();
}

void THookList::Remove(TControlHook* hook) { std::erase(items_, hook); }

void THookList::HandleMessage(UINT msg, LPARAM lparam) {
  auto* hook = reinterpret_cast<TControlHook*>(lparam);
  if (!Contains(hook)) return;
  if (msg == WM_TW_REHOOK) {
    if (hook->HookCount() > 0) hook->Subclass();
  } else if (hook->HookCount() == 0) {
    delete hook;
  }
}

LRESULT CALLBACK THookList::ListWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TW_REHOOK || msg == WM_TW_RELEASE_HOOK) {
    try {
      if (auto* list = reinterpret_cast<THookList*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
        list->HandleMessage(msg, lparam);
    } catch (...) {
      Application->HandleException(Application);
    }
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

}  // namespace tw
