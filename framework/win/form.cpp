#include "framework/win/form.h"

#include "framework/win/application.h"
#include "framework/win/canvas.h"
#include "framework/type_info.h"
#include "framework/win/main_menu.h"
#include "framework/win/messages.h"
#include "framework/win/ole_in_place_frame.h"

namespace tw {

namespace {
const bool kRegistered =
    TTypeRegistry::Class<TForm>("TForm", "TWinControl")
        .Enumeration("WindowState",
                     EnumerationType("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}),
                     &TForm::WindowState, &TForm::SetWindowState, 0)
        .Done();
}  // namespace


TForm::TForm(TComponent* AOwner) : TWinControl(AOwner), pixels_per_inch_(ScreenPixelsPerInch()) {
  SetVisible(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  Screen->AddForm(this);
}

TForm::~TForm() {
  Destroying();
  if (ole_frame_) ole_frame_->Detach();
  // The window would destroy the menu bar it shows, which its menu (or an object) owns.
  if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
  if (menu_) menu_->RemoveFreeNotification(this);
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  Screen->RemoveForm(this);
  Application->FormDestroyed(this);
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.ExStyle = 0;
  switch (border_style_) {
    case bsNone:
      params.Style |= WS_POPUP;
      break;
    case bsSingle:
      params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      params.Style |= WS_CAPTION | WS_BORDER;
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (border_style_ != bsNone && (border_icons_ & biSystemMenu)) {
    params.Style |= WS_SYSMENU;
    if (border_style_ != bsDialog && border_style_ != bsToolWindow &&
        border_style_ != bsSizeToolWin) {
      if (border_icons_ & biMinimize) params.Style |= WS_MINIMIZEBOX;
      if (border_icons_ & biMaximize) params.Style |= WS_MAXIMIZEBOX;
    }
  }
  switch (position_) {
    case poDefault:
      params.X = params.Y = params.Width = params.Height = CW_USEDEFAULT;
      break;
    case poDefaultPosOnly:
      params.X = params.Y = CW_USEDEFAULT;
      break;
    case poDefaultSizeOnly:
      params.Width = params.Height = CW_USEDEFAULT;
      break;
    case poScreenCenter:
      params.X = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
      params.Y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
      break;
    case poDesigned:
      break;
  }
  // Every form is owned by the application window, which alone has a task-bar button.
  params.WndParent = Application->Handle();
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (menu_) ShowMenuBar(menu_->Handle());
}

void TForm::DestroyWnd() {
  if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
  TWinControl::DestroyWnd();
}

void TForm::SetMenu(TMainMenu* value) {
  if (value == menu_) return;
  if (menu_) menu_->RemoveFreeNotification(this);
  menu_ = value;
  if (menu_) menu_->FreeNotification(this);
  if (HandleAllocated()) ShowMenuBar(menu_ ? menu_->Handle() : nullptr);
}

void TForm::ShowMenuBar(HMENU menu) {
  ::SetMenu(Handle(), menu);
  DrawMenuBar(Handle());
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == menu_) {
    if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
    menu_ = nullptr;
  }
}

TOleInPlaceFrame* TForm::OleInPlaceFrame() {
  if (!ole_frame_) ole_frame_ = ComPtr<TOleInPlaceFrame>(new TOleInPlaceFrame(*this));
  return ole_frame_.Get();
}

IOleInPlaceActiveObject* TForm::ActiveOleObject() const {
  return ole_frame_ ? ole_frame_->ActiveObject() : nullptr;
}

void TForm::SetActiveOleControl(TWinControl* control) {
  if (control == active_ole_control_) return;
  TWinControl* previous = active_ole_control_;
  active_ole_control_ = control;
  if (previous && control) previous->Perform(CM_UIDEACTIVATE);
}

void TForm::SetOleBorderSpace(const BORDERWIDTHS& widths) {
  ole_border_ = widths;
  Realign();
}

void TForm::AdjustClientRect(RECT& rect) {
  TWinControl::AdjustClientRect(rect);
  rect.left += ole_border_.left;
  rect.top += ole_border_.top;
  rect.right -= ole_border_.right;
  rect.bottom -= ole_border_.bottom;
}

TWindowState TForm::WindowState() const {
  if (HandleAllocated()) {
    HWND window = const_cast<TForm*>(this)->Handle();
    if (IsWindowVisible(window)) {
      if (IsZoomed(window)) return wsMaximized;
      if (IsIconic(window)) return wsMinimized;
      return wsNormal;
    }
  }
  return window_state_;
}

void TForm::SetWindowState(TWindowState value) {
  window_state_ = value;
  if (HandleAllocated() && IsWindowVisible(Handle())) ApplyWindowState();
}

void TForm::ApplyWindowState() {
  switch (window_state_) {
    case wsMaximized: ShowWindow(Handle(), SW_SHOWMAXIMIZED); break;
    case wsMinimized: ShowWindow(Handle(), SW_SHOWMINIMIZED); break;
    case wsNormal: ShowWindow(Handle(), IsWindowVisible(Handle()) ? SW_RESTORE : SW_SHOWNORMAL); break;
  }
}

void TForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons value) {
  if (value == border_icons_) return;
  border_icons_ = value;
  RecreateWnd();
}

void TForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) SetForegroundWindow(Handle());
}

