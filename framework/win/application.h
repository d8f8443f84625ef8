#pragma once
// TApplication: the program's run time. It owns the application window (whose caption, the
// Title, is the task-bar text and which owns every form), creates the main form, runs the message
// loop until the main form closes, shows hints, and is the exception display that every window
// procedure and event dispatch hands its failures to.
// TScreen: the screen cursor, the known forms and the active form.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/exception.h"
#include "framework/win/control.h"

namespace tw {

class TForm;
class THintWindow;
class TTimer;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  std::string ClassName() const override { return "TApplication"; }

  void Initialize();
  // The application window, made on first demand.
  HWND Handle();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value);

  TForm* MainForm() const { return main_form_; }
  // Creates a form owned by the application; the first one becomes the main form.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    if (!main_form_) main_form_ = form;
    return form;
  }
  // Shows the main form and dispatches messages until Terminate.
  void Run();
  // Handles one message, waiting for it when none is queued.
  void HandleMessage();
  // Handles every message already queued.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }
  void Minimize();
  void Restore();

  // The exception display: call from inside a catch block. EAbort is silent; otherwise
  // OnException gets the exception when assigned, else ShowException shows it.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  TExceptionEvent OnException;

  // Hints.
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool value);
  int HintPause() const { return hint_pause_; }
  void SetHintPause(int ms) { hint_pause_ = ms; }
  int HintHidePause() const { return hint_hide_pause_; }
  void SetHintHidePause(int ms) { hint_hide_pause_ = ms; }
  // The mouse moved over CONTROL at client point P.
  void HintMouseMessage(TControl* control, POINT p);
  void HintMouseLeave(TControl* control);
  void CancelHint();
  // The control whose hint is pending or shown, and the hint window (null before the first).
  TControl* HintControl() const { return hint_control_; }
  THintWindow* HintWindow() const { return hint_window_.get(); }

  // Called by every control as it goes, so no stale pointer survives it.
  void ControlDestroyed(TControl* control);
  void FormDestroyed(TForm* form);

  // Modeless dialogs (find, replace) whose keyboard navigation the message loop passes through
  // IsDialogMessage while they are registered.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);
  // Disables (or enables again) every registered modeless dialog, while an embedded object shows
  // a modal window of its own.
  void EnableModelessDialogs(bool enable);

private:
  bool ProcessMessage(MSG& msg);
  bool IsOleAccelerator(MSG& msg);
  bool IsModelessDialogMessage(MSG& msg);
  bool IsTabNavigation(const MSG& msg);
  void ShowHintNow();
  static LRESULT CALLBACK AppWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

  HWND handle_ = nullptr;
  std::string title_;
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool show_hint_ = true;
  int hint_pause_ = 500;
  int hint_hide_pause_ = 2500;
  TControl* hint_control_ = nullptr;
  POINT hint_point_{};
  bool hint_active_ = false;
  std::unique_ptr<THintWindow> hint_window_;
  std::unique_ptr<TTimer> hint_timer_;
  std::vector<HWND> modeless_dialogs_;
};

class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  std::string ClassName() const override { return "TScreen"; }

  TCursor Cursor() const { return cursor_; }
  // Shows VALUE at once everywhere in the program; crDefault gives every control its own again.
  void SetCursor(TCursor value);
  // The system cursor for a cursor value.
  HCURSOR Cursors(TCursor value) const;

  TForm* ActiveForm() const { return active_form_; }
  TWinControl* ActiveControl() const;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int index) const { return forms_.at(index); }
  int PixelsPerInch() const;
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }

  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  void SetActiveForm(TForm* form) { active_form_ = form; }

private:
  TCursor cursor_ = crDefault;
  TForm* active_form_ = nullptr;
  std::vector<TForm*> forms_;
};

extern TApplication* Application;
extern TScreen* Screen;

}  // namespace tw
