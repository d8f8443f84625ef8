#pragma once
// Keyboard shortcut values of menu items: the virtual key code in the low byte and the
// modifiers Shift (0x2000), Ctrl (0x4000) and Alt (0x8000) above it; 0 is no shortcut.

#include <cstdint>

namespace tw {

using TShortCut = std::uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

}  // namespace tw
