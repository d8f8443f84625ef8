#pragma once
// What the window tests read and do on the main window's text page, kept in a file of its own:
// the editor's header and the shell list's cannot be included together (both declare the
// alignment enumeration).

#include <functional>
#include <string>

namespace tw {

class TMainForm;

std::string EditorTitle(TMainForm& form);
int EditorLineCount(TMainForm& form);
std::string EditorLine(TMainForm& form, int index);
std::string EditorText(TMainForm& form);
void AddEditorLine(TMainForm& form, const std::string& line);
bool EditorPlainText(TMainForm& form);
// The embedded objects the editor holds; -1 when it has no embedded-object interface.
int EditorObjectCount(TMainForm& form);
// Calls CHANGED whenever the editor's text changes.
void WatchEditorChanges(TMainForm& form, std::function<void()> changed);

}  // namespace tw
