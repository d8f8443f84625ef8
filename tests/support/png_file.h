#pragma once
// PNG files written byte by byte for the tests (stored deflate blocks, no compression), so that
// decoders are checked against files made independently of them.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw::png_test {

using Bytes = std::vector<std::uint8_t>;

enum ColorType : std::uint8_t { kGray = 0, kRgb = 2, kPalette = 3, kRgba = 6 };

struct PngLayout {
  int width = 1;
  int height = 1;
  ColorType color_type = kRgb;
  bool interlaced = false;
  // For kPalette: the colours, and the alpha of the first entries (a tRNS chunk) when given.
  std::vector<std::array<std::uint8_t, 3>> palette;
  std::vector<std::uint8_t> palette_alpha;
  // Declared in the header instead of width and height when not 0 (the pixels stay 1 x 1).
  std::uint32_t claimed_width = 0;
  std::uint32_t claimed_height = 0;
};

// The samples of pixel (x, y) from the top: red, green, blue, alpha; a palette index or a gray
// level in [0].
using PixelFn = std::function<std::array<std::uint8_t, 4>(int x, int y)>;

inline void PutBigEndian32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void Chunk(Bytes& file, const char* type, const Bytes& data) {
  PutBigEndian32(file, static_cast<std::uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  file.insert(file.end(), typed.begin(), typed.end());
  PutBigEndian32(file, Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored blocks.
inline Bytes Zlib(const Bytes& raw) {
  Bytes z = {0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(z, b << 16 | a);
  return z;
}

inline Bytes PngFile(const PngLayout& layout, const PixelFn& pixel) {
  const int channels = layout.color_type == kRgba ? 4 : layout.color_type == kRgb ? 3 : 1;
  Bytes raw;
  // Adam7: each pass's first column and row and its steps; one pass for a plain file.
  struct Pass {
    int x0, y0, dx, dy;
  };
  const std::vector<Pass> passes = layout.interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                                                       {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                                                       {0, 1, 1, 2}}
                                                   : std::vector<Pass>{{0, 0, 1, 1}};
  for (const Pass& pass : passes) {
    if (pass.x0 >= layout.width) continue;
    for (int y = pass.y0; y < layout.height; y += pass.dy) {
      raw.push_back(0);  // no filter
      for (int x = pass.x0; x < layout.width; x += pass.dx) {
        const auto samples = pixel(x, y);
        raw.insert(raw.end(), samples.begin(), samples.begin() + channels);
      }
    }
  }
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian32(header, layout.claimed_width ? layout.claimed_width : static_cast<std::uint32_t>(layout.width));
  PutBigEndian32(header, layout.claimed_height ? layout.claimed_height : static_cast<std::uint32_t>(layout.height));
  header.insert(header.end(), {8, static_cast<std::uint8_t>(layout.color_type), 0, 0,
                               static_cast<std::uint8_t>(layout.interlaced ? 1 : 0)});
  Chunk(file, "IHDR", header);
  if (layout.color_type == kPalette) {
    Bytes plte;
    for (const auto& c : layout.palette) plte.insert(plte.end(), c.begin(), c.end());
    Chunk(file, "PLTE", plte);
    if (!layout.palette_alpha.empty()) Chunk(file, "tRNS", layout.palette_alpha);
  }
  Chunk(file, "IDAT", Zlib(raw));
  Chunk(file, "IEND", {});
  return file;
}

}  // namespace tw::png_test
