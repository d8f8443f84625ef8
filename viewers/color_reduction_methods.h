#pragma once
// The two adaptive reduction methods, shared by the colour reduction sources only.

#include <cstdint>
#include <cstring>
#include <span>

#include "framework/dib.h"

namespace tw::reduction {

// Calls VISIT(x, pixel) for each of the WIDTH 24-bit pixels of ROW, the pixel as blue | green
// << 8 | red << 16. All but the last are read with one unaligned 32-bit load, which stays
// inside the row; the targets are little-endian. Flattened so that VISIT is inlined into the
// loop even when it has a rarely taken slow path.
template <class Visit>
[[gnu::flatten]] inline void ForEachPixelOfRow(const std::uint8_t* row, int width, Visit visit) {
  if (width <= 0) return;
  int x = 0;
  for (; x < width - 1; ++x, row += 3) {
    std::uint32_t word;
    std::memcpy(&word, row, 4);
    visit(x, word & 0xFFFFFF);
  }
  visit(x, row[0] | row[1] << 8 | static_cast<std::uint32_t>(row[2]) << 16);
}

// Both read rows of 24-bit pixels and write 8-bit rows as ReducePixels describes.
void Popularity(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                std::span<TRGBQuad, 256> palette);
// Returns the number of colours made.
std::uint32_t MedianCut(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                        std::span<TRGBQuad, 256> palette);

}  // namespace tw::reduction
