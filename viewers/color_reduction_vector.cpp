#include "viewers/color_reduction_vector.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "viewers/processor_features.h"
#define TW_VECTOR_ROWS 1
#endif

namespace tw::reduction {
namespace {

std::atomic<bool> enabled{true};

}  // namespace

NibbleLevels NibbleLevelsOf(const std::array<std::uint8_t, 256>& nearest, std::uint8_t factor) {
  NibbleLevels l{};
  l.factor = factor;
  for (int h = 0; h < 16; ++h) {
    const int first = 16 * h;
    int step = first;
    for (int v = first + 1; v < first + 16 && step == first; ++v)
      if (nearest[v] != nearest[first]) step = v;
    // Without a step in the run, the threshold is the run's first value, always reached, and the
    // base one level lower.
    const int level = step == first ? nearest[first] - 1 : nearest[first];
    l.base[h] = static_cast<std::uint8_t>(level * factor);
    l.threshold[h] = static_cast<std::uint8_t>(step);
  }
  return l;
}

namespace {

void MarkFirstCountedPlain(const std::uint32_t* counts, std::size_t stride, std::size_t tables, std::size_t from,
                           std::size_t cells, std::uint32_t* first, std::uint32_t chunk, std::uint32_t never) {
  for (std::size_t c = from; c < cells; ++c) {
    std::uint32_t any = 0;
    for (std::size_t t = 0; t < tables; ++t) any |= counts[t * stride + c];
    if (first[c] == never && any != 0) first[c] = chunk;
  }
}

}  // namespace

bool VectorRowsEnabled() { return enabled.load(std::memory_order_relaxed); }
void SetVectorRowsEnabled(bool on) { enabled.store(on, std::memory_order_relaxed); }

#ifdef TW_VECTOR_ROWS
namespace {

#define TW_AVX2 __attribute__((target("avx2")))

constexpr int kBlock = 32;  // pixels per block: 96 bytes in, 32 indices out

// Whether a row gets vector passes at all.
bool Use(int width) { return width >= kBlock && VectorRowsEnabled() && ProcessorHasAvx2(); }

using V = __m256i;

// A block of 32 pixels as three registers whose lanes each hold 16 whole pixels: lane 0 the
// first 48 bytes, lane 1 the next 48, so that the in-lane byte shuffles see whole pixels.
struct Block {
  V a, b, c;
};

TW_AVX2 inline V LoadHalves(const std::uint8_t* p) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

TW_AVX2 inline Block LoadBlock(const std::uint8_t* p) { return {LoadHalves(p), LoadHalves(p + 16), LoadHalves(p + 32)}; }

// Byte offsets into a lane's 48 bytes, one per output byte (16 per lane), as shuffle controls
// for the three registers: each control picks its own register's bytes and zeroes the others.
using Offsets = std::array<int, 16>;
using Controls = std::array<std::array<std::uint8_t, 16>, 3>;

constexpr Controls ControlsFor(const Offsets& offsets) {
  Controls c{};
  for (int r = 0; r < 3; ++r)
    for (int i = 0; i < 16; ++i) {
      const int local = offsets[i] - 16 * r;
      c[r][i] = local >= 0 && local < 16 ? static_cast<std::uint8_t>(local) : 0x80;
    }
  return c;
}

constexpr Offsets ChannelOffsets(int channel) {
  Offsets o{};
  for (int i = 0; i < 16; ++i) o[i] = 3 * i + channel;
  return o;
}

// The byte of pixel i that (PHASE + i) mod 3 selects: red (2), green (1) or blue (0).
constexpr Offsets DitherOffsets(int phase) {
  Offsets o{};
  for (int i = 0; i < 16; ++i) o[i] = 3 * i + 2 - (phase + i) % 3;
  return o;
}

constexpr std::array<std::uint8_t, 16> DitherBases(int phase) {
  std::array<std::uint8_t, 16> b{};
  for (int i = 0; i < 16; ++i) b[i] = static_cast<std::uint8_t>(64 * ((phase + i) % 3));
  return b;
}

TW_AVX2 inline V Lanes(const std::array<std::uint8_t, 16>& low, const std::array<std::uint8_t, 16>& high) {
  const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low.data()));
  const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high.data()));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(l), h, 1);
}

