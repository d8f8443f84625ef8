#include "viewers/color_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "viewers/color_reduction_vector.h"

namespace tw {
namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

// A 24-bit picture whose pixels, in top-to-bottom, left-to-right order, are COLORS.
TDib Picture(int width, const std::vector<Rgb>& colors) {
  const int height = static_cast<int>((colors.size() + width - 1) / width);
  TDib dib(width, height, 24);
  for (std::size_t i = 0; i < colors.size(); ++i) {
    std::uint8_t* p = dib.ScanLine(static_cast<int>(i / width)) + 3 * (i % width);
    p[0] = colors[i].b;
    p[1] = colors[i].g;
    p[2] = colors[i].r;
  }
  return dib;
}

// The reduced file image, loaded back.
struct Reduced {
  TDib dib;
  std::uint32_t important = 0;
  std::vector<std::uint8_t> bytes;
  int Index(int x, int y) const { return dib.ScanLine(y)[x]; }
  TRGBQuad Color(int x, int y) const { return dib.Palette()[static_cast<std::size_t>(Index(x, y))]; }
};

Reduced Reduce(const TDib& picture, ReductionMethod method, int format = pf8bit) {
  auto stream = BitmapToDib(picture, format, method);
  Reduced out;
  EXPECT_EQ(stream->Position(), 0);
  out.bytes = stream->Bytes();
  out.dib.LoadFromBitmapFile(*stream);
  if (out.bytes.size() >= 54)
    out.important = out.bytes[50] | out.bytes[51] << 8 | out.bytes[52] << 16 | static_cast<std::uint32_t>(out.bytes[53]) << 24;
  return out;
}

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

// A small xorshift generator: the same numbers on every target.
struct XorShift {
  std::uint32_t state;
  std::uint32_t operator()() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// A photo-like picture from integer arithmetic only, so that it is the same on every target:
// smooth gradients over the frame, noise of +-NOISE on every channel and a few flat patches
// that make runs of one colour.
TDib PhotoLike(int width, int height, int noise) {
  TDib dib(width, height, 24);
  XorShift next{0x2545F491};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int flat = (x / 40 + y / 30) % 7 == 0;
      const int base[3] = {255 * (height - 1 - y) / std::max(1, height - 1),
                           128 + (x * 3 + y) % 200 - 100,
                           255 * x * y / std::max(1, (width - 1) * (height - 1))};
      for (int c = 0; c < 3; ++c) {
        const int n = flat ? 0 : static_cast<int>(next() % static_cast<std::uint32_t>(2 * noise + 1)) - noise;
        row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(base[c] + n, 0, 255));
      }
    }
  }
  return dib;
}

// Turns the vector rows on or off for a test's duration.
class VectorRowsSetting {
public:
  explicit VectorRowsSetting(bool enabled) : previous_(reduction::VectorRowsEnabled()) {
    reduction::SetVectorRowsEnabled(enabled);
  }
  ~VectorRowsSetting() { reduction::SetVectorRowsEnabled(previous_); }
  VectorRowsSetting(const VectorRowsSetting&) = delete;
  VectorRowsSetting& operator=(const VectorRowsSetting&) = delete;

private:
  bool previous_;
};

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// Pins the whole 8-bit file image (headers, colour table, pixels) of every method, so that a
// faster pass that changes a single index or palette entry is caught. The pictures cover many
// mask steps of the popularity histogram (heavy noise), a few (light noise), and widths with and
// without row padding.
TEST(ColorReductionTest, GoldenOutputOfEveryMethodOnPhotoLikePictures) {
  struct Golden {
    int width, height, noise;
    std::array<std::uint64_t, 6> hashes;  // by ReductionMethod
  };
  const Golden cases[] = {
      {301, 203, 12, {0x5c6abc16f9593bdbull, 0x9a749240d444f2edull, 0x4cd63cfeca2b6a2full,
                      0x60ce992fbc6b7d73ull, 0x8824820121011ba3ull, 0x62a7911674b9027full}},
      {256, 97, 2, {0xbfbbf5961889d92full, 0xc16bf70e88f0fbe2ull, 0xc607de4100a0ddc0ull,
                    0x19de206d204769bfull, 0x5e5ed8989733d7acull, 0xbf048749652df058ull}},
      {45, 31, 0, {0x3861e24f5586c6d2ull, 0x74a6e2f0d9e7fdb5ull, 0x0991e177bf4741c4ull,
                   0x9e1689b56e1eaf3aull, 0x5a3e6dd74f333a49ull, 0xa8bbfa07423002b2ull}},
  };
  // Both with the vector rows (where the processor has them) and with the plain code alone.
  for (const bool vector : {true, false}) {
    const VectorRowsSetting setting(vector);
    for (const Golden& c : cases) {
      const TDib picture = PhotoLike(c.width, c.height, c.noise);
      for (int m = rmPopularity; m <= rmGray; ++m) {
        const auto bytes = BitmapToDib(picture, pf8bit, static_cast<ReductionMethod>(m))->Bytes();
        EXPECT_EQ(Fnv1a(bytes), c.hashes[static_cast<std::size_t>(m)])
            << c.width << "x" << c.height << " method " << m << (vector ? " vector" : " plain");
      }
    }
  }
}

