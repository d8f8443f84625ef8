#pragma once
// TDropSource_shlvtv: the drop source of a drag out of the shell list or tree. The drag goes on
// while the button that started it is held, drops when it is released, and is cancelled by
// Escape or by pressing one of the other mouse buttons.

#include <ole2.h>

#include "framework/win/com_object.h"

namespace tw {

class TDropSource_shlvtv : public TComObject<IDropSource> {
public:
  // BUTTON: 0 left, 1 right, 2 middle.
  explicit TDropSource_shlvtv(int button);

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape_pressed, DWORD key_state) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
  DWORD drag_button_;
};

}  // namespace tw
