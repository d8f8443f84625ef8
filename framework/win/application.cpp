#include "framework/win/application.h"

#include <algorithm>

#include "framework/win/form.h"
#include "framework/win/hint_window.h"
#include "framework/win/messages.h"
#include "framework/win/os_error.h"
#include "framework/win/timer.h"

namespace tw {

namespace {

TApplication& ApplicationInstance() {
  static TApplication application(nullptr);
  return application;
}

TScreen& ScreenInstance() {
  static TScreen screen(nullptr);
  return screen;
}

// The short form of a hint: the text before the first '|'.
std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

}  // namespace

// The screen is made first so that it outlives the application and the forms it frees.
TScreen* Screen = &ScreenInstance();
TApplication* Application = &ApplicationInstance();

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  Destroying();
  hint_timer_.reset();
  hint_window_.reset();
  // Forms go while their windows still exist, so that their OnDestroy handlers see them.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  if (handle_) DestroyWindow(handle_);
}

void TApplication::Initialize() { Handle(); }

HWND TApplication::Handle() {
  if (!handle_) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AppWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.lpszClassName = "TApplication";
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, wc.lpszClassName, &existing) && !RegisterClassA(&wc)) {
      RaiseLastOSError();
    }
    // A zero-sized window with a caption: its task-bar button carries the Title for all forms.
    handle_ = CreateWindowExA(0, wc.lpszClassName, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                              0, 0, nullptr, nullptr, instance, nullptr);
    if (!handle_) RaiseLastOSError();
  }
  return handle_;
}

