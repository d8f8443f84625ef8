#include <windows.h>

#include "app/preview_rules.h"
#include "app/win/main_form.h"
#include "framework/win/application.h"
#include "framework/win/image.h"
#include "framework/win/page_control.h"
#include "framework/win/tool_bar.h"
#include "shell/win/shell_list.h"

namespace tw {

namespace {

bool IsExistingFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Shows the hourglass for its lifetime and then the default cursor, however the work ends.
class THourglass {
public:
  THourglass() { Screen->SetCursor(crHourGlass); }
  ~THourglass() { Screen->SetCursor(crDefault); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};

}  // namespace

void TMainForm::PTShellList1Change(TObject*, TListItem*, TItemChange) {
  if (!ToolButton39->Down()) return;
  TPTShListData* data = PTShellList1->SelectedData();
  if (!data || data->IsFolder()) return;
  std::string path = data->Path();
  if (path.empty() || !IsExistingFile(path)) return;
  ShowPreview(path);
}

void TMainForm::ShowPreview(const std::string& path) {
  THourglass hourglass;
  if (IsPictureFile(path)) {
    Image->Picture().LoadFromFile(path);
    PageControl1->SetActivePage(TabSheet2);
  } else {
    ShowTextFile(path);
  }
}

}  // namespace tw
