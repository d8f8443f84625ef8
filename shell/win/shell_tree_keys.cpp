// The tree's keys: the shell views' shortcut table run on the selected node.
#include "shell/win/shell_shortcut_keys.h"
#include "shell/win/shell_tree.h"

namespace tw {

bool TPTCustomShellTree::DoKeyDown(WORD& key, TShiftState shift) {
  if (TPTCustomTreeView::DoKeyDown(key, shift)) return true;
  if (!options_.Contains(ptstoDefaultKeyHandling) || IsEditing() || Designing()) return false;
  const std::optional<TShellShortcutIndex> pressed = MatchShellShortcut(key, shift);
  if (!pressed) return false;
  switch (*pressed) {
    case sskRename:
      if (TTreeNode* node = Selected()) node->EditText();
      break;
    case sskRefresh:
      RefreshTree();
      break;
    case sskDelete:
      InvokeNodeVerb(Selected(), "delete");
      break;
    case sskCut:
      InvokeNodeVerb(Selected(), "cut");
      break;
    case sskCopy:
      InvokeNodeVerb(Selected(), "copy");
      break;
    case sskPaste:
      InvokeNodeVerb(Selected(), "paste");
      break;
    case sskSelectAll:
      // A tree has nothing to select all of: the key is the tree view's.
      return false;
  }
  key = 0;
  return true;
}

}  // namespace tw
