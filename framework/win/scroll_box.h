#pragma once
// TScrollBox: a container that shows scroll bars when its unaligned children reach beyond its
// client area, and moves them when scrolled.

#include "framework/win/win_control.h"

namespace tw {

class TScrollBox : public TWinControl {
public:
  explicit TScrollBox(TComponent* AOwner);

  std::string ClassName() const override { return "TScrollBox"; }

  // How far the contents are scrolled, in pixels.
  int HorzPosition() const { return pos_x_; }
  int VertPosition() const { return pos_y_; }
  void ScrollTo(int x, int y);
  // The extent of the contents (children at scroll position 0).
  int HorzRange() const { return range_x_; }
  int VertRange() const { return range_y_; }

protected:
  void AlignControls(RECT& rect) override;
  void Dispatch(TMessage& message) override;

private:
  void UpdateScrollBars();
  void Scroll(int bar, WORD code);

  int pos_x_ = 0, pos_y_ = 0;
  int range_x_ = 0, range_y_ = 0;
  bool updating_ = false;
};

}  // namespace tw
