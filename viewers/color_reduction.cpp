#include "viewers/color_reduction.h"

#include <utility>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/color_reduction_methods.h"
#include "viewers/color_reduction_vector.h"

namespace tw {
namespace {

template <std::size_t N>
constexpr std::array<std::uint8_t, 256> NearestTable(const std::array<std::uint8_t, N>& levels) {
  std::array<std::uint8_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    int best = 0;
    for (int i = 1; i < static_cast<int>(N); ++i) {
      const int d = v > levels[i] ? v - levels[i] : levels[i] - v;
      const int best_d = v > levels[best] ? v - levels[best] : levels[best] - v;
      if (d < best_d) best = i;
    }
    table[v] = static_cast<std::uint8_t>(best);
  }
  return table;
}

constexpr auto kNearest4 = NearestTable(kLevels4);
constexpr auto kNearest6 = NearestTable(kLevels6);
constexpr auto kNearest7 = NearestTable(kLevels7);
constexpr auto kNearest8 = NearestTable(kLevels8);

// A fixed palette's index as two lookups: one by a pixel's blue and green together (its low 16
// bits), one by its red. The pass is bound by loads, and this saves one per pixel. The vector
// rows compute the same index from each channel's nibble shares.
struct LevelTables {
  std::vector<std::uint8_t> blue_green;
  std::array<std::uint8_t, 256> red{};
  std::array<reduction::NibbleLevels, 3> shares{};
};

LevelTables MakeLevelTables(const std::array<std::uint8_t, 256>& red, int red_factor,
                            const std::array<std::uint8_t, 256>& green, int green_factor,
                            const std::array<std::uint8_t, 256>& blue) {
  LevelTables t;
  t.blue_green.resize(65536);
  for (int g = 0; g < 256; ++g)
    for (int b = 0; b < 256; ++b) t.blue_green[static_cast<std::size_t>(g << 8 | b)] = static_cast<std::uint8_t>(green[g] * green_factor + blue[b]);
  for (int r = 0; r < 256; ++r) t.red[r] = static_cast<std::uint8_t>(red[r] * red_factor);
  t.shares = {reduction::NibbleLevelsOf(blue, 1), reduction::NibbleLevelsOf(green, static_cast<std::uint8_t>(green_factor)),
              reduction::NibbleLevelsOf(red, static_cast<std::uint8_t>(red_factor))};
  return t;
}

constexpr TRGBQuad kUnused{128, 128, 128, 0};

std::function<void()>& NotSupportedNotice() {
  static std::function<void()> notice;
  return notice;
}

// Writes 8-bit rows: VECTOR_ROW(in, out, width) does a leading part of each row and returns
// how many pixels it did, INDEX(pixel) (blue | green << 8 | red << 16) gives the rest.
template <class VectorRow, class Index>
void MapPixels(const std::uint8_t* source, std::uint8_t* target, int width, int height, VectorRow vector_row,
               Index index) {
  const auto in_stride = static_cast<std::size_t>(TDib::RowBytes(width, 24));
  const auto out_stride = static_cast<std::size_t>(TDib::RowBytes(width, 8));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = source + in_stride * static_cast<std::size_t>(y);
    std::uint8_t* out = target + out_stride * static_cast<std::size_t>(y);
    reduction::ForEachPixelOfRow(in, vector_row(in, out, width), width,
                                 [&](int x, std::uint32_t pixel) { out[x] = index(pixel); });
  }
}

void MapLevels(const std::uint8_t* source, std::uint8_t* target, int width, int height, const LevelTables& t) {
  MapPixels(
      source, target, width, height,
      [&](const std::uint8_t* in, std::uint8_t* out, int w) { return reduction::LevelsRow(in, out, w, t.shares); },
      [&](std::uint32_t pixel) { return static_cast<std::uint8_t>(t.blue_green[pixel & 0xFFFF] + t.red[pixel >> 16]); });
}

void Levels666(const std::uint8_t* source, std::uint8_t* target, int width, int height,
               std::span<TRGBQuad, 256> palette) {
  for (int i = 0; i < 256; ++i) palette[i] = kUnused;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette[r * 36 + g * 6 + b] = TRGBQuad{kLevels6[b], kLevels6[g], kLevels6[r], 0};
  static const LevelTables tables = MakeLevelTables(kNearest6, 36, kNearest6, 6, kNearest6);
  MapLevels(source, target, width, height, tables);
}

