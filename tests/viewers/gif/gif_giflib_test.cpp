// giflib as an independent reader and writer of whole files: what we write it reads to the same
// pixels, and what it writes we read to the pixels it reads.
#ifdef TW_HAVE_GIFLIB

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "tests/viewers/gif/giflib_memory_file.h"

#include <cstring>
#include <random>

#include "tests/viewers/gif/gif_test_support.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

using namespace gif_test;

using test::MemoryFile;
using test::ReadMemory;
using test::WriteMemory;

// One frame as giflib reads it: its place, size, colour of every pixel (top-down) and the
// transparent index.
struct OracleFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> colours;
  int transparent = -1;
  int delay = 0;
};

std::vector<OracleFrame> GiflibRead(const Bytes& bytes) {
  MemoryFile file{bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&file, ReadMemory, &error);
  EXPECT_NE(gif, nullptr) << GifErrorString(error);
  std::vector<OracleFrame> frames;
  if (!gif) return frames;
  EXPECT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    OracleFrame frame{image.ImageDesc.Left, image.ImageDesc.Top, image.ImageDesc.Width, image.ImageDesc.Height};
    for (int p = 0; p < frame.width * frame.height; ++p) {
      const GifColorType c = map->Colors[image.RasterBits[p]];
      frame.colours.push_back(static_cast<std::uint32_t>(c.Red | c.Green << 8 | c.Blue << 16));
    }
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      frame.transparent = gcb.TransparentColor;
      frame.delay = gcb.DelayTime;
    }
    frames.push_back(std::move(frame));
  }
  DGifCloseFile(gif, &error);
  return frames;
}

void ExpectSamePixels(const TDib& ours, const OracleFrame& theirs, const std::string& what) {
  ASSERT_EQ(ours.Width(), theirs.width) << what;
  ASSERT_EQ(ours.Height(), theirs.height) << what;
  for (int y = 0; y < theirs.height; ++y)
    for (int x = 0; x < theirs.width; ++x)
      ASSERT_EQ(ours.PixelColor(x, y), theirs.colours[static_cast<std::size_t>(y * theirs.width + x)])
          << what << " at " << x << "," << y;
}

Bytes Written(TGIFImage& image) {
  TMemoryStream out;
  image.SaveToStream(out);
  return out.Bytes();
}

TEST(GifGiflib, GiflibReadsWhatWeWriteToTheSamePixels) {
  const std::vector<TDib> pictures = {PalettePicture(1, 1, 1),          PalettePicture(37, 11, 1, 1),
                                      PalettePicture(64, 48, 4, 3),      PalettePicture(301, 97, 8, 5),
                                      TrueColorPicture(120, 80, 200, 1), TrueColorPicture(90, 70, 5000, 2)};
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    TGIFImage image;
    image.AppendFrame(pictures[i]);
    const auto frames = GiflibRead(Written(image));
    ASSERT_EQ(frames.size(), 1u);
    // A true-colour picture of few colours keeps them; one of many is compared after reduction.
    ExpectSamePixels(pictures[i].BitsPerPixel() == 24 && i == 4 ? pictures[i] : image.FrameAt(0).FrameBitmap(),
                     frames[0], "picture " + std::to_string(i));
    if (pictures[i].BitsPerPixel() != 24) ExpectSamePixels(pictures[i], frames[0], "original " + std::to_string(i));
  }

  // An animation with local tables, origins, delays and a key colour.
  TGIFImage animation;
  for (int i = 0; i < 5; ++i) {
    const TDib picture = PalettePicture(20 + i, 10 + 2 * i, i % 2 ? 4 : 8, i);
    animation.AppendFrame(picture, i == 3 ? static_cast<TColor>(picture.PixelColor(1, 1)) : clNone);
    animation.FrameAt(i).Origin = {i, 2 * i};
    animation.FrameAt(i).DelayMs = static_cast<std::uint16_t>(100 * i);
  }
  animation.SetLoop(true, 0);
  const auto frames = GiflibRead(Written(animation));
  ASSERT_EQ(frames.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    ExpectSamePixels(PalettePicture(20 + i, 10 + 2 * i, i % 2 ? 4 : 8, i), frames[static_cast<std::size_t>(i)],
                     "frame " + std::to_string(i));
    EXPECT_EQ(frames[static_cast<std::size_t>(i)].left, i);
    EXPECT_EQ(frames[static_cast<std::size_t>(i)].top, 2 * i);
    if (i > 0) EXPECT_EQ(frames[static_cast<std::size_t>(i)].delay, 10 * i);
  }
  EXPECT_EQ(frames[3].colours[static_cast<std::size_t>(frames[3].width + 1)],
            PalettePicture(23, 16, 4, 3).PixelColor(1, 1));
  EXPECT_GE(frames[3].transparent, 0);
  EXPECT_EQ(frames[2].transparent, -1);
}

// A giflib-written file of FRAMES frames with the given options.
struct GiflibFrameSpec {
  int left, top, width, height, bits;
  bool interlaced, local_table;
  int transparent;
  int delay;
};

