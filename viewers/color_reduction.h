#pragma once
// Colour reduction: turns a picture of any depth into a bitmap file image of 1, 4, 8 (or 24)
// bits per pixel, reducing true colour to at most 256 palette entries by one of six methods.
// The GIF encoder and the animated cursor's frame strip use it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "framework/dib.h"
#include "framework/stream.h"

namespace tw {

enum ReductionMethod : std::uint8_t {
  rmPopularity,     // the 256 most frequent colours after masking, others mapped to the nearest
  rmMedianCut,      // up to 256 colours by splitting a 4-bit-per-channel colour cube
  rmLevels784,      // fixed palette of 7 red x 8 green x 4 blue levels (224 colours)
  rmLevels666,      // fixed palette of 6 x 6 x 6 levels (216 colours)
  rmChannelDither,  // three 64-step single-channel ramps; each pixel shows one channel
  rmGray,           // 256 gray levels
};

// The method ReduceByColorCount uses.
inline ReductionMethod DefaultReductionMethod = rmPopularity;

// Pixel formats, numbered as the platform's bitmaps number them.
enum : int { pfDevice = 0, pf1bit = 1, pf4bit = 2, pf8bit = 3, pf15bit = 4, pf16bit = 5, pf24bit = 6, pf32bit = 7 };

// 2, 16 and 256 for pf1bit, pf4bit and pf8bit; 0 for the others.
int ColorsOfPixelFormat(int pixel_format);
// ((width * bits + alignment - 1) rounded down to a multiple of alignment) div 8.
int ScanLineBytes(int width, int bits_per_pixel, int alignment);
// BITS rounded up to whole 32-bit words, in bytes.
int RowBytes32(int bits);

// The levels of the fixed palettes, and for each byte value the index of its nearest level
// (the lower level on equal distance).
inline constexpr std::array<std::uint8_t, 4> kLevels4 = {0, 85, 170, 255};
inline constexpr std::array<std::uint8_t, 6> kLevels6 = {0, 51, 102, 153, 204, 255};
inline constexpr std::array<std::uint8_t, 7> kLevels7 = {0, 43, 85, 128, 170, 213, 255};
inline constexpr std::array<std::uint8_t, 8> kLevels8 = {0, 36, 73, 109, 146, 182, 219, 255};
// LEVELS is 4, 6, 7 or 8.
const std::array<std::uint8_t, 256>& NearestLevels(int levels);

// Reduces HEIGHT rows of WIDTH 24-bit pixels (blue, green, red; rows padded to 4 bytes, in
// stored order) at SOURCE to 8-bit palette indices at TARGET (rows padded to 4 bytes, same row
// order). TARGET may be SOURCE: each output row is written no further than its input row.
// Fills all 256 PALETTE entries and returns the value of the header's important-colours
// field: the colours made by rmMedianCut, 224 for rmLevels784, 216 for rmLevels666, else 0.
std::uint32_t ReducePixels(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                           ReductionMethod method, std::span<TRGBQuad, 256> palette);

// Turns a 24-bit picture into the 8-bit bitmap file image that METHOD makes of it, reducing
// its pixels in place.
std::unique_ptr<TMemoryStream> ReduceToDib8(TDib&& pixels24, ReductionMethod method);

// What the reduction needs of a bitmap: its pixel format and its pixels at 1, 4, 8, 24 or 32
// bits per pixel (bottom-up rows padded to 4 bytes). Pixels may fail with EAbort after
// ReductionNotSupported when the platform cannot deliver that depth.
class TReductionSource {
public:
  virtual ~TReductionSource() = default;
  // False for a bitmap without pixels (a bitmap without a handle).
  virtual bool Valid() const = 0;
  virtual int PixelFormat() const = 0;
  virtual TDib Pixels(int bits_per_pixel) const = 0;
};

// A TDib as a reduction source. Lower depths take the platform's default palettes: black and
// white for 1 bit, the sixteen standard colours for 4 bits, each pixel the nearest entry.
class TDibReductionSource : public TReductionSource {
public:
  explicit TDibReductionSource(const TDib& dib) : dib_(dib) {}
  bool Valid() const override { return !dib_.Empty(); }
  int PixelFormat() const override;
  TDib Pixels(int bits_per_pixel) const override;

private:
  const TDib& dib_;
};

// A new memory stream at position 0 holding BITMAP's file image at PIXEL_FORMAT (pf1bit,
// pf4bit, pf8bit or pf24bit); for pf8bit the pixels are reduced by METHOD. A bitmap already in
// that format is saved as it is, unless METHOD is rmGray. An invalid bitmap fails with
// EInvalidGraphic "Bitmap image is not valid"; any other format with ReductionNotSupported.
std::unique_ptr<TMemoryStream> BitmapToDib(const TReductionSource& bitmap, int pixel_format, ReductionMethod method);
std::unique_ptr<TMemoryStream> BitmapToDib(const TDib& bitmap, int pixel_format, ReductionMethod method);
// BitmapToDib with the format for COLORS (up to 2: 1 bit, 16: 4 bits, 256: 8 bits, more: 24
// bits) and DefaultReductionMethod.
std::unique_ptr<TMemoryStream> ReduceByColorCount(const TReductionSource& bitmap, int colors);
std::unique_ptr<TMemoryStream> ReduceByColorCount(const TDib& bitmap, int colors);

// Tells the user that a requested reduction is not available and ends the operation silently:
// runs the notice set with SetReductionNotSupportedNotice (the Windows side shows an
// information box), then throws EAbort.
[[noreturn]] void ReductionNotSupported();
void SetReductionNotSupportedNotice(std::function<void()> notice);

}  // namespace tw
