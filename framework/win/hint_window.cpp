#include "framework/win/hint_window.h"

#include <algorithm>

#include "framework/win/handles.h"
#include "framework/win/wide_text.h"

namespace tw {

namespace {
constexpr int kMargin = 2;
constexpr int kMaxWidth = 300;
}  // namespace

THintWindow::THintWindow(TComponent* AOwner) : TWinControl(AOwner) {
  SetVisible(false);
  SetColor(clInfoBk);
  Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.WindowClassStyle |= CS_SAVEBITS;
  params.WndParent = nullptr;
}

SIZE THintWindow::CalcHintSize(const std::string& text) {
  ScopedWindowDC dc(nullptr);
  ScopedSelectObject font(dc.Get(), Font().Handle());
  RECT r{0, 0, kMaxWidth, 0};
  DrawTextW(dc.Get(), ToWide(text).c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  int border = 2 * GetSystemMetrics(SM_CXBORDER);
  return {r.right + 2 * kMargin + border + 4, r.bottom + 2 * kMargin + border};
}

void THintWindow::ActivateHint(POINT p, const std::string& text) {
  SetCaption(text);
  SIZE size = CalcHintSize(text);
  p.x = std::clamp<LONG>(p.x, 0, std::max<LONG>(0, GetSystemMetrics(SM_CXSCREEN) - size.cx));
  p.y = std::clamp<LONG>(p.y, 0, std::max<LONG>(0, GetSystemMetrics(SM_CYSCREEN) - size.cy));
  SetBounds(p.x, p.y, size.cx, size.cy);
  SetWindowPos(Handle(), HWND_TOPMOST, p.x, p.y, size.cx, size.cy,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  SetVisible(true);
  Invalidate();
}

void THintWindow::ReleaseHint() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  SetVisible(false);
}

bool THintWindow::Active() const { return Visible(); }

void THintWindow::PaintWindow(HDC dc) {
  RECT r = ClientRect();
  InflateRect(&r, -kMargin, -kMargin);
  r.left += 2;
  ScopedSelectObject font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Font().Color()));
  DrawTextW(dc, ToWide(Caption()).c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace tw