// The popularity method done the plain way: a full scan per mask step in stored row order
// (bottom-up), entries in the order their colours first appear. Returns the indices in that
// order.
std::vector<std::uint8_t> PlainPopularity(const TDib& picture, std::array<TRGBQuad, 256>& palette, int& steps) {
  const int width = picture.Width(), height = picture.Height();
  std::uint8_t masks[3] = {255, 255, 255};  // red, green, blue
  std::vector<std::uint32_t> keys, counts;
  std::map<std::uint32_t, std::size_t> entry_of;
  for (steps = 0;; ++steps) {
    keys.clear();
    counts.clear();
    entry_of.clear();
    for (int y = height - 1; y >= 0; --y)
      for (int x = 0; x < width; ++x) {
        const std::uint32_t c = picture.PixelColor(x, y);
        const std::uint32_t key = (c & masks[0]) | (c >> 8 & masks[1]) << 8 | (c >> 16 & masks[2]) << 16;
        auto [it, added] = entry_of.try_emplace(key, keys.size());
        if (added) keys.push_back(key), counts.push_back(0);
        ++counts[it->second];
      }
    if (keys.size() <= 2049) break;
    std::uint8_t& coarser = masks[0] < masks[1] ? masks[1] : masks[2] < masks[0] ? masks[0] : masks[2];
    coarser = static_cast<std::uint8_t>(coarser << 1);
  }
  palette.fill(TRGBQuad{128, 128, 128, 0});
  std::vector<int> index(keys.size(), -1);
  for (int k = 0; k < 256; ++k) {
    int best = -1;
    for (std::size_t e = 0; e < keys.size(); ++e)
      if (index[e] < 0 && (best < 0 || counts[e] > counts[static_cast<std::size_t>(best)])) best = static_cast<int>(e);
    if (best < 0) break;
    index[static_cast<std::size_t>(best)] = k;
    const std::uint32_t key = keys[static_cast<std::size_t>(best)];
    palette[static_cast<std::size_t>(k)] = TRGBQuad{static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 8),
                                                    static_cast<std::uint8_t>(key), 0};
  }
  for (std::size_t e = 0; e < keys.size(); ++e) {
    if (index[e] >= 0) continue;
    const int r = keys[e] & 0xFF, g = keys[e] >> 8 & 0xFF, b = keys[e] >> 16 & 0xFF;
    int best_d = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const int dr = r - palette[i].Red, dg = g - palette[i].Green, db = b - palette[i].Blue;
      if (dr * dr + dg * dg + db * db < best_d) best_d = dr * dr + dg * dg + db * db, index[e] = i;
    }
  }
  std::vector<std::uint8_t> out;
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = picture.PixelColor(x, y);
      out.push_back(static_cast<std::uint8_t>(index[entry_of[(c & masks[0]) | (c >> 8 & masks[1]) << 8 | (c >> 16 & masks[2]) << 16]]));
    }
  return out;
}

