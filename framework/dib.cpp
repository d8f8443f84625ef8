#include "framework/dib.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(LoadStr(SInvalidBitmap)); }

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }

// The information header sizes in use: 40 bytes, and the longer ones that add channel masks,
// colour space and profile fields.
bool KnownInfoHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// ROWS rows of STRIDE bytes, refused when beyond the cap; the division keeps the product from
// overflowing for any pair of 32-bit dimensions.
void CheckImageSize(std::int64_t stride, std::int64_t rows) {
  if (rows > 0 && stride > TDib::kMaxImageBytes / rows) throw EOutOfResources(LoadStr(SBitmapTooLarge));
}

// Fails when the stream holds fewer than COUNT bytes after its position, so that a header
// announcing a huge picture is refused before anything is allocated for it.
void RequireAvailable(TStream& stream, std::int64_t count) {
  if (count < 0 || stream.Size() - stream.Position() < count) throw EReadError(LoadStr(SReadError));
}

void Skip(TStream& stream, std::int64_t count) {
  RequireAvailable(stream, count);
  stream.Seek(count, TSeekOrigin::soCurrent);
}

// One colour channel described by a bit mask of a 16- or 32-bit pixel.
class MaskChannel {
public:
  explicit MaskChannel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    const std::uint32_t field = mask >> shift_;
    if ((field & (field + 1)) != 0) InvalidBitmap();  // the bits must be contiguous
    bits_ = std::popcount(field);
    max_ = field;
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (mask_ == 0) return 0;
    const std::uint32_t v = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return static_cast<std::uint8_t>(v >> (bits_ - 8));
    return static_cast<std::uint8_t>(v * 255 / max_);
  }

private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
  std::uint32_t max_ = 1;
};

}  // namespace

void WriteFileHeader(TStream& stream, const TBitmapFileHeader& h) {
  std::uint8_t b[TBitmapFileHeader::kSize];
  Put16(b, h.bfType);
  Put32(b + 2, h.bfSize);
  Put16(b + 6, h.bfReserved1);
  Put16(b + 8, h.bfReserved2);
  Put32(b + 10, h.bfOffBits);
  stream.WriteBuffer(b, sizeof b);
}

void WriteInfoHeader(TStream& stream, const TBitmapInfoHeader& h) {
  std::uint8_t b[TBitmapInfoHeader::kSize];
  Put32(b, h.biSize);
  Put32(b + 4, static_cast<std::uint32_t>(h.biWidth));
  Put32(b + 8, static_cast<std::uint32_t>(h.biHeight));
  Put16(b + 12, h.biPlanes);
  Put16(b + 14, h.biBitCount);
  Put32(b + 16, h.biCompression);
  Put32(b + 20, h.biSizeImage);
  Put32(b + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
  Put32(b + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
  Put32(b + 32, h.biClrUsed);
  Put32(b + 36, h.biClrImportant);
  stream.WriteBuffer(b, sizeof b);
}

bool DecodedPictureFits(std::int64_t width, std::int64_t height, int bpp, std::int64_t extra) {
  if (width < 0 || height < 0 || extra < 0 || extra > kMaxDecodeBytes) return false;
  if (height == 0) return true;
  const std::int64_t stride = TDib::RowBytes(width, std::max(bpp, 24));
  return stride <= (kMaxDecodeBytes - extra) / height;
}

std::int64_t TDib::RowBytes(std::int64_t width, int bpp) { return (width * bpp + 31) / 32 * 4; }

TDib::TDib(int width, int height, int bits_per_pixel) {
  if (width < 0 || height < 0 || !ValidDepth(bits_per_pixel)) InvalidBitmap();
  CheckImageSize(RowBytes(width, bits_per_pixel), height);
  const std::int64_t size = RowBytes(width, bits_per_pixel) * height;
  width_ = width;
  height_ = height;
  bpp_ = bits_per_pixel;
  if (bpp_ <= 8) palette_.assign(std::size_t{1} << bpp_, TRGBQuad{});
  bits_.assign(static_cast<std::size_t>(size), 0);
}

std::uint8_t* TDib::ScanLine(int y) {
  return bits_.data() + static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(height_ - 1 - y);
}

const std::uint8_t* TDib::ScanLine(int y) const { return const_cast<TDib*>(this)->ScanLine(y); }

std::uint32_t TDib::PixelColor(int x, int y) const {
  const std::uint8_t* row = ScanLine(y);
  auto quad = [](std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b) << 16;
  };
  if (bpp_ >= 24) {
    const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bpp_ / 8);
    return quad(p[0], p[1], p[2]);
  }
  const int bit = x * bpp_;
  const int index = (row[bit / 8] >> (8 - bpp_ - bit % 8)) & ((1 << bpp_) - 1);
  const TRGBQuad c = static_cast<std::size_t>(index) < palette_.size() ? palette_[index] : TRGBQuad{};
  return quad(c.Blue, c.Green, c.Red);
}

