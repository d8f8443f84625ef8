// The list's keys: the shell views' shortcut table, Backspace and Enter.
#include "shell/shell_shortcuts.h"
#include "shell/win/shell_list.h"

namespace tw {
namespace {

TShortCut ShortCutOf(WORD key, TShiftState shift) {
  TShortCut value = key & 0xFF;
  if (shift & ssShift) value |= scShift;
  if (shift & ssCtrl) value |= scCtrl;
  if (shift & ssAlt) value |= scAlt;
  return value;
}

}  // namespace

bool TPTCustomShellList::DoKeyDown(WORD& key, TShiftState shift) {
  if (TPTCustomListView::DoKeyDown(key, shift)) return true;
  if (!options_.Contains(ptsloDefaultKeyHandling) || IsEditing() || Designing()) return false;
  const TShellShortcutTable& table = DefaultShellShortcuts();
  const TShortCut pressed = ShortCutOf(key, shift);
  auto is = [&](TShellShortcutIndex index) {
    return table[index].ShortCut != 0 && table[index].ShortCut == pressed;
  };
  if (is(sskSelectAll))
    SelectAllItems();
  else if (is(sskRefresh))
    FillList();
  else if (is(sskDelete))
    InvokeVerb("delete");
  else if (is(sskCopy))
    InvokeVerb("copy");
  else if (is(sskCut))
    InvokeVerb("cut");
  else if (is(sskPaste))
    InvokeFolderVerb("paste");
  else if (is(sskRename)) {
    if (TListItem* item = ItemFocused()) item->EditCaption();
  } else
    return false;
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
