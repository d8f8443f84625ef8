#pragma once
// A stable merge sort that takes the runs already present in its input: items that arrive in
// order cost one comparison each, items in reverse order the same, and any other order no more
// than an ordinary merge sort. Lists of folder items usually arrive sorted by name, and each
// comparison may be a call into the folder, so the comparisons saved are the time saved.
//
// COMPARE(a, b) returns a negative number, zero or a positive number as a sorts before, with or
// after b.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace tw {

namespace merge_sort_detail {

// Merges the neighbouring sorted ranges [left, middle) and [middle, right) of ITEMS, taking from
// the left range on ties; BUFFER holds the left range meanwhile.
template <class T, class Compare>
void MergeRuns(std::vector<T>& items, std::size_t left, std::size_t middle, std::size_t right,
               std::vector<T>& buffer, Compare& compare) {
  buffer.assign(std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(left)),
                std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(middle)));
  std::size_t i = 0, j = middle, out = left;
  while (i < buffer.size() && j < right) {
    if (compare(items[j], buffer[i]) < 0)
      items[out++] = std::move(items[j++]);
    else
      items[out++] = std::move(buffer[i++]);
  }
  while (i < buffer.size()) items[out++] = std::move(buffer[i++]);
}

}  // namespace merge_sort_detail

template <class T, class Compare>
void NaturalMergeSort(std::vector<T>& items, Compare compare) {
  const std::size_t count = items.size();
  if (count < 2) return;
  std::vector<T> buffer;
  // Pending runs as (start, length); kept so that each run is longer than the next two
  // together, which merges runs of like length and a long run with short ones only once.
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  auto merge_at = [&](std::size_t k) {
    auto& [left, left_length] = runs[k];
    const auto [middle, right_length] = runs[k + 1];
    merge_sort_detail::MergeRuns(items, left, middle, middle + right_length, buffer, compare);
    left_length += right_length;
    runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(k) + 1);
  };

  for (std::size_t start = 0; start < count;) {
    // A run is ascending (equal neighbours allowed) or strictly descending; a strictly
    // descending run is reversed in place, which keeps equal items in their order.
    std::size_t end = start + 1;
    if (end < count && compare(items[start], items[end]) > 0) {
      while (end + 1 < count && compare(items[end], items[end + 1]) > 0) ++end;
      ++end;
      std::reverse(items.begin() + static_cast<std::ptrdiff_t>(start),
                   items.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (end < count) {
      ++end;
      while (end < count && compare(items[end - 1], items[end]) <= 0) ++end;
    }
    runs.emplace_back(start, end - start);
    start = end;
    while (runs.size() >= 2) {
      const std::size_t n = runs.size();
      const std::size_t x = runs[n - 1].second, y = runs[n - 2].second;
      if (n >= 3 && runs[n - 3].second <= y + x)
        merge_at(runs[n - 3].second < x ? n - 3 : n - 2);
      else if (y <= x)
        merge_at(n - 2);
      else
        break;
    }
  }
  while (runs.size() >= 2) merge_at(runs.size() - 2);
}

// ITEMS[0, FIRST) are in order: sorts the items from FIRST on and merges them in, leaving the
// whole as NaturalMergeSort would. Items that come after all those before (a folder's next
// batch of items, read in order) cost one comparison each, whatever the length of the first
// part. Returns the first position whose item changed or moved.
template <class T, class Compare>
std::size_t MergeSortedTail(std::vector<T>& items, std::size_t first, Compare compare) {
  const std::size_t count = items.size();
  if (first >= count) return count;
  if (first == 0) {
    NaturalMergeSort(items, compare);
    return 0;
  }
  std::vector<T> tail(std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(first)),
                      std::make_move_iterator(items.end()));
  NaturalMergeSort(tail, compare);
  std::move(tail.begin(), tail.end(), items.begin() + static_cast<std::ptrdiff_t>(first));
  if (compare(items[first - 1], items[first]) <= 0) return first;
  // The first new item goes after every equal one before it: only the items past that place
  // take part in the merge.
  std::size_t low = 0, high = first - 1;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (compare(items[middle], items[first]) > 0)
      high = middle;
    else
      low = middle + 1;
  }
  std::vector<T> buffer;
  merge_sort_detail::MergeRuns(items, low, first, count, buffer, compare);
  return low;
}

}  // namespace tw
