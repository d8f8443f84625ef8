#include "framework/win/splitter.h"

#include <algorithm>
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TSplitter>("TSplitter", "TWinControl")
                             .Integer("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize, 30)
                             .Done();
}  // namespace


TSplitter::TSplitter(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindNeighbour() const {
  TWinControl* parent = Parent();
  if (!parent || Align() == alNone || Align() == alClient) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    bool touches = false;
    switch (Align()) {
      case alLeft: touches = c->Left() + c->Width() == Left(); break;
      case alRight: touches = c->Left() == Left() + Width(); break;
      case alTop: touches = c->Top() + c->Height() == Top(); break;
      case alBottom: touches = c->Top() == Top() + Height(); break;
      default: break;
    }
    if (touches) return c;
  }
  return nullptr;
}

// The neighbour may grow until the controls that share the axis leave MinSize for the rest.
int TSplitter::MaxNeighbourSize() const {
  TWinControl* parent = Parent();
  RECT client = parent->ClientRect();
  parent->AdjustClientRect(client);
  int available = Horizontal() ? client.right - client.left : client.bottom - client.top;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == neighbour_ || !c->Visible()) continue;
    bool same_axis = Horizontal() ? (c->Align() == alLeft || c->Align() == alRight)
                                  : (c->Align() == alTop || c->Align() == alBottom);
    if (same_axis) available -= Horizontal() ? c->Width() : c->Height();
  }
  return std::max(min_size_, available - min_size_);
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  neighbour_ = FindNeighbour();
  if (!neighbour_) return;
  drag_start_ = ClientToScreen({x, y});
  start_size_ = Horizontal() ? neighbour_->Width() : neighbour_->Height();
  SetCapture(Handle());
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TWinControl::MouseMove(shift, x, y);
  if (!neighbour_) return;
  POINT p = ClientToScreen({x, y});
  int delta = Horizontal() ? p.x - drag_start_.x : p.y - drag_start_.y;
  if (Align() == alRight || Align() == alBottom) delta = -delta;
  int size = std::clamp(start_size_ + delta, min_size_, MaxNeighbourSize());
  if (Horizontal()) {
    neighbour_->SetWidth(size);
  } else {
    neighbour_->SetHeight(size);
  }
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !neighbour_) return;
  neighbour_ = nullptr;
  if (GetCapture() == Handle()) ReleaseCapture();
  if (OnMoved) OnMoved(this);
}

void TSplitter::Dispatch(TMessage& message) {
  // A drag ends when another window takes the mouse away.
  if (message.Msg == WM_CAPTURECHANGED) neighbour_ = nullptr;
  if (message.Msg == WM_SETCURSOR) SetCursor(Horizontal() ? crHSplit : crVSplit);
  TWinControl::Dispatch(message);
}

}  // namespace tw