// The histogram is rebuilt from counted colour cells once the masks are coarse, instead of
// rescanning the picture per step; every step count, from the exact early passes through the
// cell-decided ones to the cell-built ones, must give what plain rescanning gives.
// 1500 colours with their three low bits clear, each next to a twin that differs from it by
// DELTA (red, green, blue): the histogram fits once the mask step that drops DELTA's bit.
TDib TwinColours(const Rgb& delta) {
  std::vector<Rgb> colors;
  for (int i = 0; i < 1500; ++i) {
    const Rgb base{static_cast<std::uint8_t>(i % 32 * 8), static_cast<std::uint8_t>(i / 32 % 32 * 8),
                   static_cast<std::uint8_t>(i / 1024 * 8)};
    colors.push_back(base);
    colors.push_back({static_cast<std::uint8_t>(base.r + delta.r), static_cast<std::uint8_t>(base.g + delta.g),
                      static_cast<std::uint8_t>(base.b + delta.b)});
    if (i % 7 == 0) colors.push_back(base);
  }
  return Picture(50, colors);
}

// Reduces PICTURE in place by popularity, expects the palette and indices of PlainPopularity and
// returns its number of mask steps.
int ExpectPlainPopularity(const TDib& picture) {
  const int width = picture.Width(), height = picture.Height();
  std::array<TRGBQuad, 256> expected_palette{}, palette{};
  int steps = 0;
  const std::vector<std::uint8_t> expected = PlainPopularity(picture, expected_palette, steps);
  TDib reduced = picture;
  ReducePixels(reduced.Bits(), reduced.Bits(), width, height, rmPopularity, palette);
  EXPECT_EQ(palette, expected_palette) << width << "x" << height << " after " << steps << " steps";
  std::vector<std::uint8_t> actual;
  for (int row = 0; row < height; ++row)
    for (int x = 0; x < width; ++x) actual.push_back(reduced.Bits()[row * TDib::RowBytes(width, 8) + x]);
  EXPECT_EQ(actual, expected) << width << "x" << height << " after " << steps << " steps";
  return steps;
}

TEST(ColorReductionTest, PopularityMatchesPlainRescanningAtEveryMaskStep) {
  std::vector<TDib> pictures;
  for (int noise : {0, 3, 8, 20, 40})
    for (const auto& [width, height] : {std::pair{20, 15}, std::pair{61, 47}, std::pair{128, 90}})
      pictures.push_back(PhotoLike(width, height, noise));
  for (const Rgb& delta : {Rgb{1, 0, 0}, Rgb{0, 0, 2}, Rgb{0, 2, 0}, Rgb{0, 0, 4}, Rgb{4, 0, 0}})
    pictures.push_back(TwinColours(delta));
  // Colourful enough that sampled rows alone hold more cells than the histogram.
  pictures.push_back(PhotoLike(333, 201, 25));
  std::set<int> steps_seen;
  for (const TDib& picture : pictures) steps_seen.insert(ExpectPlainPopularity(picture));
  // The pictures end on exact passes with fine masks, on steps decided from six-bit cells
  // (6 to 8), on steps built from five-bit cells (9 and later) and, for the colourful ones whose
  // sampled rows overflow the histogram, on steps built from four-bit cells (12 and later).
  EXPECT_EQ(steps_seen, (std::set<int>{0, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13}));
}

