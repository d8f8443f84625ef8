#include <windows.h>

#include <gtest/gtest.h>

#include <array>

#include "framework/picture.h"
#include "framework/picture_registry.h"
#include "framework/win/bitmap.h"
#include "framework/win/icon.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_folder.h"
#include "tests/viewers/ani_test_support.h"
#include "viewers/animated_cursor.h"
#include "viewers/gif/gif_image.h"
#include "viewers/win/gif_image_win.h"

namespace tw {
namespace {

// A 4 x 2 two-colour picture: the left half red, the right half green.
TDib TwoColours() {
  TDib dib(4, 2, 8);
  dib.Palette()[0] = {0, 0, 255, 0};
  dib.Palette()[1] = {0, 255, 0, 0};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) dib.ScanLine(y)[x] = x < 2 ? 0 : 1;
  return dib;
}

class GifImageWin : public ::testing::Test {
protected:
  void SetUp() override { InitGifImageModule(); }
};

TEST_F(GifImageWin, GifFilesLoadThroughThePictureByTheirExtension) {
  EXPECT_EQ(GraphicClassForExtension("GIF").Name, "TGIFImage");
  EXPECT_NE(GifClipboardFormat(), 0u);
  TGIFImage image;
  image.AppendFrame(TwoColours());
  test::TempFolder folder;
  const std::string name = folder.File("two.GIF");
  image.SaveToFile(name);
  TPicture picture;
  picture.LoadFromFile(name);
  ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 2);
}

TEST_F(GifImageWin, DrawingLeavesTheKeyColourTransparent) {
  TGIFImage image;
  image.AppendFrame(TwoColours(), RGBToColor(255, 0, 0));
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(8, 4);
  target.Canvas().Brush().SetColor(clBlue);
  target.Canvas().FillRect(Rect(0, 0, 8, 4));
  target.Canvas().StretchDraw(Rect(0, 0, 8, 4), image);
  const TDib drawn = target.ToDib();
  EXPECT_EQ(drawn.PixelColor(1, 1), static_cast<std::uint32_t>(clBlue));
  EXPECT_EQ(drawn.PixelColor(6, 2), static_cast<std::uint32_t>(clLime));

  image.SetTransparent(false);
  target.Canvas().StretchDraw(Rect(0, 0, 8, 4), image);
  EXPECT_EQ(target.ToDib().PixelColor(1, 1), static_cast<std::uint32_t>(clRed));
}

TEST_F(GifImageWin, FramesGoToBitmapsAndBitmapsBecomeFrames) {
  TGIFImage image;
  image.AppendFrame(TwoColours(), RGBToColor(0, 255, 0));
  TBitmap bitmap;
  bitmap.Assign(image);
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_TRUE(bitmap.Transparent());
  EXPECT_EQ(bitmap.ToDib().PixelColor(3, 0), static_cast<std::uint32_t>(clLime));

  TGIFImage from_bitmap;
  from_bitmap.Assign(bitmap);
  ASSERT_EQ(from_bitmap.FrameCount(), 1);
  EXPECT_EQ(from_bitmap.FrameAt(0).FrameBitmap().PixelColor(0, 1), static_cast<std::uint32_t>(clRed));
}

TEST_F(GifImageWin, CursorsGiveIconsStripsAndIconFrames) {
  TAnimatedCursorImage cursor;
  TMemoryStream file(ani_test::SimpleCursor(3));
  cursor.LoadFromStream(file);
  TIcon icon;
  icon.Assign(cursor);
  EXPECT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Width(), 4);
  TBitmap strip;
  strip.Assign(cursor);
  EXPECT_EQ(strip.Width(), 12);
  EXPECT_EQ(strip.Height(), 4);

  TGIFImage image;
  image.AppendFrame(icon);
  EXPECT_EQ(image.FrameAt(0).KeyColor, clFuchsia);
  EXPECT_EQ(image.FrameAt(0).FrameBitmap().Width(), 4);
}

TEST_F(GifImageWin, FramesAreConvertedForDrawingOnceAndGiveTheirPalette) {
  TGIFImage image;
  image.AppendFrame(TwoColours());
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(4, 2);
  target.Canvas().Draw(0, 0, image);
  const TGifDrawCache* made = image.FrameAt(0).DrawCache.get();
  ASSERT_NE(made, nullptr);
  target.Canvas().Draw(0, 0, image);
  EXPECT_EQ(image.FrameAt(0).DrawCache.get(), made);

  const auto palette = reinterpret_cast<HPALETTE>(image.Palette());
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[2] = {};
  ASSERT_EQ(GetPaletteEntries(palette, 0, 2, entries), 2u);
  EXPECT_EQ(RGB(entries[0].peRed, entries[0].peGreen, entries[0].peBlue), RGB(255, 0, 0));
  EXPECT_EQ(RGB(entries[1].peRed, entries[1].peGreen, entries[1].peBlue), RGB(0, 255, 0));

  // New pixels are converted again.
  image.FrameAt(0).AssignPixels(TwoColours());
  EXPECT_EQ(image.FrameAt(0).DrawCache, nullptr);
}

TEST_F(GifImageWin, CursorFramesOfPngImagesDrawThroughTheImagingComponent) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  png_test::PngLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.color_type = png_test::kRgba;
  // Opaque red, green and blue above, then half-transparent white, clear, opaque black.
  const png_test::Bytes png = png_test::PngFile(layout, [](int x, int y) -> std::array<std::uint8_t, 4> {
    if (y == 0) return {static_cast<std::uint8_t>(x == 0 ? 255 : 0), static_cast<std::uint8_t>(x == 1 ? 255 : 0),
                        static_cast<std::uint8_t>(x == 2 ? 255 : 0), 255};
    if (x == 0) return {255, 255, 255, 128};
    return {0, 0, 0, static_cast<std::uint8_t>(x == 1 ? 0 : 255)};
  });
  TAnimatedCursorImage cursor;
  TMemoryStream file(ani_test::Riff(
      {ani_test::Anih(1, 1, 6),
       ani_test::List("fram", {ani_test::Chunk("icon", ani_test::PngIconFile(2, {{png, 3, 2, 1, 1}}))})}));
  cursor.LoadFromStream(file);
  const TDib strip = cursor.FrameStrip(false, RGBToColor(0, 0, 100));
  CoUninitialize();
  ASSERT_EQ(strip.Width(), 3);
  EXPECT_EQ(strip.PixelColor(0, 0), RGBToColor(255, 0, 0));
  EXPECT_EQ(strip.PixelColor(1, 0), RGBToColor(0, 255, 0));
  EXPECT_EQ(strip.PixelColor(2, 0), RGBToColor(0, 0, 255));
  EXPECT_EQ(strip.PixelColor(0, 1), RGBToColor(128, 128, 178));
  EXPECT_EQ(strip.PixelColor(1, 1), RGBToColor(0, 0, 100));
  EXPECT_EQ(strip.PixelColor(2, 1), RGBToColor(0, 0, 0));
}

}  // namespace
}  // namespace tw
