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

// Cells of the colour cube, a few high bits per channel, counted in one pass: how many pixels
// each holds and in which chunk of rows it first appears. Once every mask keeps no more bits than
// a cell, the whole histogram follows from these counts, and the picture need not be rescanned
// per step. Whether a step whose masks keep six bits of some channel fits the histogram follows
// from which six-bit cells occur, found by one more pass when it is needed.
//
// The order in which colours first appear decides only between colours of equal count. The chunk
// of a colour's first pixel is known from the counts after each chunk; the pixels of a chunk are
// looked at again only when two colours of equal count that first appear in it compete for the
// palette.
class CellHistogram {
public:
  CellHistogram(const std::uint8_t* source, int width, int height, CellBits bits)
      : source_(source), width_(width), height_(height), bits_(bits),
        cells_(1u << (bits.red + bits.green + bits.blue)),
        entry_of_(cells_, kNoEntry) {
    CellCounts counts(cells_);
    rows_per_chunk_ = static_cast<int>(std::clamp<std::size_t>(
        kChunkPixelsPerCount * counts.Counters() / static_cast<std::size_t>(std::max(width, 1)), 1,
        static_cast<std::size_t>(std::max(height, 1))));
    std::vector<std::uint32_t> first_chunk(cells_, kNever);
    counts.CountPicture(source, width, height, bits, [&](int y) {
      if ((y + 1) % rows_per_chunk_ == 0 || y + 1 == height)
        counts.MarkFirstCounted(first_chunk.data(), static_cast<std::uint32_t>(y / rows_per_chunk_), kNever);
    });
    for (std::uint32_t cell = 0; cell < cells_; ++cell) {
      if (first_chunk[cell] == kNever) continue;
      occurring_.push_back(Occurring{cell, counts.Total(cell), first_chunk[cell]});
    }
  }

  // The number of cells that occur.
  std::size_t Cells() const { return occurring_.size(); }

  // True when the masks keep no more bits of any channel than a cell.
  bool Covers(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
    return (red & ~High(bits_.red)) == 0 && (green & ~High(bits_.green)) == 0 && (blue & ~High(bits_.blue)) == 0;
  }

