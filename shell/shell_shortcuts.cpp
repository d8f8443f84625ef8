#include "shell/shell_shortcuts.h"

#include "framework/string_table.h"

namespace tw {

const std::array<TShellShortcut, kShellShortcutCount>& DefaultShellShortcuts() {
  static const std::array<TShellShortcut, kShellShortcutCount> table = [] {
    constexpr std::array<int, kShellShortcutCount> ids{SShortcutSelectAll, SShortcutDelete,
                                                       SShortcutCopy,      SShortcutCut,
                                                       SShortcutPaste,     SShortcutRefresh,
                                                       SShortcutRename};
    std::array<TShellShortcut, kShellShortcutCount> entries;
    for (int i = 0; i < kShellShortcutCount; ++i) {
      entries[i].Text = LoadStr(ids[i]);
      entries[i].ShortCut = TextToShortCut(entries[i].Text);
    }
    return entries;
  }();
  return table;
}

}  // namespace tw
