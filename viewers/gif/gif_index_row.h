#pragma once
// Drawing a frame's rows of 8-bit palette indices onto the 32-bit screen of an animation.

#include <array>
#include <cstdint>

namespace tw {

// The instructions rows are drawn with: one pixel at a time, eight with AVX2 gathers, or 64 with
// AVX-512 byte permutes.
enum class TRowInstructions { kPlain, kGathers, kByteLookups };

// The fastest of them the processor offers.
TRowInstructions FastestRowInstructions();

class TIndexRowPainter {
public:
  // COLORS has 256 entries; TRANSPARENT is the index whose pixels show what is below (-1 for
  // none). Instructions the processor does not offer must not be asked for.
  TIndexRowPainter(const std::uint32_t* colors, int transparent,
                   TRowInstructions instructions = FastestRowInstructions());

  // TO[x] = COLORS[FROM[x]] for every x below WIDTH, except where FROM[x] is the transparent
  // index: there TO[x] = BELOW[x]. BELOW may be TO itself.
  void Draw(const std::uint8_t* from, const std::uint32_t* below, std::uint32_t* to, int width) const;

private:
  std::array<std::uint32_t, 256> colors_;
  int transparent_;
  // The same colours a byte at a time, for lookups of 64 indices at once: the blue bytes of all
  // 256 colours, then the green, the red and the alpha.
  std::array<std::uint8_t, 1024> planes_;
  TRowInstructions instructions_;
};

}  // namespace tw
