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

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

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

void TWinControl::InsertControl(TControl* control) {
  control->parent_ = this;
  controls_.push_back(control);
  if (auto* w = dynamic_cast<TWinControl*>(control)) tab_list_.push_back(w);
  control->ParentColorChanged();
  control->ParentFontChanged();
  if (control->parent_show_hint_) control->show_hint_ = ShowHint();
  if (handle_) {
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->HandleNeeded();
  }
  if (control->Align() != alNone) Realign();
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  if (control->parent_ != this) return;
  control->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    w->DestroyHandle();
    std::erase(tab_list_, w);
  }
  std::erase(controls_, control);
  if (mouse_capture_child_ == control) mouse_capture_child_ = nullptr;
  control->parent_ = nullptr;
  if (control->Align() != alNone && !IsDestroying()) Realign();
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::NotifyChildren(UINT msg) {
  for (TControl* c : controls_) c->Perform(msg);
}

void TWinControl::SetTabStop(bool value) {
  if (value == tab_stop_) return;
  tab_stop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    style = value ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!Parent()) return;
  auto& list = Parent()->tab_list_;
  std::erase(list, this);
  value = std::clamp(value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TForm* form = GetParentForm(); form && form != this) {
    form->SetActiveControl(this);
  } else {
    ::SetFocus(Handle());
  }
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& out) {
  for (TWinControl* w : tab_list_) {
    out.push_back(w);
    w->CollectTabOrder(out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward,
                                          bool check_tab_stop) {
  std::vector<TWinControl*> order;
  CollectTabOrder(order);
  if (order.empty()) return nullptr;
  int count = static_cast<int>(order.size());
  auto it = std::find(order.begin(), order.end(), current);
  int start = it == order.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - order.begin());
  for (int step = 1; step <= count; ++step) {
    int i = ((start + (forward ? step : -step)) % count + count) % count;
    TWinControl* w = order[i];
    if (w->CanFocus() && (!check_tab_stop || w->TabStop())) return w;
  }
  return nullptr;
}

void TWinControl::WndProc(TMessage& message) {
  UINT msg = message.Msg;
  if (IsMouseMessage(msg) && OwnClass()) {
    POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TControl* child = mouse_capture_child_ ? mouse_capture_child_ : ControlAtPos(p);
    if (child) {
      ForwardMouseToChild(message);
      return;
    }
  }
  if (msg == WM_MOUSEMOVE && handle_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
    TrackMouseEvent(&track);
  } else if (msg == WM_MOUSELEAVE) {
    Application->HintMouseLeave(this);
  }
  TControl::WndProc(message);
}

void TWinControl::ForwardMouseToChild(TMessage& message) {
  POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TControl* child = mouse_capture_child_ ? mouse_capture_child_ : ControlAtPos(p);
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      mouse_capture_child_ = child;
      SetCapture(handle_);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      mouse_capture_child_ = nullptr;
      ReleaseCapture();
      break;
    default:
      break;
  }
  TMessage forwarded = message;
  forwarded.LParam = MAKELPARAM(p.x - child->Left(), p.y - child->Top());
  child->WndProc(forwarded);
  message.Result = forwarded.Result;
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (OwnClass()) return WMPaint(message);
      break;
    case WM_ERASEBKGND:
      return WMEraseBkgnd(message);
    case WM_WINDOWPOSCHANGED:
      return WMWindowPosChanged(message);
    case WM_SIZE:
      DefaultHandler(message);
      Realign();
      return;
    case WM_COMMAND:
      return WMCommand(message);
    case WM_NOTIFY:
      return WMNotify(message);
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (item->CtlType != ODT_MENU && ReflectToChild(item->hwndItem, message)) return;
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (item->CtlType != ODT_MENU && handle_ &&
          ReflectToChild(GetDlgItem(handle_, static_cast<int>(item->CtlID)), message)) {
        return;
      }
      break;
    }
    case WM_DELETEITEM:
      if (ReflectToChild(reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam)->hwndItem, message))
        return;
      break;
    case WM_COMPAREITEM:
      if (ReflectToChild(reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam)->hwndItem, message))
        return;
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      ::SetTextColor(dc, ColorToRGB(Font().Color()));
      ::SetBkColor(dc, ColorToRGB(Color()));
      message.Result = reinterpret_cast<LRESULT>(brush_.Handle());
      return;
    }
    case CN_COMMAND:
      return CNCommand(message);
    case CN_NOTIFY:
      return CNNotify(message);
    case CN_DRAWITEM:
      return CNDrawItem(message);
    case CN_MEASUREITEM:
      return CNMeasureItem(message);
    case WM_CONTEXTMENU:
      return WMContextMenu(message);
    case WM_SETFOCUS:
      return WMSetFocus(message);
    case WM_KILLFOCUS:
      return WMKillFocus(message);
    case WM_SETCURSOR:
      return WMSetCursor(message);
    case WM_DESTROY:
      SaveText();
      break;
    case WM_SETTEXT:
      DefaultHandler(message);
      StoreText(GetText());
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(message.WParam);
      if (DoKeyDown(key, KeyboardShiftState())) return;
      message.WParam = key;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(message.WParam);
      if (OnKeyUp) OnKeyUp(this, key, KeyboardShiftState());
      if (key == 0) return;
      message.WParam = key;
      break;
    }
    case WM_CHAR: {
      char key = static_cast<char>(message.WParam);
      if (DoKeyPress(key)) return;
      message.WParam = static_cast<unsigned char>(key);
      break;
    }
    case CM_COLORCHANGED:
      brush_.SetColor(Color());
      NotifyChildren(CM_PARENTCOLORCHANGED);
      return;
    case CM_FONTCHANGED:
      if (handle_) SendMessageA(handle_, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
      NotifyChildren(CM_PARENTFONTCHANGED);
      return;
    case CM_SHOWHINTCHANGED:
      NotifyChildren(CM_PARENTSHOWHINTCHANGED);
      return;
    default:
      break;
  }
  TControl::Dispatch(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_ || !default_proc_) return;
  // The framework's own messages mean nothing to the window's original procedure.
  if (message.Msg >= CM_BASE && message.Msg < CN_BASE + 0x400) return;
  message.Result =
      CallWindowProcA(default_proc_, handle_, message.Msg, message.WParam, message.LParam);
}

