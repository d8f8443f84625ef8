#include "framework/natural_merge_sort.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace tw {
namespace {

// Items are (key, original position): the position tells whether equal keys kept their order.
using Item = std::pair<int, int>;

std::vector<Item> Numbered(const std::vector<int>& keys) {
  std::vector<Item> items;
  for (int i = 0; i < static_cast<int>(keys.size()); ++i) items.emplace_back(keys[i], i);
  return items;
}

struct Counted {
  int* calls;
  int operator()(const Item& a, const Item& b) const {
    ++*calls;
    return a.first < b.first ? -1 : a.first > b.first ? 1 : 0;
  }
};

std::vector<Item> StableReference(std::vector<Item> items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.first < b.first; });
  return items;
}

TEST(NaturalMergeSort, AgreesWithAStableSortOnRandomInputsWithTies) {
  std::mt19937 random(11);
  for (int size : {0, 1, 2, 3, 7, 8, 31, 100, 1000, 4097}) {
    for (int range : {2, 10, 1000000}) {
      std::uniform_int_distribution<int> key(0, range);
      std::vector<int> keys(static_cast<std::size_t>(size));
      for (int& k : keys) k = key(random);
      std::vector<Item> items = Numbered(keys);
      int calls = 0;
      NaturalMergeSort(items, Counted{&calls});
      EXPECT_EQ(items, StableReference(Numbered(keys))) << size << " items, keys to " << range;
    }
  }
}

TEST(NaturalMergeSort, InputInOrderOrInReverseCostsOneComparisonPerItem) {
  std::vector<int> ascending(10000), descending(10000);
  for (int i = 0; i < 10000; ++i) {
    ascending[static_cast<std::size_t>(i)] = i;
    descending[static_cast<std::size_t>(i)] = 10000 - i;
  }
  for (const auto& keys : {ascending, descending}) {
    std::vector<Item> items = Numbered(keys);
    int calls = 0;
    NaturalMergeSort(items, Counted{&calls});
    EXPECT_EQ(calls, 9999);
    EXPECT_EQ(items, StableReference(Numbered(keys)));
  }
}

TEST(NaturalMergeSort, EqualItemsKeepTheirOrderAroundDescendingRuns) {
  // 5 5 4 4 3 3: the descending pairs must not reverse the equal neighbours.
  std::vector<Item> items = Numbered({5, 5, 4, 4, 3, 3, 9, 1, 1});
  int calls = 0;
  NaturalMergeSort(items, Counted{&calls});
  EXPECT_EQ(items, StableReference(Numbered({5, 5, 4, 4, 3, 3, 9, 1, 1})));
}

TEST(NaturalMergeSort, NearlySortedInputStaysCheap) {
  // Ten thousand names in order with a few new ones appended, as after a refresh.
  std::vector<int> keys;
  for (int i = 0; i < 10000; ++i) keys.push_back(2 * i);
  for (int k : {5, 19999, 7001}) keys.push_back(k);
  std::vector<Item> items = Numbered(keys);
  int calls = 0;
  NaturalMergeSort(items, Counted{&calls});
  EXPECT_EQ(items, StableReference(Numbered(keys)));
  EXPECT_LE(calls, 2 * 10003);  // a plain merge sort needs about 130,000
}

TEST(MergeSortedTail, BatchByBatchEndsAsOneSortOfTheWhole) {
  std::mt19937 random(7);
  for (int range : {3, 1000000}) {
    std::uniform_int_distribution<int> key(0, range);
    std::vector<int> keys(3000);
    for (int& k : keys) k = key(random);
    std::vector<Item> all = Numbered(keys), items;
    int calls = 0;
    for (std::size_t at = 0; at < all.size();) {
      const std::size_t batch = std::min<std::size_t>(all.size() - at, 1 + at % 257);
      const std::size_t first = items.size();
      items.insert(items.end(), all.begin() + static_cast<std::ptrdiff_t>(at),
                   all.begin() + static_cast<std::ptrdiff_t>(at + batch));
      const std::size_t changed = MergeSortedTail(items, first, Counted{&calls});
      ASSERT_LE(changed, first);
      at += batch;
    }
    EXPECT_EQ(items, StableReference(Numbered(keys))) << "keys to " << range;
  }
}

TEST(MergeSortedTail, BatchesArrivingInOrderCostOneComparisonPerItem) {
  std::vector<Item> items = Numbered(std::vector<int>(1, 0));
  int calls = 0;
  for (int batch = 0; batch < 100; ++batch) {
    const std::size_t first = items.size();
    for (int i = 0; i < 100; ++i) items.emplace_back(static_cast<int>(first) + i, 0);
    EXPECT_EQ(MergeSortedTail(items, first, Counted{&calls}), first);
  }
  EXPECT_EQ(calls, 100 * 100);
  // One item before all the others moves everything after it.
  items.emplace_back(-1, 0);
  EXPECT_EQ(MergeSortedTail(items, items.size() - 1, Counted{&calls}), 0u);
  EXPECT_EQ(items.front().first, -1);
}

}  // namespace
}  // namespace tw
