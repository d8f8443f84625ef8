#pragma once
// Baseline TIFF files written byte by byte for the tests: uncompressed 8-bit RGB in one strip.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tw::tiff_test {

using Bytes = std::vector<std::uint8_t>;

// CLAIMED_WIDTH and CLAIMED_HEIGHT, when not 0, are declared instead of the size of the pixels.
inline Bytes RgbTiff(int width, int height, const std::function<std::array<std::uint8_t, 3>(int x, int y)>& pixel,
                     std::uint32_t claimed_width = 0, std::uint32_t claimed_height = 0) {
  Bytes b = {'I', 'I', 42, 0};
  auto put16 = [&](std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const std::uint32_t pixels = static_cast<std::uint32_t>(width) * height * 3;
  const std::uint32_t samples_at = 8, pixels_at = 14, ifd_at = pixels_at + pixels + (pixels & 1);
  put32(ifd_at);
  put16(8), put16(8), put16(8);  // the three bits-per-sample values
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto c = pixel(x, y);
      b.insert(b.end(), c.begin(), c.end());
    }
  if (pixels & 1) b.push_back(0);
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
  };
  const Entry entries[] = {{256, 4, 1, claimed_width ? claimed_width : static_cast<std::uint32_t>(width)},
                           {257, 4, 1, claimed_height ? claimed_height : static_cast<std::uint32_t>(height)},
                           {258, 3, 3, samples_at},
                           {259, 3, 1, 1},
                           {262, 3, 1, 2},
                           {273, 4, 1, pixels_at},
                           {277, 3, 1, 3},
                           {278, 4, 1, static_cast<std::uint32_t>(height)},
                           {279, 4, 1, pixels},
                           {284, 3, 1, 1}};
  put16(static_cast<std::uint32_t>(std::size(entries)));
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(e.count);
    if (e.type == 3 && e.count == 1) {
      put16(e.value);
      put16(0);
    } else {
      put32(e.value);
    }
  }
  put32(0);
  return b;
}

}  // namespace tw::tiff_test
