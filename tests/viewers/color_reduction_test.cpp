#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "tests/viewers/color_reduction_test_support.h"
#include "viewers/color_reduction.h"
#include "viewers/color_reduction_vector.h"

namespace tw {
namespace {

using namespace reduction_test;

TEST(ColorReductionTest, SizeHelpers) {
  EXPECT_EQ(ColorsOfPixelFormat(pf1bit), 2);
  EXPECT_EQ(ColorsOfPixelFormat(pf4bit), 16);
  EXPECT_EQ(ColorsOfPixelFormat(pf8bit), 256);
  EXPECT_EQ(ColorsOfPixelFormat(pf24bit), 0);
  EXPECT_EQ(ScanLineBytes(5, 24, 32), 16);
  EXPECT_EQ(ScanLineBytes(5, 24, 16), 16);
  EXPECT_EQ(ScanLineBytes(3, 8, 16), 4);
  EXPECT_EQ(ScanLineBytes(9, 1, 8), 2);
  EXPECT_EQ(RowBytes32(1), 4);
  EXPECT_EQ(RowBytes32(33), 8);
  EXPECT_EQ(RowBytes32(24 * 5), 16);
}

TEST(ColorReductionTest, NearestLevelsPreferTheLowerLevelOnTies) {
  EXPECT_EQ(NearestLevels(7)[64], 1);  // 64 is as far from 43 as from 85
  EXPECT_EQ(NearestLevels(7)[65], 2);
  EXPECT_EQ(NearestLevels(8)[18], 0);  // 18 is as far from 0 as from 36
  EXPECT_EQ(NearestLevels(6)[25], 0);
  EXPECT_EQ(NearestLevels(6)[26], 1);
  EXPECT_EQ(NearestLevels(4)[42], 0);
  EXPECT_EQ(NearestLevels(4)[43], 1);
  for (int levels : {4, 6, 7, 8}) EXPECT_EQ(NearestLevels(levels)[255], levels - 1);
}

TEST(ColorReductionTest, FixedPalettesMapThroughTheLevelTables) {
  const TDib picture = Picture(2, {{64, 18, 0}, {25, 26, 255}});
  const Reduced r784 = Reduce(picture, rmLevels784);
  EXPECT_EQ(r784.Index(0, 0), 1 * 32 + 0 * 4 + 0);
  EXPECT_EQ(r784.Color(0, 0), (TRGBQuad{0, 0, 43, 0}));
  EXPECT_EQ(r784.dib.Palette()[224], (TRGBQuad{128, 128, 128, 0}));
  EXPECT_EQ(r784.dib.Palette()[223], (TRGBQuad{255, 255, 255, 0}));
  EXPECT_EQ(r784.important, 224u);

  const Reduced r666 = Reduce(picture, rmLevels666);
  EXPECT_EQ(r666.Index(1, 0), 0 * 36 + 1 * 6 + 5);
  EXPECT_EQ(r666.Color(1, 0), (TRGBQuad{255, 51, 0, 0}));
  EXPECT_EQ(r666.dib.Palette()[216], (TRGBQuad{128, 128, 128, 0}));
  EXPECT_EQ(r666.important, 216u);
}

TEST(ColorReductionTest, ChannelDitherShowsOneChannelByPosition) {
  // Stored row 0 is the bottom row of the picture.
  std::vector<Rgb> colors(6, Rgb{200, 100, 40});
  const Reduced r = Reduce(Picture(3, colors), rmChannelDither);
  const int bottom = 1, top = 0;
  EXPECT_EQ(r.Index(0, bottom), 50);        // (0 + 0) mod 3 = 0: red
  EXPECT_EQ(r.Index(1, bottom), 64 + 25);   // green
  EXPECT_EQ(r.Index(2, bottom), 128 + 10);  // blue
  EXPECT_EQ(r.Index(0, top), 64 + 25);      // (1 + 0) mod 3 = 1
  EXPECT_EQ(r.dib.Palette()[64 + 25], (TRGBQuad{0, 100, 0, 0}));
  EXPECT_EQ(r.dib.Palette()[200], TRGBQuad{});
  EXPECT_EQ(r.important, 0u);
}

TEST(ColorReductionTest, GrayWeightsAndEightBitGrayRequest) {
  const Reduced r = Reduce(Picture(3, {{255, 255, 255}, {255, 0, 0}, {0, 0, 255}}), rmGray);
  EXPECT_EQ(r.Index(0, 0), 255);
  EXPECT_EQ(r.Index(1, 0), 77 * 255 / 256);
  EXPECT_EQ(r.Index(2, 0), 29 * 255 / 256);
  EXPECT_EQ(r.dib.Palette()[77], (TRGBQuad{77, 77, 77, 0}));

  // An 8-bit picture requested as 8 bits: kept as it is, except for rmGray.
  TDib indexed(2, 1, 8);
  indexed.Palette()[3] = TRGBQuad{0, 0, 255, 0};
  indexed.ScanLine(0)[1] = 3;
  TMemoryStream saved;
  indexed.SaveToBitmapFile(saved);
  EXPECT_EQ(Reduce(indexed, rmPopularity).bytes, saved.Bytes());
  const Reduced gray = Reduce(indexed, rmGray);
  EXPECT_EQ(gray.Index(0, 0), 0);
  EXPECT_EQ(gray.Index(1, 0), 77 * 255 / 256);
}

TEST(ColorReductionTest, PopularityKeepsFewColoursExactlyInFrequencyOrder) {
  // Counts: red 4, green 3, blue 3, white 1, black 1. Rows are scanned in stored order, from
  // the bottom: blue is met before green and white before black, which settles the ties.
  const Rgb R{250, 1, 3}, G{0, 200, 0}, B{0, 0, 201}, W{255, 255, 255}, K{0, 0, 0};
  const TDib picture = Picture(4, {G, R, G, B, R, G, B, R, B, W, R, K});
  const Reduced r = Reduce(picture, rmPopularity);
  const auto& pal = r.dib.Palette();
  EXPECT_EQ(pal[0], (TRGBQuad{3, 1, 250, 0}));
  EXPECT_EQ(pal[1], (TRGBQuad{201, 0, 0, 0}));
  EXPECT_EQ(pal[2], (TRGBQuad{0, 200, 0, 0}));
  EXPECT_EQ(pal[3], (TRGBQuad{255, 255, 255, 0}));
  EXPECT_EQ(pal[4], (TRGBQuad{0, 0, 0, 0}));
  EXPECT_EQ(pal[5], (TRGBQuad{128, 128, 128, 0}));
  EXPECT_EQ(pal[255], (TRGBQuad{128, 128, 128, 0}));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const TRGBQuad c = r.Color(x, y);
      EXPECT_EQ(c.Red | c.Green << 8 | c.Blue << 16, static_cast<int>(picture.PixelColor(x, y)));
    }
  EXPECT_EQ(r.important, 0u);
}

// Pictures with more than 2049 colours, and the channel masks the histogram must settle on.
struct MaskCase {
  int reds, greens;                    // blue takes all 256 values, red 0..reds-1, green from 3
  std::uint8_t red, green, blue;       // expected masks
};

TEST(ColorReductionTest, PopularityCoarsensMasksBlueRedGreenUntilColoursFit) {
  for (const MaskCase c : {MaskCase{1, 9, 255, 255, 254}, MaskCase{17, 1, 254, 255, 254},
                           MaskCase{17, 2, 254, 254, 252}}) {
    std::vector<Rgb> colors;
    for (int r = 0; r < c.reds; ++r)
      for (int g = 0; g < c.greens; ++g)
        for (int b = 0; b < 256; ++b) colors.push_back({static_cast<std::uint8_t>(r + (c.reds == 1 ? 1 : 0)),
                                                       static_cast<std::uint8_t>(3 + g), static_cast<std::uint8_t>(b)});
    const Reduced r = Reduce(Picture(256, colors), rmPopularity);
    // Every chosen palette colour is a masked colour, and the finest such masks were used:
    // some entry shows each bit the mask keeps.
    std::uint8_t seen_r = 0, seen_g = 0, seen_b = 0;
    for (const TRGBQuad& q : r.dib.Palette()) {
      if (q == TRGBQuad{128, 128, 128, 0}) continue;
      EXPECT_EQ(q.Red & ~c.red, 0) << int(c.reds) << "x" << int(c.greens);
      EXPECT_EQ(q.Green & ~c.green, 0);
      EXPECT_EQ(q.Blue & ~c.blue, 0);
      seen_r |= q.Red;
      seen_g |= q.Green;
      seen_b |= q.Blue;
    }
    EXPECT_EQ(seen_b & 0x07, c.blue & 0x07);
    EXPECT_EQ(seen_g & 0x01, c.green & 0x01);
    if (c.reds == 1) {
      EXPECT_EQ(seen_r, 1);
    }
  }
}

TEST(ColorReductionTest, PopularityMapsLeftOverColoursToTheNearestChosen) {
  // 256 shades (v, v, 0) appear twice and fill the palette; 48 reds appear once and are left
  // over. The nearest shade to (a, 0, 0) is v = a / 2.
  std::vector<Rgb> colors;
  for (int rep = 0; rep < 2; ++rep)
    for (int i = 0; i < 256; ++i) colors.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
  for (int i = 0; i < 48; ++i) colors.push_back({static_cast<std::uint8_t>(160 + 2 * i), 0, 0});
  const TDib picture = Picture(16, colors);
  const Reduced r = Reduce(picture, rmPopularity);
  for (int i = 0; i < 48; ++i) {
    const int n = 512 + i;
    const TRGBQuad c = r.Color(n % 16, n / 16);
    EXPECT_EQ(c.Red, 80 + i) << i;
    EXPECT_EQ(c.Green, 80 + i) << i;
  }
}

TEST(ColorReductionTest, MedianCutOfOneColourMakesOneAndDarkBoxesAreBlack) {
  const Reduced one = Reduce(Picture(3, std::vector<Rgb>(6, Rgb{200, 100, 50})), rmMedianCut);
  EXPECT_EQ(one.important, 1u);
  EXPECT_EQ(one.dib.Palette()[0], (TRGBQuad{3 * 16 + 15, 6 * 16 + 15, 12 * 16 + 15, 0}));
  EXPECT_EQ(one.dib.Palette()[1], TRGBQuad{});
  EXPECT_EQ(one.Index(2, 1), 0);

  const Reduced dark = Reduce(Picture(2, {{10, 12, 15}, {10, 12, 15}}), rmMedianCut);
  EXPECT_EQ(dark.dib.Palette()[0], TRGBQuad{});
  const Reduced almost = Reduce(Picture(1, {{16, 0, 0}}), rmMedianCut);
  EXPECT_EQ(almost.dib.Palette()[0], (TRGBQuad{15, 15, 31, 0}));
}

TEST(ColorReductionTest, APictureWithoutPixelsGivesAnEmptyResult) {
  for (auto [width, height] : {std::pair{0, 0}, std::pair{5, 0}, std::pair{0, 3}}) {
    std::array<TRGBQuad, 256> palette;
    palette.fill(TRGBQuad{1, 2, 3, 4});
    EXPECT_EQ(ReducePixels(nullptr, nullptr, width, height, rmMedianCut, palette), 0u) << width;
    EXPECT_EQ(palette[0], TRGBQuad{});
    EXPECT_EQ(palette[255], TRGBQuad{});
    for (ReductionMethod method : {rmPopularity, rmLevels784, rmLevels666, rmChannelDither, rmGray})
      ReducePixels(nullptr, nullptr, width, height, method, palette);
  }
}

TEST(ColorReductionTest, MedianCutSplitsAtTheMedianAlongTheWidestChannel) {
  // Top row: 3 black pixels and one of red 0x80; bottom row: 4 of red 0xF0. Red is split first:
  // the lower box takes black and 0x80 (4 pixels <= 8 div 2). That box, now narrow in red, is
  // split along green, where both keys are equal: the insertion sort puts 0x80 in front.
  const TDib picture = Picture(4, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0x80, 0, 0},
                                    {0xF0, 0, 0}, {0xF0, 0, 0}, {0xF0, 0, 0}, {0xF0, 0, 0}});
  const Reduced r = Reduce(picture, rmMedianCut);
  EXPECT_EQ(r.important, 3u);
  EXPECT_EQ(r.Index(3, 0), 0);
  EXPECT_EQ(r.Index(0, 1), 1);
  EXPECT_EQ(r.Index(0, 0), 2);
  EXPECT_EQ(r.dib.Palette()[0], (TRGBQuad{15, 15, 0x80 + 15, 0}));
  EXPECT_EQ(r.dib.Palette()[1], (TRGBQuad{15, 15, 0xF0 + 15, 0}));
  EXPECT_EQ(r.dib.Palette()[2], TRGBQuad{});
}

