#pragma once
// TStatusBar: the system status bar, aligned to the bottom, showing one simple text.

#include "framework/win/win_control.h"

namespace tw {

class TStatusBar : public TWinControl {
public:
  explicit TStatusBar(TComponent* AOwner);

  std::string ClassName() const override { return "TStatusBar"; }

  const std::string& SimpleText() const { return simple_text_; }
  void SetSimpleText(const std::string& value);
  bool SizeGrip() const { return size_grip_; }
  void SetSizeGrip(bool value);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  void ShowSimpleText();

  std::string simple_text_;
  bool size_grip_ = true;
};

}  // namespace tw
