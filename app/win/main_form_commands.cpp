#include <windows.h>
#include <shellapi.h>
#include <winnetwk.h>

#include "app/preview_rules.h"
#include "framework/win/wide_text.h"
#include "app/win/main_form.h"
#include "framework/win/application.h"
#include "shell/win/shell_list.h"

namespace tw {

// Command toolbar: the shell's verbs on the selection, and the network dialogs. The shell's and
// the dialogs' failures are theirs to report; their results are not looked at.

void TMainForm::ToolButton1Click(TObject*) { PTShellList1->InvokeVerb("cut"); }
void TMainForm::ToolButton2Click(TObject*) { PTShellList1->InvokeVerb("copy"); }
void TMainForm::ToolButton3Click(TObject*) { PTShellList1->InvokeFolderVerb("paste"); }
void TMainForm::ToolButton4Click(TObject*) { PTShellList1->InvokeVerb("delete"); }

void TMainForm::ToolButton7Click(TObject*) {
  // Printing needs a file: without a selected item that has a path there is nothing to print.
  TPTShListData* data = PTShellList1->SelectedData();
  if (!data) return;
  std::string file = data->Path();
  if (file.empty()) return;
  std::string folder = PTShellList1->Folder().GetPath();
  ShellExecuteA(Application->Handle(), "print", file.c_str(), nullptr,
                folder.empty() ? nullptr : folder.c_str(), SW_SHOW);
}

void TMainForm::ToolButton8Click(TObject*) { PTShellList1->CreateNewFolder(true); }

void TMainForm::ToolButton9Click(TObject*) { WNetConnectionDialog(Application->Handle(), RESOURCETYPE_DISK); }
void TMainForm::ToolButton10Click(TObject*) { WNetDisconnectDialog(Application->Handle(), RESOURCETYPE_DISK); }

void TMainForm::ToolButton11Click(TObject*) { PTShellList1->InvokeVerb("properties"); }
void TMainForm::ToolButton12Click(TObject*) { PTShellList1->InvokeVerb("create"); }
void TMainForm::ToolButton13Click(TObject*) { PTShellList1->InvokeVerb("connect"); }

std::string TMainForm::AboutFileName() {
  return std::string(FolderPart(ModuleFileName())) + "README.txt";
}

void TMainForm::ToolButton36Click(TObject*) {
  ShellExecuteA(Application->Handle(), "open", AboutFileName().c_str(), nullptr, nullptr, SW_SHOW);
}

// View and sort toolbar. The sort buttons always ask for the ascending order: only a click on a
// column header of the report reverses it.

void TMainForm::ToolButton14Click(TObject*) { PTShellList1->GoUp(1); }
void TMainForm::ToolButton15Click(TObject*) { PTShellList1->SetViewStyle(vsIcon); }
void TMainForm::ToolButton16Click(TObject*) { PTShellList1->SetViewStyle(vsSmallIcon); }
void TMainForm::ToolButton17Click(TObject*) { PTShellList1->SetViewStyle(vsList); }
void TMainForm::ToolButton18Click(TObject*) { PTShellList1->SetViewStyle(vsReport); }
void TMainForm::ToolButton19Click(TObject*) { PTShellList1->SetSortColumn(1); }
void TMainForm::ToolButton20Click(TObject*) { PTShellList1->SetSortColumn(2); }
void TMainForm::ToolButton21Click(TObject*) { PTShellList1->SetSortColumn(4); }
void TMainForm::ToolButton22Click(TObject*) { PTShellList1->SetSortColumn(3); }

}  // namespace tw