TEST(ColorReductionTest, MedianCutOfAGradientUsesAllEntriesAndStaysClose) {
  std::vector<Rgb> colors;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      colors.push_back({static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                        static_cast<std::uint8_t>((x + y) * 2)});
  const TDib picture = Picture(64, colors);
  const Reduced r = Reduce(picture, rmMedianCut);
  EXPECT_EQ(r.important, 256u);
  int worst = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const TRGBQuad c = r.Color(x, y);
      const std::uint32_t p = picture.PixelColor(x, y);
      worst = std::max({worst, std::abs(c.Red - int(p & 0xFF)), std::abs(c.Green - int(p >> 8 & 0xFF)),
                        std::abs(c.Blue - int(p >> 16))});
    }
  EXPECT_LT(worst, 48);
}

TEST(ColorReductionTest, InPlaceOutputMatchesSeparateOutputForEveryMethod) {
  std::vector<Rgb> colors;
  for (int i = 0; i < 7 * 5; ++i)
    colors.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11), static_cast<std::uint8_t>(i * 71)});
  for (ReductionMethod method : {rmPopularity, rmMedianCut, rmLevels784, rmLevels666, rmChannelDither, rmGray}) {
    TDib picture = Picture(7, colors);
    std::vector<std::uint8_t> separate(static_cast<std::size_t>(TDib::RowBytes(7, 8) * 5), 0xCC);
    std::array<TRGBQuad, 256> pal1{}, pal2{};
    const auto n1 = ReducePixels(picture.Bits(), separate.data(), 7, 5, method, pal1);
    const auto n2 = ReducePixels(picture.Bits(), picture.Bits(), 7, 5, method, pal2);
    EXPECT_EQ(n1, n2);
    EXPECT_EQ(pal1, pal2);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(picture.Bits()[y * 8 + x], separate[static_cast<std::size_t>(y * 8 + x)]) << int(method);
  }
}

