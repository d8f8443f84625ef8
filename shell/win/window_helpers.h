#pragma once
// Small window and text helpers shared by the shell views.

#include <windows.h>

#include <string>

namespace tw {

class TControl;

// TEXT followed by CH, unless TEXT is empty, already ends with CH, or ends with the trail byte of
// a double-byte character of the system code page.
std::string IncludeTrailingChar(const std::string& text, char ch);

// Sets or clears BITS of WINDOW's style; writes only when the style changes. A null window is
// left alone.
void SetWindowStyleBits(HWND window, LONG_PTR bits, bool on);

// Scrolls WINDOW one line when its scroll bar (0 horizontal, 1 vertical) has room to move:
// direction 0 up or left, 1 down or right.
void AutoScrollStep(HWND window, int bar, int direction);

// The auto-scroll of a view a drag is over: when at least 100 ms passed since LAST_STEP (a
// GetTickCount time, set anew here), one step towards the edge CLIENT_POINT is near: within 26
// pixels of the left or right edge, 20 of the top or bottom.
void DragAutoScroll(HWND window, POINT client_point, DWORD& last_step);

// The window of the form at the top of CONTROL's parent chain, the owner window every shell call
// of a view gets; null when the top control is not a form or has no window yet.
HWND OwnerFormHandle(TControl* control);

}  // namespace tw