bool TWinControl::ReflectToChild(HWND child, TMessage& message) {
  TWinControl* control = FindControl(child);
  if (!control && g_creating_control && !g_creating_control->handle_) control = g_creating_control;
  if (!control) return false;
  message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  return true;
}

void TWinControl::WMPaint(TMessage& message) {
  if (HDC given = reinterpret_cast<HDC>(message.WParam)) {
    PaintWindow(given);
    PaintWindowlessChildren(given);
    return;
  }
  ScopedPaint paint(handle_);
  PaintWindow(paint.Get());
  PaintWindowlessChildren(paint.Get());
}

void TWinControl::PaintWindowlessChildren(HDC dc) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    ScopedSaveDC saved(dc);
    IntersectClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    SetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    c->PaintControl(dc);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  if (!OwnClass()) return DefaultHandler(message);
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(reinterpret_cast<HDC>(message.WParam), &r, brush_.Handle());
  message.Result = 1;
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  if (message.LParam) DefaultHandler(message);
  RECT r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  UpdateBoundsRect(r);
}

void TWinControl::Realign() {
  if (align_disabled_ > 0 || aligning_) return;
  aligning_ = true;
  try {
    RECT r = ClientRect();
    AlignControls(r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::EnableAlign() {
  if (align_disabled_ > 0 && --align_disabled_ == 0) Realign();
}

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::AlignControls(RECT& rect) {
  AdjustClientRect(rect);
  // Within one kind of alignment, controls keep the order of their positions (the earlier the
  // closer to the edge), and the order of insertion among equals.
  auto key = [](TControl* c) {
    switch (c->Align()) {
      case alTop: return c->Top();
      case alBottom: return -(c->Top() + c->Height());
      case alLeft: return c->Left();
      case alRight: return -(c->Left() + c->Width());
      default: return 0;
    }
  };
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->Align() == kind && c->Visible()) list.push_back(c);
    }
    std::stable_sort(list.begin(), list.end(),
                     [&](TControl* a, TControl* b) { return key(a) < key(b); });
    for (TControl* c : list) {
      int w = std::max(0L, rect.right - rect.left);
      int h = std::max(0L, rect.bottom - rect.top);
      switch (kind) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->Height());
          rect.top += c->Height();
          break;
        case alBottom:
          c->SetBounds(rect.left, rect.bottom - c->Height(), w, c->Height());
          rect.bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->Width(), h);
          rect.left += c->Width();
          break;
        case alRight:
          c->SetBounds(rect.right - c->Width(), rect.top, c->Width(), h);
          rect.right -= c->Width();
          break;
        default:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
      }
    }
  }
}

void TWinControl::WMCommand(TMessage& message) {
  if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
  DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  if (header && header->hwndFrom != handle_ && ReflectToChild(header->hwndFrom, message)) return;
  DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message) {
  POINT p;
  if (message.LParam == -1) {
    p = {0, 0};
  } else {
    p = ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
  }
  if (DoContextPopup(p)) return;
  DefaultHandler(message);
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  if (TForm* form = GetParentForm(); form && form != this) form->FocusChanged(this);
}

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::WMSetCursor(TMessage& message) {
  TCursor cursor = Screen->Cursor();
  if (cursor == crDefault && LOWORD(message.LParam) == HTCLIENT &&
      reinterpret_cast<HWND>(message.WParam) == handle_) {
    POINT p;
    GetCursorPos(&p);
    TControl* child = OwnClass() ? ControlAtPos(ScreenToClient(p)) : nullptr;
    cursor = child ? child->Cursor() : Cursor();
  }
  if (cursor != crDefault) {
    ::SetCursor(Screen->Cursors(cursor));
    message.Result = TRUE;
    return;
  }
  DefaultHandler(message);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

}  // namespace tw
