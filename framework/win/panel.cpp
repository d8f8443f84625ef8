#include "framework/win/panel.h"

#include "framework/type_info.h"
#include "framework/win/handles.h"
#include "framework/win/wide_text.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TPanel>("TPanel", "TWinControl")
                             .Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
                             .Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0)
                             .Done();
}  // namespace


TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevel_outer_) return;
  bevel_outer_ = value;
  FrameChanged();
}

void TPanel::SetBevelInner(TBevelCut value) {
  if (value == bevel_inner_) return;
  bevel_inner_ = value;
  FrameChanged();
}

void TPanel::SetBevelWidth(int value) {
  if (value == bevel_width_ || value < 1) return;
  bevel_width_ = value;
  FrameChanged();
}

void TPanel::SetBorderWidth(int value) {
  if (value == border_width_ || value < 0) return;
  border_width_ = value;
  FrameChanged();
}

void TPanel::FrameChanged() {
  Realign();
  Invalidate();
}

int TPanel::FrameWidth() const {
  int width = border_width_;
  if (bevel_outer_ != bvNone) width += bevel_width_;
  if (bevel_inner_ != bvNone) width += bevel_width_;
  return width;
}

void TPanel::AdjustClientRect(RECT& rect) {
  int frame = FrameWidth();
  InflateRect(&rect, -frame, -frame);
}

void TPanel::TextChanged() {
  TWinControl::TextChanged();
  Invalidate();
}

void TPanel::PaintWindow(HDC dc) {
  RECT r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    for (int i = 0; i < bevel_width_; ++i) {
      DrawEdge(dc, &r, cut == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  };
  bevel(bevel_outer_);
  InflateRect(&r, -border_width_, -border_width_);
  bevel(bevel_inner_);
  std::string caption = Caption();
  if (caption.empty()) return;
  ScopedSelectObject font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : clGrayText));
  DrawTextW(dc, ToWide(caption).c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace tw
