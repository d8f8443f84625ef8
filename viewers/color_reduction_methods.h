#pragma once
// The two adaptive reduction methods, shared by the colour reduction sources only.

#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "framework/dib.h"
#include "viewers/color_reduction_vector.h"

namespace tw::reduction {

// Calls VISIT(x, pixel) for pixels FIRST to WIDTH - 1 of ROW (24-bit pixels), the pixel as
// blue | green << 8 | red << 16. All but the last are read with one unaligned 32-bit load, which
// stays inside the row; the targets are little-endian. Flattened so that VISIT is inlined into
// the loop even when it has a rarely taken slow path.
template <class Visit>
[[gnu::flatten]] inline void ForEachPixelOfRow(const std::uint8_t* row, int first, int width, Visit visit) {
  if (first >= width) return;
  int x = first;
  row += 3 * static_cast<std::size_t>(first);
  for (; x < width - 1; ++x, row += 3) {
    std::uint32_t word;
    std::memcpy(&word, row, 4);
    visit(x, word & 0xFFFFFF);
  }
  visit(x, row[0] | row[1] << 8 | static_cast<std::uint32_t>(row[2]) << 16);
}

// The cell of a pixel (blue | green << 8 | red << 16) at BITS high bits per channel, as CellRow
// makes it.
inline std::uint16_t CellOf(std::uint32_t pixel, CellBits bits) {
  return static_cast<std::uint16_t>((pixel >> 16 >> (8 - bits.red)) << (bits.green + bits.blue) |
                                    (pixel >> 8 & 0xFF) >> (8 - bits.green) << bits.blue | (pixel & 0xFF) >> (8 - bits.blue));
}

// The cells of a row's WIDTH pixels.
inline void CellsOfRow(const std::uint8_t* row, int width, std::uint16_t* cells, CellBits bits) {
  ForEachPixelOfRow(row, CellRow(row, cells, width, bits), width,
                    [&](int x, std::uint32_t pixel) { cells[x] = CellOf(pixel, bits); });
}

// Hands each of the HEIGHT rows' cells at BITS, worked out from the rows of 24-bit pixels at
// SOURCE, to two steps: WHILE_NEXT(y, cells, in, next) handles a leading part of row y's cells
// while it works out as many cells of row y + 1 from that row's pixels IN into NEXT, and returns
// how many (CountCellRow and MapCellRow do this, or nothing); REST(y, cells, from) handles the
// row's cells from FROM on. Row y + 1's pixels are read before anything row y's steps write,
// which reaches no further than row y's pixels.
template <class WhileNext, class Rest>
void ForEachRowOfCells(const std::uint8_t* source, int width, int height, CellBits bits, WhileNext while_next, Rest rest) {
  if (width <= 0 || height <= 0) return;
  const auto stride = static_cast<std::size_t>(TDib::RowBytes(width, 24));
  std::vector<std::uint16_t> buffers(2 * static_cast<std::size_t>(width));
  std::uint16_t* current = buffers.data();
  std::uint16_t* next = current + width;
  CellsOfRow(source, width, current, bits);
  for (int y = 0; y < height; ++y) {
    int done = 0;
    if (y + 1 < height) {
      const std::uint8_t* in = source + stride * static_cast<std::size_t>(y + 1);
      done = while_next(y, static_cast<const std::uint16_t*>(current), in, next);
      if (done == 0)
        CellsOfRow(in, width, next, bits);
      else
        ForEachPixelOfRow(in, done, width, [&](int x, std::uint32_t pixel) { next[x] = CellOf(pixel, bits); });
    }
    rest(y, static_cast<const std::uint16_t*>(current), done);
    std::swap(current, next);
  }
}

// Pixel counts of the cells of a colour cube. With few cells, which neighbouring pixels often
// share, pixel x of a row is counted in table x mod 4, so that an increment seldom waits for the
// one before; many cells get one table, which keeps them in the cache. The tables lie a little
// more than a multiple of 4 KiB apart: at exactly such a distance the processor takes an
// increment of one table for an overlap with the one before in another and makes it wait.
class CellCounts {
public:
  explicit CellCounts(std::size_t cells)
      : cells_(cells), tables_(cells <= kSpreadCells ? 4 : 1), stride_(cells + kGap), counts_(stride_ * tables_) {}

  // Counts the cells at BITS of every pixel of the picture at SOURCE; AFTER_ROW(y) is called
  // once row y is counted.
  template <class AfterRow>
  void CountPicture(const std::uint8_t* source, int width, int height, CellBits bits, AfterRow after_row) {
    const CellTables tables{counts_.data(), stride_, tables_};
    ForEachRowOfCells(
        source, width, height, bits,
        [&](int, const std::uint16_t* cells, const std::uint8_t* in, std::uint16_t* next) {
          return CountCellRow(cells, tables, in, next, width, bits);
        },
        [&](int y, const std::uint16_t* cells, int from) {
          CountRow(cells + from, width - from);
          after_row(y);
        });
  }

  void CountRow(const std::uint16_t* row, int width) {
    std::uint32_t* const t0 = counts_.data();
    int x = 0;
    if (tables_ == 4) {
      std::uint32_t* const t1 = t0 + stride_;
      std::uint32_t* const t2 = t1 + stride_;
      std::uint32_t* const t3 = t2 + stride_;
      for (; x + 4 <= width; x += 4) {
        ++t0[row[x]];
        ++t1[row[x + 1]];
        ++t2[row[x + 2]];
        ++t3[row[x + 3]];
      }
    }
    for (; x < width; ++x) ++t0[row[x]];
  }

  std::size_t Counters() const { return cells_ * tables_; }
  std::uint32_t Total(std::size_t cell) const {
    std::uint32_t total = 0;
    for (std::size_t t = 0; t < tables_; ++t) total += counts_[t * stride_ + cell];
    return total;
  }

  // FIRST[cell] = CHUNK for every cell counted so far whose FIRST is still NEVER.
  void MarkFirstCounted(std::uint32_t* first, std::uint32_t chunk, std::uint32_t never) const {
    reduction::MarkFirstCounted(counts_.data(), stride_, tables_, cells_, first, chunk, never);
  }

private:
  static constexpr std::size_t kSpreadCells = 4096;  // four tables of these fit the cache
  static constexpr std::size_t kGap = 64;

  std::size_t cells_, tables_, stride_;
  std::vector<std::uint32_t> counts_;
};

// Writes INDEX_OF[cell] for the cell at BITS of every pixel of the picture at SOURCE to the
// 8-bit rows at TARGET.
inline void MapPicture(const std::uint8_t* source, std::uint8_t* target, int width, int height, CellBits bits,
                       const std::uint8_t* index_of) {
  const auto out_stride = static_cast<std::size_t>(TDib::RowBytes(width, 8));
  auto row_out = [&](int y) { return target + out_stride * static_cast<std::size_t>(y); };
  ForEachRowOfCells(
      source, width, height, bits,
      [&](int y, const std::uint16_t* cells, const std::uint8_t* in, std::uint16_t* next) {
        return MapCellRow(cells, index_of, row_out(y), in, next, width, bits);
      },
      [&](int y, const std::uint16_t* cells, int from) { MapRow(cells + from, width - from, index_of, row_out(y) + from); });
}

// Both read rows of 24-bit pixels and write 8-bit rows as ReducePixels describes.
void Popularity(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                std::span<TRGBQuad, 256> palette);
// Returns the number of colours made.
std::uint32_t MedianCut(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                        std::span<TRGBQuad, 256> palette);

}  // namespace tw::reduction
