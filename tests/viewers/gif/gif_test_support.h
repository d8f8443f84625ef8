#pragma once
// Hand-built GIF files for the GIF picture's tests, and pictures to encode.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dib.h"
#include "framework/stream.h"
#include "viewers/gif/lzw.h"

namespace tw::gif_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, int v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Add(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// A GIF file put together block by block.
class GifBuilder {
public:
  // Header and logical screen; GLOBAL_BITS 0 for no global table (else a table of
  // 2^GLOBAL_BITS entries, entry i = (i, 255 - i, 3 * i)).
  explicit GifBuilder(int width = 4, int height = 3, int global_bits = 2, const std::string& signature = "GIF89a",
                      int background = 0) {
    bytes.assign(signature.begin(), signature.end());
    Put16(bytes, width);
    Put16(bytes, height);
    bytes.push_back(static_cast<std::uint8_t>(global_bits ? 0x80 | (global_bits - 1) << 4 | (global_bits - 1) : 0));
    bytes.push_back(static_cast<std::uint8_t>(background));
    bytes.push_back(0);
    if (global_bits) Table(global_bits);
  }

  static std::uint32_t EntryColor(int i) {
    return static_cast<std::uint32_t>(i | (255 - i) << 8 | (3 * i & 255) << 16);
  }

  GifBuilder& Table(int bits) {
    for (int i = 0; i < (1 << bits); ++i) {
      bytes.push_back(static_cast<std::uint8_t>(i));
      bytes.push_back(static_cast<std::uint8_t>(255 - i));
      bytes.push_back(static_cast<std::uint8_t>(3 * i));
    }
    return *this;
  }

  GifBuilder& GraphicControl(int delay, int transparent_index = -1, int disposal = 0) {
    Add(bytes, {0x21, 0xF9, 4,
                static_cast<std::uint8_t>((transparent_index >= 0 ? 1 : 0) | disposal << 2),
                static_cast<std::uint8_t>(delay), static_cast<std::uint8_t>(delay >> 8),
                static_cast<std::uint8_t>(transparent_index >= 0 ? transparent_index : 0), 0});
    return *this;
  }

  GifBuilder& Comment(const std::vector<std::string>& lines) {
    Add(bytes, {0x21, 0xFE});
    SubBlocks(lines);
    return *this;
  }

  GifBuilder& PlainText() {
    Add(bytes, {0x21, 0x01, 12});
    Add(bytes, Bytes(12, 1));
    SubBlocks({"text"});
    return *this;
  }

  GifBuilder& Application(const std::string& id, const Bytes& first_block) {
    Add(bytes, {0x21, 0xFF, 11});
    bytes.insert(bytes.end(), id.begin(), id.end());
    bytes.push_back(static_cast<std::uint8_t>(first_block.size()));
    Add(bytes, first_block);
    bytes.push_back(0);
    return *this;
  }

  // An image of WIDTH x HEIGHT whose pixel (x, y) is (x + y) mod 2^BITS, compressed with our
  // encoder; LOCAL_BITS 0 for no local table. The descriptor may claim another size.
  GifBuilder& Image(int width, int height, int bits = 2, int local_bits = 0, int left = 0, int top = 0,
                    int described_width = -1, int described_height = -1) {
    bytes.push_back(0x2C);
    Put16(bytes, left);
    Put16(bytes, top);
    Put16(bytes, described_width >= 0 ? described_width : width);
    Put16(bytes, described_height >= 0 ? described_height : height);
    bytes.push_back(static_cast<std::uint8_t>(local_bits ? 0x80 | (local_bits - 1) : 0));
    if (local_bits) Table(local_bits);
    Add(bytes, CodeStream(width, height, bits));
    return *this;
  }

  static Bytes CodeStream(int width, int height, int bits) {
    const int depth = bits == 1 ? 1 : bits <= 4 ? 4 : 8;
    Bytes pixels(static_cast<std::size_t>(LzwRowStride(width, depth) * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned v = static_cast<unsigned>(x + y) % (1u << bits);
        std::uint8_t* row = pixels.data() + (height - 1 - y) * LzwRowStride(width, depth);
        if (depth == 8)
          row[x] = static_cast<std::uint8_t>(v);
        else if (depth == 4)
          row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
        else
          row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
      }
    TMemoryStream out;
    LzwEncode(out, width, height, depth, false, nullptr, pixels);
    return out.Bytes();
  }

  GifBuilder& Raw(const Bytes& more) {
    Add(bytes, more);
    return *this;
  }
  GifBuilder& Trailer() {
    bytes.push_back(0x3B);
    return *this;
  }

  void SubBlocks(const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
      bytes.push_back(static_cast<std::uint8_t>(line.size()));
      bytes.insert(bytes.end(), line.begin(), line.end());
    }
    bytes.push_back(0);
  }

  Bytes bytes;
};

// A 24-bit picture with COLOURS distinct colours in a diagonal pattern.
inline TDib TrueColorPicture(int width, int height, int colours, int seed = 0) {
  TDib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int k = (x * 7 + y * 3 + seed) % colours;
      row[3 * x] = static_cast<std::uint8_t>(k * 37);
      row[3 * x + 1] = static_cast<std::uint8_t>(k * 11 + 5);
      row[3 * x + 2] = static_cast<std::uint8_t>(255 - k);
    }
  }
  return dib;
}

// A palette picture of BPP bits whose pixel (x, y) is (x * 3 + y + seed) mod 2^bpp.
inline TDib PalettePicture(int width, int height, int bpp, int seed = 0) {
  TDib dib(width, height, bpp);
  for (std::size_t i = 0; i < dib.Palette().size(); ++i)
    dib.Palette()[i] = {static_cast<std::uint8_t>(i * 9), static_cast<std::uint8_t>(255 - i),
                        static_cast<std::uint8_t>(i * 5 + seed), 0};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const unsigned v = static_cast<unsigned>(x * 3 + y + seed) % (1u << bpp);
      if (bpp == 8)
        row[x] = static_cast<std::uint8_t>(v);
      else if (bpp == 4)
        row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
      else
        row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
    }
  }
  return dib;
}

}  // namespace tw::gif_test
