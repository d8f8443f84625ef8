#include "viewers/win/wic_image.h"

#include <windows.h>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "viewers/win/imaging_decoder.h"

namespace tw {

TGraphicClass TWICImage::Class() {
  return {"TWICImage", [] { return std::unique_ptr<TGraphic>(new TWICImage); }};
}

void TWICImage::SetWidth(int) { throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation)); }

void TWICImage::SetHeight(int) { throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation)); }

void TWICImage::LoadFromStream(TStream& stream) {
  const std::int64_t size = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  std::vector<std::uint8_t> file(static_cast<std::size_t>(size));
  stream.ReadBuffer(file.data(), size);
  TDib pixels = DecodeWithImaging(file.data(), file.size(), true);
  file_ = std::move(file);
  pixels_ = std::move(pixels);
  drawing_.reset();
  Changed(this);
}

void TWICImage::SaveToStream(TStream& stream) {
  stream.WriteBuffer(file_.data(), static_cast<std::int64_t>(file_.size()));
}

void TWICImage::Assign(const TPersistent& source) {
  const auto* image = dynamic_cast<const TWICImage*>(&source);
  if (!image) return TGraphic::Assign(source);
  if (image == this) return;
  file_ = image->file_;
  pixels_ = image->pixels_;
  drawing_.reset();
  Changed(this);
}

void TWICImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (pixels_.Empty()) return;
  if (!drawing_) {
    drawing_ = std::make_unique<TBitmap>();
    drawing_->AssignDib(pixels_);
  }
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), drawing_->Canvas().Handle(), 0, 0,
                pixels_.Width(), pixels_.Height(), blend);
}

std::vector<std::string> RegisterImagingFormats() {
  static const std::vector<std::string> registered = [] {
    std::vector<std::string> made;
    for (const TImagingExtension& e : ImagingDecoderExtensions()) {
      if (FindGraphicClassForExtension(e.Extension)) continue;
      RegisterFileFormat(e.Extension, e.Description, TWICImage::Class());
      made.push_back(e.Extension);
    }
    return made;
  }();
  return registered;
}

}  // namespace tw
