#pragma once
// Which of the shell views' shortcuts (DefaultShellShortcuts) a key press is.

#include <windows.h>

#include <optional>

#include "framework/win/control.h"
#include "shell/shell_shortcuts.h"

namespace tw {

// The entry of DefaultShellShortcuts that KEY with SHIFT matches; nothing for any other key.
std::optional<TShellShortcutIndex> MatchShellShortcut(WORD key, TShiftState shift);

}  // namespace tw
