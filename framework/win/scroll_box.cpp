#include "framework/win/scroll_box.h"

#include <algorithm>
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TScrollBox>("TScrollBox", "TWinControl").Done();
}  // namespace


TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TScrollBox::AlignControls(RECT& rect) {
  TWinControl::AlignControls(rect);
  UpdateScrollBars();
}

void TScrollBox::UpdateScrollBars() {
  if (updating_) return;
  updating_ = true;
  range_x_ = range_y_ = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    range_x_ = std::max(range_x_, c->Left() + c->Width() + pos_x_);
    range_y_ = std::max(range_y_, c->Top() + c->Height() + pos_y_);
  }
  if (HandleAllocated()) {
    // Showing one bar shrinks the client area, which may call for the other: two rounds settle it.
    for (int round = 0; round < 2; ++round) {
      RECT client = ClientRect();
      for (int bar : {SB_HORZ, SB_VERT}) {
        int range = bar == SB_HORZ ? range_x_ : range_y_;
        int page = bar == SB_HORZ ? client.right : client.bottom;
        SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE, 0, std::max(0, range - 1),
                        static_cast<UINT>(std::max(0, page)), 0, 0};
        if (range <= page) info.nMax = 0;
        SetScrollInfo(Handle(), bar, &info, TRUE);
        ShowScrollBar(Handle(), bar, range > page);
      }
    }
    RECT client = ClientRect();
    int max_x = std::max(0, range_x_ - static_cast<int>(client.right));
    int max_y = std::max(0, range_y_ - static_cast<int>(client.bottom));
    updating_ = false;
    ScrollTo(std::min(pos_x_, max_x), std::min(pos_y_, max_y));
    return;
  }
  updating_ = false;
}

void TScrollBox::ScrollTo(int x, int y) {
  x = std::max(0, x);
  y = std::max(0, y);
  int dx = pos_x_ - x, dy = pos_y_ - y;
  if (dx == 0 && dy == 0) return;
  pos_x_ = x;
  pos_y_ = y;
  updating_ = true;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() == alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  updating_ = false;
  if (HandleAllocated()) {
    SetScrollPos(Handle(), SB_HORZ, pos_x_, TRUE);
    SetScrollPos(Handle(), SB_VERT, pos_y_, TRUE);
    Invalidate();
  }
}

void TScrollBox::Scroll(int bar, WORD code) {
  SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(Handle(), bar, &info);
  int pos = info.nPos;
  int page = static_cast<int>(info.nPage);
  switch (code) {
    case SB_LINEUP: pos -= 8; break;
    case SB_LINEDOWN: pos += 8; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(0, info.nMax - page + 1));
  if (bar == SB_HORZ) {
    ScrollTo(pos, pos_y_);
  } else {
    ScrollTo(pos_x_, pos);
  }
}

void TScrollBox::Dispatch(TMessage& message) {
  // Scroll messages from the box's own bars carry no control window in lParam.
  if ((message.Msg == WM_HSCROLL || message.Msg == WM_VSCROLL) && message.LParam == 0) {
    Scroll(message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(message.WParam));
    return;
  }
  TWinControl::Dispatch(message);
}

}  // namespace tw