void Levels784(const std::uint8_t* source, std::uint8_t* target, int width, int height,
               std::span<TRGBQuad, 256> palette) {
  for (int i = 0; i < 256; ++i) palette[i] = kUnused;
  for (int r = 0; r < 7; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 4; ++b) palette[r * 32 + g * 4 + b] = TRGBQuad{kLevels4[b], kLevels8[g], kLevels7[r], 0};
  static const LevelTables tables = MakeLevelTables(kNearest7, 32, kNearest8, 4, kNearest4);
  MapLevels(source, target, width, height, tables);
}

void ChannelDither(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                   std::span<TRGBQuad, 256> palette) {
  for (int i = 0; i < 256; ++i) palette[i] = TRGBQuad{};
  for (int i = 0; i < 64; ++i) {
    const auto v = static_cast<std::uint8_t>(4 * i);
    palette[i] = TRGBQuad{0, 0, v, 0};
    palette[64 + i] = TRGBQuad{0, v, 0, 0};
    palette[128 + i] = TRGBQuad{v, 0, 0, 0};
  }
  // Phase (y + x) mod 3 picks red, green or blue, which lie at bytes 2, 1 and 0 of a pixel: one
  // byte is read per pixel, and the phase is stepped rather than divided.
  const auto in_stride = static_cast<std::size_t>(TDib::RowBytes(width, 24));
  const auto out_stride = static_cast<std::size_t>(TDib::RowBytes(width, 8));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = source + in_stride * static_cast<std::size_t>(y);
    std::uint8_t* out = target + out_stride * static_cast<std::size_t>(y);
    int x = reduction::ChannelDitherRow(row, out, width, y % 3);
    int phase = (y + x) % 3;
    for (const std::uint8_t* in = row + 3 * static_cast<std::size_t>(x); x < width; ++x, in += 3) {
      out[x] = static_cast<std::uint8_t>(64 * phase + (in[2 - phase] >> 2));
      phase = phase == 2 ? 0 : phase + 1;
    }
  }
}

void Gray(const std::uint8_t* source, std::uint8_t* target, int width, int height, std::span<TRGBQuad, 256> palette) {
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    palette[i] = TRGBQuad{v, v, v, 0};
  }
  // The weighted channels by lookup: three loads are cheaper here than three multiplications.
  struct Weights {
    std::array<std::uint16_t, 256> red, green, blue;
  };
  static const Weights w = [] {
    Weights t{};
    for (int v = 0; v < 256; ++v) {
      t.red[v] = static_cast<std::uint16_t>(v * 77);
      t.green[v] = static_cast<std::uint16_t>(v * 150);
      t.blue[v] = static_cast<std::uint16_t>(v * 29);
    }
    return t;
  }();
  MapPixels(source, target, width, height, reduction::GrayRow, [](std::uint32_t pixel) {
    return static_cast<std::uint8_t>((w.red[pixel >> 16] + w.green[pixel >> 8 & 0xFF] + w.blue[pixel & 0xFF]) >> 8);
  });
}

std::unique_ptr<TMemoryStream> FileImage(const TDib& dib) {
  auto stream = std::make_unique<TMemoryStream>();
  dib.SaveToBitmapFile(*stream);
  stream->SetPosition(0);
  return stream;
}

int BitsOfPixelFormat(int pixel_format) {
  switch (pixel_format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 0;
  }
}

// The platform's default colour tables of 1- and 4-bit device-independent pixels.
const std::vector<TRGBQuad>& DefaultTable(int bpp) {
  static const std::vector<TRGBQuad> mono = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  static const std::vector<TRGBQuad> sixteen = {
      {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
      {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
      {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
      {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0}};
  return bpp == 1 ? mono : sixteen;
}

int NearestEntry(const std::vector<TRGBQuad>& table, std::uint32_t color) {
  const int r = static_cast<int>(color & 0xFF), g = static_cast<int>(color >> 8 & 0xFF), b = static_cast<int>(color >> 16 & 0xFF);
  int best = 0, best_d = 1 << 30;
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    const int dr = r - table[i].Red, dg = g - table[i].Green, db = b - table[i].Blue;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_d) best = i, best_d = d;
  }
  return best;
}

}  // namespace

int ColorsOfPixelFormat(int pixel_format) {
  switch (pixel_format) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
  }
}

int ScanLineBytes(int width, int bits_per_pixel, int alignment) {
  const std::int64_t bits = std::int64_t{width} * bits_per_pixel + alignment - 1;
  return static_cast<int>(bits / alignment * alignment / 8);
}

int RowBytes32(int bits) { return (bits + 31) / 32 * 4; }

const std::array<std::uint8_t, 256>& NearestLevels(int levels) {
  switch (levels) {
    case 4: return kNearest4;
    case 6: return kNearest6;
    case 7: return kNearest7;
    default: return kNearest8;
  }
}

