#pragma once
// The key shortcuts shared by the shell tree and list, read from the string table and parsed
// the first time they are asked for.

#include <array>
#include <string>

#include "shell/shortcut_text.h"

namespace tw {

struct TShellShortcut {
  std::string Text;
  TShortCut ShortCut = 0;
};

// Positions in DefaultShellShortcuts.
enum TShellShortcutIndex : int {
  sskSelectAll,  // "Ctrl+A": select all (list only)
  sskDelete,     // "Del": verb "delete"
  sskCopy,       // "Ctrl+C": verb "copy"
  sskCut,        // "Ctrl+X": verb "cut"
  sskPaste,      // "Ctrl+V": verb "paste"
  sskRefresh,    // "F5": refresh
  sskRename,     // "F2": rename the selected entry
};

constexpr int kShellShortcutCount = 7;

using TShellShortcutTable = std::array<TShellShortcut, kShellShortcutCount>;

// The table, built on first use.
const TShellShortcutTable& DefaultShellShortcuts();
// Frees the table at shutdown; a later use builds it again.
void ReleaseShellShortcuts();

}  // namespace tw
