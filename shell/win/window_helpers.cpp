#include "shell/win/window_helpers.h"

#include "framework/win/form.h"

namespace tw {

std::string IncludeTrailingChar(const std::string& text, char ch) {
  if (text.empty() || text.back() == ch) return text;
  // Walk from the start: only a full walk knows whether the last byte ends a lead/trail pair.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      if (i + 1 == text.size() - 1) return text;
      ++i;
    }
  }
  return text + ch;
}

void SetWindowStyleBits(HWND window, LONG_PTR bits, bool on) {
  if (!window) return;
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR wanted = on ? (style | bits) : (style & ~bits);
  if (wanted != style) SetWindowLongPtrA(window, GWL_STYLE, wanted);
}

void AutoScrollStep(HWND window, int bar, int direction) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(window, bar == 0 ? SB_HORZ : SB_VERT, &info)) return;
  if (info.nMax - info.nMin - static_cast<int>(info.nPage) <= 0) return;
  const UINT message = bar == 0 ? WM_HSCROLL : WM_VSCROLL;
  // SB_LINEUP equals SB_LINELEFT and SB_LINEDOWN equals SB_LINERIGHT.
  SendMessageA(window, message, direction == 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

void DragAutoScroll(HWND window, POINT client_point, DWORD& last_step) {
  constexpr DWORD kInterval = 100;
  constexpr int kMarginX = 26;
  constexpr int kMarginY = 20;
  if (GetTickCount() - last_step < kInterval) return;
  RECT client{};
  GetClientRect(window, &client);
  if (client_point.x < kMarginX)
    AutoScrollStep(window, 0, 0);
  else if (client_point.x > client.right - kMarginX)
    AutoScrollStep(window, 0, 1);
  if (client_point.y < kMarginY)
    AutoScrollStep(window, 1, 0);
  else if (client_point.y > client.bottom - kMarginY)
    AutoScrollStep(window, 1, 1);
  last_step = GetTickCount();
}

HWND OwnerFormHandle(TControl* control) {
  if (!control) return nullptr;
  TControl* top = control;
  while (top->Parent()) top = top->Parent();
  auto* form = dynamic_cast<TForm*>(top);
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

}  // namespace tw
