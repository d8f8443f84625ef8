#include "framework/win/memo.h"

#include "framework/win/messages.h"

namespace tw {

TCustomMemo::TCustomMemo(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 89);
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomMemo::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "EDIT";
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!word_wrap_) params.Style |= ES_AUTOHSCROLL;
  if (scroll_bars_ == ssVertical || scroll_bars_ == ssBoth) params.Style |= WS_VSCROLL;
  if (scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth) params.Style |= WS_HSCROLL;
  if (!hide_selection_) params.Style |= ES_NOHIDESEL;
  if (read_only_) params.Style |= ES_READONLY;
  if (alignment_ == taRightJustify) params.Style |= ES_RIGHT;
  if (alignment_ == taCenter) params.Style |= ES_CENTER;
  if (border_style_ != bsNone) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomMemo::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), EM_SETMODIFY, modified_, 0);
}

void TCustomMemo::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RecreateWnd();
}

void TCustomMemo::SetBorderStyle(TFormBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  RecreateWnd();
}

void TCustomMemo::SetHideSelection(bool value) {
  if (value == hide_selection_) return;
  hide_selection_ = value;
  RecreateWnd();
}

void TCustomMemo::SetMaxLength(int value) {
  max_length_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, value, 0);
}

void TCustomMemo::SetReadOnly(bool value) {
  read_only_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (value == scroll_bars_) return;
  scroll_bars_ = value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
  if (value == word_wrap_) return;
  word_wrap_ = value;
  RecreateWnd();
}

bool TCustomMemo::Modified() {
  if (HandleAllocated()) modified_ = SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomMemo::SetModified(bool value) {
  modified_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETMODIFY, value, 0);
}

int TCustomMemo::SelStart() {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomMemo::SetSelStart(int value) { SendMessageA(Handle(), EM_SETSEL, value, value); }

int TCustomMemo::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomMemo::SetSelLength(int value) {
  int start = SelStart();
  SendMessageA(Handle(), EM_SETSEL, start, start + value);
}

std::string TCustomMemo::SelText() {
  int start = SelStart();
  int length = SelLength();
  std::string text = Text();
  if (start < 0 || static_cast<size_t>(start) > text.size()) return {};
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomMemo::SetSelText(const std::string& value) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomMemo::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }

void TCustomMemo::ClearSelection() { SendMessageA(Handle(), WM_CLEAR, 0, 0); }

void TCustomMemo::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }

void TCustomMemo::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }

void TCustomMemo::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }

void TCustomMemo::Clear() { SetText(""); }

bool TCustomMemo::CanUndo() { return SendMessageA(Handle(), EM_CANUNDO, 0, 0) != 0; }

void TCustomMemo::Undo() { SendMessageA(Handle(), WM_UNDO, 0, 0); }

void TCustomMemo::ClearUndo() { SendMessageA(Handle(), EM_EMPTYUNDOBUFFER, 0, 0); }

void TCustomMemo::Change() {
  if (OnChange) OnChange(this);
}

void TCustomMemo::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == EN_CHANGE) {
    Change();
    return;
  }
  DefaultHandler(message);
}

void TCustomMemo::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      DefaultHandler(message);
      if (want_tabs_) message.Result |= DLGC_WANTTAB; else message.Result &= ~LRESULT{DLGC_WANTTAB};
      if (!want_returns_) message.Result &= ~LRESULT{DLGC_WANTALLKEYS};
      return;
    case CM_WANTSPECIALKEY: {
      WORD key = LOWORD(message.LParam);
      message.Result = (key == VK_TAB && want_tabs_) || (key == VK_RETURN && want_returns_) ||
                       key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
      return;
    }
    case WM_CHAR:
      // A memo that does not want the key lets it reach the form (default button, navigation).
      if ((message.WParam == VK_TAB && !want_tabs_) || (message.WParam == VK_RETURN && !want_returns_))
        return;
      break;
    default:
      break;
  }
  TWinControl::Dispatch(message);
}

}  // namespace tw
