#pragma once
// The LZW decoder's fuzz input: three bytes of frame parameters followed by the code stream.
//   byte 0: width - 1; byte 1: height - 1 (mod 64);
//   byte 2: bits 0-1 buffer depth (1, 4, 8, 8), bit 2 interlaced, bits 3-5 colour-table bits - 1.
// Shared by the strict and tolerant decoder targets, which also make their seeds here.

#include <cstdlib>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "viewers/gif/lzw.h"

namespace tw::fuzz::lzw {

struct Frame {
  int width = 0, height = 0, bpp = 8, table_bits = 8;
  bool interlaced = false;
  std::int64_t stride = 0;
  Bytes stream;
};

inline bool ParseFrame(const std::uint8_t* data, std::size_t size, Frame& frame) {
  if (size < 3) return false;
  static constexpr int kDepths[4] = {1, 4, 8, 8};
  frame.width = data[0] + 1;
  frame.height = data[1] % 64 + 1;
  frame.bpp = kDepths[data[2] & 3];
  frame.interlaced = data[2] & 4;
  frame.table_bits = (data[2] >> 3 & 7) + 1;
  frame.stride = LzwRowStride(frame.width, frame.bpp);
  frame.stream.assign(data + 3, data + size);
  return true;
}

// Decodes FRAME into a zero-filled buffer and checks what holds however the data looks: the
// padding after each row's pixels stays untouched. Returns the pixels; failures pass on.
inline Bytes DecodeChecked(const Frame& frame, bool tolerant, bool& damaged) {
  Bytes pixels(static_cast<std::size_t>(frame.stride * frame.height));
  TMemoryStream in(frame.stream);
  LzwDecode(in, frame.width, frame.height, frame.bpp, frame.interlaced, nullptr, damaged, pixels,
            frame.table_bits, tolerant);
  const std::int64_t used = (std::int64_t{frame.width} * frame.bpp + 7) / 8;
  for (int y = 0; y < frame.height; ++y)
    for (std::int64_t i = used; i < frame.stride; ++i)
      if (pixels[static_cast<std::size_t>(y * frame.stride + i)] != 0) std::abort();
  return pixels;
}

// Pixels that decoded cleanly encode and decode back to themselves.
inline void CheckRoundTrip(const Frame& frame, const Bytes& pixels) {
  TMemoryStream encoded;
  LzwEncode(encoded, frame.width, frame.height, frame.bpp, frame.interlaced, nullptr, pixels);
  Frame again = frame;
  again.table_bits = frame.bpp;
  again.stream = encoded.Bytes();
  bool damaged = false;
  if (DecodeChecked(again, false, damaged) != pixels || damaged) std::abort();
}

// Seeds: frames written by the encoder, of every depth, plain and interlaced, some cut short.
inline std::vector<Bytes> Seeds() {
  std::vector<Bytes> seeds;
  unsigned state = 7;
  for (int depth_code : {0, 1, 2}) {
    const int bpp = depth_code == 0 ? 1 : depth_code == 1 ? 4 : 8;
    for (int shape = 0; shape < 4; ++shape) {
      const int width = 1 + shape * 37, height = 1 + shape * 9;
      const bool interlaced = shape & 1;
      const std::int64_t stride = LzwRowStride(width, bpp);
      Bytes pixels(static_cast<std::size_t>(stride * height));
      // Runs of random values, so that the table fills with strings of several lengths.
      unsigned value = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          state = state * 1103515245u + 12345u;
          if ((state >> 16) % 5 == 0) value = (state >> 24) & ((1u << bpp) - 1);
          const int bit = x * bpp;
          pixels[static_cast<std::size_t>(y * stride + bit / 8)] |=
              static_cast<std::uint8_t>(value << (8 - bpp - bit % 8));
        }
      TMemoryStream out;
      LzwEncode(out, width, height, bpp, interlaced, nullptr, pixels);
      Bytes seed = {static_cast<std::uint8_t>(width - 1), static_cast<std::uint8_t>(height - 1),
                    static_cast<std::uint8_t>(depth_code | (interlaced ? 4 : 0) | (bpp - 1) << 3)};
      seed.insert(seed.end(), out.Bytes().begin(), out.Bytes().end());
      seeds.push_back(seed);
      if (seed.size() > 20) seeds.emplace_back(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(seed.size() / 2));
    }
  }
  return seeds;
}

}  // namespace tw::fuzz::lzw
