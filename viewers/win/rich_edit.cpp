// The text page editor's life with its window: creation, the text carried into a new window or
// text mode, and emptying.
#include "viewers/win/rich_edit.h"

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/popup_menu.h"
#include "viewers/win/flag_scope.h"
#include "viewers/win/para_attributes.h"
#include "viewers/win/rich_edit_control.h"
#include "viewers/win/rich_edit_loader.h"
#include "viewers/win/rich_edit_ole_callback.h"
#include "viewers/win/text_attributes.h"

namespace tw {

namespace {

constexpr DWORD kEventMask = ENM_CHANGE | ENM_SELCHANGE | ENM_PROTECTED | ENM_REQUESTRESIZE;
// Up to this many characters the control removes a text quickly enough (DropLongText).
constexpr int kQuickEmptyLength = 16384;

}  // namespace

TTwCustomRichEdit::TTwCustomRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner),
      lines_(std::make_unique<TRichEditStrings>(*this)),
      default_attributes_(std::make_unique<TTwTextAttributes>(*this, atDefaultText)),
      selection_attributes_(std::make_unique<TTwTextAttributes>(*this, atSelected)),
      word_attributes_(std::make_unique<TTwTextAttributes>(*this, atWord)),
      paragraph_attributes_(std::make_unique<TTwParaAttributes>(*this)),
      ole_callback_(std::make_unique<TRichEditOleCallback>(*this)) {
  InitRichEdit();
  SetScrollBars(ssBoth);
}

TTwCustomRichEdit::~TTwCustomRichEdit() {
  Destroying();
  // The window goes while this object is whole, so that its destruction is handled here.
  DestroyHandle();
  delete find_dialog_;
  delete replace_dialog_;
}

void TTwCustomRichEdit::CreateParams(TCreateParams& params) {
  TCustomMemo::CreateParams(params);
  params.SysClassName = RichEditLevel() == 1 ? "RICHEDIT" : RICHEDIT_CLASSA;
  // The text mode can only change while the control is empty: the text comes in afterwards.
  params.Caption.clear();
  params.Style &= ~DWORD{WS_HSCROLL | WS_VSCROLL};
  params.Style |= ES_SAVESEL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) params.Style |= WS_VSCROLL;
  if ((ScrollBars() == ssHorizontal || ScrollBars() == ssBoth) && !WordWrap()) params.Style |= WS_HSCROLL;
  if (!hide_scroll_bars_) params.Style |= ES_DISABLENOSCROLL;
  if (selection_bar_) params.Style |= ES_SELECTIONBAR;
  if (!HideSelection()) params.Style |= ES_NOHIDESEL;
}

void TTwCustomRichEdit::CreateWnd() {
  std::string pending_text = TControl::GetText();
  TCustomMemo::CreateWnd();
  HWND window = Handle();
  if (GetSystemMetrics(SM_DBCSENABLED) && PRIMARYLANGID(GetUserDefaultLangID()) != LANG_JAPANESE) {
    Font().SetCharset(DEFAULT_CHARSET);
  }
  DWORD mask = kEventMask;
  if (RichEditLevel() >= 2) mask |= ENM_LINK;
  SendMessageA(window, EM_SETEVENTMASK, 0, mask);
  SendMessageA(window, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
  SetMaxLength(MaxLength());
  SetWordSelection(word_selection_);
  if (RichEditLevel() >= 2) {
    SendMessageA(window, EM_AUTOURLDETECT, auto_url_detect_, 0);
    undo_limit_ = static_cast<int>(SendMessageA(window, EM_SETUNDOLIMIT, undo_limit_, 0));
    UpdateTextMode();
    SendMessageA(window, EM_SETLANGOPTIONS, 0, lang_options_);
  }
  if (allow_objects_) {
    SendMessageA(window, EM_SETOLECALLBACK, 0,
                 reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(ole_callback_.get())));
    IRichEditOle* ole = nullptr;
    if (SendMessageA(window, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) && ole) {
      rich_edit_ole_ = ComPtr<IRichEditOle>::Adopt(ole);
      UpdateHostNames();
    }
  }
  if (carried_text_) {
    const std::unique_ptr<TMemoryStream> carried = std::move(carried_text_);
    PutText(*carried);
  } else if (!pending_text.empty()) {
    SetWindowTextA(window, pending_text.c_str());
  }
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  SetModified(saved_modified_);
}

