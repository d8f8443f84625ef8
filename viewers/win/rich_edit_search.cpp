#include <algorithm>

#include "framework/win/application.h"
#include "viewers/win/rich_edit.h"

namespace tw {

int TTwCustomRichEdit::SelStart() {
  CHARRANGE range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range.cpMin;
}

void TTwCustomRichEdit::SetSelStart(int value) { SetSelection(value, value, false); }

int TTwCustomRichEdit::SelLength() {
  CHARRANGE range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range.cpMax - range.cpMin;
}

void TTwCustomRichEdit::SetSelLength(int value) {
  int start = SelStart();
  SetSelection(start, start + value, true);
}

std::string TTwCustomRichEdit::SelectedText() {
  CHARRANGE range{};
  SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return TextRange(range.cpMin, range.cpMax);
}

void TTwCustomRichEdit::SetSelection(int start_pos, int end_pos, bool scroll_caret) {
  CHARRANGE range{start_pos, end_pos};
  SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (scroll_caret) SendMessageA(Handle(), EM_SCROLLCARET, 0, 0);
}

std::string TTwCustomRichEdit::TextRange(int start_pos, int end_pos) {
  if (end_pos < start_pos) return {};
  std::string text(static_cast<size_t>(end_pos - start_pos) + 1, '\0');
  TEXTRANGEA range{{start_pos, end_pos}, text.data()};
  LRESULT copied = SendMessageA(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, end_pos - start_pos)));
  return text;
}

TPoint TTwCustomRichEdit::CharPosition(int index) {
  if (!HandleAllocated()) return {};
  if (RichEditLevel() == 2) {
    LRESULT packed = SendMessageA(Handle(), EM_POSFROMCHAR, index, 0);
    return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
  }
  POINTL point{};
  SendMessageA(Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
  return {static_cast<int>(point.x), static_cast<int>(point.y)};
}

int TTwCustomRichEdit::SearchText(const std::string& search_str, int start_pos, int length,
                                  TRichSearchOptions options) {
  FINDTEXTEXA find{};
  find.chrg = {start_pos, start_pos + std::abs(length)};
  find.lpstrText = search_str.c_str();
  WPARAM flags = 0;
  if (RichEditLevel() >= 2) {
    if (!(options & soBackward)) flags |= FR_DOWN;
  }
  if (options & soWholeWord) flags |= FR_WHOLEWORD;
  if (options & soMatchCase) flags |= FR_MATCHCASE;
  int result = static_cast<int>(SendMessageA(Handle(), EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&find)));
  if (result >= 0 && (options & soSelectMatch)) SetSelection(find.chrgText.cpMin, find.chrgText.cpMax, true);
  return result;
}

bool TTwCustomRichEdit::FindFromDialog(TFindDialog* dialog, bool adjust_pos, bool events) {
  TRichSearchOptions options = soSelectMatch;
  const int sel_start = SelStart();
  const int sel_end = sel_start + SelLength();
  int start_pos, length;
  if (dialog->HasOption(frDown)) {
    start_pos = std::max(sel_start, sel_end);
    length = GetWindowTextLengthA(Handle()) - start_pos + 1;
  } else {
    options |= soBackward;
    start_pos = std::min(sel_start, sel_end);
    length = start_pos + 1;
  }
  if (dialog->HasOption(frMatchCase)) options |= soMatchCase;
  if (dialog->HasOption(frWholeWord)) options |= soWholeWord;
  const bool found = SearchText(dialog->FindText(), start_pos, length, options) >= 0;
  if (found && adjust_pos) PlaceFindDialog(dialog);
  if (!found && events) TextNotFound(dialog);
  return found;
}

void TTwCustomRichEdit::TextNotFound(TFindDialog* dialog) {
  if (OnTextNotFound) OnTextNotFound(this, dialog->FindText());
}

void TTwCustomRichEdit::CloseFindDialog(TFindDialog* dialog) {
  if (OnCloseFindDialog) OnCloseFindDialog(this, dialog);
}

TFindDialog* TTwCustomRichEdit::ShowFindDialog(const std::string& text) {
  if (!find_dialog_) {
    find_dialog_ = new TFindDialog(nullptr);
    if (replace_dialog_) find_dialog_->SetFindText(replace_dialog_->FindText());
  }
  PrepareFindDialog(find_dialog_, text, "");
  find_dialog_->Execute();
  return find_dialog_;
}

TReplaceDialog* TTwCustomRichEdit::ShowReplaceDialog(const std::string& text, const std::string& replace_text) {
  if (!replace_dialog_) {
    replace_dialog_ = new TReplaceDialog(nullptr);
    if (find_dialog_) replace_dialog_->SetFindText(find_dialog_->FindText());
  }
  PrepareFindDialog(replace_dialog_, text, replace_text);
  replace_dialog_->Execute();
  return replace_dialog_;
}

void TTwCustomRichEdit::PrepareFindDialog(TFindDialog* dialog, const std::string& find_text,
                                          const std::string& replace_text) {
  if (!find_text.empty()) dialog->SetFindText(find_text);
  if (RichEditLevel() == 1) dialog->SetOptions(dialog->Options() | frDown | frHideUpDown);
  dialog->OnFind = [this, dialog](TObject*) { FindFromDialog(dialog, true, true); };
  dialog->OnClose = [this, dialog](TObject*) { CloseFindDialog(dialog); };
  if (auto* replace = dynamic_cast<TReplaceDialog*>(dialog)) {
    if (!replace_text.empty()) replace->SetReplaceText(replace_text);
    replace->OnReplace = [this, replace](TObject*) { ReplaceFromDialog(replace); };
  }
}

void TTwCustomRichEdit::ReplaceFromDialog(TReplaceDialog* dialog) {
  if (dialog->HasOption(frReplaceAll)) {
    int count = 0;
    TNotifyEvent selection_change = std::move(OnSelectionChange);
    OnSelectionChange = nullptr;
    EnableChangeNotify(false);
    try {
      while (FindFromDialog(dialog, false, false)) {
        SetSelText(dialog->ReplaceText());
        ++count;
      }
    } catch (...) {
      EnableChangeNotify(true);
      OnSelectionChange = std::move(selection_change);
      throw;
    }
    EnableChangeNotify(true);
    OnSelectionChange = std::move(selection_change);
    if (count > 0) {
      Change();
      SelectionChange();
      PlaceFindDialog(dialog);
    } else {
      TextNotFound(dialog);
    }
  } else if (dialog->HasOption(frReplace)) {
    if (FindFromDialog(dialog, true, true)) SetSelText(dialog->ReplaceText());
  }
}

void TTwCustomRichEdit::PlaceFindDialog(TFindDialog* dialog) {
  if (!dialog->Handle()) return;
  HWND window = dialog->Handle();
  const int start = SelStart();
  TPoint c1 = CharPosition(start);
  TPoint c2 = CharPosition(start + SelLength());
  POINT p1 = ClientToScreen({c1.X, c1.Y});
  POINT p2 = ClientToScreen({c2.X, c2.Y + 20});
  RECT r;
  GetWindowRect(window, &r);
  if (!PtInRect(&r, p1) && !PtInRect(&r, p2)) return;
  const int height = r.bottom - r.top;
  if (height + 20 < p1.y) {
    OffsetRect(&r, 0, p1.y - 20 - r.bottom);
  } else if (p1.y + height < Screen->Height()) {
    OffsetRect(&r, 0, p1.y + 40 - r.top);
  }
  dialog->SetPosition({r.left, r.top});
}

}  // namespace tw
