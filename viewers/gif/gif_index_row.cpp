#include "viewers/gif/gif_index_row.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "viewers/processor_features.h"
#define TW_VECTOR_ROWS 1
#endif
// Sixteen byte tables want the 32 vector registers of 64-bit mode.
#ifdef __x86_64__
#define TW_BYTE_LOOKUP_ROWS 1
#endif

namespace tw {
namespace {

#ifdef TW_VECTOR_ROWS
// Eight pixels at a time: the colours are gathered by index and blended with what is below where
// the index is the transparent one. Returns how many pixels it drew.
__attribute__((target("avx2"))) int DrawGathered(const std::uint8_t* from, const std::uint32_t* below,
                                                 std::uint32_t* to, int width, const std::uint32_t* colors,
                                                 int transparent) {
  const __m256i key = _mm256_set1_epi32(transparent);
  const int* table = reinterpret_cast<const int*>(colors);
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m256i index = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + x)));
    __m256i color = _mm256_i32gather_epi32(table, index, 4);
    if (transparent >= 0)
      color = _mm256_blendv_epi8(color, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(below + x)),
                                 _mm256_cmpeq_epi32(index, key));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + x), color);
  }
  return x;
}
#endif

#ifdef TW_BYTE_LOOKUP_ROWS
#define TW_BYTE_LOOKUPS __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// One byte of the colour of 64 indices: two 128-entry byte lookups, the high bit of each index
// choosing between them.
struct TBytePlane {
  __m512i low0, low1, high0, high1;
};

TW_BYTE_LOOKUPS inline TBytePlane LoadPlane(const std::uint8_t* plane) {
  return {_mm512_loadu_si512(plane), _mm512_loadu_si512(plane + 64), _mm512_loadu_si512(plane + 128),
          _mm512_loadu_si512(plane + 192)};
}

TW_BYTE_LOOKUPS inline __m512i LookUp(const TBytePlane& plane, __m512i index, __mmask64 high) {
  const __m512i low = _mm512_permutex2var_epi8(plane.low0, index, plane.low1);
  return _mm512_mask_mov_epi8(low, high, _mm512_permutex2var_epi8(plane.high0, index, plane.high1));
}

// Sixteen pixels from X on, those of INSIDE's low bits; where SHOWN's bit is clear, the pixel
// below.
TW_BYTE_LOOKUPS inline void StorePixels(__m512i pixels, const std::uint32_t* below, std::uint32_t* to, int x,
                                        __mmask64 inside, __mmask64 shown) {
  // Drawn in place, the transparent pixels are simply not stored: reading them costs more.
  if (below == to) {
    _mm512_mask_storeu_epi32(to + x, static_cast<__mmask16>(shown), pixels);
  } else {
    const __m512i under = _mm512_maskz_loadu_epi32(static_cast<__mmask16>(inside), below + x);
    _mm512_mask_storeu_epi32(to + x, static_cast<__mmask16>(inside),
                             _mm512_mask_blend_epi32(static_cast<__mmask16>(shown), under, pixels));
  }
}

// Interleaving the looked-up bytes into pixels works within 16-byte lanes: the k-th four pixels of
// every lane land in the k-th result. So the indices are first rearranged, place
// 16 * lane + 4 * k + i taking pixel 16 * k + 4 * lane + i, for the results to hold pixels in row
// order.
constexpr std::array<std::uint8_t, 64> LaneOrder() {
  std::array<std::uint8_t, 64> order{};
  for (int lane = 0; lane < 4; ++lane)
    for (int block = 0; block < 4; ++block)
      for (int i = 0; i < 4; ++i) order[16 * lane + 4 * block + i] = static_cast<std::uint8_t>(16 * block + 4 * lane + i);
  return order;
}
constexpr std::array<std::uint8_t, 64> kLaneOrder = LaneOrder();