void TTwCustomRichEdit::DestroyWnd() {
  if (discarding_text_) {
    TCustomMemo::DestroyWnd();
    // The text the base kept on the way out is not to come back either.
    StoreText({});
    return;
  }
  if (HasState(csDestroying)) {
    // A window that goes for good stops the load.
    CancelLoad();
  } else {
    // A re-created window gets the whole text back with its formatting.
    carried_text_ = TakeText(HasState(csDesigning) || (plain_text_ && RichEditLevel() >= 2));
    saved_modified_ = Modified();
  }
  TCustomMemo::DestroyWnd();
}

void TTwCustomRichEdit::UpdateTextMode() {
  if (RichEditLevel() < 2 || !HandleAllocated()) return;
  WPARAM mode = (undo_limit_ > 1 ? TM_MULTILEVELUNDO : TM_SINGLELEVELUNDO) |
                (plain_text_ ? TM_PLAINTEXT : TM_RICHTEXT);
  SendMessageA(Handle(), EM_SETTEXTMODE, mode, 0);
}

// Wine's rich edit control takes time that grows with the square of the length to remove a
// long text (a megabyte takes the better part of a minute), while its window goes at once. So a
// long text goes with the window, which comes back empty with the same settings, event mask and
// modified flag, and without a change notification. This keeps replacing one preview by the
// next, clearing and switching the text mode linear in the length of the text.
bool TTwCustomRichEdit::DropLongText() {
  if (!HandleAllocated()) return false;
  if (ControlTextLength(Handle()) <= kQuickEmptyLength) return false;
  const LRESULT mask = SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0);
  saved_modified_ = Modified();
  discarding_text_ = true;
  try {
    RecreateWnd();
  } catch (...) {
    discarding_text_ = false;
    throw;
  }
  discarding_text_ = false;
  SendMessageA(Handle(), EM_SETEVENTMASK, 0, mask);
  return true;
}

void TTwCustomRichEdit::SetPlainText(bool value) {
  if (value == plain_text_) return;
  if (!HandleAllocated() || RichEditLevel() < 2) {
    plain_text_ = value;
    return;
  }
  const std::unique_ptr<TMemoryStream> text = TakeText(value || HasState(csDesigning));
  EnableChangeNotify(false);
  try {
    DropLongText();
    // Even on an empty new window: the message also empties the undo list, and the mode
    // changes only with that list empty.
    SendMessageA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    plain_text_ = value;
    UpdateTextMode();
  } catch (...) {
    EnableChangeNotify(true);
    throw;
  }
  EnableChangeNotify(true);
  PutText(*text);
}

// The editor's own text goes over as it is, whatever the stream format, mode and conversion of
// Lines (which are for files and the user's streams), and keeps its cut mark: a text cut on
// load is no more whole in a new window than in the old one.
std::unique_ptr<TMemoryStream> TTwCustomRichEdit::TakeText(bool plain) {
  FinishLoad();
  auto text = std::make_unique<TMemoryStream>();
  const std::uint8_t format = plain ? 1 : 0;
  text->WriteBuffer(&format, 1);
  TConversion copy;
  if (!StreamOutOfControl(Handle(), copy, *text, plain ? SF_TEXT : SF_RTF))
    throw EOutOfResources(LoadStr(SSaveStreamFailed));
  text->SetPosition(0);
  return text;
}

void TTwCustomRichEdit::PutText(TStream& text) {
  std::uint8_t plain = 0;
  text.ReadBuffer(&plain, 1);
  const std::int64_t start = text.Position();
  const FlagScope own_text(reading_carried_text_, true);
  // What the control refuses in the format it wrote is read in the other one, as LoadStream
  // does, rather than lost: Wine's control ends a rich text at its first embedded object and
  // leaves it unclosed.
  for (const WPARAM flags : {plain ? SF_TEXT : SF_RTF, plain ? SF_RTF : SF_TEXT}) {
    text.SetPosition(start);
    TConversion copy;
    TReadChunker chunker(copy, text);
    if (StreamIntoControl(Handle(), chunker, flags, -1)) {
      SetSelection(0, 0, true);
      return;
    }
  }
  throw EOutOfResources(LoadStr(SLoadStreamFailed));
}

void TTwCustomRichEdit::Clear() {
  CancelLoad();
  CloseObjects();
  if (!DropLongText()) {
    TCustomMemo::Clear();
  } else if (SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0) & ENM_CHANGE) {
    // The control reports emptying a text by message as a change.
    Change();
  }
  SetModified(false);
  truncated_ = false;
  truncated_file_.clear();
  text_format_ = {};
}

void TTwCustomRichEdit::Redo() { SendMessageA(Handle(), EM_REDO, 0, 0); }

}  // namespace tw
