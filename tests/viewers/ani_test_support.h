#pragma once
// Builders of icon file images and RIFF "ACON" files for the animated cursor's tests and fuzz
// seeds.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tw::ani_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

inline std::uint32_t Rgb(int r, int g, int b) { return static_cast<std::uint32_t>(r | g << 8 | b << 16); }

// One image of an icon file. Colour (palette index or, for 24 bits, colour value) of pixel
// (x, y) counted from the top: Pixel(x, y); mask bit set (transparent): Masked(x, y).
struct IconSpec {
  int type = 1;  // 1 icon, 2 cursor
  int width = 4;
  int height = 4;
  int bpp = 4;
  int hot_x = 0;  // cursor hot spot (icons: planes and bit count fields)
  int hot_y = 0;
  std::uint32_t seed = 0;  // varies the pixels
  bool mask_left_column = true;
  int alpha = 255;  // of the unmasked pixels of 32-bit images

  // Pixels under the mask are black, as in real cursors, so that they show the background.
  std::uint32_t Pixel(int x, int y) const {
    if (Masked(x, y)) return 0;
    if (bpp >= 24) return Rgb((x * 40 + static_cast<int>(seed)) & 255, (y * 50) & 255, (x + y) * 20 & 255);
    return (static_cast<std::uint32_t>(x + 2 * y) + seed) % (1u << bpp);
  }
  bool Masked(int x, int) const { return mask_left_column && x == 0; }
  // Palette entry I as a colour value.
  static std::uint32_t PaletteColor(int i) { return i ? Rgb(i * 16 & 255, 255 - (i * 16 & 255), i * 5 & 255) : 0; }
};

inline Bytes IconFile(const IconSpec& s) {
  const int palette = s.bpp <= 8 ? 1 << s.bpp : 0;
  const int xor_stride = ((s.width * s.bpp + 31) / 32) * 4;
  const int and_stride = ((s.width + 31) / 32) * 4;
  const std::uint32_t image_size = 40 + 4 * palette + (xor_stride + and_stride) * s.height;
  Bytes b;
  Put16(b, 0);
  Put16(b, s.type);
  Put16(b, 1);
  b.push_back(static_cast<std::uint8_t>(s.width));
  b.push_back(static_cast<std::uint8_t>(s.height));
  b.push_back(static_cast<std::uint8_t>(palette & 255));
  b.push_back(0);
  Put16(b, s.hot_x);
  Put16(b, s.hot_y);
  Put32(b, image_size);
  Put32(b, 22);
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(s.width));
  Put32(b, static_cast<std::uint32_t>(2 * s.height));
  Put16(b, 1);
  Put16(b, s.bpp);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int i = 0; i < palette; ++i) {
    const std::uint32_t c = IconSpec::PaletteColor(i);
    b.push_back(static_cast<std::uint8_t>(c >> 16));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
    b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(0);
  }
  for (int y = s.height - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(xor_stride));
    for (int x = 0; x < s.width; ++x) {
      const std::uint32_t v = s.Pixel(x, y);
      if (s.bpp >= 24) {
        const int at = s.bpp / 8 * x;
        row[at] = static_cast<std::uint8_t>(v >> 16);
        row[at + 1] = static_cast<std::uint8_t>(v >> 8);
        row[at + 2] = static_cast<std::uint8_t>(v);
        if (s.bpp == 32) row[at + 3] = static_cast<std::uint8_t>(s.Masked(x, y) ? 0 : s.alpha);
      } else if (s.bpp == 8) {
        row[x] = static_cast<std::uint8_t>(v);
      } else if (s.bpp == 4) {
        row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
      } else {
        row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
      }
    }
    Append(b, row);
  }
  for (int y = s.height - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(and_stride));
    for (int x = 0; x < s.width; ++x)
      if (s.Masked(x, y)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    Append(b, row);
  }
  return b;
}

// An icon or cursor directory whose images are the PNG files given, each with its hot spot.
struct PngEntry {
  Bytes png;
  int width = 0;  // as the directory gives it: 256 is stored as 0
  int height = 0;
  int hot_x = 0;
  int hot_y = 0;
};

inline Bytes PngIconFile(int type, const std::vector<PngEntry>& entries) {
  Bytes b;
  Put16(b, 0);
  Put16(b, static_cast<unsigned>(type));
  Put16(b, static_cast<unsigned>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const auto& e : entries) {
    b.push_back(static_cast<std::uint8_t>(e.width & 255));
    b.push_back(static_cast<std::uint8_t>(e.height & 255));
    b.push_back(0);
    b.push_back(0);
    Put16(b, static_cast<unsigned>(e.hot_x));
    Put16(b, static_cast<unsigned>(e.hot_y));
    Put32(b, static_cast<std::uint32_t>(e.png.size()));
    Put32(b, offset);
    offset += static_cast<std::uint32_t>(e.png.size());
  }
  for (const auto& e : entries) Append(b, e.png);
  return b;
}

inline Bytes Chunk(const std::string& id, const Bytes& payload) {
  Bytes b(id.begin(), id.end());
  Put32(b, static_cast<std::uint32_t>(payload.size()));
  Append(b, payload);
  if (payload.size() & 1) b.push_back(0);
  return b;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const auto& p : parts) Append(b, p);
  return b;
}

inline Bytes List(const std::string& type, std::initializer_list<Bytes> chunks) {
  Bytes payload(type.begin(), type.end());
  for (const auto& c : chunks) Append(payload, c);
  return Chunk("LIST", payload);
}

inline Bytes Riff(std::initializer_list<Bytes> chunks, const std::string& form = "ACON") {
  Bytes payload(form.begin(), form.end());
  for (const auto& c : chunks) Append(payload, c);
  return Chunk("RIFF", payload);
}

inline Bytes Anih(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate, std::uint32_t flags = 1) {
  Bytes b;
  for (std::uint32_t v : {36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags}) Put32(b, v);
  return Chunk("anih", b);
}

inline Bytes Values(std::initializer_list<std::uint32_t> values) {
  Bytes b;
  for (auto v : values) Put32(b, v);
  return b;
}

inline Bytes Text(const std::string& text) {
  Bytes b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

// A plain cursor of N frames, each a 4-bit cursor with its own pixels and hot spot (i, i + 1).
inline Bytes SimpleCursor(int n, std::uint32_t rate = 10) {
  Bytes icons(4, 0);
  icons.assign({'f', 'r', 'a', 'm'});
  for (int i = 0; i < n; ++i) {
    IconSpec s;
    s.type = 2;
    s.seed = static_cast<std::uint32_t>(i);
    s.hot_x = i;
    s.hot_y = i + 1;
    Append(icons, Chunk("icon", IconFile(s)));
  }
  return Riff({Anih(static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(n), rate),
               List("INFO", {Chunk("INAM", Text("Busy")), Chunk("IART", Text("Tarnwick"))}), Chunk("LIST", icons)});
}

}  // namespace tw::ani_test
