#include "app/preview_rules.h"
#include "app/win/main_form.h"
#include "framework/win/file_dialogs.h"
#include "framework/string_table.h"
#include "framework/win/page_control.h"
#include "framework/win/status_bar.h"
#include "viewers/win/rich_edit.h"

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
}

void TMainForm::ShowTextFile(const std::string& path) {
  LoadText(path);
  Edit->SetTitle(path);
  PageControl1->SetActivePage(TabSheet1);
}

void TMainForm::LoadText(const std::string& path) {
  Edit->Lines().LoadFromFile(path);
  // A file longer than the editor holds says so where the user sees it.
  StatusBar1->SetSimpleText(Edit->Truncated() ? FmtLoadStr(STextTruncated, Edit->TextLimit(), path) : "");
}

// Text toolbar: the editor's own operations.

void TMainForm::ToolButton28Click(TObject*) {
  Edit->Clear();
  StatusBar1->SetSimpleText("");
}

void TMainForm::ToolButton29Click(TObject*) {
  // The title keeps naming the last previewed file.
  if (OpenDialog1->Execute()) LoadText(OpenDialog1->FileName());
}

void TMainForm::ToolButton30Click(TObject*) {
  const std::string& title = Edit->Title();
  SaveDialog->SetFileName(std::string(FileNamePart(title)));
  SaveDialog->SetInitialDir(std::string(FolderPart(title)));
  if (SaveDialog->Execute()) Edit->Lines().SaveToFile(SaveDialog->FileName());
}

void TMainForm::ToolButton31Click(TObject*) { Edit->Print(Edit->Title()); }
void TMainForm::ToolButton32Click(TObject*) { Edit->ShowFindDialog(Edit->SelectedText()); }
void TMainForm::ToolButton5Click(TObject*) { Edit->ShowReplaceDialog(Edit->SelectedText(), ""); }
void TMainForm::ToolButton33Click(TObject*) { Edit->Undo(); }
void TMainForm::ToolButton35Click(TObject*) { Edit->Redo(); }

}  // namespace tw