  // True when the picture has at most kMaxEntries colours under the masks, each of which keeps
  // five or six high bits.
  bool Fits(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
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

  // The histogram under masks the cells cover, empty when more than kMaxEntries colours remain.
  std::vector<Entry> Entries(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    mask_ = CellOf(static_cast<std::uint32_t>(blue | green << 8 | red << 16), bits_);
    std::vector<Entry> entries;
    entry_chunk_.clear();
    for (const Occurring& o : occurring_) {
      std::uint16_t& entry = entry_of_[o.cell & mask_];
      if (entry == kNoEntry) {
        if (entries.size() == kMaxEntries) {
          entries.clear();
          break;
        }
        entry = static_cast<std::uint16_t>(entries.size());
        entries.push_back(Entry{ColourOf(o.cell & mask_), 0, -1});
        entry_chunk_.push_back(o.first_chunk);
      }
      entries[entry].count += o.count;
      entry_chunk_[entry] = std::min(entry_chunk_[entry], o.first_chunk);
    }
    // entry_of_ is kept for Rank and WriteIndices.
    if (entries.empty()) Forget();
    return entries;
  }

  // ENTRIES, as the last call of Entries made them, from the most frequent on, equal counts in
  // the order their colours first appear in the picture; exact for the first 256 places.
  std::vector<int> Rank(const std::vector<Entry>& entries) {
    // Sorted by value, which is quicker than through the entries.
    struct Place {
      std::uint32_t count, chunk;
      std::uint64_t position;  // of the first pixel in the chunk, where it matters
      int entry;
      bool operator<(const Place& o) const {
        if (count != o.count) return count > o.count;
        if (chunk != o.chunk) return chunk < o.chunk;
        if (position != o.position) return position < o.position;
        return entry < o.entry;
      }
    };
    std::vector<Place> places;
    places.reserve(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) places.push_back(Place{entries[e].count, entry_chunk_[e], 0, static_cast<int>(e)});
    std::sort(places.begin(), places.end());
    // Runs of equal count and first chunk that reach into the first 256 places.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::vector<std::uint8_t> wanted(entries.size());
    std::vector<std::uint32_t> chunks;
    for (std::size_t p = 0; p < std::min<std::size_t>(256, places.size());) {
      std::size_t q = p + 1;
      while (q < places.size() && places[q].count == places[p].count && places[q].chunk == places[p].chunk) ++q;
      if (q - p > 1) {
        runs.emplace_back(p, q);
        for (std::size_t k = p; k < q; ++k) wanted[static_cast<std::size_t>(places[k].entry)] = 1;
        chunks.push_back(places[p].chunk);
      }
      p = q;
    }
    if (!runs.empty()) {
      std::sort(chunks.begin(), chunks.end());
      chunks.erase(std::unique(chunks.begin(), chunks.end()), chunks.end());
      std::vector<std::uint64_t> position(entries.size());
      FindFirstPositions(chunks, wanted, position);
      for (const auto& [p, q] : runs) {
        for (std::size_t k = p; k < q; ++k) places[k].position = position[static_cast<std::size_t>(places[k].entry)];
        std::sort(places.begin() + static_cast<std::ptrdiff_t>(p), places.begin() + static_cast<std::ptrdiff_t>(q));
      }
    }
    std::vector<int> order(places.size());
    for (std::size_t k = 0; k < places.size(); ++k) order[k] = places[k].entry;
    return order;
  }

  // Writes each pixel's palette index, taken from ENTRIES as the last call of Entries made them.
  void WriteIndices(const std::vector<Entry>& entries, std::uint8_t* target) {
    std::vector<std::uint8_t> index_of(cells_);
    for (const Occurring& o : occurring_)
      index_of[o.cell] = static_cast<std::uint8_t>(entries[entry_of_[o.cell & mask_]].index);
    Forget();
    MapPicture(source_, target, width_, height_, bits_, index_of.data());
  }

private:
  struct Occurring {
    std::uint32_t cell, count, first_chunk;
  };

  static constexpr std::size_t kCells6 = std::size_t{1} << 18;
  static constexpr std::uint16_t kNoEntry = 0xFFFF;
  static constexpr std::uint32_t kNever = 0xFFFFFFFF;
  // A chunk holds this many pixels per counter, so that looking over the counters after each
  // chunk costs little beside counting the chunk.
  static constexpr std::size_t kChunkPixelsPerCount = 4;

  static std::uint32_t High(int bits) { return 0xFFu << (8 - bits) & 0xFF; }

  // The colour a cell's bits make, the bits below them clear.
  std::uint32_t ColourOf(std::uint32_t cell) const {
    const std::uint32_t blue = cell & ((1u << bits_.blue) - 1), green = cell >> bits_.blue & ((1u << bits_.green) - 1),
                        red = cell >> (bits_.blue + bits_.green);
    return blue << (8 - bits_.blue) | green << (16 - bits_.green) | red << (24 - bits_.red);
  }

  static std::uint32_t Cell6(std::uint32_t pixel) {
    return (pixel >> 6 & 0x3F000) | (pixel >> 4 & 0xFC0) | (pixel >> 2 & 0x3F);
  }

  // POSITION[e], for each WANTED entry e, = the place of its colour's first pixel within the
  // first chunk it appears in, one of CHUNKS (ascending).
  void FindFirstPositions(const std::vector<std::uint32_t>& chunks, const std::vector<std::uint8_t>& wanted,
                          std::vector<std::uint64_t>& position) const {
    std::vector<std::uint8_t> found(wanted.size());
    std::vector<std::uint16_t> cells(static_cast<std::size_t>(width_));
    const auto stride = static_cast<std::size_t>(TDib::RowBytes(width_, 24));
    for (const std::uint32_t chunk : chunks) {
      std::size_t left = 0;
      for (std::size_t e = 0; e < wanted.size(); ++e) left += wanted[e] && entry_chunk_[e] == chunk;
      const int first_row = static_cast<int>(chunk) * rows_per_chunk_;
      const int end_row = std::min(height_, first_row + rows_per_chunk_);
      for (int y = first_row; y < end_row && left > 0; ++y) {
        CellsOfRow(source_ + stride * static_cast<std::size_t>(y), width_, cells.data(), bits_);
        for (int x = 0; x < width_; ++x) {
          const std::uint16_t e = entry_of_[cells[static_cast<std::size_t>(x)] & mask_];
          if (!wanted[e] || found[e] || entry_chunk_[e] != chunk) continue;
          found[e] = 1;
          position[e] = static_cast<std::uint64_t>(y - first_row) * static_cast<std::uint64_t>(width_) + static_cast<std::uint64_t>(x);
          --left;
        }
      }
    }
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
    for (const Occurring& o : occurring_) entry_of_[o.cell & mask_] = kNoEntry;
  }

  const std::uint8_t* source_;
  int width_, height_;
  CellBits bits_;
  std::uint32_t cells_;  // how many cells there are
  int rows_per_chunk_ = 1;
  std::vector<std::uint64_t> occurs6_;  // a bit per six-bit cell that occurs, once needed
  std::vector<Occurring> occurring_;    // in cell order
  std::vector<std::uint16_t> entry_of_;  // masked cell -> its entry
  std::vector<std::uint32_t> entry_chunk_;  // entry -> the chunk its colour first appears in
  std::uint32_t mask_ = 0;
};

constexpr CellBits kCoarseBits{4, 5, 4};

// True when every eighth row of the picture alone holds more than LIMIT cells at BITS. Every
// sixteenth row is looked at first, the rows between them after, so that a colourful picture is
// told apart from fewer rows.
bool SampledCellsExceed(const std::uint8_t* source, int width, int height, CellBits bits, std::size_t limit) {
  // Whole words for the marks: stores of single bytes are slower here.
  std::vector<std::uint32_t> seen(std::size_t{1} << (bits.red + bits.green + bits.blue));
  std::vector<std::uint16_t> cells(static_cast<std::size_t>(std::max(width, 0)));
  const auto stride = static_cast<std::size_t>(TDib::RowBytes(width, 24));
  int sampled = 0;
  for (const int first : {0, 8}) {
    for (int y = first; y < height; y += 16) {
      CellsOfRow(source + stride * static_cast<std::size_t>(y), width, cells.data(), bits);
      // Marks only, counted every few rows: a test per pixel would wait for the mark before it.
      for (const std::uint16_t cell : cells) seen[cell] = 1;
      if ((++sampled % 4 == 0 || y + 16 >= height) &&
          static_cast<std::size_t>(std::count(seen.begin(), seen.end(), 1u)) > limit)
        return true;
    }
  }
  return false;
}

// ENTRIES from the most frequent on, the earlier in entry order among equals.
std::vector<int> RankInEntryOrder(const std::vector<Entry>& entries) {
  std::vector<int> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return entries[static_cast<std::size_t>(a)].count > entries[static_cast<std::size_t>(b)].count;
  });
  return order;
}

