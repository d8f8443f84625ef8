// The list's keys: the shell views' shortcut table, Backspace and Enter.
#include "shell/win/shell_list.h"
#include "shell/win/shell_shortcut_keys.h"

namespace tw {

bool TPTCustomShellList::DoKeyDown(WORD& key, TShiftState shift) {
  if (TPTCustomListView::DoKeyDown(key, shift)) return true;
  if (!options_.Contains(ptsloDefaultKeyHandling) || IsEditing() || Designing()) return false;
  const std::optional<TShellShortcutIndex> pressed = MatchShellShortcut(key, shift);
  if (!pressed) return false;
  switch (*pressed) {
    case sskSelectAll:
      SelectAllItems();
      break;
    case sskRefresh:
      FillList();
      break;
    case sskDelete:
      InvokeVerb("delete");
      break;
    case sskCopy:
      InvokeVerb("copy");
      break;
    case sskCut:
      InvokeVerb("cut");
      break;
    case sskPaste:
      InvokeFolderVerb("paste");
      break;
    case sskRename:
      if (TListItem* item = ItemFocused()) item->EditCaption();
      break;
  }
  key = 0;
  return true;
}

bool TPTCustomShellList::DoKeyPress(char& key) {
  if (TPTCustomListView::DoKeyPress(key)) return true;
  if (!options_.Contains(ptsloDefaultKeyHandling) || IsEditing() || Designing()) return false;
  if (key == '\b')
    GoUp(1);
  else if (key == '\r')
    OpenSelection();
  else
    return false;
  key = 0;
  return true;
}

}  // namespace tw
