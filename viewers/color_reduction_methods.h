#pragma once
// The two adaptive reduction methods, shared by the colour reduction sources only.

#include <cstdint>
#include <span>

#include "framework/dib.h"

namespace tw::reduction {

// Both read rows of 24-bit pixels and write 8-bit rows as ReducePixels describes.
void Popularity(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                std::span<TRGBQuad, 256> palette);
// Returns the number of colours made.
std::uint32_t MedianCut(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                        std::span<TRGBQuad, 256> palette);

}  // namespace tw::reduction
