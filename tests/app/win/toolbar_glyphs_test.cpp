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
