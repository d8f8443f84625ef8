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

}  // namespace
}  // namespace tw
