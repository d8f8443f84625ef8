#include "framework/win/image.h"

#include "framework/type_info.h"
#include "framework/win/handles.h"

namespace tw {
namespace {

const bool kRegistered = TTypeRegistry::Class<TImage>("TImage", "TGraphicControl")
                             .Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
                             .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
                             .Boolean("Center", &TImage::Center, &TImage::SetCenter, false)
                             .Done();

}  // namespace

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(Left(), Top(), 105, 105);
  picture_.OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_.OnChange = nullptr; }

void TImage::PictureChanged() {
  FitAndRepaint();
  if (OnPictureChange) OnPictureChange(this);
}

void TImage::FitAndRepaint() {
  const int w = shown_ ? shown_->Width() : picture_.Width(), h = shown_ ? shown_->Height() : picture_.Height();
  if (auto_size_ && w > 0 && h > 0) SetBounds(Left(), Top(), w, h);
  Invalidate();
}

void TImage::SetShownGraphic(TGraphic* graphic) {
  if (graphic == shown_) return;
  shown_ = graphic;
  FitAndRepaint();
}

void TImage::SetAutoSize(bool value) {
  if (auto_size_ == value) return;
  auto_size_ = value;
  FitAndRepaint();
}

void TImage::SetStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (center_ == value) return;
  center_ = value;
  Invalidate();
}

TRect TImage::DestRect() const {
  if (stretch_) return TRect{0, 0, Width(), Height()};
  const int w = shown_ ? shown_->Width() : picture_.Width(), h = shown_ ? shown_->Height() : picture_.Height();
  if (center_) {
    const int x = (Width() - w) / 2, y = (Height() - h) / 2;
    return TRect{x, y, x + w, y + h};
  }
  return TRect{0, 0, w, h};
}

void TImage::PaintControl(HDC dc) {
  TGraphic* graphic = shown_ ? shown_ : picture_.Graphic();
  if (!graphic || graphic->Empty()) return;
  // The control's area on the parent is its only surface.
  ScopedSaveDC saved(dc);
  IntersectClipRect(dc, 0, 0, Width(), Height());
  // The canvas lets the borrowed context go (deselecting its objects) before it is restored.
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.StretchDraw(DestRect(), *graphic);
}

}  // namespace tw