void TForm::VisibleChanged() {
  if (Visible()) {
    HWND window = Handle();
    DoShow();
    if (!Visible()) return;  // an OnShow handler hid the form again
    ApplyWindowState();
    if (active_control_ && active_control_->CanFocus()) {
      ::SetFocus(active_control_->Handle());
    } else if (!active_control_) {
      if (TWinControl* first = FindNextControl(nullptr, true, true)) ::SetFocus(first->Handle());
    }
    UpdateWindow(window);
  } else if (HandleAllocated()) {
    DoHide();
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

bool TForm::CloseQuery() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  return can_close;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  bool main = Application->MainForm() == this;
  TCloseAction action = main ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (main) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    case caNone: break;
  }
}

void TForm::Release() {
  PostMessageA(Application->Handle(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control && control->GetParentForm() != this) {
    throw EInvalidOperation("Cannot focus a control of another form");
  }
  if (control && HandleAllocated() && IsWindowVisible(Handle()) && control->CanFocus()) {
    ::SetFocus(control->Handle());  // WM_SETFOCUS reaches FocusChanged
  }
  if (control != active_control_) FocusChanged(control);
}

void TForm::FocusChanged(TWinControl* control) {
  if (control == active_control_) return;
  TWinControl* previous = active_control_;
  active_control_ = control;
  if (previous && !previous->IsDestroying()) previous->DoExit();
  if (control && active_control_ == control) control->DoEnter();
}

void TForm::SelectNext(TWinControl* current, bool forward, bool check_tab_stop) {
  if (TWinControl* next = FindNextControl(current, forward, check_tab_stop)) next->SetFocus();
}

int TForm::Scaled(int units) const { return ScaledToDpi(units, pixels_per_inch_); }

void TForm::WMDpiChanged(int pixels_per_inch, const RECT& suggested) {
  const int old = pixels_per_inch_;
  pixels_per_inch_ = pixels_per_inch;
  if (old != pixels_per_inch) DpiChanged(old);
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_DPICHANGED:
      // The rectangle is the system's, valid for the call only; both axes share one density.
      if (message.LParam && LOWORD(message.WParam) > 0)
        WMDpiChanged(LOWORD(message.WParam), *reinterpret_cast<const RECT*>(message.LParam));
      message.Result = 0;
      return;
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      DefaultHandler(message);
      active_ = LOWORD(message.WParam) != WA_INACTIVE;
      if (IOleInPlaceActiveObject* object = ActiveOleObject()) object->OnFrameWindowActivate(active_);
      if (active_) {
        Screen->SetActiveForm(this);
        if (active_control_ && active_control_->CanFocus()) ::SetFocus(active_control_->Handle());
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      return;
    case WM_SIZE:
      TWinControl::Dispatch(message);
      if (IOleInPlaceActiveObject* object = ActiveOleObject()) {
        RECT client{};
        GetClientRect(Handle(), &client);
        object->ResizeBorder(&client, ole_frame_.Get(), TRUE);
      }
      return;
    case WM_COMMAND:
      // Menu bar commands (0) and their accelerators (1) carry no control window.
      if (message.LParam == 0 && HIWORD(message.WParam) <= 1 && menu_ &&
          menu_->DispatchCommand(LOWORD(message.WParam))) {
        return;
      }
      break;
    case WM_SYSCOMMAND:
      if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
        Application->Minimize();
        return;
      }
      break;
    case WM_SETFOCUS:
      if (active_control_ && active_control_->CanFocus() && active_control_ != this) {
        ::SetFocus(active_control_->Handle());
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::Dispatch(message);
}

}  // namespace tw
