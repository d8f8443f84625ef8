#pragma once
// Drawing a frame's row of 8-bit palette indices onto the 32-bit screen of an animation.

#include <cstdint>

namespace tw {

// TO[x] = COLORS[FROM[x]] for every x below WIDTH, except where FROM[x] is TRANSPARENT (-1 for
// none): there TO[x] stays. COLORS has 256 entries.
void DrawIndexRow(const std::uint8_t* from, std::uint32_t* to, int width, const std::uint32_t* colors,
                  int transparent);

}  // namespace tw