// A picture whose colours fall into the cells CELLS (each a colour whose bits below the cell are
// clear), cell i with COUNTS[i] pixels whose low bits under LOW (red, green, blue) vary. Cell i
// first appears where its i / cells share of the pixels would begin and its other pixels are
// strewn over the rest, so that cells first appear all through the picture, most of them early
// and close together: in one chunk of rows or in different ones.
TDib StrewnCells(int width, const std::vector<Rgb>& cells, const std::vector<int>& counts, const Rgb& low) {
  XorShift next{0x9E3779B9};
  std::size_t total = 0;
  for (int n : counts) total += static_cast<std::size_t>(n);
  struct Placed {
    std::uint64_t at;
    Rgb colour;
  };
  std::vector<Placed> placed;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::uint64_t start = i * total / cells.size();
    for (int k = 0; k < counts[i]; ++k) {
      const Rgb c{static_cast<std::uint8_t>(cells[i].r | (next() & low.r)), static_cast<std::uint8_t>(cells[i].g | (next() & low.g)),
                  static_cast<std::uint8_t>(cells[i].b | (next() & low.b))};
      placed.push_back({(k == 0 ? start : start + next() % (total - start)) << 24 | (next() & 0xFFFFFF), c});
    }
  }
  std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.at < b.at; });
  // In stored row order, which is the order of the scan.
  TDib dib(width, static_cast<int>((placed.size() + static_cast<std::size_t>(width) - 1) / static_cast<std::size_t>(width)), 24);
  const auto stride = static_cast<std::size_t>(TDib::RowBytes(width, 24));
  for (std::size_t i = 0; i < placed.size(); ++i) {
    std::uint8_t* p = dib.Bits() + i / static_cast<std::size_t>(width) * stride + 3 * (i % static_cast<std::size_t>(width));
    p[0] = placed[i].colour.b;
    p[1] = placed[i].colour.g;
    p[2] = placed[i].colour.r;
  }
  return dib;
}

// The palette's order among colours of equal count comes from where they first appear, which
// the cell histograms settle from chunks of rows. Here counts tie everywhere: every colour shares
// its count with 80 or more others, which first appear in the same chunk as one another and in
// different chunks, and a run of equal counts straddles the 256th place.
TEST(ColorReductionTest, PopularityOrdersEqualCountsByFirstAppearanceAcrossChunks) {
  std::vector<int> order(4096);
  std::iota(order.begin(), order.end(), 0);
  std::uint32_t state = 12345;
  for (std::size_t i = order.size() - 1; i > 0; --i) {
    state = state * 1103515245 + 12345;
    std::swap(order[i], order[state % (i + 1)]);
  }
  // Colourful: 2000 four-bit cells, with every low bit varying, so that sampled rows alone
  // overflow the histogram and masks end at 240 for every channel.
  std::vector<Rgb> coarse;
  std::vector<int> coarse_counts;
  for (int i = 0; i < 2000; ++i) {
    const int cell = order[static_cast<std::size_t>(i)];
    coarse.push_back({static_cast<std::uint8_t>(cell >> 8 << 4), static_cast<std::uint8_t>((cell >> 4 & 15) << 4),
                      static_cast<std::uint8_t>((cell & 15) << 4)});
    coarse_counts.push_back(80 + cell % 25);
  }
  EXPECT_EQ(ExpectPlainPopularity(StrewnCells(256, coarse, coarse_counts, Rgb{15, 15, 15})), 12);
  // Less colourful: 1200 five-bit cells over only 300 cells of four red, five green and four blue
  // bits, so that the picture is counted in five-bit cells and masks end at 248.
  std::vector<Rgb> fine;
  std::vector<int> fine_counts;
  for (int i = 0; i < 1200; ++i) {
    const int cell = order[static_cast<std::size_t>(i / 4)];
    fine.push_back({static_cast<std::uint8_t>((cell >> 8) << 4 | (i & 1) << 3), static_cast<std::uint8_t>((cell >> 4 & 15) << 4 | (cell & 8)),
                    static_cast<std::uint8_t>((cell & 7) << 5 | (i & 2) << 2)});
    fine_counts.push_back(230 + cell % 9);
  }
  EXPECT_EQ(ExpectPlainPopularity(StrewnCells(512, fine, fine_counts, Rgb{7, 7, 7})), 9);
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

// Pixels whose channels run through every byte value, in different orders, between runs of
// random pixels: every nibble, threshold and phase meets every position of a block.
TDib ChannelSweep(int width, int height, std::uint32_t seed) {
  TDib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int n = y * width + x;
      seed = seed * 1664525u + 1013904223u;
      const bool sweep = (n / 97) % 2 == 0;
      row[3 * x] = static_cast<std::uint8_t>(sweep ? n : seed >> 24);
      row[3 * x + 1] = static_cast<std::uint8_t>(sweep ? 255 - n * 7 : seed >> 16);
      row[3 * x + 2] = static_cast<std::uint8_t>(sweep ? n * 13 + 5 : seed >> 8);
    }
  }
  return dib;
}

