#include "framework/win/status_bar.h"

#include <commctrl.h>

#include "framework/win/form.h"
#include "framework/win/wide_text.h"
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TStatusBar>("TStatusBar", "TWinControl")
                             .String("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
                             .Done();
}  // namespace


TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alBottom);
  SetBounds(0, 0, 200, 19);
}

void TStatusBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = STATUSCLASSNAMEA;
  // The framework places the bar; the control must not move itself to its parent's bottom.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  TForm* form = GetParentForm();
  bool sizeable = form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin);
  if (size_grip_ && sizeable) params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  // One part spanning the bar carries the text (Wine's simple mode keeps no text).
  int right_edges[1] = {-1};
  SendMessageA(Handle(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(right_edges));
  ShowSimpleText();
}

void TStatusBar::SetSimpleText(const std::string& value) {
  simple_text_ = value;
  ShowSimpleText();
}

void TStatusBar::ShowSimpleText() {
  if (HandleAllocated()) {
    SendMessageW(Handle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(ToWide(simple_text_).c_str()));
  }
}

void TStatusBar::SetSizeGrip(bool value) {
  if (value == size_grip_) return;
  size_grip_ = value;
  RecreateWnd();
}

}  // namespace tw
