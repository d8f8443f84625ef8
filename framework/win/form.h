#pragma once
// TForm: a top-level window holding controls. It is owned by the application window, opens in
// its WindowState, tracks its active control, and asks before closing: OnCloseQuery may refuse,
// OnClose chooses what closing does. Closing the main form ends the application. Its Menu is its
// menu bar; embedded objects of its controls become active in place inside its in-place frame.

#include <ole2.h>

#include <functional>
#include <string>

#include "framework/win/com_ptr.h"
#include "framework/win/win_control.h"

namespace tw {

class TMainMenu;
class TOleInPlaceFrame;

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
using enum TWindowState;
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using enum TFormBorderStyle;
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
using enum TPosition;
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;
// Bit i is the i-th icon: biSystemMenu, biMinimize, biMaximize.
using TBorderIcons = unsigned;
inline constexpr TBorderIcons biSystemMenu = 1;
inline constexpr TBorderIcons biMinimize = 2;
inline constexpr TBorderIcons biMaximize = 4;

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  std::string ClassName() const override { return "TForm"; }

  TWindowState WindowState() const;
  void SetWindowState(TWindowState value);
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }

  // The pixels per inch the form is laid out for: the screen's at first, then those of the
  // screen the window moves to (WM_DPICHANGED).
  int PixelsPerInch() const { return pixels_per_inch_; }
  // UNITS given at 96 pixels per inch, in pixels at the form's PixelsPerInch: every size a form
  // sets itself goes through here.
  int Scaled(int units) const;

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* value);

  // The in-place frame that embedded objects of the form's controls are handed: made on first
  // demand, the same object for the form's life.
  TOleInPlaceFrame* OleInPlaceFrame();
  // The object active in place inside the form (through its frame), or null.
  IOleInPlaceActiveObject* ActiveOleObject() const;
  // The control whose embedded object is active in place, or null.
  TWinControl* ActiveOleControl() const { return active_ole_control_; }
  // Another control taking the role tells the previous one to deactivate its object
  // (CM_UIDEACTIVATE); null only clears the role.
  void SetActiveOleControl(TWinControl* control);

  TWinControl* ActiveControl() const { return active_control_; }
  // Focuses CONTROL (when the form is showing) and makes it the active control.
  void SetActiveControl(TWinControl* control);
  // Moves the focus to the next (or previous) control in tab order.
  void SelectNext(TWinControl* current, bool forward, bool check_tab_stop);

  void Show();
  void Hide() { SetVisible(false); }
  // Asks OnCloseQuery, then OnClose, and acts on the chosen action.
  void Close();
  bool CloseQuery();
  // Frees the form once the current message has been handled.
  void Release();
  bool Active() const { return active_; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;

  // A control of this form received the focus.
  void FocusChanged(TWinControl* control);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void AdjustClientRect(RECT& rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void VisibleChanged() override;
  void Dispatch(TMessage& message) override;
  virtual void DoShow();
  virtual void DoHide();
  // The form now has PixelsPerInch instead of OLD_PIXELS_PER_INCH: a form with sizes of its
  // own lays itself out again here. The window takes the rectangle the system suggests after.
  virtual void DpiChanged(int /*old_pixels_per_inch*/) {}

private:
  friend class TOleInPlaceFrame;
  void ApplyWindowState();
  // Puts MENU on the window as its menu bar (null: none).
  void ShowMenuBar(HMENU menu);
  // The space along the client area's edges that an active object's tools take.
  void SetOleBorderSpace(const BORDERWIDTHS& widths);
  // WM_DPICHANGED: the new pixels per inch and the window's rectangle at them.
  void WMDpiChanged(int pixels_per_inch, const RECT& suggested);

  TWindowState window_state_ = wsNormal;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWinControl* active_control_ = nullptr;
  TMainMenu* menu_ = nullptr;
  ComPtr<TOleInPlaceFrame> ole_frame_;
  TWinControl* active_ole_control_ = nullptr;
  BORDERWIDTHS ole_border_{};
  bool active_ = false;
  bool shown_once_ = false;
  int pixels_per_inch_;
};

}  // namespace tw