TBitmapInfoHeader TDib::InfoHeader() const {
  TBitmapInfoHeader h;
  h.biWidth = width_;
  h.biHeight = height_;
  h.biBitCount = static_cast<std::uint16_t>(bpp_);
  h.biSizeImage = static_cast<std::uint32_t>(bits_.size());
  return h;
}

void TDib::SavePackedDib(TStream& stream) const {
  if (bpp_ == 0) InvalidBitmap();
  WriteInfoHeader(stream, InfoHeader());
  std::vector<TRGBQuad> table(static_cast<std::size_t>(ColorTableEntries()));
  std::copy_n(palette_.begin(), std::min(table.size(), palette_.size()), table.begin());
  static_assert(sizeof(TRGBQuad) == 4);
  if (!table.empty()) stream.WriteBuffer(table.data(), static_cast<std::int64_t>(table.size() * 4));
  if (!bits_.empty()) stream.WriteBuffer(bits_.data(), static_cast<std::int64_t>(bits_.size()));
}

void TDib::SaveToBitmapFile(TStream& stream) const {
  if (bpp_ == 0) InvalidBitmap();
  TBitmapFileHeader fh;
  fh.bfOffBits = static_cast<std::uint32_t>(TBitmapFileHeader::kSize + TBitmapInfoHeader::kSize +
                                            4 * ColorTableEntries());
  fh.bfSize = fh.bfOffBits + static_cast<std::uint32_t>(bits_.size());
  WriteFileHeader(stream, fh);
  SavePackedDib(stream);
}

void TDib::LoadFromBitmapFile(TStream& stream) {
  std::uint8_t b[TBitmapFileHeader::kSize];
  stream.ReadBuffer(b, sizeof b);
  if (Get16(b) != TBitmapFileHeader::kSignature) InvalidBitmap();
  LoadInfoAndBits(stream, TBitmapFileHeader::kSize, Get32(b + 10));
}

void TDib::LoadFromPackedDib(TStream& stream) { LoadInfoAndBits(stream, 0, -1); }

