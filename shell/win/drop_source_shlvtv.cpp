#include "shell/win/drop_source_shlvtv.h"

namespace tw {
namespace {

constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

DWORD ButtonFlag(int button) {
  switch (button) {
    case 1:
      return MK_RBUTTON;
    case 2:
      return MK_MBUTTON;
    default:
      return MK_LBUTTON;
  }
}

}  // namespace

TDropSource_shlvtv::TDropSource_shlvtv(int button) : drag_button_(ButtonFlag(button)) {}

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL escape_pressed, DWORD key_state) {
  if (escape_pressed || (key_state & kMouseButtons & ~drag_button_)) return DRAGDROP_S_CANCEL;
  return (key_state & drag_button_) ? S_OK : DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

}  // namespace tw
