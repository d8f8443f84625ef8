// Rows of palette indices drawn with every instruction set the processor offers give what a
// pixel-at-a-time lookup gives: all 256 colours with four distinct bytes, the transparent index
// in either half of the palette or none, rows of every length around the vector widths starting
// anywhere, and nothing written past the row's end.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "viewers/gif/gif_index_row.h"

namespace tw {
namespace {

constexpr std::uint32_t kUntouched = 0x5A5A5A5Au;

// Each set is a case of its own, so that a run on a processor without one says it was skipped.
class IndexRowPainterSet : public ::testing::TestWithParam<TRowInstructions> {};

bool Offered(TRowInstructions instructions) {
  const TRowInstructions fastest = FastestRowInstructions();
  switch (instructions) {
    case TRowInstructions::kPlain: return true;
    case TRowInstructions::kGathers: return fastest != TRowInstructions::kPlain;
    case TRowInstructions::kByteLookups: return fastest == TRowInstructions::kByteLookups;
  }
  return false;
}

TEST_P(IndexRowPainterSet, DrawsAsTheLookupDoes) {
  const TRowInstructions instructions = GetParam();
  if (!Offered(instructions)) GTEST_SKIP() << "the processor or this build does not offer the set";
  std::uint32_t colors[256];
  for (std::uint32_t i = 0; i < 256; ++i) colors[i] = (i * 0x9E3779B1u) ^ (i << 24) ^ 0x01020304u;
  std::vector<std::uint8_t> indices(400);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 167 + i / 256);

  for (const int transparent : {-1, 0, 77, 200, 255}) {
    const TIndexRowPainter painter(colors, transparent, instructions);
    for (const int width : {0, 1, 7, 8, 9, 63, 64, 65, 127, 128, 200, 389})
      for (const int start : {0, 3}) {
        std::vector<std::uint32_t> row(width + 8, kUntouched);
        painter.Draw(indices.data() + start, row.data() + 1, row.data() + 1, width);
        for (int x = 0; x < width + 8; ++x) {
          const int index = x >= 1 && x <= width ? indices[static_cast<std::size_t>(start + x - 1)] : -1;
          const std::uint32_t expected = index >= 0 && index != transparent ? colors[index] : kUntouched;
          ASSERT_EQ(row[static_cast<std::size_t>(x)], expected)
              << "transparent " << transparent << ", width " << width << ", start " << start << ", pixel " << x - 1;
        }
      }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, IndexRowPainterSet,
                         ::testing::Values(TRowInstructions::kPlain, TRowInstructions::kGathers,
                                           TRowInstructions::kByteLookups),
                         [](const ::testing::TestParamInfo<TRowInstructions>& info) {
                           switch (info.param) {
                             case TRowInstructions::kPlain: return "Plain";
                             case TRowInstructions::kGathers: return "Gathers";
                             case TRowInstructions::kByteLookups: return "ByteLookups";
                           }
                           return "Unknown";
                         });

}  // namespace
}  // namespace tw
