#pragma once
// TFindDialog and TReplaceDialog: the system's modeless find and replace dialogs. Execute opens
// the dialog (or brings an open one to the front) and returns at once; the user's requests
// arrive later as OnFind, OnReplace and OnClose, with FindText, ReplaceText and Options updated
// from the dialog. The dialog reports to a hidden window of its own through the registered
// find message, and while it is open the application's message loop routes its keys.

#include <windows.h>

// The dialogs' own FindText and ReplaceText members keep their names; the system calls are
// made as FindTextA and ReplaceTextA.
#undef FindText
#undef ReplaceText

#include <cstdint>
#include <memory>
#include <string>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/types.h"

namespace tw {

// Bit i is the i-th option of the dialog's option set.
using TFindOptions = std::uint16_t;
inline constexpr TFindOptions frDown = 1 << 0;
inline constexpr TFindOptions frFindNext = 1 << 1;
inline constexpr TFindOptions frHideMatchCase = 1 << 2;
inline constexpr TFindOptions frHideWholeWord = 1 << 3;
inline constexpr TFindOptions frHideUpDown = 1 << 4;
inline constexpr TFindOptions frMatchCase = 1 << 5;
inline constexpr TFindOptions frDisableMatchCase = 1 << 6;
inline constexpr TFindOptions frDisableUpDown = 1 << 7;
inline constexpr TFindOptions frDisableWholeWord = 1 << 8;
inline constexpr TFindOptions frReplace = 1 << 9;
inline constexpr TFindOptions frReplaceAll = 1 << 10;
inline constexpr TFindOptions frWholeWord = 1 << 11;
inline constexpr TFindOptions frShowHelp = 1 << 12;

class TFindDialog : public TComponent {
public:
  explicit TFindDialog(TComponent* AOwner);
  ~TFindDialog() override;

  std::string ClassName() const override { return "TFindDialog"; }

  const std::string& FindText() const { return find_text_; }
  void SetFindText(const std::string& value);
  TFindOptions Options() const { return options_; }
  void SetOptions(TFindOptions value) { options_ = value; }
  bool HasOption(TFindOptions option) const { return (options_ & option) != 0; }
  // Screen position of the dialog's top-left corner.
  TPoint Position() const;
  void SetPosition(TPoint value);
  int Left() const { return Position().X; }
  int Top() const { return Position().Y; }

  // The dialog window while it is open, else null.
  HWND Handle() const { return handle_; }
  // Opens the dialog, or activates it when open; true when the dialog is open.
  bool Execute();
  // Closes an open dialog (OnClose follows).
  void CloseDialog();

  TNotifyEvent OnFind;
  TNotifyEvent OnClose;
  TNotifyEvent OnShow;

protected:
  // Creates the system dialog from the request record.
  virtual HWND CreateDialogWindow(FINDREPLACEA& request);
  virtual void Find();
  virtual void Replace() {}
  // Replace's text, kept by the replace dialog.
  virtual std::string* ReplaceTextBuffer() { return nullptr; }

private:
  static LRESULT CALLBACK OwnerWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  void HandleFindMessage(const FINDREPLACEA& request);
  void Closed();

  std::string find_text_;
  TFindOptions options_ = frDown;
  TPoint position_{-1, -1};
  bool position_set_ = false;
  HWND handle_ = nullptr;
  HWND owner_window_ = nullptr;
  // The request record and its buffers must stay put while the dialog is open.
  struct Request;
  std::unique_ptr<Request> request_;
};

class TReplaceDialog : public TFindDialog {
public:
  explicit TReplaceDialog(TComponent* AOwner);

  std::string ClassName() const override { return "TReplaceDialog"; }

  const std::string& ReplaceText() const { return replace_text_; }
  void SetReplaceText(const std::string& value) { replace_text_ = value; }

  TNotifyEvent OnReplace;

protected:
  HWND CreateDialogWindow(FINDREPLACEA& request) override;
  void Replace() override;
  std::string* ReplaceTextBuffer() override { return &replace_text_; }

private:
  std::string replace_text_;
};

}  // namespace tw
