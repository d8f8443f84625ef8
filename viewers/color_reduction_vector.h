#pragma once
// Vector versions of the colour reduction's per-row passes, for processors with AVX2. Each
// pass handles the row's leading whole blocks of 32 pixels (16 for the cells) and returns how
// many pixels it did (0 when the processor lacks the instructions or the build targets another
// processor); the caller finishes the row with its plain code, which gives the same bytes.
//
// Input rows hold 24-bit pixels (blue, green, red). A pass reads no byte past the pixels it does,
// and reads all of a block before writing that block's output, so the output may be written over
// the input as the reduction does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tw::reduction {

// A channel's share of a fixed-palette index (factor x nearest level) by the high nibble h of
// the channel's value v: base[h] + (v >= threshold[h] ? factor : 0), modulo 256.
struct NibbleLevels {
  std::array<std::uint8_t, 16> base;
  std::array<std::uint8_t, 16> threshold;
  std::uint8_t factor;
};

// The shares for FACTOR x NEAREST[v], where NEAREST steps up by at most one level within each
// run of 16 values (true of the 4-, 6-, 7- and 8-level tables, whose levels are 36 or more apart).
NibbleLevels NibbleLevelsOf(const std::array<std::uint8_t, 256>& nearest, std::uint8_t factor);

// (red x 77 + green x 150 + blue x 29) div 256 per pixel.
int GrayRow(const std::uint8_t* in, std::uint8_t* out, int width);
// The sum of the three channels' shares; CHANNELS is blue, green, red.
int LevelsRow(const std::uint8_t* in, std::uint8_t* out, int width, const std::array<NibbleLevels, 3>& channels);
// Pixel x shows red div 4, 64 + green div 4 or 128 + blue div 4 as (PHASE + x) mod 3 is 0, 1 or 2.
int ChannelDitherRow(const std::uint8_t* in, std::uint8_t* out, int width, int phase);
// How many high bits of each channel make a cell of the colour cube: together at most 16,
// green and blue together at least 8, blue at most 6.
struct CellBits {
  int red, green, blue;
};

// The cell of each pixel: red's high bits above green's above blue's.
int CellRow(const std::uint8_t* in, std::uint16_t* out, int width, CellBits bits);

// Tables of counts for the cells of a colour cube: pixel x of a row is counted in table x mod
// TABLES (1 or 4), the tables STRIDE counters apart from COUNTS on.
struct CellTables {
  std::uint32_t* counts;
  std::size_t stride, tables;
};

// Two passes over a row's CELLS, each while the cells of the next row are worked out from its
// pixels IN into NEXT as CellRow does: counting the cells, and writing INDEX_OF[cell] for each to
// OUT. They do the leading whole blocks of 16 pixels of both rows and return how many pixels that
// is.
int CountCellRow(const std::uint16_t* cells, const CellTables& tables, const std::uint8_t* in, std::uint16_t* next,
                 int width, CellBits bits);
int MapCellRow(const std::uint16_t* cells, const std::uint8_t* index_of, std::uint8_t* out, const std::uint8_t* in,
               std::uint16_t* next, int width, CellBits bits);

// OUT[x] = INDEX_OF[VALUES[x]] for 8 pixels, with one 64-bit store (the targets are
// little-endian).
inline void MapEight(const std::uint16_t* v, const std::uint8_t* index_of, std::uint8_t* out) {
  const std::uint64_t word =
      static_cast<std::uint64_t>(index_of[v[0]]) | static_cast<std::uint64_t>(index_of[v[1]]) << 8 |
      static_cast<std::uint64_t>(index_of[v[2]]) << 16 | static_cast<std::uint64_t>(index_of[v[3]]) << 24 |
      static_cast<std::uint64_t>(index_of[v[4]]) << 32 | static_cast<std::uint64_t>(index_of[v[5]]) << 40 |
      static_cast<std::uint64_t>(index_of[v[6]]) << 48 | static_cast<std::uint64_t>(index_of[v[7]]) << 56;
  std::memcpy(out, &word, 8);
}

// OUT[x] = INDEX_OF[VALUES[x]] for the WIDTH pixels of a row.
inline void MapRow(const std::uint16_t* values, int width, const std::uint8_t* index_of, std::uint8_t* out) {
  int x = 0;
  for (; x + 8 <= width; x += 8) MapEight(values + x, index_of, out + x);
  for (; x < width; ++x) out[x] = index_of[values[x]];
}

// FIRST[c] = CHUNK for each cell c below CELLS that one of TABLES tables of counts, STRIDE
// apart from COUNTS on, has counted and whose FIRST is still NEVER.
void MarkFirstCounted(const std::uint32_t* counts, std::size_t stride, std::size_t tables, std::size_t cells,
                      std::uint32_t* first, std::uint32_t chunk, std::uint32_t never);

// The nearest of 256 palette colours by squared distance in red, green and blue, with the vector
// units: Find gives the first of equal distances, or -1 when the vector units are not used.
class NearestColourSearch {
public:
  // Colours as blue | green << 8 | red << 16.
  explicit NearestColourSearch(const std::array<std::uint32_t, 256>& palette);
  int Find(std::uint32_t colour) const;

private:
  // Per palette colour, red and green as one pair of 16-bit values, blue and 0 as another.
  alignas(32) std::array<std::int16_t, 512> red_green_{};
  alignas(32) std::array<std::int16_t, 512> blue_zero_{};
  bool use_ = false;
};

// Whether the passes above use the vector units when the processor has them. Tests turn them off
// to compare with the plain code; on by default.
bool VectorRowsEnabled();
void SetVectorRowsEnabled(bool enabled);

}  // namespace tw::reduction
