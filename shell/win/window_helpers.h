#pragma once
// Small window and text helpers shared by the shell views.

#include <windows.h>

#include <string>

namespace tw {

// TEXT followed by CH, unless TEXT is empty, already ends with CH, or ends with the trail byte of
// a double-byte character of the system code page.
std::string IncludeTrailingChar(const std::string& text, char ch);

// Sets or clears BITS of WINDOW's style; writes only when the style changes. A null window is
// left alone.
void SetWindowStyleBits(HWND window, LONG_PTR bits, bool on);

// Scrolls WINDOW one line when its scroll bar (0 horizontal, 1 vertical) has room to move:
// direction 0 up or left, 1 down or right.
void AutoScrollStep(HWND window, int bar, int direction);

}  // namespace tw