TEST(ColorReductionTest, FileImageLayout) {
  const Reduced r = Reduce(Picture(5, std::vector<Rgb>(15, Rgb{1, 2, 3})), rmLevels666);
  ASSERT_EQ(r.bytes.size(), 14u + 40 + 1024 + 8 * 3);
  EXPECT_EQ(r.bytes[0], 'B');
  EXPECT_EQ(r.bytes[2] | r.bytes[3] << 8, static_cast<int>(r.bytes.size()));
  EXPECT_EQ(r.bytes[10] | r.bytes[11] << 8, 1078);
  EXPECT_EQ(r.bytes[14], 40);
  EXPECT_EQ(r.bytes[28], 8);
  EXPECT_EQ(r.bytes[34], 24);  // image size
  EXPECT_EQ(r.dib.Width(), 5);
  EXPECT_EQ(r.dib.Height(), 3);
}

TEST(ColorReductionTest, FormatByColourCountAndLowDepths) {
  const TDib picture = Picture(2, {{250, 250, 250}, {200, 0, 0}});
  auto depth = [&](int colors) {
    auto s = ReduceByColorCount(picture, colors);
    TDib d;
    d.LoadFromBitmapFile(*s);
    return d;
  };
  const TDib mono = depth(2);
  EXPECT_EQ(mono.BitsPerPixel(), 1);
  EXPECT_EQ(mono.PixelColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mono.PixelColor(1, 0), 0u);
  const TDib sixteen = depth(16);
  EXPECT_EQ(sixteen.BitsPerPixel(), 4);
  EXPECT_EQ(sixteen.PixelColor(1, 0), 0x0000FFu);  // nearest standard colour is red
  EXPECT_EQ(depth(256).BitsPerPixel(), 8);
  EXPECT_EQ(depth(257).BitsPerPixel(), 24);
}