// Three shuffle controls that together gather one byte per output position.
struct Picker {
  V a, b, c;
};

TW_AVX2 inline Picker PickerFor(const Controls& low, const Controls& high) {
  return {Lanes(low[0], high[0]), Lanes(low[1], high[1]), Lanes(low[2], high[2])};
}

TW_AVX2 inline V Pick(const Block& k, const Picker& p) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(k.a, p.a), _mm256_shuffle_epi8(k.b, p.b)),
                         _mm256_shuffle_epi8(k.c, p.c));
}

constexpr Controls kBlueControls = ControlsFor(ChannelOffsets(0));
constexpr Controls kGreenControls = ControlsFor(ChannelOffsets(1));
constexpr Controls kRedControls = ControlsFor(ChannelOffsets(2));

// One register per channel, pixel i of the block in byte i.
struct Channels {
  V blue, green, red;
};

struct Splitter {
  Picker blue, green, red;
};

TW_AVX2 inline Splitter MakeSplitter() {
  return {PickerFor(kBlueControls, kBlueControls), PickerFor(kGreenControls, kGreenControls),
          PickerFor(kRedControls, kRedControls)};
}

TW_AVX2 inline Channels Split(const Block& k, const Splitter& s) { return {Pick(k, s.blue), Pick(k, s.green), Pick(k, s.red)}; }

TW_AVX2 inline void Store(std::uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }

// The high nibble of every byte.
TW_AVX2 inline V HighNibbles(V v) { return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F)); }

TW_AVX2 int GrayRowAvx2(const std::uint8_t* in, std::uint8_t* out, int width) {
  // Green's weight 150 is split as 99 + 51 so that both byte-pair products stay below 2^15:
  // blue x 29 + green x 99 and green x 51 + red x 77, each at most 255 x 128.
  const V blue_green = _mm256_set1_epi16(static_cast<short>(29 | 99 << 8));
  const V green_red = _mm256_set1_epi16(static_cast<short>(51 | 77 << 8));
  const Splitter split = MakeSplitter();
  const int blocks = width / kBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kBlock, out += kBlock) {
    const Channels ch = Split(LoadBlock(in), split);
    // Unpacking works within lanes: the low halves hold pixels 0-7 and 16-23, the high halves
    // 8-15 and 24-31, and packing puts them back in order.
    const V low = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(ch.blue, ch.green), blue_green),
                         _mm256_maddubs_epi16(_mm256_unpacklo_epi8(ch.green, ch.red), green_red)),
        8);
    const V high = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(ch.blue, ch.green), blue_green),
                         _mm256_maddubs_epi16(_mm256_unpackhi_epi8(ch.green, ch.red), green_red)),
        8);
    Store(out, _mm256_packus_epi16(low, high));
  }
  return blocks * kBlock;
}

struct LevelRegisters {
  V base, threshold, factor;
};

TW_AVX2 inline LevelRegisters LevelRegistersOf(const NibbleLevels& l) {
  return {Lanes(l.base, l.base), Lanes(l.threshold, l.threshold), _mm256_set1_epi8(static_cast<char>(l.factor))};
}

TW_AVX2 inline V Share(V v, const LevelRegisters& l) {
  const V nibble = HighNibbles(v);
  const V threshold = _mm256_shuffle_epi8(l.threshold, nibble);
  const V reached = _mm256_cmpeq_epi8(_mm256_max_epu8(v, threshold), v);
  return _mm256_add_epi8(_mm256_shuffle_epi8(l.base, nibble), _mm256_and_si256(reached, l.factor));
}

