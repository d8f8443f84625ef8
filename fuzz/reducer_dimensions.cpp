// Colour reduction of pictures of arbitrary (bounded) size, depth, pixels and method: the
// result must be a valid bitmap file of the requested depth and the picture's size, and every
// index must fall in the palette the method made.
#include <cstdlib>
#include <cstring>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "viewers/color_reduction.h"

namespace {

constexpr int kDepths[] = {1, 4, 8, 24, 32};
constexpr int kFormats[] = {tw::pf1bit, tw::pf4bit, tw::pf8bit, tw::pf24bit, tw::pf16bit};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

TW_FUZZ_TARGET(ReducerDimensions) {
  if (size < 6) return;
  const int width = 1 + (data[0] | (data[1] & 1) << 8);   // 1..512
  const int height = 1 + (data[2] | (data[3] & 1) << 8);  // 1..512
  const int depth = kDepths[data[4] % 5];
  const int format = kFormats[(data[4] / 5) % 5];
  const auto method = static_cast<tw::ReductionMethod>(data[5] % 6);
  data += 6;
  size -= 6;

  tw::TDib picture(width, height, depth);
  for (std::size_t i = 0; i < picture.ImageSize() && size > 0; ++i) picture.Bits()[i] = data[i % size];
  for (std::size_t i = 0; i < picture.Palette().size() && size > 0; ++i)
    std::memcpy(&picture.Palette()[i], data + (4 * i) % size, std::min<std::size_t>(4, size - (4 * i) % size));

  std::unique_ptr<tw::TMemoryStream> file;
  try {
    file = tw::BitmapToDib(picture, format, method);
  } catch (const tw::EAbort&) {
    Check(format == tw::pf16bit);
    return;
  }
  tw::TDib reduced;
  reduced.LoadFromBitmapFile(*file);
  Check(reduced.Width() == width && reduced.Height() == height);
  const int bits[] = {0, 1, 4, 8, 0, 0, 24};
  Check(reduced.BitsPerPixel() == bits[format]);
  if (format == tw::pf8bit && method == tw::rmMedianCut && depth != 8) {
    const std::uint8_t* header = file->Memory() + 14;
    const std::uint32_t colors = header[36] | header[37] << 8;
    Check(colors >= 1 && colors <= 256);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Check(reduced.ScanLine(y)[x] < colors);
  }
}

TW_FUZZ_SEEDS(ReducerDimensions) {
  std::vector<tw::fuzz::Bytes> seeds;
  for (std::uint8_t method = 0; method < 6; ++method)
    for (std::uint8_t kind : {0, 3, 12, 13, 24}) {
      tw::fuzz::Bytes seed = {static_cast<std::uint8_t>(5 + 7 * method), 0, static_cast<std::uint8_t>(3 + method), 0, kind, method};
      for (int i = 0; i < 64; ++i) seed.push_back(static_cast<std::uint8_t>(i * 37 + method));
      seeds.push_back(seed);
    }
  return seeds;
}
