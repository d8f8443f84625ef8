#include "shell/shell_shortcuts.h"

#include <memory>

#include "framework/string_table.h"

namespace tw {
namespace {

std::unique_ptr<TShellShortcutTable> shortcut_table;

}  // namespace

const TShellShortcutTable& DefaultShellShortcuts() {
  if (!shortcut_table) {
    constexpr std::array<int, kShellShortcutCount> ids{SShortcutSelectAll, SShortcutDelete,
                                                       SShortcutCopy,      SShortcutCut,
                                                       SShortcutPaste,     SShortcutRefresh,
                                                       SShortcutRename};
    auto table = std::make_unique<TShellShortcutTable>();
    for (int i = 0; i < kShellShortcutCount; ++i) {
      (*table)[i].Text = LoadStr(ids[i]);
      (*table)[i].ShortCut = TextToShortCut((*table)[i].Text);
    }
    shortcut_table = std::move(table);
  }
  return *shortcut_table;
}

void ReleaseShellShortcuts() { shortcut_table.reset(); }

}  // namespace tw
