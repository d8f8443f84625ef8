// Popularity reduction against plain rescanning: every mask step, and equal counts ordered by first
// appearance across chunks of rows.
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

}  // namespace
}  // namespace tw
