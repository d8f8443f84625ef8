#pragma once
// Pictures and hand-packed code streams for the LZW coder's tests.

#include <cstdint>
#include <random>
#include <vector>

#include "framework/stream.h"
#include "viewers/gif/lzw.h"

namespace tw::lzw_test {

using Bytes = std::vector<std::uint8_t>;

// A bottom-up pixel buffer of 1, 4 or 8 bits per pixel, padding bits and bytes zero.
struct Picture {
  int width = 0;
  int height = 0;
  int bpp = 8;
  Bytes bits;

  Picture() = default;
  Picture(int w, int h, int depth)
      : width(w), height(h), bpp(depth), bits(static_cast<std::size_t>(LzwRowStride(w, depth) * h)) {}

  std::int64_t Stride() const { return LzwRowStride(width, bpp); }
  std::uint8_t* Row(int y) { return bits.data() + (height - 1 - y) * Stride(); }
  const std::uint8_t* Row(int y) const { return bits.data() + (height - 1 - y) * Stride(); }

  unsigned Get(int x, int y) const {
    const std::uint8_t* row = Row(y);
    if (bpp == 8) return row[x];
    if (bpp == 4) return (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4;
    return (row[x / 8] >> (7 - x % 8)) & 1;
  }
  void Set(int x, int y, unsigned v) {
    std::uint8_t* row = Row(y);
    if (bpp == 8) {
      row[x] = static_cast<std::uint8_t>(v);
    } else if (bpp == 4) {
      const int shift = (x & 1) ? 0 : 4;
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(15 << shift)) | (v & 15) << shift);
    } else {
      const int shift = 7 - x % 8;
      row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(1 << shift)) | (v & 1) << shift);
    }
  }
  // The pixels of the rows in top-down order, one value each.
  std::vector<unsigned> Values() const {
    std::vector<unsigned> values;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) values.push_back(Get(x, y));
    return values;
  }
};

// Pixels that repeat with probability RUN (long strings, table clears) and are otherwise drawn
// from the first COLORS values.
inline Picture RandomPicture(int w, int h, int bpp, unsigned seed, double run = 0.5,
                             unsigned colors = 0) {
  Picture p(w, h, bpp);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  const unsigned limit = colors ? colors : 1u << bpp;
  unsigned last = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (chance(rng) >= run) last = rng() % limit;
      p.Set(x, y, last);
    }
  return p;
}

inline Bytes Encode(const Picture& p, bool interlaced = false) {
  TMemoryStream out;
  LzwEncode(out, p.width, p.height, p.bpp, interlaced, nullptr, p.bits);
  return out.Bytes();
}

struct Decoded {
  Picture picture;
  bool damaged = false;
  std::int64_t end_position = 0;  // the stream's position after decoding
};

inline Decoded Decode(const Bytes& stream, int w, int h, int bpp, bool interlaced = false,
                      int table_bits = 0, bool tolerant = false) {
  Decoded d;
  d.picture = Picture(w, h, bpp);
  TMemoryStream in(stream);
  LzwDecode(in, w, h, bpp, interlaced, nullptr, d.damaged, d.picture.bits,
            table_bits ? table_bits : bpp, tolerant);
  d.end_position = in.Position();
  return d;
}

// Packs hand-chosen codes of hand-chosen widths, least significant bit first, into sub-blocks
// of at most BLOCK bytes after a minimum code size byte.
class CodePacker {
public:
  explicit CodePacker(int min_code_size) : min_code_size_(min_code_size) {}

  CodePacker& Put(unsigned code, int width) {
    for (int i = 0; i < width; ++i) {
      if (bit_count_ % 8 == 0) data_.push_back(0);
      if (code >> i & 1) data_.back() |= static_cast<std::uint8_t>(1 << (bit_count_ % 8));
      ++bit_count_;
    }
    return *this;
  }

  // The stream; TERMINATED adds the zero-length block.
  Bytes Finish(bool terminated = true, std::size_t block = 255) const {
    Bytes out{static_cast<std::uint8_t>(min_code_size_)};
    for (std::size_t at = 0; at < data_.size(); at += block) {
      const std::size_t n = std::min(block, data_.size() - at);
      out.push_back(static_cast<std::uint8_t>(n));
      out.insert(out.end(), data_.begin() + at, data_.begin() + at + n);
    }
    if (terminated) out.push_back(0);
    return out;
  }

private:
  int min_code_size_;
  Bytes data_;
  int bit_count_ = 0;
};

}  // namespace tw::lzw_test
