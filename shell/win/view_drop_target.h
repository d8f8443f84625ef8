#pragma once
// The drop target a shell view registers for its window: every step of a drag over the view is
// handed to the view's own drop handling (OleDragEnter, OleDragOver, OleDragLeave, OleDrop), with
// the point in screen co-ordinates. The view detaches itself when it goes; the shell may hold
// the target a little longer, and it then answers that nothing can be dropped.
// TDropTarget_shlv (the list's) and TDropTarget_shtv (the tree's) are this target for each view.

#include <ole2.h>

#include "framework/win/com_object.h"

namespace tw {

template <class View>
class TViewDropTarget : public TComObject<IDropTarget> {
public:
  explicit TViewDropTarget(View* view) : view_(view) {}
  void Detach() { view_ = nullptr; }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD key_state, POINTL point,
                                      DWORD* effect) override {
    if (!effect) return E_POINTER;
    if (!view_) return Refuse(effect);
    return view_->OleDragEnter(data, key_state, POINT{point.x, point.y}, *effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD key_state, POINTL point, DWORD* effect) override {
    if (!effect) return E_POINTER;
    if (!view_) return Refuse(effect);
    return view_->OleDragOver(key_state, POINT{point.x, point.y}, *effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    if (view_) view_->OleDragLeave();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD key_state, POINTL point,
                                 DWORD* effect) override {
    if (!effect) return E_POINTER;
    if (!view_) return Refuse(effect);
    return view_->OleDrop(data, key_state, POINT{point.x, point.y}, *effect);
  }

private:
  static HRESULT Refuse(DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  View* view_;
};

}  // namespace tw
