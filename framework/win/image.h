#pragma once
// TImage: a windowless control that shows a picture. With AutoSize it takes the picture's size
// whenever the picture changes; Stretch fills the control, Center centres an unstretched
// picture.

#include "framework/picture.h"
#include "framework/win/control.h"

namespace tw {

class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  std::string ClassName() const override { return "TImage"; }

  TPicture& Picture() { return picture_; }
  void SetPicture(const TPicture& value) { picture_.Assign(value); }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);

  // A graphic shown in place of the picture while set (the current screen of an animation the
  // picture holds); not owned. With AutoSize the control takes its size.
  TGraphic* ShownGraphic() const { return shown_; }
  void SetShownGraphic(TGraphic* graphic);

  // Where the picture (or the shown graphic) is drawn, in the control's co-ordinates.
  TRect DestRect() const;
  void PaintControl(HDC dc) override;

  // Raised after the picture changed and the control took its size.
  TNotifyEvent OnPictureChange;

private:
  void PictureChanged();
  void FitAndRepaint();

  TPicture picture_;
  TGraphic* shown_ = nullptr;
  bool auto_size_ = false;
  bool stretch_ = false;
  bool center_ = false;
};

}  // namespace tw
