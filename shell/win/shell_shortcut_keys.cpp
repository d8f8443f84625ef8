#include "shell/win/shell_shortcut_keys.h"

namespace tw {

std::optional<TShellShortcutIndex> MatchShellShortcut(WORD key, TShiftState shift) {
  TShortCut pressed = key & 0xFF;
  if (shift & ssShift) pressed |= scShift;
  if (shift & ssCtrl) pressed |= scCtrl;
  if (shift & ssAlt) pressed |= scAlt;
  const TShellShortcutTable& table = DefaultShellShortcuts();
  for (int i = 0; i < kShellShortcutCount; ++i)
    if (table[i].ShortCut != 0 && table[i].ShortCut == pressed)
      return static_cast<TShellShortcutIndex>(i);
  return std::nullopt;
}

}  // namespace tw
