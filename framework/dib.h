#pragma once
// Device-independent pixel storage shared by every picture format: bottom-up rows padded to
// 32 bits, 1, 4, 8, 24 or 32 bits per pixel, and a colour table for the depths up to 8.
//
// The bitmap file reader accepts:
//   - the 12-byte core header and the 40-, 52-, 56-, 108- and 124-byte information headers;
//   - bottom-up and top-down (negative height) rows;
//   - 1, 4, 8, 24 and 32 bits uncompressed, and 16 and 32 bits uncompressed or with bit-field
//     masks (16-bit pixels become 24-bit, masked 32-bit pixels become plain 32-bit);
//   - a colour table shorter than the depth allows (the rest stays black).
// Run-length compressed files are refused as invalid bitmaps.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw {

class TStream;

// One colour table entry, in the byte order of the bitmap file.
struct TRGBQuad {
  std::uint8_t Blue = 0;
  std::uint8_t Green = 0;
  std::uint8_t Red = 0;
  std::uint8_t Reserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// The bitmap file's headers, as laid out in the file (little-endian, no padding).
struct TBitmapFileHeader {
  static constexpr std::uint16_t kSignature = 0x4D42;  // "BM"
  static constexpr int kSize = 14;
  std::uint16_t bfType = kSignature;
  std::uint32_t bfSize = 0;
  std::uint16_t bfReserved1 = 0;
  std::uint16_t bfReserved2 = 0;
  std::uint32_t bfOffBits = 0;
};

struct TBitmapInfoHeader {
  static constexpr int kSize = 40;
  static constexpr int kCoreSize = 12;
  static constexpr std::uint32_t kRgb = 0;
  static constexpr std::uint32_t kBitFields = 3;
  std::uint32_t biSize = kSize;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = kRgb;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

// Little-endian serialisation of the headers.
void WriteFileHeader(TStream& stream, const TBitmapFileHeader& header);
void WriteInfoHeader(TStream& stream, const TBitmapInfoHeader& header);

// The most memory one decoded picture may take, whatever its format (bitmap files, GIF frames,
// animated cursors, JPEG): a quarter of the 2 GiB a 32-bit process can address, which leaves
// room for the copy that drawing makes. Decoders refuse a larger picture as not valid before
// they allocate anything for it.
inline constexpr std::int64_t kMaxDecodeBytes = std::int64_t{512} << 20;

// Whether a WIDTH x HEIGHT picture fits kMaxDecodeBytes with EXTRA bytes the decoder keeps
// besides. Its rows count at 24 bits per pixel (what drawing turns them into), or at BPP when
// that is deeper. 64-bit arithmetic, safe for any pair of 32-bit sizes.
bool DecodedPictureFits(std::int64_t width, std::int64_t height, int bpp = 24, std::int64_t extra = 0);

class TDib {
public:
  // The largest pixel buffer a TDib will allocate; larger sizes fail with EOutOfResources.
  static constexpr std::int64_t kMaxImageBytes = std::int64_t{1} << 30;

  TDib() = default;
  // A zero-filled picture. A width or height below 0, or a depth other than 1, 4, 8, 24, 32,
  // fails with EInvalidGraphic; a size beyond kMaxImageBytes with EOutOfResources. A width or
  // height of 0 gives an empty picture. Depths up to 8 get a black colour table of full size.
  TDib(int width, int height, int bits_per_pixel);

  // Bytes of one stored row: WIDTH pixels of BPP bits, padded to 32 bits. 64-bit arithmetic.
  static std::int64_t RowBytes(std::int64_t width, int bpp);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::int64_t Stride() const { return RowBytes(width_, bpp_); }

  std::vector<TRGBQuad>& Palette() { return palette_; }
  const std::vector<TRGBQuad>& Palette() const { return palette_; }

  // Row Y counted from the top of the picture (stored rows are bottom-up).
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  std::uint8_t* Bits() { return bits_.data(); }
  const std::uint8_t* Bits() const { return bits_.data(); }
  std::size_t ImageSize() const { return bits_.size(); }

  // The colour of pixel (x, y) as a colour value (red + green * 256 + blue * 65536).
  std::uint32_t PixelColor(int x, int y) const;

  // The bitmap file image: file header, information header, colour table, pixels. Loading
  // starts at the stream's position and leaves it after the pixels; a malformed or truncated
  // image fails with EInvalidGraphic ("Bitmap image is not valid") or EReadError and leaves
  // this picture unchanged.
  void LoadFromBitmapFile(TStream& stream);
  void SaveToBitmapFile(TStream& stream) const;
  // The same without the 14-byte file header (the clipboard's device-independent bitmap).
  void LoadFromPackedDib(TStream& stream);
  void SavePackedDib(TStream& stream) const;

  // The information header this picture is saved with (40 bytes, uncompressed, full colour
  // table), and the size of its colour table in entries.
  TBitmapInfoHeader InfoHeader() const;
  int ColorTableEntries() const { return bpp_ <= 8 ? 1 << bpp_ : 0; }

  // A copy of this picture at 24 bits per pixel.
  TDib ToDepth24() const;

  friend bool operator==(const TDib&, const TDib&) = default;

private:
  void LoadInfoAndBits(TStream& stream, std::int64_t consumed, std::int64_t pixel_offset);

  int width_ = 0;
  int height_ = 0;
  int bpp_ = 0;
  std::vector<TRGBQuad> palette_;
  std::vector<std::uint8_t> bits_;
};

}  // namespace tw
