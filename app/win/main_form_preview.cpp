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

// Leaves the default cursor when the dispatch ends, however it ends: early, after a load or
// by an exception.
class TDefaultCursorAtEnd {
public:
  TDefaultCursorAtEnd() = default;
  ~TDefaultCursorAtEnd() { Screen->SetCursor(crDefault); }
  TDefaultCursorAtEnd(const TDefaultCursorAtEnd&) = delete;
  TDefaultCursorAtEnd& operator=(const TDefaultCursorAtEnd&) = delete;
};

}  // namespace

void TMainForm::PTShellList1Change(TObject*, TListItem* item, TItemChange) {
  const TDefaultCursorAtEnd default_cursor;
  if (!ToolButton39->Down()) return;
  // The control also reports the item the selection left after the new one is selected (Wine's
  // does on every click and key): only the selected item's own notices preview it, so that a
  // file is read, and a bad one reported, once.
  TListItem* selected = PTShellList1->Selected();
  if (item != selected) return;
  TPTShListData* data = PTShellList1->DataOf(selected);
  if (!data || data->IsFolder()) return;
  std::string path = data->Path();
  if (path.empty() || !IsExistingFile(path)) return;
  ShowPreview(path);
}

void TMainForm::ShowPreview(const std::string& path) {
  Screen->SetCursor(crHourGlass);
  if (IsPictureFile(path)) {
    Image->Picture().LoadFromFile(path);
    PageControl1->SetActivePage(TabSheet2);
  } else {
    ShowTextFile(path);
  }
}

}  // namespace tw