TW_AVX2 int LevelsRowAvx2(const std::uint8_t* in, std::uint8_t* out, int width, const std::array<NibbleLevels, 3>& channels) {
  const LevelRegisters blue = LevelRegistersOf(channels[0]), green = LevelRegistersOf(channels[1]),
                       red = LevelRegistersOf(channels[2]);
  const Splitter split = MakeSplitter();
  const int blocks = width / kBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kBlock, out += kBlock) {
    const Channels ch = Split(LoadBlock(in), split);
    Store(out, _mm256_add_epi8(_mm256_add_epi8(Share(ch.blue, blue), Share(ch.green, green)), Share(ch.red, red)));
  }
  return blocks * kBlock;
}

TW_AVX2 int ChannelDitherRowAvx2(const std::uint8_t* in, std::uint8_t* out, int width, int phase) {
  static constexpr std::array<Controls, 3> kControls = {ControlsFor(DitherOffsets(0)), ControlsFor(DitherOffsets(1)),
                                                        ControlsFor(DitherOffsets(2))};
  static constexpr std::array<std::array<std::uint8_t, 16>, 3> kBases = {DitherBases(0), DitherBases(1), DitherBases(2)};
  // A block's second lane starts 16 pixels on, one phase later; the next block two phases later.
  Picker pickers[3];
  V bases[3];
  for (int p = 0; p < 3; ++p) {
    pickers[p] = PickerFor(kControls[p], kControls[(p + 1) % 3]);
    bases[p] = Lanes(kBases[p], kBases[(p + 1) % 3]);
  }
  const V low_six = _mm256_set1_epi8(0x3F);
  const int blocks = width / kBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kBlock, out += kBlock) {
    const V picked = Pick(LoadBlock(in), pickers[phase]);
    Store(out, _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(picked, 2), low_six), bases[phase]));
    phase = phase == 0 ? 2 : phase - 1;
  }
  return blocks * kBlock;
}

// Shuffle controls that gather, per lane, eight pixels from two registers X and Y whose lanes
// hold bytes 0-15 and 8-23 of the pixels: into 16-bit words blue | green << 8 or red << 8.
struct CellControls {
  std::array<std::int8_t, 16> pair_x, pair_y, red_x, red_y;
};

constexpr CellControls MakeCellControls() {
  CellControls c{};
  for (int i = 0; i < 16; ++i) c.pair_x[i] = c.pair_y[i] = c.red_x[i] = c.red_y[i] = -1;
  // Byte b of the pixels (0-23) comes from X below 16, else from Y at b - 8.
  auto place = [](std::array<std::int8_t, 16>& x, std::array<std::int8_t, 16>& y, int at, int b) {
    if (b < 16)
      x[at] = static_cast<std::int8_t>(b);
    else
      y[at] = static_cast<std::int8_t>(b - 8);
  };
  for (int p = 0; p < 8; ++p) {
    place(c.pair_x, c.pair_y, 2 * p, 3 * p);
    place(c.pair_x, c.pair_y, 2 * p + 1, 3 * p + 1);
    place(c.red_x, c.red_y, 2 * p + 1, 3 * p + 2);
  }
  return c;
}

TW_AVX2 inline V BothLanes(const std::array<std::int8_t, 16>& control) {
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(control.data()));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(c), c, 1);
}

TW_AVX2 inline V LoadApart(const std::uint8_t* p, int apart) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + apart)), 1);
}

// Works out the cells of 16 pixels at a time for one bit split.
class CellMaker {
public:
  TW_AVX2 explicit CellMaker(CellBits bits)
      : pair_x_(BothLanes(kControls.pair_x)), pair_y_(BothLanes(kControls.pair_y)), red_x_(BothLanes(kControls.red_x)),
        red_y_(BothLanes(kControls.red_y)), low_byte_(_mm256_set1_epi16(0xFF)),
        green_bits_(_mm256_set1_epi16(static_cast<short>(((1 << bits.green) - 1) << bits.blue))),
        red_bits_(_mm256_set1_epi16(static_cast<short>(((1 << bits.red) - 1) << (bits.green + bits.blue)))),
        blue_shift_(_mm_cvtsi32_si128(8 - bits.blue)), green_shift_(_mm_cvtsi32_si128(16 - bits.green - bits.blue)),
        red_shift_(_mm_cvtsi32_si128(16 - bits.red - bits.green - bits.blue)) {}

