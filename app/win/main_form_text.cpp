#include "app/preview_rules.h"
#include "app/win/main_form.h"
#include "framework/win/file_dialogs.h"
#include "framework/string_table.h"
#include "framework/win/page_control.h"
#include "framework/win/status_bar.h"
#include "shell/win/shell_list.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/text_file.h"

namespace tw {

void TMainForm::CreateEditor() {
  Edit = new TTwRichEdit(this);
  Edit->SetName("Edit");
  Edit->SetParent(TabSheet1);
  Edit->SetAlign(alClient);
  Edit->SetPlainText(true);
  Edit->SetParentFont(false);
  Edit->Font().SetName("System");
  Edit->Font().SetHeight(-11);
  Edit->Font().SetStyle(1 << fsBold);
  Edit->Font().SetCharset(RUSSIAN_CHARSET);
  Edit->OnLoadProgress = [this](TObject*) { ShowTextState(); };
}

void TMainForm::ShowTextFile(const std::string& path) {
  LoadText(path);
  Edit->SetTitle(path);
  PageControl1->SetActivePage(TabSheet1);
}

void TMainForm::LoadText(const std::string& path) {
  text_file_ = path;
  Edit->Lines().LoadFromFile(path);
  ShowTextState();
}

// The status bar tells how far a long file has arrived, when a file is longer than the editor
// holds, and else the encoding the file's text is in.
void TMainForm::ShowTextState() {
  std::string state;
  if (Edit->Loading()) {
    state = FmtLoadStr(STextLoading, text_file_, Edit->LoadProgress());
  } else if (Edit->Truncated()) {
    state = FmtLoadStr(STextTruncated, Edit->TextLimit(), text_file_);
  } else {
    state = TextEncodingName(Edit->TextFormat());
  }
  text_state_ = state;
  ShowStatus();
}

void TMainForm::ShowStatus() {
  StatusBar1->SetSimpleText(PTShellList1->Filling()
                                ? FmtLoadStr(SFolderReading, PTShellList1->Items().Count())
                                : text_state_);
}

// A text with a character its file's legacy code page cannot hold is saved as UTF-8 once the
// user agrees, and else not at all.
bool TMainForm::TextCanBeSaved() {
  std::string missing;
  if (Edit->TextFitsItsFormat(&missing)) return true;
  const std::string question = FmtLoadStr(STextSaveAsUtf8, TextEncodingName(Edit->TextFormat()), missing);
  const std::u16string wide = Utf8ToUtf16(question);
  if (MessageBoxW(Handle(), reinterpret_cast<LPCWSTR>(wide.c_str()), nullptr, MB_YESNO | MB_ICONWARNING) != IDYES)
    return false;
  Edit->SetTextFormat({TTextEncoding::Utf8, false, Edit->TextFormat().Breaks});
  ShowTextState();
  return true;
}

// Text toolbar: the editor's own operations.

void TMainForm::ToolButton28Click(TObject*) {
  Edit->Clear();
  text_state_.clear();
  ShowStatus();
}

void TMainForm::ToolButton29Click(TObject*) {
  // The title keeps naming the last previewed file.
  if (OpenDialog1->Execute()) LoadText(OpenDialog1->FileName());
}

void TMainForm::ToolButton30Click(TObject*) {
  const std::string& title = Edit->Title();
  SaveDialog->SetFileName(std::string(FileNamePart(title)));
  SaveDialog->SetInitialDir(std::string(FolderPart(title)));
  if (SaveDialog->Execute() && TextCanBeSaved()) Edit->Lines().SaveToFile(SaveDialog->FileName());
}

void TMainForm::ToolButton31Click(TObject*) { Edit->Print(Edit->Title()); }
void TMainForm::ToolButton32Click(TObject*) { Edit->ShowFindDialog(Edit->SelectedText()); }
void TMainForm::ToolButton5Click(TObject*) { Edit->ShowReplaceDialog(Edit->SelectedText(), ""); }
void TMainForm::ToolButton33Click(TObject*) { Edit->Undo(); }
void TMainForm::ToolButton35Click(TObject*) { Edit->Redo(); }

}  // namespace tw
