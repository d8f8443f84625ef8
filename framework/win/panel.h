#pragma once
// TPanel: a container with raised or lowered bevels and a centred caption.

#include "framework/win/win_control.h"

namespace tw {

enum class TBevelCut { bvNone, bvLowered, bvRaised };
using enum TBevelCut;

class TPanel : public TWinControl {
public:
  explicit TPanel(TComponent* AOwner);

  std::string ClassName() const override { return "TPanel"; }

  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut value);
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int value);

  // Children are aligned inside the bevels and the border.
  void AdjustClientRect(RECT& rect) override;

protected:
  void PaintWindow(HDC dc) override;
  void TextChanged() override;

private:
  int FrameWidth() const;
  void FrameChanged();

  TBevelCut bevel_outer_ = bvRaised;
  TBevelCut bevel_inner_ = bvNone;
  int bevel_width_ = 1;
  int border_width_ = 0;
};

}  // namespace tw