  // The cells of the 16 pixels (48 bytes) at IN.
  TW_AVX2 V Cells(const std::uint8_t* in) const {
    const V x = LoadApart(in, 24), y = LoadApart(in + 8, 24);
    const V pair = _mm256_or_si256(_mm256_shuffle_epi8(x, pair_x_), _mm256_shuffle_epi8(y, pair_y_));
    const V red = _mm256_or_si256(_mm256_shuffle_epi8(x, red_x_), _mm256_shuffle_epi8(y, red_y_));
    // From a word blue | green << 8: blue's bits by a mask and a shift, green's by a shift that
    // brings them next to blue's and a mask; from red << 8 likewise.
    return _mm256_or_si256(_mm256_or_si256(_mm256_srl_epi16(_mm256_and_si256(pair, low_byte_), blue_shift_),
                                           _mm256_and_si256(_mm256_srl_epi16(pair, green_shift_), green_bits_)),
                           _mm256_and_si256(_mm256_srl_epi16(red, red_shift_), red_bits_));
  }

private:
  static constexpr CellControls kControls = MakeCellControls();
  V pair_x_, pair_y_, red_x_, red_y_, low_byte_, green_bits_, red_bits_;
  __m128i blue_shift_, green_shift_, red_shift_;
};

constexpr int kCellBlock = 16;  // pixels: 48 bytes in, two 8-pixel lanes 24 bytes apart

TW_AVX2 inline void StoreCells(std::uint16_t* out, V cells) { _mm256_storeu_si256(reinterpret_cast<V*>(out), cells); }

TW_AVX2 int CellRowAvx2(const std::uint8_t* in, std::uint16_t* out, int width, CellBits bits) {
  const CellMaker maker(bits);
  const int blocks = width / kCellBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kCellBlock, out += kCellBlock) StoreCells(out, maker.Cells(in));
  return blocks * kCellBlock;
}

// The next row's cells are worked out in the same loop as the current row is counted or mapped:
// the vector units then work while the counting waits on its stores, or the mapping on its table
// loads, which a loop of their own would not overlap.
template <std::size_t kTables>
TW_AVX2 int CountCellRowAvx2(const std::uint16_t* cells, const CellTables& tables, const std::uint8_t* in,
                             std::uint16_t* next, int width, CellBits bits) {
  const CellMaker maker(bits);
  std::uint32_t* t[4];
  for (std::size_t k = 0; k < 4; ++k) t[k] = tables.counts + tables.stride * (k % kTables);
  const int blocks = width / kCellBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kCellBlock, next += kCellBlock, cells += kCellBlock) {
    StoreCells(next, maker.Cells(in));
    for (int k = 0; k < kCellBlock; k += 4) {
      ++t[0][cells[k]];
      ++t[1][cells[k + 1]];
      ++t[2][cells[k + 2]];
      ++t[3][cells[k + 3]];
    }
  }
  return blocks * kCellBlock;
}

TW_AVX2 int MapCellRowAvx2(const std::uint16_t* cells, const std::uint8_t* index_of, std::uint8_t* out,
                           const std::uint8_t* in, std::uint16_t* next, int width, CellBits bits) {
  const CellMaker maker(bits);
  const int blocks = width / kCellBlock;
  for (int n = 0; n < blocks; ++n, in += 3 * kCellBlock, next += kCellBlock, cells += kCellBlock, out += kCellBlock) {
    StoreCells(next, maker.Cells(in));
    MapEight(cells, index_of, out);
    MapEight(cells + 8, index_of, out + 8);
  }
  return blocks * kCellBlock;
}

