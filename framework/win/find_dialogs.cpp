#include "framework/win/find_dialogs.h"

#include <dlgs.h>

#include <cstring>
#include <iterator>

#include "framework/win/application.h"
#include "framework/win/os_error.h"

namespace tw {

namespace {

constexpr char kOwnerClass[] = "TwFindDialogOwner";
// The system dialogs hold at most this many characters of each text.
constexpr int kTextCapacity = 256;

// Option bit i and its request flag, in option order.
constexpr DWORD kOptionFlags[] = {
    FR_DOWN,      FR_FINDNEXT,  FR_HIDEMATCHCASE, FR_HIDEWHOLEWORD, FR_HIDEUPDOWN,
    FR_MATCHCASE, FR_NOMATCHCASE, FR_NOUPDOWN,    FR_NOWHOLEWORD,   FR_REPLACE,
    FR_REPLACEALL, FR_WHOLEWORD, FR_SHOWHELP};
// The options that the user's choices in the dialog set or clear.
constexpr TFindOptions kDialogChoices =
    frDown | frFindNext | frMatchCase | frWholeWord | frReplace | frReplaceAll;

DWORD OptionsToFlags(TFindOptions options) {
  DWORD flags = 0;
  for (size_t i = 0; i < std::size(kOptionFlags); ++i)
    if (options & (1u << i)) flags |= kOptionFlags[i];
  return flags;
}

TFindOptions FlagsToOptions(DWORD flags) {
  TFindOptions options = 0;
  for (size_t i = 0; i < std::size(kOptionFlags); ++i)
    if (flags & kOptionFlags[i]) options |= TFindOptions(1u << i);
  return options;
}

UINT FindMessage() {
  static const UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
  return message;
}

void CopyText(char* target, const std::string& text) {
  size_t n = std::min(text.size(), size_t{kTextCapacity - 1});
  std::memcpy(target, text.data(), n);
  target[n] = '\0';
}

}  // namespace

struct TFindDialog::Request {
  FINDREPLACEA record{};
  char find[kTextCapacity]{};
  char replace[kTextCapacity]{};
};

TFindDialog::TFindDialog(TComponent* AOwner) : TComponent(AOwner) {}

TFindDialog::~TFindDialog() {
  Destroying();
  if (handle_) {
    Application->RemoveModelessDialog(handle_);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
  if (owner_window_) DestroyWindow(owner_window_);
}

void TFindDialog::SetFindText(const std::string& value) {
  find_text_ = value;
  if (handle_) SetDlgItemTextA(handle_, edt1, value.c_str());
}

TPoint TFindDialog::Position() const {
  if (!handle_) return position_;
  RECT r;
  GetWindowRect(handle_, &r);
  return {r.left, r.top};
}

void TFindDialog::SetPosition(TPoint value) {
  position_ = value;
  position_set_ = true;
  if (handle_) SetWindowPos(handle_, nullptr, value.X, value.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TFindDialog::Execute() {
  if (handle_) {
    SetForegroundWindow(handle_);
    SetActiveWindow(handle_);
    return true;
  }
  if (!owner_window_) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, kOwnerClass, &existing)) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &OwnerWndProc;
      wc.hInstance = instance;
      wc.lpszClassName = kOwnerClass;
      if (!RegisterClassA(&wc)) RaiseLastOSError();
    }
    owner_window_ = CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, Application->Handle(),
                                    nullptr, instance, nullptr);
    if (!owner_window_) RaiseLastOSError();
    SetWindowLongPtrA(owner_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  request_ = std::make_unique<Request>();
  FINDREPLACEA& record = request_->record;
  record.lStructSize = sizeof(record);
  record.hwndOwner = owner_window_;
  record.hInstance = GetModuleHandleA(nullptr);
  // The request kinds are the dialog's answers, never its starting state.
  record.Flags = OptionsToFlags(options_ & ~(frFindNext | frReplace | frReplaceAll));
  CopyText(request_->find, find_text_);
  record.lpstrFindWhat = request_->find;
  record.wFindWhatLen = kTextCapacity;
  if (std::string* replace = ReplaceTextBuffer()) {
    CopyText(request_->replace, *replace);
    record.lpstrReplaceWith = request_->replace;
    record.wReplaceWithLen = kTextCapacity;
  }
  handle_ = CreateDialogWindow(record);
  if (!handle_) {
    request_.reset();
    return false;
  }
  Application->AddModelessDialog(handle_);
  if (position_set_) SetPosition(position_);
  if (OnShow) OnShow(this);
  return true;
}

HWND TFindDialog::CreateDialogWindow(FINDREPLACEA& request) { return ::FindTextA(&request); }

void TFindDialog::CloseDialog() {
  if (handle_) SendMessageA(handle_, WM_COMMAND, IDCANCEL, 0);
}

void TFindDialog::Find() {
  if (OnFind) OnFind(this);
}

void TFindDialog::Closed() {
  if (handle_) Application->RemoveModelessDialog(handle_);
  handle_ = nullptr;
  if (OnClose) OnClose(this);
}

void TFindDialog::HandleFindMessage(const FINDREPLACEA& request) {
  options_ = (options_ & ~kDialogChoices) | (FlagsToOptions(request.Flags) & kDialogChoices);
  find_text_ = request.lpstrFindWhat ? request.lpstrFindWhat : "";
  if (std::string* replace = ReplaceTextBuffer(); replace && request.lpstrReplaceWith)
    *replace = request.lpstrReplaceWith;
  if (request.Flags & FR_DIALOGTERM) {
    Closed();
  } else if (request.Flags & FR_FINDNEXT) {
    Find();
  } else if (request.Flags & (FR_REPLACE | FR_REPLACEALL)) {
    Replace();
  }
}

LRESULT CALLBACK TFindDialog::OwnerWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == FindMessage() && lparam) {
    auto* dialog = reinterpret_cast<TFindDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (dialog && !dialog->HasState(csDestroying)) {
      try {
        dialog->HandleFindMessage(*reinterpret_cast<const FINDREPLACEA*>(lparam));
      } catch (...) {
        Application->HandleException(dialog);
      }
    }
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

TReplaceDialog::TReplaceDialog(TComponent* AOwner) : TFindDialog(AOwner) {}

HWND TReplaceDialog::CreateDialogWindow(FINDREPLACEA& request) { return ::ReplaceTextA(&request); }

void TReplaceDialog::Replace() {
  if (OnReplace) OnReplace(this);
}

}  // namespace tw