// Sixty-four pixels at a time, the last block masked to the row's end.
TW_BYTE_LOOKUPS void DrawByteLookups(const std::uint8_t* from, const std::uint32_t* below, std::uint32_t* to,
                                     int width, const std::uint8_t* planes, int transparent) {
  const TBytePlane blue = LoadPlane(planes), green = LoadPlane(planes + 256), red = LoadPlane(planes + 512),
                   alpha = LoadPlane(planes + 768);
  const __m512i order = _mm512_loadu_si512(kLaneOrder.data());
  const __m512i key = _mm512_set1_epi8(static_cast<char>(transparent));
  for (int x = 0; x < width; x += 64) {
    const __mmask64 inside = width - x >= 64 ? ~__mmask64{0} : (__mmask64{1} << (width - x)) - 1;
    const __m512i read = _mm512_maskz_loadu_epi8(inside, from + x);
    const __mmask64 shown = transparent >= 0 ? inside & ~_mm512_cmpeq_epi8_mask(read, key) : inside;
    // (The zero-masked form: the plain one's header trips GCC 12's uninitialised-use warning.)
    const __m512i index = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, read);
    const __mmask64 high = _mm512_movepi8_mask(index);
    const __m512i b = LookUp(blue, index, high), g = LookUp(green, index, high), r = LookUp(red, index, high),
                  a = LookUp(alpha, index, high);
    const __m512i bg_low = _mm512_unpacklo_epi8(b, g), bg_high = _mm512_unpackhi_epi8(b, g);
    const __m512i ra_low = _mm512_unpacklo_epi8(r, a), ra_high = _mm512_unpackhi_epi8(r, a);
    StorePixels(_mm512_unpacklo_epi16(bg_low, ra_low), below, to, x, inside, shown);
    StorePixels(_mm512_unpackhi_epi16(bg_low, ra_low), below, to, x + 16, inside >> 16, shown >> 16);
    StorePixels(_mm512_unpacklo_epi16(bg_high, ra_high), below, to, x + 32, inside >> 32, shown >> 32);
    StorePixels(_mm512_unpackhi_epi16(bg_high, ra_high), below, to, x + 48, inside >> 48, shown >> 48);
  }
}
#endif

}  // namespace

TRowInstructions FastestRowInstructions() {
  // A lookup per pixel is most of the work: byte permutes do 64 in a few instructions, gathers
  // eight.
#ifdef TW_BYTE_LOOKUP_ROWS
  if (ProcessorHasAvx512Vbmi()) return TRowInstructions::kByteLookups;
#endif
#ifdef TW_VECTOR_ROWS
  if (ProcessorHasAvx2()) return TRowInstructions::kGathers;
#endif
  return TRowInstructions::kPlain;
}

TIndexRowPainter::TIndexRowPainter(const std::uint32_t* colors, int transparent, TRowInstructions instructions)
    : transparent_(transparent), instructions_(instructions) {
  std::copy_n(colors, colors_.size(), colors_.begin());
  for (std::size_t i = 0; i < colors_.size(); ++i)
    for (std::size_t byte = 0; byte < 4; ++byte)
      planes_[256 * byte + i] = static_cast<std::uint8_t>(colors_[i] >> (8 * byte));
}

void TIndexRowPainter::Draw(const std::uint8_t* from, const std::uint32_t* below, std::uint32_t* to,
                            int width) const {
  int x = 0;
#ifdef TW_BYTE_LOOKUP_ROWS
  if (instructions_ == TRowInstructions::kByteLookups)
    return DrawByteLookups(from, below, to, width, planes_.data(), transparent_);
#endif
#ifdef TW_VECTOR_ROWS
  if (instructions_ == TRowInstructions::kGathers)
    x = DrawGathered(from, below, to, width, colors_.data(), transparent_);
#endif
  for (; x < width; ++x) to[x] = from[x] == transparent_ ? below[x] : colors_[from[x]];
}

}  // namespace tw