TW_AVX2 std::size_t MarkFirstCountedAvx2(const std::uint32_t* counts, std::size_t stride, std::size_t tables,
                                         std::size_t cells, std::uint32_t* first, std::uint32_t chunk, std::uint32_t never) {
  const V never_v = _mm256_set1_epi32(static_cast<int>(never)), chunk_v = _mm256_set1_epi32(static_cast<int>(chunk));
  const V zero = _mm256_setzero_si256();
  std::size_t c = 0;
  for (; c + 8 <= cells; c += 8) {
    V any = _mm256_loadu_si256(reinterpret_cast<const V*>(counts + c));
    for (std::size_t t = 1; t < tables; ++t)
      any = _mm256_or_si256(any, _mm256_loadu_si256(reinterpret_cast<const V*>(counts + t * stride + c)));
    V* at = reinterpret_cast<V*>(first + c);
    const V was = _mm256_loadu_si256(at);
    const V mark = _mm256_andnot_si256(_mm256_cmpeq_epi32(any, zero), _mm256_cmpeq_epi32(was, never_v));
    _mm256_storeu_si256(at, _mm256_blendv_epi8(was, chunk_v, mark));
  }
  return c;
}

TW_AVX2 int NearestAvx2(const std::int16_t* red_green, const std::int16_t* blue_zero, std::uint32_t colour) {
  const int blue = static_cast<int>(colour & 0xFF), green = static_cast<int>(colour >> 8 & 0xFF),
            red = static_cast<int>(colour >> 16);
  const V rg = _mm256_set1_epi32(red | green << 16), b0 = _mm256_set1_epi32(blue);
  // Per lane of two halves (palette entries 16k to 16k + 7 and 16k + 8 to 16k + 15) the smallest
  // distance so far and the first palette index with it: two halves, so that each waits on its
  // own comparisons only.
  V best[2] = {_mm256_set1_epi32(0x7FFFFFFF), _mm256_set1_epi32(0x7FFFFFFF)};
  V best_index[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
  V index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const V eight = _mm256_set1_epi32(8);
  auto step = [&](int i, V& smallest, V& smallest_index) TW_AVX2 {
    const V d_rg = _mm256_sub_epi16(rg, _mm256_load_si256(reinterpret_cast<const V*>(red_green + 2 * i)));
    const V d_b = _mm256_sub_epi16(b0, _mm256_load_si256(reinterpret_cast<const V*>(blue_zero + 2 * i)));
    const V distance = _mm256_add_epi32(_mm256_madd_epi16(d_rg, d_rg), _mm256_madd_epi16(d_b, d_b));
    const V closer = _mm256_cmpgt_epi32(smallest, distance);
    smallest = _mm256_blendv_epi8(smallest, distance, closer);
    smallest_index = _mm256_blendv_epi8(smallest_index, index, closer);
    index = _mm256_add_epi32(index, eight);
  };
  for (int i = 0; i < 256; i += 16) {
    step(i, best[0], best_index[0]);
    step(i + 8, best[1], best_index[1]);
  }
  alignas(32) std::int32_t distances[16], indices[16];
  for (int half = 0; half < 2; ++half) {
    _mm256_store_si256(reinterpret_cast<V*>(distances + 8 * half), best[half]);
    _mm256_store_si256(reinterpret_cast<V*>(indices + 8 * half), best_index[half]);
  }
  int found = 0;
  for (int lane = 1; lane < 16; ++lane)
    if (distances[lane] < distances[found] || (distances[lane] == distances[found] && indices[lane] < indices[found]))
      found = lane;
  return indices[found];
}

}  // namespace