// Gives the first 256 entries of ORDER the palette indices 0 to 255 and every other entry the
// index of its nearest palette colour.
void ChoosePalette(std::vector<Entry>& entries, const std::vector<int>& order, std::span<TRGBQuad, 256> palette) {
  std::fill(palette.begin(), palette.end(), kUnused);
  const std::size_t chosen = std::min<std::size_t>(256, order.size());
  for (std::size_t k = 0; k < chosen; ++k) {
    Entry& e = entries[static_cast<std::size_t>(order[k])];
    e.index = static_cast<int>(k);
    palette[k] = ColorOf(e.key);
  }
  // The palette by channel, and each distance computed for all 256 entries before the first
  // smallest is looked for: loops the compiler turns into vector code.
  alignas(32) std::int32_t red[256], green[256], blue[256], distance[256];
  std::array<std::uint32_t, 256> keys;
  for (int i = 0; i < 256; ++i) {
    red[i] = palette[i].Red, green[i] = palette[i].Green, blue[i] = palette[i].Blue;
    keys[i] = palette[i].Blue | palette[i].Green << 8 | static_cast<std::uint32_t>(palette[i].Red) << 16;
  }
  const NearestColourSearch search(keys);
  for (Entry& e : entries) {
    if (e.index >= 0) continue;
    e.index = search.Find(e.key);
    if (e.index >= 0) continue;
    const TRGBQuad c = ColorOf(e.key);
    std::int32_t smallest = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const std::int32_t dr = c.Red - red[i], dg = c.Green - green[i], db = c.Blue - blue[i];
      distance[i] = dr * dr + dg * dg + db * db;
    }
    for (int i = 0; i < 256; ++i) smallest = std::min(smallest, distance[i]);
    e.index = static_cast<int>(std::find(distance, distance + 256, smallest) - distance);
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
    ChoosePalette(histogram.Entries(), RankInEntryOrder(histogram.Entries()), palette);
    histogram.WriteIndices(target);
    return true;
  };
  // Fine masks: exact passes, which stop early at the 2050th colour of a colourful picture. A
  // picture of few colours ends with the first.
  if (exact()) return;
  histogram.Coarsen();
  auto masks_covered_by = [&](const CellHistogram& cells) {
    return cells.Covers(histogram.RedMask(), histogram.GreenMask(), histogram.BlueMask());
  };
  auto finish_from = [&](CellHistogram& cells) {
    for (;; histogram.Coarsen()) {
      std::vector<Entry> entries = cells.Entries(histogram.RedMask(), histogram.GreenMask(), histogram.BlueMask());
      if (entries.empty()) continue;
      ChoosePalette(entries, cells.Rank(entries), palette);
      cells.WriteIndices(entries, target);
      return;
    }
  };
  // Coarser masks follow from counted cells. Every mask step up to red 240, green 248, blue 240
  // keeps a colour's cell at four, five and four bits, so a picture with more such cells than
  // the histogram holds fits none of them, and cells of four bits per channel, quick to count,
  // give the rest. A few sampled rows tell such a colourful picture apart without a pass of its
  // own.
  if (SampledCellsExceed(source, width, height, kCoarseBits, kMaxEntries)) {
    CellHistogram cells(source, width, height, CellBits{4, 4, 4});
    while (!masks_covered_by(cells)) histogram.Coarsen();
    finish_from(cells);
    return;
  }
  // Likewise every step up to all masks at 248 keeps a colour's five-bit cell.
  CellHistogram cells(source, width, height, CellBits{5, 5, 5});
  if (cells.Cells() > kMaxEntries) {
    while (!masks_covered_by(cells)) histogram.Coarsen();
  } else {
    for (; low_bits(2); histogram.Coarsen())
      if (exact()) return;
    for (; !masks_covered_by(cells); histogram.Coarsen())
      if (cells.Fits(histogram.RedMask(), histogram.GreenMask(), histogram.BlueMask()) && exact()) return;
  }
  finish_from(cells);
}

}  // namespace tw::reduction
