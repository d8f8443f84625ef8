// The reduction's fast row passes: golden file images of every method, and the vector rows against
// the plain ones at every width and layout.
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
