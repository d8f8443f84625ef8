// The compositor against an independent one built on giflib's reading of the same files: every
// frame of animations with each disposal method, transparency, frames partly or wholly outside
// the screen and a frame larger than the screen gives the same screen.
#ifdef TW_HAVE_GIFLIB

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <vector>

#include "framework/exception.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "tests/viewers/gif/giflib_memory_file.h"
#include "viewers/gif/gif_compositor.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

using namespace gif_test;

// Every screen giflib's frames give, top-down, as 0xAARRGGBB with transparent pixels 0.
std::vector<std::vector<std::uint32_t>> GiflibScreens(const Bytes& bytes) {
  test::MemoryFile file{bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&file, test::ReadMemory, &error);
  std::vector<std::vector<std::uint32_t>> screens;
  if (!gif || DGifSlurp(gif) != GIF_OK) {
    ADD_FAILURE() << "giflib cannot read the file";
    if (gif) DGifCloseFile(gif, &error);
    return screens;
  }
  const int width = gif->SWidth, height = gif->SHeight;
  std::vector<std::uint32_t> screen(static_cast<std::size_t>(width) * height, 0);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, i, &control);
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const std::vector<std::uint32_t> before = screen;
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const int sx = d.Left + x, sy = d.Top + y;
        if (sx >= width || sy >= height) continue;
        const int index = image.RasterBits[y * d.Width + x];
        if (index == control.TransparentColor) continue;
        const GifColorType c = map->Colors[index];
        screen[static_cast<std::size_t>(sy) * width + sx] = 0xFF000000u | c.Red << 16 | c.Green << 8 | c.Blue;
      }
    screens.push_back(screen);
    for (int y = d.Top; y < std::min(d.Top + d.Height, height); ++y)
      for (int x = d.Left; x < std::min(d.Left + d.Width, width); ++x) {
        auto& pixel = screen[static_cast<std::size_t>(y) * width + x];
        if (control.DisposalMode == DISPOSE_BACKGROUND) pixel = 0;
        if (control.DisposalMode == DISPOSE_PREVIOUS) pixel = before[static_cast<std::size_t>(y) * width + x];
      }
  }
  DGifCloseFile(gif, &error);
  return screens;
}

std::vector<std::uint32_t> TopDown(const TDib& screen) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < screen.Height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(screen.ScanLine(y));
    pixels.insert(pixels.end(), row, row + screen.Width());
  }
  return pixels;
}

void ExpectSameScreens(const Bytes& file) {
  const auto expected = GiflibScreens(file);
  TGIFImage image;
  TMemoryStream stream(file);
  image.LoadFromStream(stream);
  ASSERT_EQ(image.FrameCount(), static_cast<int>(expected.size()));
  TGifCompositor compositor(image);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(compositor.Advance()) << i;
    EXPECT_EQ(compositor.Frame(), static_cast<int>(i));
    EXPECT_EQ(TopDown(compositor.Screen()), expected[i]) << "frame " << i;
  }
  // After the last frame the animation starts again on a cleared screen.
  ASSERT_TRUE(compositor.Advance());
  EXPECT_EQ(TopDown(compositor.Screen()), expected[0]);
}

TEST(GifCompositorGiflib, EveryDisposalWithTransparency) {
  for (int disposal = 0; disposal <= 3; ++disposal)
    ExpectSameScreens(GifBuilder(12, 10, 3)
                          .GraphicControl(5, -1, disposal)
                          .Image(12, 10, 3)
                          .GraphicControl(5, 4, disposal)
                          .Image(12, 10, 3)
                          .GraphicControl(5, 2, disposal)
                          .Image(6, 5, 3, 0, 3, 2)
                          .GraphicControl(5, 5, disposal)
                          .Image(5, 7, 2, 2, 6, 1)
                          .GraphicControl(5, 1, (disposal + 1) % 4)
                          .Image(9, 3, 3, 0, 1, 6)
                          .Trailer()
                          .bytes);
  // 256 colours on a screen wider than a few blocks of pixels, frames ending mid-block.
  for (int disposal = 0; disposal <= 3; ++disposal)
    ExpectSameScreens(GifBuilder(37, 6, 8)
                          .GraphicControl(5, -1, disposal)
                          .Image(37, 6, 8)
                          .GraphicControl(5, 9, disposal)
                          .Image(37, 6, 8)
                          .GraphicControl(5, 40, disposal)
                          .Image(29, 4, 8, 0, 5, 1)
                          .GraphicControl(5, 3, 1)
                          .Image(20, 3, 8, 8, 3, 2)
                          .Trailer()
                          .bytes);
}

