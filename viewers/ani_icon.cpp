#include "viewers/ani_icon.h"

#include <algorithm>
#include <cstring>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

constexpr int kDirectoryHeaderSize = 6;
constexpr int kDirectoryEntrySize = 16;
constexpr int kInfoHeaderSize = 40;
// Larger images than this are not icons; the bound also keeps the size arithmetic small.
constexpr int kMaxIconSide = 4096;

std::uint32_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Where the parts of one checked image lie, relative to the start of the file image.
struct ImageLayout {
  TIconEntryInfo info;
  std::size_t palette = 0;
  int palette_entries = 0;
  std::size_t colour_bits = 0;
  std::size_t mask_bits = 0;
  std::int64_t colour_stride = 0;
  std::int64_t mask_stride = 0;
};

std::uint32_t Get32BigEndian(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The signature, then the header chunk: its length, "IHDR", width and height (big-endian).
constexpr std::size_t kPngHeaderEnd = 8 + 8 + 8;

bool IsPng(const std::vector<std::uint8_t>& bytes, std::uint64_t offset, std::uint64_t size) {
  return size >= sizeof kPngSignature && std::equal(std::begin(kPngSignature), std::end(kPngSignature),
                                                    bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A PNG image: its size from its header chunk, which must come first.
bool ReadPngLayout(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size, ImageLayout& out) {
  if (size < kPngHeaderEnd || std::memcmp(&bytes[offset + 12], "IHDR", 4) != 0) return false;
  const std::uint32_t width = Get32BigEndian(bytes, offset + 16);
  const std::uint32_t height = Get32BigEndian(bytes, offset + 20);
  if (width < 1 || width > kMaxIconSide || height < 1 || height > kMaxIconSide) return false;
  out.info = {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size), static_cast<int>(width),
              static_cast<int>(height), 32, true};
  return true;
}

bool ReadLayout(const std::vector<std::uint8_t>& bytes, std::size_t entry, ImageLayout& out) {
  const std::uint64_t size = Get32(bytes, entry + 8);
  const std::uint64_t offset = Get32(bytes, entry + 12);
  if (offset + size > bytes.size()) return false;
  if (IsPng(bytes, offset, size)) return ReadPngLayout(bytes, offset, size, out);
  if (size < kInfoHeaderSize) return false;
  const std::uint32_t header_size = Get32(bytes, offset);
  if (header_size < kInfoHeaderSize || header_size > size) return false;
  const auto width = static_cast<std::int32_t>(Get32(bytes, offset + 4));
  const auto height2 = static_cast<std::int32_t>(Get32(bytes, offset + 8));
  const int bit_count = static_cast<int>(Get16(bytes, offset + 14));
  const std::uint32_t compression = Get32(bytes, offset + 16);
  const std::uint32_t colours_used = Get32(bytes, offset + 32);
  if (width < 1 || width > kMaxIconSide || height2 < 2 || height2 > 2 * kMaxIconSide) return false;
  if (compression != TBitmapInfoHeader::kRgb) return false;
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 24 && bit_count != 32) return false;
  int palette_entries = 0;
  if (bit_count <= 8) {
    if (colours_used > (1u << bit_count)) return false;
    palette_entries = colours_used ? static_cast<int>(colours_used) : 1 << bit_count;
  }
  const int height = height2 / 2;
  out.info = {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size), width, height, bit_count};
  out.palette_entries = palette_entries;
  out.colour_stride = TDib::RowBytes(width, bit_count);
  out.mask_stride = TDib::RowBytes(width, 1);
  out.palette = offset + header_size;
  out.colour_bits = out.palette + 4 * static_cast<std::size_t>(palette_entries);
  out.mask_bits = out.colour_bits + static_cast<std::size_t>(out.colour_stride * height);
  return out.mask_bits + static_cast<std::uint64_t>(out.mask_stride * height) <= offset + size;
}

std::vector<ImageLayout> ReadLayouts(const std::vector<std::uint8_t>& bytes) {
  std::vector<ImageLayout> layouts;
  if (bytes.size() < kDirectoryHeaderSize || Get16(bytes, 0) != 0) return layouts;
  const std::uint32_t type = Get16(bytes, 2);
  const std::size_t count = Get16(bytes, 4);
  if ((type != 1 && type != 2) || count == 0) return layouts;
  if (kDirectoryHeaderSize + count * kDirectoryEntrySize > bytes.size()) return layouts;
  for (std::size_t i = 0; i < count; ++i) {
    ImageLayout layout;
    if (!ReadLayout(bytes, kDirectoryHeaderSize + i * kDirectoryEntrySize, layout)) return {};
    layouts.push_back(layout);
  }
  return layouts;
}

}  // namespace

std::vector<TIconEntryInfo> ReadIconDirectory(const std::vector<std::uint8_t>& bytes) {
  std::vector<TIconEntryInfo> entries;
  for (const auto& layout : ReadLayouts(bytes)) entries.push_back(layout.info);
  return entries;
}

void TIconImage::LoadFromBytes(std::vector<std::uint8_t> bytes) {
  const auto layouts = ReadLayouts(bytes);
  if (layouts.empty() || Get16(bytes, 2) != 1) throw EInvalidGraphic(LoadStr(SInvalidImage));
  width_ = layouts[0].info.Width;
  height_ = layouts[0].info.Height;
  bytes_ = std::move(bytes);
  Changed();
}

