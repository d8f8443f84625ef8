#pragma once
// THintWindow: the small pop-up window that shows a control's hint text near the mouse.

#include <string>

#include "framework/win/win_control.h"

namespace tw {

class THintWindow : public TWinControl {
public:
  explicit THintWindow(TComponent* AOwner);

  std::string ClassName() const override { return "THintWindow"; }

  // Shows TEXT with its top-left corner at the screen point P (kept on the screen).
  void ActivateHint(POINT p, const std::string& text);
  void ReleaseHint();
  bool Active() const;
  // The size the window needs for TEXT.
  SIZE CalcHintSize(const std::string& text);

protected:
  void CreateParams(TCreateParams& params) override;
  void PaintWindow(HDC dc) override;
};

}  // namespace tw
