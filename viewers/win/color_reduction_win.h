#pragma once
// Colour reduction of a bitmap handle: the platform delivers the bitmap's pixels through
// GetDIBits (at 1 or 4 bits directly, otherwise at 24 bits for the reduction).

#include <windows.h>

#include <memory>

#include "viewers/color_reduction.h"

namespace tw {

// A bitmap handle as a reduction source; PALETTE, when given, is selected and realised in the
// memory device context the pixels are taken through.
class TBitmapReductionSource : public TReductionSource {
public:
  explicit TBitmapReductionSource(HBITMAP bitmap, HPALETTE palette = nullptr) : bitmap_(bitmap), palette_(palette) {}
  bool Valid() const override;
  int PixelFormat() const override;
  TDib Pixels(int bits_per_pixel) const override;

private:
  HBITMAP bitmap_;
  HPALETTE palette_;
};

std::unique_ptr<TMemoryStream> BitmapToDib(HBITMAP bitmap, int pixel_format, ReductionMethod method,
                                           HPALETTE palette = nullptr);
std::unique_ptr<TMemoryStream> ReduceByColorCount(HBITMAP bitmap, int colors, HPALETTE palette = nullptr);

}  // namespace tw
