#include "viewers/win/color_reduction_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/exception.h"
#include "framework/win/handles.h"

namespace tw {
namespace {

// A DIB section holding DIB's pixels and colour table.
ScopedBitmap SectionOf(const TDib& dib) {
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = dib.Width();
  header->biHeight = dib.Height();
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(dib.BitsPerPixel());
  std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), dib.Palette().data(), dib.Palette().size() * 4);
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0));
  EXPECT_TRUE(bitmap);
  if (bits) std::memcpy(bits, dib.Bits(), dib.ImageSize());
  GdiFlush();
  return bitmap;
}

TDib Photo(int width, int height) {
  TDib dib(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 9);
      p[1] = static_cast<std::uint8_t>(y * 13 + x);
      p[2] = static_cast<std::uint8_t>((x * y) ^ 0x5A);
    }
  return dib;
}

class ColorReductionWinTest : public ::testing::Test {
protected:
  // No information box may wait for a click during the tests.
  void SetUp() override { SetReductionNotSupportedNotice([this] { ++notices_; }); }
  void TearDown() override { SetReductionNotSupportedNotice(nullptr); }
  int notices_ = 0;
};

TEST_F(ColorReductionWinTest, HandlePathGivesTheSameFileAsThePortablePath) {
  const TDib photo = Photo(13, 7);
  const ScopedBitmap bitmap = SectionOf(photo);
  EXPECT_EQ(TBitmapReductionSource(bitmap.Get()).PixelFormat(), pf24bit);
  for (ReductionMethod method : {rmPopularity, rmMedianCut, rmLevels784, rmLevels666, rmChannelDither, rmGray}) {
    auto from_handle = BitmapToDib(bitmap.Get(), pf8bit, method);
    auto portable = BitmapToDib(photo, pf8bit, method);
    EXPECT_EQ(from_handle->Position(), 0);
    EXPECT_EQ(from_handle->Bytes(), portable->Bytes()) << int(method);
  }
  // Asked for its own format, the bitmap is saved as it is.
  TDib back;
  back.LoadFromBitmapFile(*BitmapToDib(bitmap.Get(), pf24bit, rmPopularity));
  EXPECT_EQ(back, photo);
}

TEST_F(ColorReductionWinTest, EightBitSectionKeepsItsPaletteUnlessGrayIsAsked) {
  TDib indexed(3, 2, 8);
  indexed.Palette()[7] = TRGBQuad{10, 20, 30, 0};
  indexed.ScanLine(1)[2] = 7;
  const ScopedBitmap bitmap = SectionOf(indexed);
  TDib same;
  same.LoadFromBitmapFile(*BitmapToDib(bitmap.Get(), pf8bit, rmMedianCut));
  EXPECT_EQ(same.Palette()[7], indexed.Palette()[7]);
  EXPECT_EQ(same.ScanLine(1)[2], 7);
  TDib gray;
  gray.LoadFromBitmapFile(*BitmapToDib(bitmap.Get(), pf8bit, rmGray));
  EXPECT_EQ(gray.ScanLine(1)[2], (30 * 77 + 20 * 150 + 10 * 29) / 256);
}

TEST_F(ColorReductionWinTest, LowDepthsComeFromThePlatform) {
  TDib photo(2, 1, 24);
  std::memset(photo.ScanLine(0), 0xFF, 3);  // white, then black
  const ScopedBitmap bitmap = SectionOf(photo);
  TDib mono;
  mono.LoadFromBitmapFile(*ReduceByColorCount(bitmap.Get(), 2));
  EXPECT_EQ(mono.BitsPerPixel(), 1);
  EXPECT_EQ(mono.PixelColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mono.PixelColor(1, 0), 0u);
  TDib sixteen;
  sixteen.LoadFromBitmapFile(*ReduceByColorCount(bitmap.Get(), 16));
  EXPECT_EQ(sixteen.BitsPerPixel(), 4);
  EXPECT_EQ(sixteen.PixelColor(0, 0), 0xFFFFFFu);
}

TEST_F(ColorReductionWinTest, DeviceBitmapIsReducedThroughTwentyFourBits) {
  const std::uint32_t pixels[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};  // top row first
  ScopedBitmap bitmap(CreateBitmap(2, 2, 1, 32, pixels));
  ASSERT_TRUE(bitmap);
  TDib reduced;
  reduced.LoadFromBitmapFile(*BitmapToDib(bitmap.Get(), pf8bit, rmLevels666));
  EXPECT_EQ(reduced.BitsPerPixel(), 8);
  EXPECT_EQ(reduced.ScanLine(0)[0], 5 * 36);  // red
  EXPECT_EQ(reduced.ScanLine(1)[1], 215);     // white
}

TEST_F(ColorReductionWinTest, MissingHandleAndUnsupportedFormat) {
  EXPECT_THROW(BitmapToDib(static_cast<HBITMAP>(nullptr), pf8bit, rmGray), EInvalidGraphic);
  const ScopedBitmap bitmap = SectionOf(Photo(2, 2));
  EXPECT_THROW(BitmapToDib(bitmap.Get(), pf16bit, rmGray), EAbort);
  EXPECT_EQ(notices_, 1);
}

}  // namespace
}  // namespace tw
