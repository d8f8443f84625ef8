// A windowed control's children: inserting and removing them, finding one by position, tab
// order and focus, and laying out the aligned ones in the client area.
#include "framework/win/win_control.h"

#include <algorithm>

#include "framework/win/form.h"

namespace tw {

void TWinControl::InsertControl(TControl* control) {
  control->parent_ = this;
  controls_.push_back(control);
  if (auto* w = dynamic_cast<TWinControl*>(control)) tab_list_.push_back(w);
  control->ParentColorChanged();
  control->ParentFontChanged();
  if (control->parent_show_hint_) control->show_hint_ = ShowHint();
  if (handle_) {
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->HandleNeeded();
  }
  if (control->Align() != alNone) Realign();
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  if (control->parent_ != this) return;
  control->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    w->DestroyHandle();
    std::erase(tab_list_, w);
  }
  std::erase(controls_, control);
  if (mouse_capture_child_ == control) mouse_capture_child_ = nullptr;
  control->parent_ = nullptr;
  if (control->Align() != alNone && !IsDestroying()) Realign();
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() || !c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::NotifyChildren(UINT msg) {
  for (TControl* c : controls_) c->Perform(msg);
}

void TWinControl::SetTabStop(bool value) {
  if (value == tab_stop_) return;
  tab_stop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    style = value ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!Parent()) return;
  auto& list = Parent()->tab_list_;
  std::erase(list, this);
  value = std::clamp(value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TForm* form = GetParentForm(); form && form != this) {
    form->SetActiveControl(this);
  } else {
    ::SetFocus(Handle());
  }
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& out) {
  for (TWinControl* w : tab_list_) {
    out.push_back(w);
    w->CollectTabOrder(out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward,
                                          bool check_tab_stop) {
  std::vector<TWinControl*> order;
  CollectTabOrder(order);
  if (order.empty()) return nullptr;
  int count = static_cast<int>(order.size());
  auto it = std::find(order.begin(), order.end(), current);
  int start = it == order.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - order.begin());
  for (int step = 1; step <= count; ++step) {
    int i = ((start + (forward ? step : -step)) % count + count) % count;
    TWinControl* w = order[i];
    if (w->CanFocus() && (!check_tab_stop || w->TabStop())) return w;
  }
  return nullptr;
}

void TWinControl::Realign() {
  if (align_disabled_ > 0 || aligning_) return;
  aligning_ = true;
  try {
    RECT r = ClientRect();
    AlignControls(r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::EnableAlign() {
  if (align_disabled_ > 0 && --align_disabled_ == 0) Realign();
}

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::AlignControls(RECT& rect) {
  AdjustClientRect(rect);
  // Within one kind of alignment, controls keep the order of their positions (the earlier the
  // closer to the edge), and the order of insertion among equals.
  auto key = [](TControl* c) {
    switch (c->Align()) {
      case alTop: return c->Top();
      case alBottom: return -(c->Top() + c->Height());
      case alLeft: return c->Left();
      case alRight: return -(c->Left() + c->Width());
      default: return 0;
    }
  };
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->Align() == kind && c->Visible()) list.push_back(c);
    }
    std::stable_sort(list.begin(), list.end(),
                     [&](TControl* a, TControl* b) { return key(a) < key(b); });
    for (TControl* c : list) {
      int w = std::max(0L, rect.right - rect.left);
      int h = std::max(0L, rect.bottom - rect.top);
      switch (kind) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->Height());
          rect.top += c->Height();
          break;
        case alBottom:
          c->SetBounds(rect.left, rect.bottom - c->Height(), w, c->Height());
          rect.bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->Width(), h);
          rect.left += c->Width();
          break;
        case alRight:
          c->SetBounds(rect.right - c->Width(), rect.top, c->Width(), h);
          rect.right -= c->Width();
          break;
        default:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
      }
    }
  }
}

}  // namespace tw