TEST(ColorReductionTest, InvalidAndUnsupportedRequests) {
  try {
    BitmapToDib(TDib(), pf8bit, rmGray);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Bitmap image is not valid");
  }
  int notices = 0;
  SetReductionNotSupportedNotice([&] { ++notices; });
  EXPECT_THROW(BitmapToDib(Picture(1, {{1, 2, 3}}), pf16bit, rmGray), EAbort);
  EXPECT_THROW(BitmapToDib(Picture(1, {{1, 2, 3}}), 9, rmPopularity), EAbort);
  EXPECT_EQ(notices, 2);
  SetReductionNotSupportedNotice(nullptr);
  // A 32-bit picture asked for its own format is saved as it is.
  TDib wide(1, 1, 32);
  EXPECT_EQ(Reduce(wide, rmPopularity, pf32bit).dib, wide);
}

TEST(ColorReductionTest, NibbleSharesEqualTheNearestLevelTables) {
  struct Case {
    int levels, factor;
  };
  for (const Case c : {Case{4, 1}, Case{6, 1}, Case{6, 6}, Case{6, 36}, Case{7, 32}, Case{8, 4}}) {
    const auto& nearest = NearestLevels(c.levels);
    const reduction::NibbleLevels shares = reduction::NibbleLevelsOf(nearest, static_cast<std::uint8_t>(c.factor));
    for (int v = 0; v < 256; ++v) {
      const int h = v >> 4;
      const int share = (shares.base[h] + (v >= shares.threshold[h] ? shares.factor : 0)) & 0xFF;
      ASSERT_EQ(share, c.factor * nearest[v] & 0xFF) << c.levels << " levels, factor " << c.factor << ", value " << v;
    }
  }
}

}  // namespace
}  // namespace tw