TEST(ColorReductionTest, VectorRowsGiveThePlainBytesAtEveryWidthAndInPlace) {
  std::vector<TDib> pictures;
  for (int width : {1, 5, 31, 32, 33, 63, 64, 65, 95, 96, 97, 130, 257})
    pictures.push_back(ChannelSweep(width, 9, static_cast<std::uint32_t>(width)));
  pictures.push_back(PhotoLike(200, 70, 30));  // enough colours for the popularity cells
  pictures.push_back(PhotoLike(96, 40, 1));
  for (const TDib& picture : pictures) {
    const int width = picture.Width(), height = picture.Height();
    const std::size_t size = static_cast<std::size_t>(TDib::RowBytes(width, 8)) * static_cast<std::size_t>(height);
    for (int m = rmPopularity; m <= rmGray; ++m) {
      const auto method = static_cast<ReductionMethod>(m);
      std::vector<std::uint8_t> plain(size, 0xCC), vector(size, 0xCC);
      std::array<TRGBQuad, 256> plain_palette{}, vector_palette{}, in_place_palette{};
      std::uint32_t plain_colors = 0, vector_colors = 0;
      {
        const VectorRowsSetting off(false);
        plain_colors = ReducePixels(picture.Bits(), plain.data(), width, height, method, plain_palette);
      }
      vector_colors = ReducePixels(picture.Bits(), vector.data(), width, height, method, vector_palette);
      EXPECT_EQ(vector_colors, plain_colors);
      EXPECT_EQ(vector_palette, plain_palette);
      ASSERT_EQ(vector, plain) << width << "x" << height << " method " << m;
      TDib in_place = picture;
      ReducePixels(in_place.Bits(), in_place.Bits(), width, height, method, in_place_palette);
      EXPECT_EQ(in_place_palette, plain_palette);
      const auto stride = static_cast<std::size_t>(TDib::RowBytes(width, 8));
      for (int y = 0; y < height; ++y) {
        const auto* expected = plain.data() + stride * static_cast<std::size_t>(y);
        EXPECT_TRUE(std::equal(expected, expected + width, in_place.Bits() + stride * static_cast<std::size_t>(y)))
            << width << "x" << height << " method " << m << " row " << y;
      }
    }
  }
}

// The cells the adaptive methods count and map by, checked pixel by pixel against the plain
// formula: the vector rows put pixels back in order across the halves of their registers.
TEST(ColorReductionTest, CellRowsKeepPixelOrderAtEveryLayout) {
  const TDib picture = ChannelSweep(200, 3, 11);
  for (const reduction::CellBits bits : {reduction::CellBits{4, 4, 4}, reduction::CellBits{5, 5, 5},
                                         reduction::CellBits{4, 5, 4}, reduction::CellBits{6, 5, 5},
                                         reduction::CellBits{2, 7, 6}}) {
    for (int y = 0; y < picture.Height(); ++y) {
      const std::uint8_t* row = picture.ScanLine(y);
      std::vector<std::uint16_t> cells(200, 0xFFFF);
      const int done = reduction::CellRow(row, cells.data(), 200, bits);
      EXPECT_TRUE(done == 0 || done == 192);
      for (int x = 0; x < done; ++x) {
        const int b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
        const int expected = (r >> (8 - bits.red)) << (bits.green + bits.blue) | (g >> (8 - bits.green)) << bits.blue |
                             b >> (8 - bits.blue);
        ASSERT_EQ(cells[static_cast<std::size_t>(x)], expected) << bits.red << bits.green << bits.blue << " pixel " << x;
      }
      // Nothing past the pixels done is written.
      for (int x = done; x < 200; ++x) EXPECT_EQ(cells[static_cast<std::size_t>(x)], 0xFFFF);
    }
  }
}

