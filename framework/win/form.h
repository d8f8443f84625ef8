#pragma once
// TForm: a top-level window holding controls. It is owned by the application window, opens in
// its WindowState, tracks its active control, and asks before closing: OnCloseQuery may refuse,
// OnClose chooses what closing does. Closing the main form ends the application.

#include <functional>
#include <string>

#include "framework/win/win_control.h"

namespace tw {

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
  void VisibleChanged() override;
  void Dispatch(TMessage& message) override;
  virtual void DoShow();
  virtual void DoHide();

private:
  void ApplyWindowState();

  TWindowState window_state_ = wsNormal;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWinControl* active_control_ = nullptr;
  bool active_ = false;
  bool shown_once_ = false;
};

}  // namespace tw
