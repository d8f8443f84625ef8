#include "tests/app/win/text_page_probe.h"

#include "app/win/main_form.h"
#include "viewers/win/rich_edit.h"

namespace tw {

std::string EditorTitle(TMainForm& form) { return form.Edit->Title(); }
int EditorLineCount(TMainForm& form) { return form.Edit->Lines().Count(); }
std::string EditorLine(TMainForm& form, int index) { return form.Edit->Lines().Get(index); }
std::string EditorText(TMainForm& form) { return form.Edit->Lines().Text(); }
void AddEditorLine(TMainForm& form, const std::string& line) { form.Edit->Lines().Add(line); }
bool EditorPlainText(TMainForm& form) { return form.Edit->PlainText(); }
int EditorObjectCount(TMainForm& form) {
  IRichEditOle* ole = form.Edit->RichEditOle();
  return ole ? ole->GetObjectCount() : -1;
}

void WatchEditorChanges(TMainForm& form, std::function<void()> changed) {
  form.Edit->OnChange = [changed](TObject*) { changed(); };
}

}  // namespace tw