void TApplication::SetTitle(const std::string& value) {
  title_ = value;
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  try {
    switch (msg) {
      case CM_RELEASE:
        delete reinterpret_cast<TForm*>(lparam);
        return 0;
      case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_MINIMIZE) {
          Application->Minimize();
          return 0;
        }
        if ((wparam & 0xFFF0) == SC_RESTORE) {
          Application->Restore();
          return 0;
        }
        break;
      case WM_CLOSE:
        if (TForm* main = Application->MainForm()) main->Close();
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && !IsIconic(window)) {
          TForm* form = Screen->ActiveForm() ? Screen->ActiveForm() : Application->MainForm();
          if (form && form->HandleAllocated() && IsWindowVisible(form->Handle())) {
            SetActiveWindow(form->Handle());
            return 0;
          }
        }
        break;
      default:
        break;
    }
  } catch (...) {
    Application->HandleException(Application);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

void TApplication::Run() {
  Handle();
  if (main_form_) {
    ShowWindow(handle_, SW_SHOWNOACTIVATE);
    main_form_->Show();
  }
  while (!terminated_) HandleMessage();
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (!IsOleAccelerator(msg) && !IsModelessDialogMessage(msg) && !IsTabNavigation(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::AddModelessDialog(HWND dialog) {
  if (std::find(modeless_dialogs_.begin(), modeless_dialogs_.end(), dialog) == modeless_dialogs_.end())
    modeless_dialogs_.push_back(dialog);
}

void TApplication::RemoveModelessDialog(HWND dialog) { std::erase(modeless_dialogs_, dialog); }

void TApplication::EnableModelessDialogs(bool enable) {
  for (HWND dialog : modeless_dialogs_) EnableWindow(dialog, enable);
}

// An object active in place inside the active form has the first go at its own keyboard
// accelerators, which reach the program's message loop, not the object.
bool TApplication::IsOleAccelerator(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !Screen->ActiveForm()) return false;
  IOleInPlaceActiveObject* object = Screen->ActiveForm()->ActiveOleObject();
  return object && object->TranslateAccelerator(&msg) == S_OK;
}

bool TApplication::IsModelessDialogMessage(MSG& msg) {
  for (HWND dialog : modeless_dialogs_) {
    if (msg.hwnd && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) && IsDialogMessageA(dialog, &msg))
      return true;
  }
  return false;
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) WaitMessage();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

// Tab and Shift+Tab move the focus through the form's controls unless the focused control
// wants the key itself.
bool TApplication::IsTabNavigation(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) < 0) {
    return false;
  }
  TWinControl* control = nullptr;
  for (HWND w = msg.hwnd; w && !control; w = GetParent(w)) control = TWinControl::FindControl(w);
  if (!control) return false;
  TForm* form = control->GetParentForm();
  if (!form || form == control) return false;
  if (control->Perform(CM_WANTSPECIALKEY, 0, VK_TAB) != 0) return false;
  if (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
      (DLGC_WANTTAB | DLGC_WANTALLKEYS)) {
    return false;
  }
  form->SelectNext(control, GetKeyState(VK_SHIFT) >= 0, true);
  return true;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Minimize() {
  if (!handle_ || IsIconic(handle_)) return;
  ShowOwnedPopups(handle_, FALSE);
  ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
  if (!handle_ || !IsIconic(handle_)) return;
  ShowWindow(handle_, SW_RESTORE);
  ShowOwnedPopups(handle_, TRUE);
}

void TApplication::HandleException(TObject* Sender) {
  if (!std::current_exception()) return;
  auto report = [&](const Exception& e) {
    if (OnException) {
      try {
        OnException(Sender, e);
        return;
      } catch (...) {
        // A failing handler must not hide the original failure: fall through to the box.
      }
    }
    ShowException(e);
  };
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(e.what()));
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& E) {
  HWND owner = handle_;
  if (TForm* form = Screen->ActiveForm(); form && form->HandleAllocated()) owner = form->Handle();
  std::string caption = title_.empty() ? std::string("Error") : title_;
  MessageBoxA(owner, E.Message().c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::SetShowHint(bool value) {
  show_hint_ = value;
  if (!value) CancelHint();
}

void TApplication::HintMouseMessage(TControl* control, POINT p) {
  if (!show_hint_ || HasState(csDestroying)) return;
  TControl* target = control->HintControlAt(p);
  GetCursorPos(&hint_point_);
  if (target == hint_control_) return;
  bool was_showing = hint_active_;
  CancelHint();
  hint_control_ = target;
  if (!target || !target->ShowHint() || ShortHint(target->Hint()).empty()) return;
  if (was_showing) {
    ShowHintNow();  // moving between controls while a hint is up shows the next one at once
    return;
  }
  if (!hint_timer_) {
    hint_timer_ = std::make_unique<TTimer>(nullptr);
    hint_timer_->SetEnabled(false);
    hint_timer_->SetOnTimer([this](TObject*) {
      hint_timer_->SetEnabled(false);
      if (hint_active_) {
        hint_window_->ReleaseHint();
        hint_active_ = false;  // stays hidden until the mouse reaches another control
      } else {
        ShowHintNow();
      }
    });
  }
  hint_timer_->SetInterval(static_cast<unsigned>(std::max(1, hint_pause_)));
  hint_timer_->SetEnabled(true);
}

void TApplication::ShowHintNow() {
  if (!hint_control_) return;
  if (!hint_window_) hint_window_ = std::make_unique<THintWindow>(nullptr);
  hint_window_->ActivateHint({hint_point_.x, hint_point_.y + 20}, ShortHint(hint_control_->Hint()));
  hint_active_ = true;
  if (hint_timer_) {
    hint_timer_->SetEnabled(false);
    hint_timer_->SetInterval(static_cast<unsigned>(std::max(1, hint_hide_pause_)));
    hint_timer_->SetEnabled(true);
  }
}

void TApplication::HintMouseLeave(TControl* control) {
  if (hint_control_ && (hint_control_ == control || hint_control_->Parent() == control)) {
    CancelHint();
  }
}

void TApplication::CancelHint() {
  if (hint_timer_) hint_timer_->SetEnabled(false);
  if (hint_window_ && hint_active_) hint_window_->ReleaseHint();
  hint_active_ = false;
  hint_control_ = nullptr;
}

void TApplication::ControlDestroyed(TControl* control) {
  if (hint_control_ == control) CancelHint();
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* form = Screen->Forms(i);
    if (form->ActiveControl() == control) form->FocusChanged(nullptr);
    if (form->ActiveOleControl() == control) form->SetActiveOleControl(nullptr);
  }
}

void TApplication::FormDestroyed(TForm* form) {
  if (main_form_ == form) main_form_ = nullptr;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

void TScreen::SetCursor(TCursor value) {
  cursor_ = value;
  POINT p;
  if (value != crDefault) {
    ::SetCursor(Cursors(value));
  } else if (GetCursorPos(&p)) {
    // Let the window under the mouse choose its own cursor again.
    SetCursorPos(p.x, p.y);
  }
}

HCURSOR TScreen::Cursors(TCursor value) const {
  LPCSTR id;
  switch (value) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: id = IDC_ARROW; break;
  }
  return LoadCursorA(nullptr, id);
}

TWinControl* TScreen::ActiveControl() const {
  return active_form_ ? active_form_->ActiveControl() : nullptr;
}

int TScreen::PixelsPerInch() const {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi;
}

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  std::erase(forms_, form);
  if (active_form_ == form) active_form_ = nullptr;
}

}  // namespace tw
