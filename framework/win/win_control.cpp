#include "framework/win/win_control.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/application.h"
#include "framework/type_info.h"
#include "framework/win/form.h"
#include "framework/win/handles.h"
#include "framework/win/messages.h"
#include "framework/win/os_error.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TWinControl>("TWinControl", "TControl")
                             .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
                             .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
                             .Done();
}  // namespace


namespace {

constexpr char kObjectProperty[] = "TwControl";

// The object of every bound window, for the lookup each message makes. The window property
// stays with the window, but reading it is a request to the window server (under Wine),
// which cost more than many messages' whole work; the lock covers a window that another
// thread unbinds.
std::mutex g_bound_mutex;
std::unordered_map<HWND, TWinControl*>& BoundControls() {
  static std::unordered_map<HWND, TWinControl*> bound;
  return bound;
}

// The system-class control whose CreateWindowEx call is running: its window sends its parent
// notifications (WM_MEASUREITEM for owner-drawn combos) before the object is bound to it.
TWinControl* g_creating_control = nullptr;

}  // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  brush_.SetColor(color_);
}

TWinControl::~TWinControl() {
  Destroying();
  // Children go first so that their windows and objects never outlive this one.
  while (!controls_.empty()) delete controls_.back();
  DestroyHandle();
}

TWinControl* TWinControl::FindControl(HWND window) {
  if (!window) return nullptr;
  std::lock_guard<std::mutex> lock(g_bound_mutex);
  const auto found = BoundControls().find(window);
  return found == BoundControls().end() ? nullptr : found->second;
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (Parent()) Parent()->HandleNeeded();  // makes this control's window too
    if (!handle_) {
      CreateWnd();
      if (OwnClass()) SendMessageA(handle_, WM_SETFONT, WPARAM(Font().Handle()), FALSE);
      CreateChildWindows();
      Realign();
    }
  }
  return handle_;
}

void TWinControl::CreateChildWindows() {
  for (TControl* c : controls_) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->handle_) w->HandleNeeded();
  }
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = TControl::GetText();
  params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Visible()) params.Style |= WS_VISIBLE;
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tab_stop_) params.Style |= WS_TABSTOP;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  if (Parent()) params.WndParent = Parent()->Handle();
  params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent) {
    throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
  }
  CreateWindowHandle(params);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // Child windows get a distinct id so that notifications naming only an id (WM_MEASUREITEM)
  // find their control.
  static UINT next_id = 0;
  HMENU id = nullptr;
  if (params.Style & WS_CHILD) {
    next_id = next_id % 0x7FFF + 1;
    id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(next_id));
  }
  HWND window;
  if (params.SysClassName.empty()) {
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, params.WinClassName.c_str(), &existing)) {
      WNDCLASSA wc{};
      wc.style = params.WindowClassStyle;
      wc.lpfnWndProc = &StdWndProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.lpszClassName = params.WinClassName.c_str();
      if (!RegisterClassA(&wc)) RaiseLastOSError();
    }
    window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, id, instance, this);
    if (!window) RaiseLastOSError();
  } else {
    TWinControl* outer = std::exchange(g_creating_control, this);
    window = CreateWindowExA(params.ExStyle, params.SysClassName.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, id, instance, nullptr);
    g_creating_control = outer;
    if (!window) RaiseLastOSError();
    Bind(window);
    default_proc_ = subclass_.Install(window, &StdWndProc);
  }
  // The window may have adjusted the requested bounds (a toolbar its height, a form the
  // system's default position).
  TMessage m{WM_WINDOWPOSCHANGED, 0, 0, 0};
  WMWindowPosChanged(m);
}

void TWinControl::Bind(HWND window) {
  handle_ = window;
  default_proc_ = &DefWindowProcA;
  SetPropA(window, kObjectProperty, this);
  std::lock_guard<std::mutex> lock(g_bound_mutex);
  BoundControls()[window] = this;
}

void TWinControl::Unbind() {
  if (!handle_) return;
  RemovePropA(handle_, kObjectProperty);
  {
    std::lock_guard<std::mutex> lock(g_bound_mutex);
    if (auto found = BoundControls().find(handle_);
        found != BoundControls().end() && found->second == this)
      BoundControls().erase(found);
  }
  subclass_.Release();
  handle_ = nullptr;
  default_proc_ = nullptr;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = FindControl(window);
  if (!control && msg == WM_NCCREATE) {
    control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    if (control) control->Bind(window);
  }
  if (!control) return DefWindowProcA(window, msg, wparam, lparam);
  TMessage m{msg, wparam, lparam, 0};
  try {
    control->WndProc(m);
  } catch (...) {
    Application->HandleException(control);
  }
  if (msg == WM_NCDESTROY) control->Unbind();
  return m.Result;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  DestroyWnd();
  // A window that refused to go (another thread's) must not keep pointing at this object.
  Unbind();
}

void TWinControl::DestroyWnd() {
  SaveText();
  DestroyWindow(handle_);
}

void TWinControl::SaveText() {
  if (handle_) StoreText(GetText());
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  recreating_ = true;
  bool had_focus = Focused();
  DestroyHandle();
  HandleNeeded();
  recreating_ = false;
  if (had_focus && CanFocus()) SetFocus();
}

std::string TWinControl::GetText() const {
  if (!handle_) return TControl::GetText();
  int length = GetWindowTextLengthA(handle_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(GetWindowTextA(handle_, text.data(), length + 1));
  return text;
}

void TWinControl::TextChanged() {
  if (handle_) SetWindowTextA(handle_, TControl::GetText().c_str());
  Perform(CM_TEXTCHANGED);
}

void TWinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
  TControl::VisibleChanged();
}

void TWinControl::EnabledChanged() {
  if (handle_) EnableWindow(handle_, Enabled());
}

bool TWinControl::Showing() const {
  if (Parent()) return TControl::Showing();
  return handle_ && IsWindowVisible(handle_);
}

RECT TWinControl::ClientRect() const {
  if (!handle_) return TControl::ClientRect();
  RECT r;
  GetClientRect(handle_, &r);
  return r;
}

POINT TWinControl::ClientToScreen(POINT p) const {
  if (!handle_) return TControl::ClientToScreen(p);
  ::ClientToScreen(handle_, &p);
  return p;
}

POINT TWinControl::ScreenToClient(POINT p) const {
  if (!handle_) return TControl::ScreenToClient(p);
  ::ScreenToClient(handle_, &p);
  return p;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!handle_) {
    TControl::SetBounds(left, top, width, height);
    return;
  }
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

bool TWinControl::ReflectToChild(HWND child, TMessage& message) {
  TWinControl* control = FindControl(child);
  if (!control && g_creating_control && !g_creating_control->handle_) control = g_creating_control;
  if (!control) return false;
  message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  return true;
}

}  // namespace tw