TEST(GifCompositorGiflib, FramesOutsideAndLargerThanTheScreenAreClipped) {
  ExpectSameScreens(GifBuilder(8, 6, 4)
                        .GraphicControl(5, -1, 2)
                        .Image(5, 4, 4, 0, 6, 4)
                        .GraphicControl(5, 3, 3)
                        .Image(4, 4, 4, 0, 20, 30)
                        .GraphicControl(5, 7, 1)
                        .Image(11, 9, 1, 1)
                        .GraphicControl(5, 0, 0)
                        .Image(3, 2, 4, 0, 7, 5)
                        .Trailer()
                        .bytes);
}

TEST(GifCompositor, AFrameIsDisposedOfAsItWasDrawnThoughItsDisposalChangedSince) {
  const std::pair<int, int> changes[] = {{1, 3}, {3, 1}, {3, 2}, {2, 3}};
  for (auto [drawn, changed] : changes) {
    const Bytes file = GifBuilder(8, 6, 4)
                           .GraphicControl(5, -1, drawn)
                           .Image(5, 4, 4, 0, 1, 1)
                           .GraphicControl(5, -1, 1)
                           .Image(3, 3, 4, 0, 4, 2)
                           .Trailer()
                           .bytes;
    const auto expected = GiflibScreens(file);
    TGIFImage image;
    TMemoryStream stream(file);
    image.LoadFromStream(stream);
    TGifCompositor compositor(image);
    ASSERT_TRUE(compositor.Advance());
    image.FrameAt(0).DisposalCode = static_cast<std::uint8_t>(changed);
    ASSERT_TRUE(compositor.Advance());
    EXPECT_EQ(TopDown(compositor.Screen()), expected[1]) << drawn << " then " << changed;
  }
}

TEST(GifCompositor, ADamagedFrameStopsOnTheLastGoodOne) {
  Bytes file = GifBuilder(6, 4, 2).Image(6, 4, 2).Image(6, 4, 2).Trailer().bytes;
  file.resize(file.size() - 6);  // the second frame's data is cut
  TGIFImage image;
  TMemoryStream stream(file);
  image.LoadFromStream(stream);
  ASSERT_EQ(image.FrameCount(), 2);
  TGifCompositor compositor(image);
  ASSERT_TRUE(compositor.Advance());
  const auto first = TopDown(compositor.Screen());
  EXPECT_FALSE(compositor.Advance());
  EXPECT_EQ(compositor.Frame(), 0);
  EXPECT_EQ(TopDown(compositor.Screen()), first);
}

TEST(GifCompositor, ShortDelaysPlayAtATenthOfASecondAndHugeScreensAreRefused) {
  TGIFImage image;
  image.AppendFrame(PalettePicture(3, 2, 4));
  TGIFFrame& frame = image.FrameAt(0);
  const std::pair<int, int> delays[] = {{0, 100}, {10, 100}, {20, 20}, {70, 70}};
  for (auto [delay, shown] : delays) {
    frame.DelayMs = static_cast<std::uint16_t>(delay);
    EXPECT_EQ(GifPlaybackDelayMs(frame), shown) << delay;
  }
  TGIFImage huge;
  TMemoryStream stream(GifBuilder(65535, 65535, 1).Image(1, 1, 1).Trailer().bytes);
  huge.LoadFromStream(stream);
  EXPECT_THROW(TGifCompositor{huge}, EInvalidGraphicOperation);
}

}  // namespace
}  // namespace tw

#endif
