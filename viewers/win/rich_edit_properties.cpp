// The text page editor's published properties and the setters that reach the control without
// re-creating its text.
#include <algorithm>
#include <cstring>

#include "framework/type_info.h"
#include "framework/win/wide_text.h"
#include "framework/win/application.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

constexpr int kDefaultTextLimit = 0xFFFFFF;

bool IsBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](unsigned char c) { return c <= ' '; });
}

using E = TTwCustomRichEdit;
const bool kRegistered =
    TTypeRegistry::Class<TTwRichEdit>("TTwRichEdit", "TWinControl")
        .Boolean("AutoURLDetect", &E::AutoURLDetect, &E::SetAutoURLDetect, true)
        .Boolean("AutoVerbMenu", &E::AutoVerbMenu, &E::SetAutoVerbMenu, true)
        .Boolean("AllowObjects", &E::AllowObjects, &E::SetAllowObjects, true)
        .Boolean("AllowInPlace", &E::AllowInPlace, &E::SetAllowInPlace, true)
        .Boolean("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
        .Boolean("HideScrollBars", &E::HideScrollBars, &E::SetHideScrollBars, true)
        .Boolean("SelectionBar", &E::SelectionBar, &E::SetSelectionBar, true)
        .Boolean("PlainText", &E::PlainText, &E::SetPlainText, false)
        .Boolean("WordSelection", &E::WordSelection, &E::SetWordSelection, true)
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .Boolean("WordWrap", &E::WordWrap, &E::SetWordWrap, true)
        .Boolean("WantTabs", &E::WantTabs, &E::SetWantTabs, false)
        .Boolean("WantReturns", &E::WantReturns, &E::SetWantReturns, true)
        .Integer("UndoLimit", &E::UndoLimit, &E::SetUndoLimit, 100)
        .Integer("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
        .String("Title", &E::Title, &E::SetTitle)
        .Done();

}  // namespace

void TTwCustomRichEdit::SetTitle(const std::string& value) {
  if (value == title_) return;
  title_ = value;
  UpdateHostNames();
}

void TTwCustomRichEdit::UpdateHostNames() {
  if (!rich_edit_ole_) return;
  std::string app_name = Application->Title();
  if (IsBlank(app_name)) {
    app_name = ModuleFileName();
    app_name.erase(0, app_name.find_last_of("\\/") + 1);
  }
  std::string doc_name = IsBlank(title_) ? app_name : title_;
  rich_edit_ole_->SetHostNames(app_name.c_str(), doc_name.c_str());
}

bool TTwCustomRichEdit::AutoURLDetect() {
  if (HandleAllocated() && !HasState(csDesigning) && RichEditLevel() >= 2)
    auto_url_detect_ = SendMessageA(Handle(), EM_GETAUTOURLDETECT, 0, 0) != 0;
  return auto_url_detect_;
}

void TTwCustomRichEdit::SetAutoURLDetect(bool value) {
  auto_url_detect_ = value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageA(Handle(), EM_AUTOURLDETECT, value, 0);
}

TRichLangOptions TTwCustomRichEdit::LangOptions() {
  if (HandleAllocated() && !HasState(csDesigning) && RichEditLevel() >= 2)
    lang_options_ = static_cast<TRichLangOptions>(SendMessageA(Handle(), EM_GETLANGOPTIONS, 0, 0) & 0xF);
  return lang_options_;
}

void TTwCustomRichEdit::SetLangOptions(TRichLangOptions value) {
  lang_options_ = value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageA(Handle(), EM_SETLANGOPTIONS, 0, value);
}

void TTwCustomRichEdit::SetAllowObjects(bool value) {
  if (value == allow_objects_) return;
  allow_objects_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetHideScrollBars(bool value) {
  if (value == hide_scroll_bars_) return;
  hide_scroll_bars_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetSelectionBar(bool value) {
  if (value == selection_bar_) return;
  selection_bar_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetHideSelection(bool value) {
  if (value == HideSelection()) return;
  // The memo keeps the value; the control is told without a new window.
  StoreHideSelection(value);
  if (HandleAllocated()) SendMessageA(Handle(), EM_HIDESELECTION, value, 1);
}

void TTwCustomRichEdit::SetUndoLimit(int value) {
  if (value == undo_limit_) return;
  undo_limit_ = value;
  if (RichEditLevel() >= 2 && HandleAllocated())
    undo_limit_ = static_cast<int>(SendMessageA(Handle(), EM_SETUNDOLIMIT, value, 0));
}

void TTwCustomRichEdit::SetWordSelection(bool value) {
  word_selection_ = value;
  if (!HandleAllocated()) return;
  LRESULT options = SendMessageA(Handle(), EM_GETOPTIONS, 0, 0);
  options = value ? (options | ECO_AUTOWORDSELECTION) : (options & ~LRESULT{ECO_AUTOWORDSELECTION});
  SendMessageA(Handle(), EM_SETOPTIONS, ECOOP_SET, options);
}

void TTwCustomRichEdit::SetMaxLength(int value) {
  StoreMaxLength(value);
  if (HandleAllocated()) SendMessageA(Handle(), EM_EXLIMITTEXT, 0, TextLimit());
}

int TTwCustomRichEdit::TextLimit() const { return MaxLength() == 0 ? kDefaultTextLimit : MaxLength(); }

}  // namespace tw
