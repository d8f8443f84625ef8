#include "framework/win/canvas.h"

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/win/bitmap.h"

namespace tw {
namespace {

TEST(Font, CopiesShareOneHandleAndOnlyShapeChangesMakeANewOne) {
  TFont original;
  original.SetName("Arial");
  original.SetSize(10);
  TFont copy;
  copy.Assign(original);
  EXPECT_EQ(copy.Handle(), original.Handle());
  EXPECT_TRUE(copy.SameAttributes(original));

  int changes = 0;
  copy.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &copy);
    ++changes;
  };
  HFONT shared = copy.Handle();
  copy.SetColor(clRed);
  EXPECT_EQ(changes, 1);
  // The colour is not part of the GDI font: the same handle serves both.
  EXPECT_EQ(copy.Handle(), shared);
  copy.SetStyle(1 << fsBold);
  EXPECT_EQ(changes, 2);
  EXPECT_NE(copy.Handle(), shared);
  copy.SetStyle(1 << fsBold);
  EXPECT_EQ(changes, 2) << "setting an unchanged value is no change";
  LOGFONTA lf{};
  ASSERT_TRUE(GetObjectA(copy.Handle(), sizeof(lf), &lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
}

TEST(Font, SizeAndHeightFollowPixelsPerInch) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetSize(9);
  EXPECT_EQ(font.Height(), -12);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
}

TEST(Font, TakesTheAttributesOfAForeignHandle) {
  LOGFONTA lf{};
  lf.lfHeight = -20;
  lf.lfItalic = TRUE;
  lstrcpyA(lf.lfFaceName, "Courier New");
  ScopedFont foreign(CreateFontIndirectA(&lf));
  TFont font;
  font.SetHandle(foreign.Get());
  EXPECT_EQ(font.Height(), -20);
  EXPECT_EQ(font.Style(), 1 << fsItalic);
  EXPECT_EQ(font.Name(), "Courier New");
  // The foreign handle stays its owner's.
  EXPECT_NE(font.Handle(), foreign.Get());
}

TEST(ColorToRGBTest, SystemColoursResolveAndPlainColoursPass) {
  EXPECT_EQ(ColorToRGB(clWindow), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(RGBToColor(1, 2, 3)), RGB(1, 2, 3));
}

class CanvasOnBitmap : public ::testing::Test {
protected:
  void SetUp() override {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(40, 30);
  }
  COLORREF At(int x, int y) { return GetPixel(bitmap.Canvas().Handle(), x, y); }
  TBitmap bitmap;
};

TEST_F(CanvasOnBitmap, BrushPenAndFontReachTheDeviceContext) {
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush().SetColor(clBlue);
  canvas.FillRect(Rect(0, 0, 40, 30));
  EXPECT_EQ(At(5, 5), RGB(0, 0, 255));
  canvas.Pen().SetColor(clRed);
  canvas.MoveTo(0, 10);
  canvas.LineTo(40, 10);
  EXPECT_EQ(At(20, 10), RGB(255, 0, 0));
  EXPECT_EQ(canvas.PenPos(), Point(40, 10));
  // A font changed while the canvas is in use is selected at once; the old one is let go.
  canvas.Font().SetSize(20);
  EXPECT_EQ(GetCurrentObject(canvas.Handle(), OBJ_FONT), canvas.Font().Handle());
  const int tall = canvas.TextHeight("Wg");
  canvas.Font().SetSize(8);
  EXPECT_EQ(GetCurrentObject(canvas.Handle(), OBJ_FONT), canvas.Font().Handle());
  EXPECT_LT(canvas.TextHeight("Wg"), tall);
  canvas.SetPixel(1, 1, clLime);
  EXPECT_EQ(canvas.Pixel(1, 1), clLime);
}

TEST_F(CanvasOnBitmap, DrawingRaisesChangingThenChange) {
  std::string order;
  bitmap.Canvas().OnChanging = [&](TObject*) { order += "<"; };
  bitmap.Canvas().OnChange = [&](TObject*) { order += ">"; };
  bitmap.Canvas().FillRect(Rect(0, 0, 2, 2));
  bitmap.Canvas().TextOut(0, 0, "x");
  EXPECT_EQ(order, "<><>");
}

TEST_F(CanvasOnBitmap, TextRectClipsAndClearBrushLeavesTheBackground) {
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(Rect(0, 0, 40, 30));
  canvas.Brush().SetColor(clLime);
  canvas.TextRect(Rect(0, 0, 10, 10), 0, 0, "");
  EXPECT_EQ(At(5, 5), RGB(0, 255, 0)) << "an opaque text rectangle is filled";
  EXPECT_EQ(At(15, 5), RGB(255, 255, 255)) << "nothing is painted outside the rectangle";
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.TextRect(Rect(20, 0, 30, 10), 20, 0, "");
  EXPECT_EQ(At(25, 5), RGB(255, 255, 255));
}

// Text of any script is drawn and measured as the wide call draws it.
TEST_F(CanvasOnBitmap, TextInEveryScriptDrawsAsTheWideCall) {
  const std::string text = "\xD0\x9F\xCE\xA9\xE6\x97\xA5";  // П Ω 日
  const wchar_t wide[] = L"\x041F\x03A9\x65E5";
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(Rect(0, 0, 40, 30));
  canvas.TextOut(0, 0, text);
  ExtTextOutW(canvas.Handle(), 0, 15, 0, nullptr, wide, 3, nullptr);
  SIZE extent{};
  GetTextExtentPoint32W(canvas.Handle(), wide, 3, &extent);
  EXPECT_EQ(canvas.TextWidth(text), extent.cx);
  int differences = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 40; ++x) differences += At(x, y) != At(x, y + 15);
  EXPECT_EQ(differences, 0);
}

TEST_F(CanvasOnBitmap, TransparentCopyKeepsTheKeyColoursPixels) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(4, 4);
  source.Canvas().Brush().SetColor(clFuchsia);
  source.Canvas().FillRect(Rect(0, 0, 4, 4));
  source.Canvas().SetPixel(1, 1, clBlue);
  bitmap.Canvas().Brush().SetColor(clWhite);
  bitmap.Canvas().FillRect(Rect(0, 0, 40, 30));
  bitmap.Canvas().TransparentCopy(Rect(0, 0, 4, 4), source.Canvas(), Rect(0, 0, 4, 4),
                                  clFuchsia);
  EXPECT_EQ(At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(At(1, 1), RGB(0, 0, 255));
}

TEST(Canvas, WithoutAContextDrawingFails) {
  TCanvas canvas;
  try {
    canvas.FillRect(Rect(0, 0, 1, 1));
    FAIL() << "a canvas without a device context drew";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
  }
}

TEST(Canvas, ForeignContextGetsItsOwnObjectsBack) {
  ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
  HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  {
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), canvas.Font().Handle());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
}

}  // namespace
}  // namespace tw
