// giflib as an independent oracle: our code streams decode with giflib's decoder to the same
// pixels, and giflib's code streams decode here to the same pixels.
#ifdef TW_HAVE_GIFLIB

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "tests/viewers/gif/giflib_memory_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/viewers/gif/lzw_test_support.h"
#include "viewers/gif/lzw.h"

namespace tw {
namespace {

using lzw_test::Bytes;
using lzw_test::Picture;
using lzw_test::RandomPicture;

// The order in which an interlaced GIF stores its rows, written out from the format's four passes.
std::vector<int> FileRowOrder(int height, bool interlaced) {
  std::vector<int> order;
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  const int start[4] = {0, 4, 2, 1};
  const int step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
  return order;
}

void Add16(Bytes& b, int v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A one-frame GIF file around a code stream, with a gray global table of 2^TABLE_BITS entries.
Bytes WrapInGif(const Bytes& stream, int width, int height, int table_bits, bool interlaced) {
  Bytes gif = {'G', 'I', 'F', '8', '7', 'a'};
  Add16(gif, width);
  Add16(gif, height);
  gif.push_back(static_cast<std::uint8_t>(0x80 | (table_bits - 1) << 4 | (table_bits - 1)));
  gif.push_back(0);
  gif.push_back(0);
  for (int i = 0; i < (1 << table_bits); ++i) gif.insert(gif.end(), 3, static_cast<std::uint8_t>(i));
  gif.push_back(',');
  Add16(gif, 0);
  Add16(gif, 0);
  Add16(gif, width);
  Add16(gif, height);
  gif.push_back(interlaced ? 0x40 : 0);
  gif.insert(gif.end(), stream.begin(), stream.end());
  gif.push_back(';');
  return gif;
}

using test::MemoryFile;
using test::ReadMemory;
using test::WriteMemory;

// giflib's reading of the first frame, one value per pixel, rows top-down.
std::vector<unsigned> GiflibDecode(const Bytes& gif_file, int width, int height, bool interlaced) {
  MemoryFile file{gif_file};
  int error = 0;
  GifFileType* gif = DGifOpen(&file, ReadMemory, &error);
  EXPECT_NE(gif, nullptr) << GifErrorString(error);
  std::vector<unsigned> values(static_cast<std::size_t>(width) * height);
  if (!gif) return values;
  GifRecordType record;
  do {
    EXPECT_EQ(DGifGetRecordType(gif, &record), GIF_OK);
  } while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE);
  EXPECT_EQ(DGifGetImageDesc(gif), GIF_OK);
  std::vector<GifPixelType> line(width);
  for (int y : FileRowOrder(height, interlaced)) {
    EXPECT_EQ(DGifGetLine(gif, line.data(), width), GIF_OK) << "row " << y;
    std::copy(line.begin(), line.end(), values.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  DGifCloseFile(gif, &error);
  return values;
}

// giflib's code stream for the picture (87a, gray global table of the picture's depth).
Bytes GiflibEncode(const Picture& p, bool interlaced) {
  MemoryFile file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, WriteMemory, &error);
  EXPECT_NE(gif, nullptr);
  if (!gif) return {};
  const int colors = 1 << p.bpp;
  std::vector<GifColorType> gray(colors);
  for (int i = 0; i < colors; ++i) gray[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i), static_cast<GifByteType>(i)};
  ColorMapObject* map = GifMakeMapObject(colors, gray.data());
  EXPECT_EQ(EGifPutScreenDesc(gif, p.width, p.height, p.bpp, 0, map), GIF_OK);
  EXPECT_EQ(EGifPutImageDesc(gif, 0, 0, p.width, p.height, interlaced, nullptr), GIF_OK);
  std::vector<GifPixelType> line(p.width);
  for (int y : FileRowOrder(p.height, interlaced)) {
    for (int x = 0; x < p.width; ++x) line[x] = static_cast<GifPixelType>(p.Get(x, y));
    EXPECT_EQ(EGifPutLine(gif, line.data(), p.width), GIF_OK);
  }
  EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  GifFreeMapObject(map);

  // Header, screen descriptor, global table, image descriptor; then the code stream up to and
  // including its terminator.
  const Bytes& b = file.bytes;
  std::size_t at = 6 + 7 + 3 * static_cast<std::size_t>(colors);
  EXPECT_EQ(b.at(at), ',');
  at += 10;
  const std::size_t begin = at++;
  while (b.at(at) != 0) at += 1 + b[at];
  return Bytes(b.begin() + begin, b.begin() + at + 1);
}

struct Shape {
  int width, height, bpp;
  double run;
};

const Shape kShapes[] = {{1, 1, 1, 0.0},     {17, 5, 1, 0.3},   {256, 100, 1, 0.0},
                         {9, 13, 4, 0.5},     {200, 150, 4, 0.0}, {77, 3, 4, 0.99},
                         {1, 40, 8, 0.2},     {320, 240, 8, 0.0}, {500, 300, 8, 0.95},
                         {1000, 40, 8, 0.995}};

TEST(LzwGiflib, GiflibDecodesOurStreamsToTheSamePixels) {
  unsigned seed = 100;
  for (const Shape& s : kShapes) {
    for (bool interlaced : {false, true}) {
      const Picture p = RandomPicture(s.width, s.height, s.bpp, ++seed, s.run);
      Bytes stream;
      {
        TMemoryStream out;
        LzwEncode(out, p.width, p.height, p.bpp, interlaced, nullptr, p.bits);
        stream = out.Bytes();
      }
      EXPECT_EQ(GiflibDecode(WrapInGif(stream, p.width, p.height, p.bpp, interlaced), p.width,
                             p.height, interlaced),
                p.Values())
          << s.width << "x" << s.height << " " << s.bpp << " bpp" << (interlaced ? " interlaced" : "");
    }
  }
}

TEST(LzwGiflib, GiflibStreamsDecodeHereToTheSamePixels) {
  unsigned seed = 200;
  for (const Shape& s : kShapes) {
    for (bool interlaced : {false, true}) {
      const Picture p = RandomPicture(s.width, s.height, s.bpp, ++seed, s.run);
      const auto d =
          lzw_test::Decode(GiflibEncode(p, interlaced), p.width, p.height, p.bpp, interlaced);
      EXPECT_EQ(d.picture.bits, p.bits)
          << s.width << "x" << s.height << " " << s.bpp << " bpp" << (interlaced ? " interlaced" : "");
      EXPECT_FALSE(d.damaged);
    }
  }
}

}  // namespace
}  // namespace tw

#endif  // TW_HAVE_GIFLIB
