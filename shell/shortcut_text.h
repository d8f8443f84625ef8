#pragma once
// Menu shortcut texts such as "Ctrl+C", "Shift+F10" or "^X" turned into shortcut values: the
// virtual key code in the low byte and the modifiers Shift (0x2000), Ctrl (0x4000) and
// Alt (0x8000) above it.

#include <string_view>

#include "framework/shortcut.h"

namespace tw {

// Prefixes "Shift+", "Ctrl+" or "^", "Alt+" in any order and any letter case, then one key: a
// named key ("BkSp", "Tab", "Enter", "Esc", "Space", "PgUp", "PgDn", "End", "Home", "Left",
// "Up", "Right", "Down", "Ins", "Del"), a digit or letter, "F1" to "F24", or "#" and a decimal
// key code from 1 to 255. Anything else gives 0, no shortcut.
TShortCut TextToShortCut(std::string_view text);

}  // namespace tw
