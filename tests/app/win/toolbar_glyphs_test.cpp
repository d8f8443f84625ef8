#include "app/win/toolbar_glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/win/image_list.h"

namespace tw {
namespace {

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr std::uint32_t kKey = 0xFF00FF;

int Opaque(const TGlyphPixels& pixels) {
  return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != kKey; }));
}

TEST(ToolbarGlyphsTest, EveryGlyphIsAShapeOnATransparentGround) {
  for (int i = 0; i < kGlyphCount; ++i) {
    for (bool hot : {false, true}) {
      TGlyphPixels pixels = RenderGlyph(static_cast<TGlyph>(i), hot, kFace);
      ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kGlyphWidth * kGlyphHeight));
      int opaque = Opaque(pixels);
      // Something recognisable: neither a speck nor a filled block.
      EXPECT_GT(opaque, 60) << "glyph " << i;
      EXPECT_LT(opaque, kGlyphWidth * kGlyphHeight - 20) << "glyph " << i;
    }
  }
}

TEST(ToolbarGlyphsTest, GlyphsDifferFromEachOtherAndHotFormsFromNormalOnes) {
  std::vector<TGlyphPixels> normal;
  for (int i = 0; i < kGlyphCount; ++i) {
    normal.push_back(RenderGlyph(static_cast<TGlyph>(i), false, kFace));
    TGlyphPixels hot = RenderGlyph(static_cast<TGlyph>(i), true, kFace);
    EXPECT_NE(hot, normal.back()) << "glyph " << i;
    // Both forms have the same outline: only colours change under the mouse.
    for (int p = 0; p < kGlyphWidth * kGlyphHeight; ++p)
      ASSERT_EQ(hot[p] == kKey, normal.back()[p] == kKey) << "glyph " << i << " pixel " << p;
  }
  for (int a = 0; a < kGlyphCount; ++a)
    for (int b = a + 1; b < kGlyphCount; ++b) EXPECT_NE(normal[a], normal[b]) << a << " and " << b;
}

TEST(ToolbarGlyphsTest, RedoIsUndoTurnedAround) {
  TGlyphPixels undo = RenderGlyph(TGlyph::Undo, true, kFace);
  TGlyphPixels redo = RenderGlyph(TGlyph::Redo, true, kFace);
  for (int y = 0; y < kGlyphHeight; ++y)
    for (int x = 0; x < kGlyphWidth; ++x)
      ASSERT_EQ(redo[y * kGlyphWidth + x], undo[y * kGlyphWidth + kGlyphWidth - 1 - x]);
}

TEST(ToolbarGlyphsTest, EdgesBlendWithTheButtonFace) {
  // The same glyph on two grounds differs only where shapes partly cover a pixel.
  TGlyphPixels light = RenderGlyph(TGlyph::Delete, true, RGB(255, 255, 255));
  TGlyphPixels dark = RenderGlyph(TGlyph::Delete, true, RGB(0, 0, 0));
  int blended = 0;
  for (std::size_t p = 0; p < light.size(); ++p) {
    ASSERT_EQ(light[p] == kKey, dark[p] == kKey);
    if (light[p] != dark[p]) ++blended;
  }
  EXPECT_GT(blended, 0);
  EXPECT_LT(blended, Opaque(light));
}

TEST(ToolbarGlyphsTest, AtTwiceTheDensityGlyphsAreDrawnAtTwiceTheSizeNotStretched) {
  EXPECT_EQ(GlyphSize(144).cx, 33);
  EXPECT_EQ(GlyphSize(144).cy, 30);
  const SIZE big = GlyphSize(192);
  ASSERT_EQ(big.cx, 44);
  ASSERT_EQ(big.cy, 40);
  for (TGlyph glyph : {TGlyph::Cut, TGlyph::Delete, TGlyph::Explore, TGlyph::SortByName}) {
    const TGlyphPixels small = RenderGlyph(glyph, true, kFace);
    const TGlyphPixels drawn = RenderGlyph(glyph, true, kFace, 192);
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(big.cx * big.cy));
    // The same picture: about four times the covered pixels of the small one ...
    EXPECT_NEAR(Opaque(drawn), 4 * Opaque(small), Opaque(small)) << static_cast<int>(glyph);
    // ... but not the small one's pixels doubled: edges and lines fall inside its 2 x 2 blocks.
    int split_blocks = 0;
    for (int y = 0; y < big.cy; y += 2)
      for (int x = 0; x < big.cx; x += 2) {
        const std::uint32_t corner = drawn[y * big.cx + x];
        if (drawn[y * big.cx + x + 1] != corner || drawn[(y + 1) * big.cx + x] != corner ||
            drawn[(y + 1) * big.cx + x + 1] != corner)
          ++split_blocks;
      }
    EXPECT_GT(split_blocks, 20) << static_cast<int>(glyph);
  }
}

TEST(ToolbarGlyphsTest, ListsHoldEveryGlyphAtTheToolbarSize) {
  TImageList normal(nullptr, 16, 16);
  TImageList hot(nullptr, 16, 16);
  FillGlyphLists(normal, hot);
  EXPECT_EQ(normal.Width(), 22);
  EXPECT_EQ(normal.Height(), 20);
  EXPECT_EQ(normal.Count(), kGlyphCount);
  EXPECT_EQ(hot.Count(), kGlyphCount);
  // Filling again replaces the images instead of adding to them.
  FillGlyphLists(normal, hot);
  EXPECT_EQ(normal.Count(), kGlyphCount);
  // At 144 pixels per inch the lists take the glyphs drawn at that density.
  FillGlyphLists(normal, hot, 144);
  EXPECT_EQ(hot.Width(), 33);
  EXPECT_EQ(hot.Height(), 30);
  EXPECT_EQ(hot.Count(), kGlyphCount);
  FillGlyphLists(normal, hot);

  // The mask makes the ground transparent: drawn on white, a corner pixel stays white.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, kGlyphWidth, kGlyphHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all{0, 0, kGlyphWidth, kGlyphHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(hot.Handle(), static_cast<int>(TGlyph::Delete), dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(GetPixel(dc, 0, 0) & 0xFFFFFF, RGB(255, 255, 255));
  EXPECT_NE(GetPixel(dc, 11, 10) & 0xFFFFFF, RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
}

}  // namespace
}  // namespace tw