NearestColourSearch::NearestColourSearch(const std::array<std::uint32_t, 256>& palette)
    : use_(VectorRowsEnabled() && ProcessorHasAvx2()) {
  for (std::size_t i = 0; i < 256; ++i) {
    red_green_[2 * i] = static_cast<std::int16_t>(palette[i] >> 16);
    red_green_[2 * i + 1] = static_cast<std::int16_t>(palette[i] >> 8 & 0xFF);
    blue_zero_[2 * i] = static_cast<std::int16_t>(palette[i] & 0xFF);
  }
}

int NearestColourSearch::Find(std::uint32_t colour) const {
  return use_ ? NearestAvx2(red_green_.data(), blue_zero_.data(), colour) : -1;
}

void MarkFirstCounted(const std::uint32_t* counts, std::size_t stride, std::size_t tables, std::size_t cells,
                      std::uint32_t* first, std::uint32_t chunk, std::uint32_t never) {
  const std::size_t done = VectorRowsEnabled() && ProcessorHasAvx2()
                               ? MarkFirstCountedAvx2(counts, stride, tables, cells, first, chunk, never)
                               : 0;
  MarkFirstCountedPlain(counts, stride, tables, done, cells, first, chunk, never);
}

int GrayRow(const std::uint8_t* in, std::uint8_t* out, int width) { return Use(width) ? GrayRowAvx2(in, out, width) : 0; }

int LevelsRow(const std::uint8_t* in, std::uint8_t* out, int width, const std::array<NibbleLevels, 3>& channels) {
  return Use(width) ? LevelsRowAvx2(in, out, width, channels) : 0;
}

int ChannelDitherRow(const std::uint8_t* in, std::uint8_t* out, int width, int phase) {
  return Use(width) ? ChannelDitherRowAvx2(in, out, width, phase) : 0;
}

int CellRow(const std::uint8_t* in, std::uint16_t* out, int width, CellBits bits) {
  return VectorRowsEnabled() && ProcessorHasAvx2() ? CellRowAvx2(in, out, width, bits) : 0;
}

int CountCellRow(const std::uint16_t* cells, const CellTables& tables, const std::uint8_t* in, std::uint16_t* next,
                 int width, CellBits bits) {
  if (!VectorRowsEnabled() || !ProcessorHasAvx2()) return 0;
  return tables.tables == 4 ? CountCellRowAvx2<4>(cells, tables, in, next, width, bits)
                            : CountCellRowAvx2<1>(cells, tables, in, next, width, bits);
}

int MapCellRow(const std::uint16_t* cells, const std::uint8_t* index_of, std::uint8_t* out, const std::uint8_t* in,
               std::uint16_t* next, int width, CellBits bits) {
  return VectorRowsEnabled() && ProcessorHasAvx2() ? MapCellRowAvx2(cells, index_of, out, in, next, width, bits) : 0;
}

#else

int GrayRow(const std::uint8_t*, std::uint8_t*, int) { return 0; }
int LevelsRow(const std::uint8_t*, std::uint8_t*, int, const std::array<NibbleLevels, 3>&) { return 0; }
int ChannelDitherRow(const std::uint8_t*, std::uint8_t*, int, int) { return 0; }
int CellRow(const std::uint8_t*, std::uint16_t*, int, CellBits) { return 0; }
int CountCellRow(const std::uint16_t*, const CellTables&, const std::uint8_t*, std::uint16_t*, int, CellBits) { return 0; }
int MapCellRow(const std::uint16_t*, const std::uint8_t*, std::uint8_t*, const std::uint8_t*, std::uint16_t*, int, CellBits) {
  return 0;
}

void MarkFirstCounted(const std::uint32_t* counts, std::size_t stride, std::size_t tables, std::size_t cells,
                      std::uint32_t* first, std::uint32_t chunk, std::uint32_t never) {
  MarkFirstCountedPlain(counts, stride, tables, 0, cells, first, chunk, never);
}

NearestColourSearch::NearestColourSearch(const std::array<std::uint32_t, 256>&) {}
int NearestColourSearch::Find(std::uint32_t) const { return -1; }

#endif

}  // namespace tw::reduction