void TDib::LoadInfoAndBits(TStream& stream, std::int64_t consumed, std::int64_t pixel_offset) {
  std::uint8_t b[124] = {};
  stream.ReadBuffer(b, 4);
  const std::uint32_t header_size = Get32(b);
  TBitmapInfoHeader h;
  bool core = false;
  if (header_size == TBitmapInfoHeader::kCoreSize) {
    stream.ReadBuffer(b + 4, 8);
    core = true;
    h.biWidth = Get16(b + 4);
    h.biHeight = Get16(b + 6);
    h.biBitCount = Get16(b + 10);
  } else if (KnownInfoHeaderSize(header_size)) {
    stream.ReadBuffer(b + 4, header_size - 4);
    h.biWidth = static_cast<std::int32_t>(Get32(b + 4));
    h.biHeight = static_cast<std::int32_t>(Get32(b + 8));
    h.biBitCount = Get16(b + 14);
    h.biCompression = Get32(b + 16);
    h.biClrUsed = Get32(b + 32);
  } else {
    InvalidBitmap();
  }
  consumed += header_size;

  const int bpp = h.biBitCount;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) InvalidBitmap();
  if (!ValidDepth(bpp) && bpp != 16) InvalidBitmap();
  const bool fields = h.biCompression == TBitmapInfoHeader::kBitFields;
  if (h.biCompression != TBitmapInfoHeader::kRgb && !(fields && (bpp == 16 || bpp == 32))) InvalidBitmap();

  // Channel masks of 16- and 32-bit pixels: in the longer headers, or after the 40-byte one.
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bpp == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (fields) {
    if (header_size == TBitmapInfoHeader::kSize) {
      stream.ReadBuffer(b + 40, 12);
      consumed += 12;
    }
    for (int i = 0; i < 3; ++i) masks[i] = Get32(b + 40 + 4 * i);
    if (bpp == 16 && ((masks[0] | masks[1] | masks[2]) & 0xFFFF0000u) != 0) InvalidBitmap();
  }
  const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);

  const bool top_down = h.biHeight < 0;
  const int width = h.biWidth;
  const int height = top_down ? -h.biHeight : h.biHeight;
  const int target_bpp = bpp == 16 ? 24 : bpp;
  // Checked before anything is read or allocated for the pixels.
  const std::int64_t source_stride = RowBytes(width, bpp);
  CheckImageSize(source_stride, height);
  CheckImageSize(RowBytes(width, target_bpp), height);
  if (!DecodedPictureFits(width, height, target_bpp)) InvalidBitmap();

  std::vector<TRGBQuad> palette;
  const int entry_size = core ? 3 : 4;
  if (bpp <= 8) {
    const std::uint32_t full = 1u << bpp;
    const std::uint32_t entries = h.biClrUsed == 0 ? full : h.biClrUsed;
    if (entries > full) InvalidBitmap();
    RequireAvailable(stream, std::int64_t{entries} * entry_size);
    std::vector<std::uint8_t> table(entries * entry_size);
    if (!table.empty()) stream.ReadBuffer(table.data(), static_cast<std::int64_t>(table.size()));
    palette.assign(full, TRGBQuad{});
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = &table[i * entry_size];
      palette[i] = TRGBQuad{e[0], e[1], e[2], 0};
    }
    consumed += std::int64_t{entries} * entry_size;
  } else if (pixel_offset < 0) {
    // A packed image keeps an optional colour table before true-colour pixels too.
    const std::int64_t table_bytes = std::int64_t{h.biClrUsed} * entry_size;
    Skip(stream, table_bytes);
    consumed += table_bytes;
  }
  // An offset pointing into the headers is taken as "pixels follow at once", as writers that
  // leave the field 0 expect.
  if (pixel_offset > consumed) Skip(stream, pixel_offset - consumed);

  RequireAvailable(stream, source_stride * height);
  TDib result(width, height, target_bpp);
  result.palette_ = std::move(palette);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(source_stride));
  const bool plain32 = bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
  for (int stored = 0; stored < height; ++stored) {
    const int y = top_down ? stored : height - 1 - stored;
    std::uint8_t* target = result.ScanLine(y);
    if (bpp != 16 && (bpp != 32 || plain32)) {
      stream.ReadBuffer(target, source_stride);
      continue;
    }
    stream.ReadBuffer(row.data(), source_stride);
    const int step = bpp / 8, out_step = target_bpp / 8;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &row[static_cast<std::size_t>(x) * step];
      const std::uint32_t pixel = bpp == 16 ? Get16(p) : Get32(p);
      std::uint8_t* t = target + static_cast<std::size_t>(x) * out_step;
      t[0] = blue(pixel);
      t[1] = green(pixel);
      t[2] = red(pixel);
    }
  }
  *this = std::move(result);
}

TDib TDib::ToDepth24() const {
  TDib out(width_, height_, 24);
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* src = ScanLine(y);
    std::uint8_t* dst = out.ScanLine(y);
    for (int x = 0; x < width_; ++x, dst += 3) {
      if (bpp_ >= 24) {
        std::memcpy(dst, src + static_cast<std::size_t>(x) * (bpp_ / 8), 3);
        continue;
      }
      const std::uint32_t c = PixelColor(x, y);
      dst[0] = static_cast<std::uint8_t>(c >> 16);
      dst[1] = static_cast<std::uint8_t>(c >> 8);
      dst[2] = static_cast<std::uint8_t>(c);
    }
  }
  return out;
}

}  // namespace tw
