// The popularity method: the 256 most frequent colours of the picture, after masking low bits
// until its colours fit a fixed histogram.
#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <vector>

#include "viewers/color_reduction_methods.h"
#include "viewers/color_reduction_vector.h"

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

// Cells of the colour cube at five bits per channel, counted in one pass: how many pixels each
// holds and in what order they first appear. Once every mask has dropped its three low bits, the
// whole histogram follows from these counts, and the picture need not be rescanned per step.
// Whether a step whose masks keep six bits of some channel fits the histogram follows from which
// six-bit cells occur, found by one more pass when it is needed.
class CellHistogram {
public:
  CellHistogram(const std::uint8_t* source, int width, int height)
      : source_(source), width_(width), height_(height), counts5_(kCells5), entry_of5_(kCells5, kNoEntry) {
    // A cell is first seen at most once, so the list has room for every cell.
    first_seen5_.resize(kCells5);
    std::size_t seen = 0;
    ForEachRowOfValues(source, width, height, CellsOfRow, [&](int, const std::uint16_t* cells) {
      seen = CountRow(cells, width, counts5_.data(), first_seen5_.data(), seen);
    });
    first_seen5_.resize(seen);
  }

  // True when the picture has at most kMaxEntries colours under the masks, each of which keeps
  // five or six high bits.
  bool Fits(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // Such masks keep the five-bit cell of every colour, so there are at least as many masked
    // colours as five-bit cells.
    if (first_seen5_.size() > kMaxEntries) return false;
    if (occurs6_.empty()) FindSixBitCells();
    const std::uint32_t mask = static_cast<std::uint32_t>(red >> 2) << 12 | (green >> 2) << 6 | blue >> 2;
    std::vector<std::uint64_t> seen(kCells6 / 64);
    std::size_t colours = 0;
    for (std::size_t w = 0; w < occurs6_.size(); ++w) {
      for (std::uint64_t bits = occurs6_[w]; bits; bits &= bits - 1) {
        const std::uint32_t masked = (static_cast<std::uint32_t>(w) << 6 | static_cast<std::uint32_t>(std::countr_zero(bits))) & mask;
        std::uint64_t& word = seen[masked >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (masked & 63);
        if (word & bit) continue;
        if (++colours > kMaxEntries) return false;
        word |= bit;
      }
    }
    return true;
  }

  // The histogram under the masks (each with its three low bits clear), its entries in the
  // order their colours first appear in the picture, as a scan of the pixels makes them; empty
  // when more than kMaxEntries colours remain.
  std::vector<Entry> Entries(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    mask5_ = static_cast<std::uint32_t>(red >> 3) << 10 | (green >> 3) << 5 | blue >> 3;
    std::vector<Entry> entries;
    for (std::uint32_t cell : first_seen5_) {
      std::uint16_t& entry = entry_of5_[cell & mask5_];
      if (entry == kNoEntry) {
        if (entries.size() == kMaxEntries) {
          entries.clear();
          break;
        }
        entry = static_cast<std::uint16_t>(entries.size());
        entries.push_back(Entry{ColourOf5(cell & mask5_), 0, -1});
      }
      entries[entry].count += counts5_[cell];
    }
    // Entries are numbered in first-seen order, so entry_of5_ is kept for WriteIndices.
    if (entries.empty()) Forget();
    return entries;
  }

  // Writes each pixel's palette index, taken from ENTRIES as the last call of Entries made them.
  void WriteIndices(const std::vector<Entry>& entries, std::uint8_t* target) {
    std::vector<std::uint8_t> index_of(kCells5);
    for (std::uint32_t cell : first_seen5_)
      index_of[cell] = static_cast<std::uint8_t>(entries[entry_of5_[cell & mask5_]].index);
    Forget();
    const auto out_stride = static_cast<std::size_t>(TDib::RowBytes(width_, 8));
    ForEachRowOfValues(source_, width_, height_, CellsOfRow, [&](int y, const std::uint16_t* cells) {
      MapRow(cells, width_, index_of.data(), target + out_stride * static_cast<std::size_t>(y));
    });
  }

private:
  static constexpr std::size_t kCells6 = std::size_t{1} << 18;
  static constexpr std::uint32_t kCells5 = 1u << 15;
  static constexpr std::uint16_t kNoEntry = 0xFFFF;

  static std::uint32_t ColourOf5(std::uint32_t cell) {
    return (cell & 31) << 3 | (cell >> 5 & 31) << 11 | (cell >> 10) << 19;
  }

  static std::uint16_t Cell5(std::uint32_t pixel) {
    return static_cast<std::uint16_t>((pixel >> 9 & 0x7C00) | (pixel >> 6 & 0x3E0) | (pixel >> 3 & 0x1F));
  }
  static std::uint32_t Cell6(std::uint32_t pixel) {
    return (pixel >> 6 & 0x3F000) | (pixel >> 4 & 0xFC0) | (pixel >> 2 & 0x3F);
  }

  static void CellsOfRow(const std::uint8_t* row, int width, std::uint16_t* cells) {
    ForEachPixelOfRow(row, CellRow(row, cells, width), width,
                      [&](int x, std::uint32_t pixel) { cells[x] = Cell5(pixel); });
  }

  // Counts a row's cells and lists those seen for the first time after the SEEN already listed;
  // returns the new length of the list. Four cells are counted before one test of whether any of
  // them was new: the test is rarely true, and one per cell would cost as much as the counting.
  static std::size_t CountRow(const std::uint16_t* cells, int width, std::uint32_t* counts, std::uint32_t* first_seen,
                              std::size_t seen) {
    int x = 0;
    for (; x + 4 <= width; x += 4) {
      const std::uint32_t before[4] = {counts[cells[x]]++, counts[cells[x + 1]]++, counts[cells[x + 2]]++,
                                       counts[cells[x + 3]]++};
      if (__builtin_expect(!before[0] || !before[1] || !before[2] || !before[3], 0))
        for (int i = 0; i < 4; ++i)
          if (!before[i]) first_seen[seen++] = cells[x + i];
    }
    for (; x < width; ++x)
      if (counts[cells[x]]++ == 0) first_seen[seen++] = cells[x];
    return seen;
  }

  void FindSixBitCells() {
    occurs6_.assign(kCells6 / 64, 0);
    const auto stride = static_cast<std::size_t>(TDib::RowBytes(width_, 24));
    for (int y = 0; y < height_; ++y) {
      ForEachPixelOfRow(source_ + stride * static_cast<std::size_t>(y), 0, width_, [&](int, std::uint32_t pixel) {
        const std::uint32_t cell6 = Cell6(pixel);
        occurs6_[cell6 >> 6] |= std::uint64_t{1} << (cell6 & 63);
      });
    }
  }

  void Forget() {
    for (std::uint32_t cell : first_seen5_) entry_of5_[cell & mask5_] = kNoEntry;
  }

  const std::uint8_t* source_;
  int width_, height_;
  std::vector<std::uint64_t> occurs6_;  // a bit per six-bit cell that occurs, once needed
  std::vector<std::uint32_t> counts5_;
  std::vector<std::uint32_t> first_seen5_;
  std::vector<std::uint16_t> entry_of5_;  // masked five-bit cell -> its entry
  std::uint32_t mask5_ = 0;
};

// Gives the most frequent entries (the earlier among equals) the palette indices 0 to 255 and
// every other entry the index of its nearest palette colour.
void ChoosePalette(std::vector<Entry>& entries, std::span<TRGBQuad, 256> palette) {
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
}

}  // namespace

void Popularity(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                std::span<TRGBQuad, 256> palette) {
  Histogram histogram(source, width, height);
  auto low_bits = [&](int bits) {
    return (histogram.RedMask() | histogram.GreenMask() | histogram.BlueMask()) & ((1 << bits) - 1);
  };
  auto exact = [&] {
    if (!histogram.Count()) return false;
    ChoosePalette(histogram.Entries(), palette);
    histogram.WriteIndices(target);
    return true;
  };
  // Fine masks: exact passes, which stop early at the 2050th colour of a colourful picture.
  for (; low_bits(2); histogram.Coarsen())
    if (exact()) return;
  // Coarser masks follow from one counting pass over the cells.
  CellHistogram cells(source, width, height);
  for (; low_bits(3); histogram.Coarsen())
    if (cells.Fits(histogram.RedMask(), histogram.GreenMask(), histogram.BlueMask()) && exact()) return;
  for (;; histogram.Coarsen()) {
    std::vector<Entry> entries = cells.Entries(histogram.RedMask(), histogram.GreenMask(), histogram.BlueMask());
    if (entries.empty()) continue;
    ChoosePalette(entries, palette);
    cells.WriteIndices(entries, target);
    return;
  }
}

}  // namespace tw::reduction