std::uint32_t ReducePixels(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                           ReductionMethod method, std::span<TRGBQuad, 256> palette) {
  switch (method) {
    case rmPopularity: reduction::Popularity(source, target, width, height, palette); return 0;
    case rmMedianCut: return reduction::MedianCut(source, target, width, height, palette);
    case rmLevels784: Levels784(source, target, width, height, palette); return 224;
    case rmLevels666: Levels666(source, target, width, height, palette); return 216;
    case rmChannelDither: ChannelDither(source, target, width, height, palette); return 0;
    case rmGray: Gray(source, target, width, height, palette); return 0;
  }
  ReductionNotSupported();
}

std::unique_ptr<TMemoryStream> ReduceToDib8(TDib&& pixels24, ReductionMethod method) {
  if (pixels24.BitsPerPixel() != 24) ReductionNotSupported();
  const int width = pixels24.Width(), height = pixels24.Height();
  std::array<TRGBQuad, 256> palette{};
  const std::uint32_t important = ReducePixels(pixels24.Bits(), pixels24.Bits(), width, height, method, palette);

  TBitmapInfoHeader info;
  info.biWidth = width;
  info.biHeight = height;
  info.biBitCount = 8;
  info.biSizeImage = static_cast<std::uint32_t>(TDib::RowBytes(width, 8) * height);
  info.biClrImportant = important;
  TBitmapFileHeader file;
  file.bfOffBits = TBitmapFileHeader::kSize + TBitmapInfoHeader::kSize + 256 * 4;
  file.bfSize = file.bfOffBits + info.biSizeImage;

  auto stream = std::make_unique<TMemoryStream>();
  stream->SetSize(file.bfSize);
  WriteFileHeader(*stream, file);
  WriteInfoHeader(*stream, info);
  stream->WriteBuffer(palette.data(), 256 * 4);
  stream->WriteBuffer(pixels24.Bits(), info.biSizeImage);
  stream->SetPosition(0);
  return stream;
}

int TDibReductionSource::PixelFormat() const {
  switch (dib_.BitsPerPixel()) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfDevice;
  }
}

TDib TDibReductionSource::Pixels(int bits_per_pixel) const {
  if (bits_per_pixel == dib_.BitsPerPixel()) return dib_;
  if (bits_per_pixel == 24) return dib_.ToDepth24();
  if (bits_per_pixel != 1 && bits_per_pixel != 4) ReductionNotSupported();
  TDib out(dib_.Width(), dib_.Height(), bits_per_pixel);
  out.Palette() = DefaultTable(bits_per_pixel);
  for (int y = 0; y < out.Height(); ++y) {
    std::uint8_t* row = out.ScanLine(y);
    for (int x = 0; x < out.Width(); ++x) {
      const int index = NearestEntry(out.Palette(), dib_.PixelColor(x, y));
      const int bit = x * bits_per_pixel;
      row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits_per_pixel - bit % 8));
    }
  }
  return out;
}

std::unique_ptr<TMemoryStream> BitmapToDib(const TReductionSource& bitmap, int pixel_format, ReductionMethod method) {
  if (!bitmap.Valid()) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  const int bits = BitsOfPixelFormat(pixel_format);
  if (bitmap.PixelFormat() == pixel_format && method != rmGray) {
    const int own = pixel_format == pf32bit ? 32 : bits;
    if (own != 0) return FileImage(bitmap.Pixels(own));
  }
  if (bits == 0) ReductionNotSupported();
  if (bits != 8) return FileImage(bitmap.Pixels(bits));
  TDib pixels = bitmap.Pixels(24);
  return ReduceToDib8(std::move(pixels), method);
}

std::unique_ptr<TMemoryStream> BitmapToDib(const TDib& bitmap, int pixel_format, ReductionMethod method) {
  return BitmapToDib(TDibReductionSource(bitmap), pixel_format, method);
}

std::unique_ptr<TMemoryStream> ReduceByColorCount(const TReductionSource& bitmap, int colors) {
  const int format = colors <= 2 ? pf1bit : colors <= 16 ? pf4bit : colors <= 256 ? pf8bit : pf24bit;
  return BitmapToDib(bitmap, format, DefaultReductionMethod);
}

std::unique_ptr<TMemoryStream> ReduceByColorCount(const TDib& bitmap, int colors) {
  return ReduceByColorCount(TDibReductionSource(bitmap), colors);
}

void SetReductionNotSupportedNotice(std::function<void()> notice) { NotSupportedNotice() = std::move(notice); }

void ReductionNotSupported() {
  if (NotSupportedNotice()) NotSupportedNotice()();
  throw EAbort();
}

}  // namespace tw
