// The median-cut method: the colours are counted into a cube of 16 x 16 x 16 buckets, which is
// split into up to 256 boxes along the channel of largest extent.
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "viewers/color_reduction_methods.h"

namespace tw::reduction {
namespace {

constexpr int kBuckets = 4096;
constexpr std::size_t kColors = 256;

struct Bucket {
  std::uint8_t component[3] = {};  // 4-bit red, green, blue
  std::uint32_t count = 0;
  std::uint8_t index = 0;
};

// A box of the colour cube: its bounds per channel (red, green, blue) and its buckets in list
// order.
struct Box {
  std::uint8_t origin[3] = {0, 0, 0};
  std::uint8_t extent[3] = {255, 255, 255};
  std::vector<std::uint16_t> buckets;
  std::uint64_t total = 0;
};

// Bucket number = red high nibble x 256 + green's x 16 + blue's. A row's buckets are worked out
// again for the mapping pass rather than kept for the whole picture: that is cheaper than
// storing and rereading them.
constexpr CellBits kBucketBits{4, 4, 4};

// Each bucket's 4-bit red, green or blue component, by bucket number: the sort keys, apart from
// the buckets so that a sort reads 4 KiB of them.
using Components = std::array<std::array<std::uint8_t, kBuckets>, 3>;

// Sorts a box's buckets by one channel's component. The buckets are sorted as values
// component << 16 | bucket, so that a comparison of components is one of values: quicksort
// partitioning around the middle element, runs shorter than 8 by insertion.
class BucketSorter {
public:
  void Sort(std::vector<std::uint16_t>& buckets, const std::array<std::uint8_t, kBuckets>& components) {
    values_.resize(buckets.size());
    for (std::size_t k = 0; k < buckets.size(); ++k)
      values_[k] = static_cast<std::uint32_t>(components[buckets[k]]) << 16 | buckets[k];
    Sort(values_.data(), static_cast<int>(values_.size()));
    for (std::size_t k = 0; k < buckets.size(); ++k) buckets[k] = static_cast<std::uint16_t>(values_[k]);
  }

private:
  static void Sort(std::uint32_t* a, int n) {
    if (n < 8) {
      Insertion(a, n);
      return;
    }
    // Below the pivot's component: below its lowest value; above it: above its highest.
    const std::uint32_t pivot_low = a[n / 2] & 0xFFFF0000u, pivot_high = pivot_low | 0xFFFF;
    int i = 0, j = n - 1;
    do {
      while (a[i] < pivot_low) ++i;
      while (a[j] > pivot_high) --j;
      if (i <= j) std::swap(a[i++], a[j--]);
    } while (i <= j);
    Sort(a, j + 1);
    Sort(a + i, n - i);
  }

  // Each element goes in front of the sorted elements whose component is not below its own.
  static void Insertion(std::uint32_t* a, int n) {
    for (int i = 1; i < n; ++i) {
      const std::uint32_t v = a[i], low = v & 0xFFFF0000u;
      int j = i;
      for (; j > 0 && a[j - 1] >= low; --j) a[j] = a[j - 1];
      a[j] = v;
    }
  }

