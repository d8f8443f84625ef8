#pragma once
// TSplitter: a bar between aligned controls. Dragging it with the left button resizes the
// neighbour it is aligned against (the control on the same edge right before it), which moves
// the splitter and the controls after it along.

#include "framework/win/win_control.h"

namespace tw {

class TSplitter : public TWinControl {
public:
  explicit TSplitter(TComponent* AOwner);

  std::string ClassName() const override { return "TSplitter"; }

  int MinSize() const { return min_size_; }
  void SetMinSize(int value) { min_size_ = value < 1 ? 1 : value; }
  // The control this splitter resizes, found from the current layout; null when none.
  TControl* FindNeighbour() const;

  TNotifyEvent OnMoved;

protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Dispatch(TMessage& message) override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  int MaxNeighbourSize() const;

  int min_size_ = 30;
  TControl* neighbour_ = nullptr;
  POINT drag_start_{};
  int start_size_ = 0;
};

}  // namespace tw