// The passes that count or map a row while working out the next row's cells: the cells they
// leave for the next row are CellRow's, the counts and indices are the plain ones, and nothing
// past the pixels they report done is written.
TEST(ColorReductionTest, CountingAndMappingWhileWorkingOutTheNextRow) {
  const TDib picture = ChannelSweep(200, 2, 5);
  const std::uint8_t* row = picture.ScanLine(0);
  const std::uint8_t* next_row = picture.ScanLine(1);
  for (const reduction::CellBits bits : {reduction::CellBits{4, 4, 4}, reduction::CellBits{5, 5, 5}}) {
    const std::size_t cells_count = std::size_t{1} << (bits.red + bits.green + bits.blue);
    std::vector<std::uint16_t> cells(200), expected_next(200);
    ASSERT_EQ(reduction::CellRow(row, cells.data(), 200, bits), reduction::CellRow(next_row, expected_next.data(), 200, bits));
    for (int x = 0; x < 200; ++x) {
      const std::uint32_t p = row[3 * x] | row[3 * x + 1] << 8 | static_cast<std::uint32_t>(row[3 * x + 2]) << 16;
      cells[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(
          (p >> 16 >> (8 - bits.red)) << (bits.green + bits.blue) | (p >> 8 & 0xFF) >> (8 - bits.green) << bits.blue |
          (p & 0xFF) >> (8 - bits.blue));
    }
    for (const std::size_t tables : {std::size_t{1}, std::size_t{4}}) {
      const std::size_t stride = cells_count + 16;
      std::vector<std::uint32_t> counts(stride * tables);
      std::vector<std::uint16_t> next(200, 0xFFFF);
      const int done = reduction::CountCellRow(cells.data(), reduction::CellTables{counts.data(), stride, tables},
                                               next_row, next.data(), 200, bits);
      EXPECT_TRUE(done == 0 || done == 192);
      std::map<std::uint32_t, std::uint32_t> expected_counts, got_counts;
      for (int x = 0; x < done; ++x) ++expected_counts[cells[static_cast<std::size_t>(x)]];
      for (std::size_t t = 0; t < tables; ++t)
        for (std::size_t c = 0; c < cells_count; ++c)
          if (counts[t * stride + c]) got_counts[static_cast<std::uint32_t>(c)] += counts[t * stride + c];
      EXPECT_EQ(got_counts, expected_counts) << tables << " tables";
      for (int x = 0; x < 200; ++x)
        EXPECT_EQ(next[static_cast<std::size_t>(x)], x < done ? expected_next[static_cast<std::size_t>(x)] : 0xFFFF) << x;
    }
    std::vector<std::uint8_t> index_of(cells_count);
    for (std::size_t c = 0; c < cells_count; ++c) index_of[c] = static_cast<std::uint8_t>(c * 7 + c / 256);
    std::vector<std::uint8_t> out(200, 0xCC);
    std::vector<std::uint16_t> next(200, 0xFFFF);
    const int done = reduction::MapCellRow(cells.data(), index_of.data(), out.data(), next_row, next.data(), 200, bits);
    EXPECT_TRUE(done == 0 || done == 192);
    for (int x = 0; x < 200; ++x) {
      EXPECT_EQ(out[static_cast<std::size_t>(x)], x < done ? index_of[cells[static_cast<std::size_t>(x)]] : 0xCC) << x;
      EXPECT_EQ(next[static_cast<std::size_t>(x)], x < done ? expected_next[static_cast<std::size_t>(x)] : 0xFFFF) << x;
    }
  }
}

}  // namespace
}  // namespace tw