  std::vector<std::uint32_t> values_;
};

// Splits BOX along CHANNEL into itself (the lower buckets) and the returned upper box.
Box Split(Box& box, int channel, const std::array<Bucket, kBuckets>& buckets, const Components& components,
          BucketSorter& sorter) {
  auto& list = box.buckets;
  sorter.Sort(list, components[static_cast<std::size_t>(channel)]);
  const std::uint64_t half = box.total / 2;
  std::size_t lower = 1;
  std::uint64_t lower_total = buckets[list[0]].count;
  while (lower + 1 < list.size() && lower_total + buckets[list[lower]].count <= half)
    lower_total += buckets[list[lower++]].count;

  Box upper;
  upper.buckets.assign(list.begin() + static_cast<std::ptrdiff_t>(lower), list.end());
  upper.total = box.total - lower_total;
  list.resize(lower);
  box.total = lower_total;

  const auto lo = static_cast<std::uint8_t>(16 * buckets[list.back()].component[channel]);
  const auto hi = static_cast<std::uint8_t>(16 * buckets[upper.buckets.front()].component[channel]);
  std::copy(std::begin(box.origin), std::end(box.origin), upper.origin);
  std::copy(std::begin(box.extent), std::end(box.extent), upper.extent);
  upper.origin[channel] = hi;
  upper.extent[channel] = static_cast<std::uint8_t>(box.origin[channel] + box.extent[channel] - hi);
  box.extent[channel] = static_cast<std::uint8_t>(lo - box.origin[channel]);
  return upper;
}

}  // namespace

std::uint32_t MedianCut(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                        std::span<TRGBQuad, 256> palette) {
  std::array<Bucket, kBuckets> buckets;
  Components components;
  for (int n = 0; n < kBuckets; ++n) {
    buckets[n].component[0] = components[0][n] = static_cast<std::uint8_t>(n >> 8);
    buckets[n].component[1] = components[1][n] = static_cast<std::uint8_t>(n >> 4 & 15);
    buckets[n].component[2] = components[2][n] = static_cast<std::uint8_t>(n & 15);
  }
  CellCounts counts(kBuckets);
  counts.CountPicture(source, width, height, kBucketBits, [](int) {});
  for (int n = 0; n < kBuckets; ++n) buckets[n].count = counts.Total(static_cast<std::size_t>(n));

  std::vector<Box> boxes(1);
  boxes.reserve(kColors);
  for (int n = 0; n < kBuckets; ++n)
    if (buckets[n].count) boxes[0].buckets.push_back(static_cast<std::uint16_t>(n));
  boxes[0].total = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  std::fill(palette.begin(), palette.end(), TRGBQuad{});
  // A picture without pixels has no colours to average.
  if (boxes[0].buckets.empty()) return 0;

  // Per box, its largest extent (-1 when it cannot be split) and the first channel with it, kept
  // up to date for the two boxes a split changes.
  std::vector<int> largest(kColors, -1), largest_channel(kColors, 0);
  auto measure = [&](std::size_t b) {
    largest[b] = -1;
    if (boxes[b].buckets.size() < 2) return;
    for (int c = 0; c < 3; ++c)
      if (boxes[b].extent[c] > largest[b]) largest[b] = boxes[b].extent[c], largest_channel[b] = c;
  };
  measure(0);
  BucketSorter sorter;
  while (boxes.size() < kColors) {
    // The first box with the largest extent of all.
    std::size_t chosen = 0;
    for (std::size_t b = 1; b < boxes.size(); ++b)
      if (largest[b] > largest[chosen]) chosen = b;
    if (largest[chosen] < 0) break;
    Box upper = Split(boxes[chosen], largest_channel[chosen], buckets, components, sorter);
    boxes.push_back(std::move(upper));
    measure(chosen);
    measure(boxes.size() - 1);
  }

  for (std::size_t k = 0; k < boxes.size(); ++k) {
    unsigned sum[3] = {0, 0, 0};
    for (std::uint16_t n : boxes[k].buckets) {
      buckets[n].index = static_cast<std::uint8_t>(k);
      for (int c = 0; c < 3; ++c) sum[c] += buckets[n].component[c];
    }
    const auto m = static_cast<unsigned>(boxes[k].buckets.size());
    unsigned mean[3];
    for (int c = 0; c < 3; ++c) mean[c] = (sum[c] * 16 + 15) / m;
    // A box that is dark in every channel is shown as pure black.
    if (mean[0] <= 16 && mean[1] <= 16 && mean[2] <= 16) mean[0] = mean[1] = mean[2] = 0;
    palette[k] = TRGBQuad{static_cast<std::uint8_t>(mean[2]), static_cast<std::uint8_t>(mean[1]),
                          static_cast<std::uint8_t>(mean[0]), 0};
  }

  std::array<std::uint8_t, kBuckets> index_of;
  for (int n = 0; n < kBuckets; ++n) index_of[n] = buckets[n].index;
  MapPicture(source, target, width, height, kBucketBits, index_of.data());
  return static_cast<std::uint32_t>(boxes.size());
}

}  // namespace tw::reduction