Bytes GiflibWrite(int width, int height, int global_bits, const std::vector<GiflibFrameSpec>& frame_specs, unsigned seed) {
  MemoryFile file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, WriteMemory, &error);
  std::mt19937 random(seed);
  auto make_map = [&](int bits) {
    std::vector<GifColorType> colours(static_cast<std::size_t>(1) << bits);
    for (auto& c : colours)
      c = {static_cast<GifByteType>(random()), static_cast<GifByteType>(random()), static_cast<GifByteType>(random())};
    return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  };
  ColorMapObject* global = global_bits ? make_map(global_bits) : nullptr;
  EGifSetGifVersion(gif, true);
  EXPECT_EQ(EGifPutScreenDesc(gif, width, height, global_bits ? global_bits : 8, 0, global), GIF_OK);
  if (frame_specs.size() > 1) {
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    const unsigned char loop[] = {1, 0, 0};
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
  }
  for (const auto& s : frame_specs) {
    if (s.transparent >= 0 || s.delay) {
      GraphicsControlBlock gcb{};
      gcb.DelayTime = s.delay;
      gcb.TransparentColor = s.transparent >= 0 ? s.transparent : NO_TRANSPARENT_COLOR;
      GifByteType ext[4];
      const std::size_t n = EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
    }
    ColorMapObject* local = s.local_table ? make_map(s.bits) : nullptr;
    EXPECT_EQ(EGifPutImageDesc(gif, s.left, s.top, s.width, s.height, s.interlaced, local), GIF_OK);
    std::vector<int> order;
    if (s.interlaced) {
      for (int start : {0, 4, 2, 1})
        for (int y = start; y < s.height; y += start == 0 ? 8 : start == 4 ? 8 : start == 2 ? 4 : 2) order.push_back(y);
    } else {
      for (int y = 0; y < s.height; ++y) order.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(s.width));
    for (int y : order) {
      for (int x = 0; x < s.width; ++x)
        line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(((x / 3) * 7 + y * 5 + static_cast<int>(random() % 3)) % (1 << s.bits));
      EXPECT_EQ(EGifPutLine(gif, line.data(), s.width), GIF_OK);
    }
    if (local) GifFreeMapObject(local);
  }
  EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  if (global) GifFreeMapObject(global);
  return file.bytes;
}

TEST(GifGiflib, WeReadWhatGiflibWritesToThePixelsItReads) {
  struct Case {
    const char* name;
    int width, height, global_bits;
    std::vector<GiflibFrameSpec> frames;
  };
  const std::vector<Case> cases = {
      {"single", 123, 45, 8, {{0, 0, 123, 45, 8, false, false, -1, 0}}},
      {"interlaced", 64, 37, 4, {{0, 0, 64, 37, 4, true, false, -1, 0}}},
      {"interlaced small", 9, 3, 1, {{0, 0, 9, 3, 1, true, false, -1, 0}}},
      {"transparent", 30, 20, 3, {{0, 0, 30, 20, 3, false, false, 5, 7}}},
      {"local tables", 50, 40, 0, {{0, 0, 50, 40, 6, false, true, -1, 0}, {10, 5, 20, 30, 2, true, true, 1, 3}}},
      {"animated", 80, 60, 5,
       {{0, 0, 80, 60, 5, false, false, -1, 10},
        {5, 5, 40, 30, 5, false, false, 0, 10},
        {20, 10, 33, 17, 7, true, true, 3, 20},
        {79, 59, 1, 1, 5, false, false, -1, 0}}},
  };
  unsigned seed = 7;
  for (const auto& c : cases) {
    const Bytes file = GiflibWrite(c.width, c.height, c.global_bits, c.frames, ++seed);
    const auto oracle = GiflibRead(file);
    TGIFImage image;
    TMemoryStream stream(file);
    image.LoadFromStream(stream);
    ASSERT_EQ(image.FrameCount(), static_cast<int>(oracle.size())) << c.name;
    EXPECT_EQ(image.LogicalWidth(), c.width);
    for (int i = 0; i < image.FrameCount(); ++i) {
      TGIFFrame& frame = image.FrameAt(i);
      const auto& expected = oracle[static_cast<std::size_t>(i)];
      ExpectSamePixels(frame.FrameBitmap(), expected, std::string(c.name) + " frame " + std::to_string(i));
      EXPECT_FALSE(frame.Damaged);
      EXPECT_EQ(frame.Origin, Point(expected.left, expected.top));
      EXPECT_EQ(frame.DelayMs, 10 * expected.delay);
      if (expected.transparent >= 0)
        EXPECT_EQ(static_cast<std::uint32_t>(frame.KeyColor), expected.colours.empty() ? 0 : [&] {
          const auto& table = frame.Item->ColorTable;
          return static_cast<std::uint32_t>(table.Color(expected.transparent));
        }());
      else
        EXPECT_EQ(frame.KeyColor, clNone);
    }
    // Written back, giflib still reads the same pixels.
    const auto again = GiflibRead(Written(image));
    ASSERT_EQ(again.size(), oracle.size());
    for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].colours, oracle[i].colours) << c.name;
  }
}

}  // namespace
}  // namespace tw

#endif  // TW_HAVE_GIFLIB
