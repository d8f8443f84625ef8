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

  // Where the picture is drawn, in the control's co-ordinates.
  TRect DestRect() const;
  void PaintControl(HDC dc) override;

private:
  void PictureChanged();

  TPicture picture_;
  bool auto_size_ = false;
  bool stretch_ = false;
  bool center_ = false;
};

}  // namespace tw