void TIconImage::LoadFromStream(TStream& stream) {
  const std::int64_t count = stream.Size() - stream.Position();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
  stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  LoadFromBytes(std::move(bytes));
}

void TIconImage::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(bytes_.data(), static_cast<std::int64_t>(bytes_.size()));
}

void TIconImage::Clear() {
  bytes_.clear();
  width_ = height_ = 0;
  Changed();
}

void TIconImage::Assign(const TPersistent& source) {
  if (const auto* icon = dynamic_cast<const TIconImage*>(&source)) {
    if (icon == this) return;
    bytes_ = icon->bytes_;
    width_ = icon->width_;
    height_ = icon->height_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

TIconPngDecoder& IconPngDecoder() {
  static TIconPngDecoder decoder;
  return decoder;
}

namespace {

// Blends colour BGR of opacity ALPHA over D, a pixel of BYTES: 3 (opaque colour) or 4 (colours
// premultiplied by the alpha that follows them).
void Blend(std::uint8_t* d, int bytes, const std::uint8_t* bgr, int alpha) {
  for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((bgr[c] * alpha + d[c] * (255 - alpha) + 127) / 255);
  if (bytes == 4) d[3] = static_cast<std::uint8_t>((255 * alpha + d[3] * (255 - alpha) + 127) / 255);
}

// Blends 32-bit pixels with straight alpha over TARGET (24 or 32 bits) at (X0, Y0), clipped.
void BlendOnto(const TDib& pixels, TDib& target, int x0, int y0) {
  const int bytes = target.BitsPerPixel() / 8;
  for (int y = 0; y < pixels.Height(); ++y) {
    const int ty = y0 + y;
    if (ty < 0 || ty >= target.Height()) continue;
    const std::uint8_t* in = pixels.ScanLine(y);
    std::uint8_t* out = target.ScanLine(ty);
    for (int x = 0; x < pixels.Width(); ++x) {
      const int tx = x0 + x;
      if (tx < 0 || tx >= target.Width()) continue;
      Blend(out + bytes * tx, bytes, in + 4 * x, in[4 * x + 3]);
    }
  }
}

}  // namespace

void TIconImage::DrawOnto(TDib& target, int x0, int y0) const {
  const int bytes = target.BitsPerPixel() / 8;
  if (bytes_.empty() || (bytes != 3 && bytes != 4)) return;
  const ImageLayout layout = ReadLayouts(bytes_).front();
  if (layout.info.Png) {
    const auto& decode = IconPngDecoder();
    if (!decode) throw EInvalidGraphic(LoadStr(SPngIconNotDrawable));
    const TDib pixels = decode(bytes_.data() + layout.info.Offset, layout.info.Size);
    if (pixels.BitsPerPixel() != 32) throw EInvalidGraphic(LoadStr(SInvalidImage));
    return BlendOnto(pixels, target, x0, y0);
  }
  const int w = layout.info.Width;
  const int h = layout.info.Height;
  const int bpp = layout.info.BitCount;
  const std::uint8_t* data = bytes_.data();
  bool has_alpha = false;
  if (bpp == 32) {
    for (int y = 0; y < h && !has_alpha; ++y) {
      const std::uint8_t* row = data + layout.colour_bits + y * layout.colour_stride;
      for (int x = 0; x < w; ++x)
        if (row[4 * x + 3] != 0) {
          has_alpha = true;
          break;
        }
    }
  }
  for (int y = 0; y < h; ++y) {
    const int ty = y0 + y;
    if (ty < 0 || ty >= target.Height()) continue;
    const std::int64_t stored = h - 1 - y;
    const std::uint8_t* colour_row = data + layout.colour_bits + stored * layout.colour_stride;
    const std::uint8_t* mask_row = data + layout.mask_bits + stored * layout.mask_stride;
    std::uint8_t* out = target.ScanLine(ty);
    for (int x = 0; x < w; ++x) {
      const int tx = x0 + x;
      if (tx < 0 || tx >= target.Width()) continue;
      std::uint8_t bgr[3];
      std::uint8_t alpha = 255;
      if (bpp <= 8) {
        int index;
        if (bpp == 8)
          index = colour_row[x];
        else if (bpp == 4)
          index = (x & 1) ? colour_row[x / 2] & 15 : colour_row[x / 2] >> 4;
        else
          index = (colour_row[x / 8] >> (7 - x % 8)) & 1;
        if (index < layout.palette_entries) {
          const std::uint8_t* quad = data + layout.palette + 4 * index;
          std::copy(quad, quad + 3, bgr);
        } else {
          bgr[0] = bgr[1] = bgr[2] = 0;
        }
      } else {
        const std::uint8_t* px = colour_row + x * (bpp / 8);
        std::copy(px, px + 3, bgr);
        if (bpp == 32) alpha = px[3];
      }
      std::uint8_t* d = out + bytes * tx;
      if (has_alpha) {
        Blend(d, bytes, bgr, alpha);
      } else if ((mask_row[x / 8] >> (7 - x % 8)) & 1) {
        for (int c = 0; c < 3; ++c) d[c] ^= bgr[c];
        if (bytes == 4 && (bgr[0] | bgr[1] | bgr[2])) d[3] = 255;
      } else {
        std::copy(bgr, bgr + 3, d);
        if (bytes == 4) d[3] = 255;
      }
    }
  }
}

void TIconImage::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace tw
