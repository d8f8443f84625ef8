#pragma once
// Pictures for the colour reduction tests and the reduced file images read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/dib.h"
#include "framework/stream.h"
#include "viewers/color_reduction.h"
#include "viewers/color_reduction_vector.h"

namespace tw::reduction_test {

struct Rgb {
  std::uint8_t r, g, b;
};

// A 24-bit picture whose pixels, in top-to-bottom, left-to-right order, are COLORS.
inline TDib Picture(int width, const std::vector<Rgb>& colors) {
  const int height = static_cast<int>((colors.size() + width - 1) / width);
  TDib dib(width, height, 24);
  for (std::size_t i = 0; i < colors.size(); ++i) {
    std::uint8_t* p = dib.ScanLine(static_cast<int>(i / width)) + 3 * (i % width);
    p[0] = colors[i].b;
    p[1] = colors[i].g;
    p[2] = colors[i].r;
  }
  return dib;
}

// The reduced file image, loaded back.
struct Reduced {
  TDib dib;
  std::uint32_t important = 0;
  std::vector<std::uint8_t> bytes;
  int Index(int x, int y) const { return dib.ScanLine(y)[x]; }
  TRGBQuad Color(int x, int y) const { return dib.Palette()[static_cast<std::size_t>(Index(x, y))]; }
};

inline Reduced Reduce(const TDib& picture, ReductionMethod method, int format = pf8bit) {
  auto stream = BitmapToDib(picture, format, method);
  Reduced out;
  EXPECT_EQ(stream->Position(), 0);
  out.bytes = stream->Bytes();
  out.dib.LoadFromBitmapFile(*stream);
  if (out.bytes.size() >= 54)
    out.important = out.bytes[50] | out.bytes[51] << 8 | out.bytes[52] << 16 | static_cast<std::uint32_t>(out.bytes[53]) << 24;
  return out;
}

// A small xorshift generator: the same numbers on every target.
struct XorShift {
  std::uint32_t state;
  std::uint32_t operator()() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// A photo-like picture from integer arithmetic only, so that it is the same on every target:
// smooth gradients over the frame, noise of +-NOISE on every channel and a few flat patches
// that make runs of one colour.
inline TDib PhotoLike(int width, int height, int noise) {
  TDib dib(width, height, 24);
  XorShift next{0x2545F491};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int flat = (x / 40 + y / 30) % 7 == 0;
      const int base[3] = {255 * (height - 1 - y) / std::max(1, height - 1),
                           128 + (x * 3 + y) % 200 - 100,
                           255 * x * y / std::max(1, (width - 1) * (height - 1))};
      for (int c = 0; c < 3; ++c) {
        const int n = flat ? 0 : static_cast<int>(next() % static_cast<std::uint32_t>(2 * noise + 1)) - noise;
        row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(base[c] + n, 0, 255));
      }
    }
  }
  return dib;
}

// Turns the vector rows on or off for a test's duration.
class VectorRowsSetting {
public:
  explicit VectorRowsSetting(bool enabled) : previous_(reduction::VectorRowsEnabled()) {
    reduction::SetVectorRowsEnabled(enabled);
  }
  ~VectorRowsSetting() { reduction::SetVectorRowsEnabled(previous_); }
  VectorRowsSetting(const VectorRowsSetting&) = delete;
  VectorRowsSetting& operator=(const VectorRowsSetting&) = delete;

private:
  bool previous_;
};

}  // namespace tw::reduction_test
