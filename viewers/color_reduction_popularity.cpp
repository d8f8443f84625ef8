// The popularity method: the 256 most frequent colours of the picture, after masking low bits
// until its colours fit a fixed histogram.
#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "viewers/color_reduction_methods.h"

namespace tw::reduction {
namespace {

constexpr int kMaxEntries = 2049;
// An open-addressed index four times the size of the histogram: short probe runs, and a
// power of two so that the slot is a multiply and a shift.
constexpr int kSlotBits = 13;
constexpr std::uint32_t kSlots = 1u << kSlotBits;
constexpr std::uint32_t kEmptyKey = 0xFFFFFFFF;  // masked keys have 24 bits
constexpr TRGBQuad kUnused{128, 128, 128, 0};

struct Entry {
  std::uint32_t key;  // masked blue | green << 8 | red << 16
  std::uint32_t count;
  int index;          // palette index, -1 until given one
};

class Histogram {
public:
  Histogram(const std::uint8_t* source, int width, int height)
      : source_(source), width_(width), height_(height), stride_(static_cast<std::size_t>(TDib::RowBytes(width, 24))) {
    entries_.reserve(kMaxEntries);
  }

  // Counts every pixel under the current masks; false when a 2050th colour turns up.
  bool Count() {
    entries_.clear();
    slot_keys_.fill(kEmptyKey);
    return ForEachPixel([&](std::uint32_t key, int same_as_last) -> int {
      const int found = same_as_last >= 0 ? same_as_last : Find(key);
      if (found >= 0) {
        ++entries_[static_cast<std::size_t>(found)].count;
        return found;
      }
      if (entries_.size() == kMaxEntries) return -1;
      slot_keys_[empty_slot_] = key;
      slot_entries_[empty_slot_] = static_cast<std::uint16_t>(entries_.size());
      entries_.push_back(Entry{key, 1, -1});
      return static_cast<int>(entries_.size() - 1);
    });
  }

  // Drops one more low bit from one channel mask: blue, red, green, blue, ... from all 255.
  void Coarsen() {
    if (red_ < green_)
      green_ = static_cast<std::uint8_t>(green_ << 1);
    else if (blue_ < red_)
      red_ = static_cast<std::uint8_t>(red_ << 1);
    else
      blue_ = static_cast<std::uint8_t>(blue_ << 1);
  }

  std::vector<Entry>& Entries() { return entries_; }
  std::uint8_t RedMask() const { return red_; }
  std::uint8_t GreenMask() const { return green_; }
  std::uint8_t BlueMask() const { return blue_; }

  // Writes each pixel's palette index; every colour has its entry after a successful Count.
  void WriteIndices(std::uint8_t* target) {
    const auto out_stride = static_cast<std::size_t>(TDib::RowBytes(width_, 8));
    std::uint8_t* out = target;
    int x = 0;
    ForEachPixel([&](std::uint32_t key, int same_as_last) -> int {
      const int found = same_as_last >= 0 ? same_as_last : Find(key);
      out[x] = static_cast<std::uint8_t>(entries_[static_cast<std::size_t>(found)].index);
      if (++x == width_) {
        x = 0;
        out += out_stride;
      }
      return found;
    });
  }

private:
  // Calls VISIT(masked key, entry of the previous pixel when its key is the same, else -1) for
  // every pixel in stored order, so that runs of one colour are looked up once. Stops with
  // false when VISIT returns -1. A pixel is read before VISIT may write over it.
  template <class Visit>
  bool ForEachPixel(Visit visit) {
    const std::uint32_t mask = blue_ | green_ << 8 | static_cast<std::uint32_t>(red_) << 16;
    std::uint32_t last_key = 0xFFFFFFFF;
    int last = -1;
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* in = source_ + stride_ * static_cast<std::size_t>(y);
      for (int x = 0; x < width_; ++x, in += 3) {
        const std::uint32_t key = (in[0] | in[1] << 8 | static_cast<std::uint32_t>(in[2]) << 16) & mask;
        last = visit(key, key == last_key ? last : -1);
        if (last < 0) return false;
        last_key = key;
      }
    }
    return true;
  }

  // The entry of KEY, or -1 with empty_slot_ set to where it belongs.
  int Find(std::uint32_t key) {
    std::uint32_t slot = (key * 0x9E3779B1u) >> (32 - kSlotBits);
    for (;; slot = (slot + 1) & (kSlots - 1)) {
      if (slot_keys_[slot] == key) return slot_entries_[slot];
      if (slot_keys_[slot] == kEmptyKey) break;
    }
    empty_slot_ = slot;
    return -1;
  }

  const std::uint8_t* source_;
  int width_, height_;
  std::size_t stride_;
  std::uint8_t red_ = 255, green_ = 255, blue_ = 255;
  std::vector<Entry> entries_;
  std::array<std::uint32_t, kSlots> slot_keys_{};
  std::array<std::uint16_t, kSlots> slot_entries_{};
  std::uint32_t empty_slot_ = 0;
};

TRGBQuad ColorOf(std::uint32_t key) {
  return TRGBQuad{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                  static_cast<std::uint8_t>(key >> 16), 0};
}

}  // namespace

void Popularity(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                std::span<TRGBQuad, 256> palette) {
  Histogram histogram(source, width, height);
  while (!histogram.Count()) histogram.Coarsen();
  auto& entries = histogram.Entries();

  // The most frequent first, the earlier entry first among equals.
  std::vector<int> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return entries[static_cast<std::size_t>(a)].count > entries[static_cast<std::size_t>(b)].count;
  });
  std::fill(palette.begin(), palette.end(), kUnused);
  const std::size_t chosen = std::min<std::size_t>(256, order.size());
  for (std::size_t k = 0; k < chosen; ++k) {
    Entry& e = entries[static_cast<std::size_t>(order[k])];
    e.index = static_cast<int>(k);
    palette[k] = ColorOf(e.key);
  }
  for (Entry& e : entries) {
    if (e.index >= 0) continue;
    const TRGBQuad c = ColorOf(e.key);
    int best = 0, best_d = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const int dr = c.Red - palette[i].Red, dg = c.Green - palette[i].Green, db = c.Blue - palette[i].Blue;
      const int d = dr * dr + dg * dg + db * db;
      if (d < best_d) best = i, best_d = d;
    }
    e.index = best;
  }
  histogram.WriteIndices(target);
}

}  // namespace tw::reduction
