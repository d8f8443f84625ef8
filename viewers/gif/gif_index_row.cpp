#include "viewers/gif/gif_index_row.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "viewers/processor_features.h"
#define TW_VECTOR_ROWS 1
#endif

namespace tw {
namespace {

#ifdef TW_VECTOR_ROWS
// Eight pixels at a time: the colours are gathered by index and blended with the screen where
// the index is the transparent one. Returns how many pixels it drew.
__attribute__((target("avx2"))) int DrawIndexBlocks(const std::uint8_t* from, std::uint32_t* to, int width,
                                                    const std::uint32_t* colors, int transparent) {
  const __m256i key = _mm256_set1_epi32(transparent);
  const int* table = reinterpret_cast<const int*>(colors);
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m256i index = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + x)));
    __m256i color = _mm256_i32gather_epi32(table, index, 4);
    auto* out = reinterpret_cast<__m256i*>(to + x);
    if (transparent >= 0)
      color = _mm256_blendv_epi8(color, _mm256_loadu_si256(out), _mm256_cmpeq_epi32(index, key));
    _mm256_storeu_si256(out, color);
  }
  return x;
}
#endif

}  // namespace

void DrawIndexRow(const std::uint8_t* from, std::uint32_t* to, int width, const std::uint32_t* colors,
                  int transparent) {
  int x = 0;
#ifdef TW_VECTOR_ROWS
  // A lookup per pixel is most of the work; the gather does eight.
  if (ProcessorHasAvx2()) x = DrawIndexBlocks(from, to, width, colors, transparent);
#endif
  for (; x < width; ++x)
    if (from[x] != transparent) to[x] = colors[from[x]];
}

}  // namespace tw
