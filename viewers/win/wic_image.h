#pragma once
// TWICImage: a picture of any format that the platform's imaging component decodes and that
// Tarnwick has no class of its own for (PNG, TIFF, and WebP or HEIC where Windows has the
// codec). The file's bytes are kept as read; frame 0 is decoded when loading, so a file the
// decoder rejects fails to load and the picture keeps what it showed. It draws with its alpha
// channel blended over what is below.

#include <cstdint>
#include <vector>

#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/win/bitmap.h"

namespace tw {

class TWICImage : public TGraphic {
public:
  TWICImage() = default;
  TWICImage(const TWICImage&) = delete;
  TWICImage& operator=(const TWICImage&) = delete;

  std::string ClassName() const override { return "TWICImage"; }
  static TGraphicClass Class();
  std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TWICImage>(); }

  bool Empty() const override { return pixels_.Empty(); }
  int Width() const override { return pixels_.Width(); }
  int Height() const override { return pixels_.Height(); }
  // The size is the file's: EInvalidGraphicOperation.
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  bool Transparent() const override { return true; }
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // Decodes the bytes from the stream's position to its end; a failure (an unknown format, a
  // damaged file, a size beyond the decoders' bound) raises EInvalidGraphic and leaves the
  // picture as it was.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(const TPersistent& source) override;

  // The decoded pixels: 32 bits, colours premultiplied by alpha.
  const TDib& Pixels() const { return pixels_; }

private:
  std::vector<std::uint8_t> file_;
  TDib pixels_;
  // The pixels as a bitmap for drawing, made on the first draw and kept.
  std::unique_ptr<TBitmap> drawing_;
};

// Registers TWICImage at start-up for every extension the installed decoders declare that no
// picture class is registered for yet, so that Tarnwick's own classes keep theirs. Runs once
// (COM must be initialised); returns the extensions it registered.
std::vector<std::string> RegisterImagingFormats();

}  // namespace tw
