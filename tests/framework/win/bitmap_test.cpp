#include "framework/win/bitmap.h"

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/stream.h"

namespace tw {
namespace {

COLORREF PixelOf(TBitmap& bitmap, int x, int y) {
  return GetPixel(bitmap.Canvas().Handle(), x, y);
}

// A 24-bit picture with a distinct colour in each corner.
void PaintCorners(TBitmap& bitmap, int width, int height) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(Rect(0, 0, width, height));
  canvas.SetPixel(0, 0, clRed);
  canvas.SetPixel(width - 1, 0, clLime);
  canvas.SetPixel(0, height - 1, clBlue);
  canvas.SetPixel(width - 1, height - 1, RGBToColor(10, 20, 30));
}

TEST(Bitmap, DibConversionKeepsEveryPixelAndRowOrder) {
  TBitmap bitmap;
  PaintCorners(bitmap, 5, 3);
  TDib dib = bitmap.ToDib();
  ASSERT_EQ(dib.BitsPerPixel(), 24);
  ASSERT_EQ(dib.Width(), 5);
  // ScanLine counts from the top: the red pixel is the first of row 0 (blue, green, red order).
  EXPECT_EQ(dib.ScanLine(0)[2], 255);
  EXPECT_EQ(dib.ScanLine(2)[0], 255);
  TBitmap copy;
  copy.AssignDib(dib);
  EXPECT_EQ(PixelOf(copy, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(copy, 4, 0), RGB(0, 255, 0));
  EXPECT_EQ(PixelOf(copy, 0, 2), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(copy, 4, 2), RGB(10, 20, 30));
  EXPECT_EQ(copy.ScanLine(0)[2], 255);
}

TEST(Bitmap, FileRoundTripKeepsPixelsAndPalette) {
  TDib dib(3, 2, 8);
  dib.Palette().assign(256, {0, 0, 0, 0});
  dib.Palette()[7] = {0x30, 0x20, 0x10, 0};
  dib.ScanLine(1)[2] = 7;
  TBitmap bitmap;
  bitmap.AssignDib(dib);
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  EXPECT_NE(bitmap.PaletteHandle(), nullptr);
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  TDib back = loaded.ToDib();
  ASSERT_EQ(back.BitsPerPixel(), 8);
  EXPECT_EQ(back.ScanLine(1)[2], 7);
  EXPECT_EQ(back.Palette()[7], (TRGBQuad{0x30, 0x20, 0x10, 0}));
}

TEST(Bitmap, DamagedFileFailsAndKeepsThePicture) {
  TBitmap bitmap;
  PaintCorners(bitmap, 2, 2);
  TMemoryStream stream;
  const char junk[] = "BM this is no bitmap";
  stream.WriteBuffer(junk, sizeof(junk));
  stream.SetPosition(0);
  EXPECT_THROW(bitmap.LoadFromStream(stream), Exception);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
}

TEST(Bitmap, ResizingKeepsTheTopLeftPart) {
  TBitmap bitmap;
  PaintCorners(bitmap, 4, 4);
  bitmap.SetSize(8, 2);
  EXPECT_EQ(bitmap.Width(), 8);
  EXPECT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(bitmap, 3, 0), RGB(0, 255, 0));
  bitmap.SetWidth(0);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, HandleTypesAndFormatsConvertWithoutLosingThePicture) {
  TBitmap bitmap;
  PaintCorners(bitmap, 4, 4);
  bitmap.SetHandleType(bmDDB);
  EXPECT_EQ(bitmap.HandleType(), bmDDB);
  EXPECT_EQ(PixelOf(bitmap, 3, 0), RGB(0, 255, 0));
  bitmap.SetHandleType(bmDIB);
  EXPECT_EQ(bitmap.HandleType(), bmDIB);
  EXPECT_EQ(PixelOf(bitmap, 0, 3), RGB(0, 0, 255));
  bitmap.SetPixelFormat(pf32bit);
  EXPECT_EQ(bitmap.ToDib().BitsPerPixel(), 32);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
  bitmap.SetMonochrome(true);
  EXPECT_TRUE(bitmap.Monochrome());
  // White stays white and the dark pixels turn black.
  EXPECT_EQ(PixelOf(bitmap, 1, 1), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(bitmap, 0, 3), RGB(0, 0, 0));
  EXPECT_EQ(bitmap.ToDib().BitsPerPixel(), 1);
}

TEST(Bitmap, TransparentDrawLeavesTheKeyColourOut) {
  TBitmap sprite;
  PaintCorners(sprite, 3, 3);
  sprite.Canvas().Brush().SetColor(clFuchsia);
  sprite.Canvas().FillRect(Rect(0, 0, 3, 3));
  sprite.Canvas().SetPixel(1, 1, clRed);
  TBitmap target;
  PaintCorners(target, 3, 3);
  target.Canvas().Brush().SetColor(clWhite);
  target.Canvas().FillRect(Rect(0, 0, 3, 3));
  sprite.SetTransparent(true);
  // Automatic mode takes the bottom-left pixel's colour as the key.
  EXPECT_EQ(sprite.TransparentColor(), clFuchsia);
  target.Canvas().Draw(0, 0, sprite);
  EXPECT_EQ(PixelOf(target, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(target, 1, 1), RGB(255, 0, 0));
  sprite.SetTransparentColor(clRed);
  EXPECT_EQ(sprite.TransparentMode(), tmFixed);
  target.Canvas().Draw(0, 0, sprite);
  EXPECT_EQ(PixelOf(target, 0, 0), RGB(255, 0, 255));
}

TEST(Bitmap, AssignCopiesAndClipboardFormsAreCopies) {
  TBitmap source;
  PaintCorners(source, 2, 2);
  TBitmap copy;
  copy.Assign(source);
  EXPECT_NE(copy.Handle(), source.Handle());
  source.Canvas().SetPixel(0, 0, clBlack);
  EXPECT_EQ(PixelOf(copy, 0, 0), RGB(255, 0, 0)) << "the copy has its own pixels";

  unsigned format = 0;
  std::uintptr_t data = 0, palette = 0;
  copy.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, static_cast<unsigned>(CF_BITMAP));
  ScopedBitmap clipboard(reinterpret_cast<HBITMAP>(data));
  TBitmap pasted;
  pasted.LoadFromClipboardFormat(format, data, palette);
  EXPECT_NE(pasted.Handle(), clipboard.Get());
  EXPECT_EQ(PixelOf(pasted, 0, 0), RGB(255, 0, 0));
}

TEST(Bitmap, ReleasedHandleIsTheCallers) {
  TBitmap bitmap;
  PaintCorners(bitmap, 2, 2);
  bitmap.Canvas();
  ScopedBitmap released(bitmap.ReleaseHandle());
  EXPECT_TRUE(bitmap.Empty());
  BITMAP bm{};
  EXPECT_TRUE(GetObjectA(released.Get(), sizeof(bm), &bm));
  EXPECT_EQ(bm.bmWidth, 2);
}

TEST(Bitmap, ChangesRaiseOnChange) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.OnChange = [&](TObject*) { ++changes; };
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(2, 2);
  EXPECT_GE(changes, 1);
  const int before = changes;
  bitmap.Canvas().FillRect(Rect(0, 0, 1, 1));
  EXPECT_GT(changes, before) << "drawing on the canvas changes the bitmap";
}

}  // namespace
}  // namespace tw
