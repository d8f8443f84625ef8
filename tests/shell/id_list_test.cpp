#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/exception.h"
#include "shell/id_list_array.h"
#include "shell/shell_item_id.h"
#include "shell/shell_namespace.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A list of items whose data bytes are given; each item gets its length prefix.
Bytes MakeList(const std::vector<Bytes>& items) {
  Bytes list;
  for (const Bytes& data : items) {
    const std::size_t cb = data.size() + 2;
    list.push_back(static_cast<std::uint8_t>(cb & 0xFF));
    list.push_back(static_cast<std::uint8_t>(cb >> 8));
    list.insert(list.end(), data.begin(), data.end());
  }
  list.push_back(0);
  list.push_back(0);
  return list;
}

Bytes BytesOf(const ItemIdList* id) {
  const std::uint8_t* p = IdBytes(id);
  return Bytes(p, p + IdListSize(id));
}

const ItemIdList* Id(const Bytes& bytes) { return AsIdList(bytes.data()); }

// Counts blocks so that a test sees every one freed exactly once.
class TCountingAllocator : public TItemIdAllocator {
public:
  void* Alloc(std::size_t size) override {
    if (fail) return nullptr;
    ++live;
    return ::operator new(size);
  }
  void Free(void* block) override {
    --live;
    ::operator delete(block);
  }
  int live = 0;
  bool fail = false;
};

class IdListTest : public ::testing::Test {
protected:
  void SetUp() override { SetShellAllocator(&allocator); }
  void TearDown() override {
    SetShellAllocator(nullptr);
    EXPECT_EQ(allocator.live, 0) << "blocks leaked";
  }
  TCountingAllocator allocator;
  const Bytes three = MakeList({{1, 2, 3}, {4}, {5, 6, 7, 8, 9}});
  const Bytes empty = MakeList({});
};

TEST_F(IdListTest, SizeCountsTheTerminatorAndNullIsZero) {
  EXPECT_EQ(IdListSize(nullptr), 0u);
  EXPECT_EQ(IdListSize(Id(empty)), 2u);
  EXPECT_EQ(IdListSize(Id(three)), 5u + 3u + 7u + 2u);
}

TEST_F(IdListTest, CopyOfNullIsAnEmptyListAndCopyKeepsEveryByte) {
  ShellItemId copy = CopyIdList(nullptr);
  ASSERT_TRUE(copy);
  EXPECT_EQ(BytesOf(copy.Get()), empty);
  ShellItemId whole = CopyIdList(Id(three));
  EXPECT_EQ(BytesOf(whole.Get()), three);
  EXPECT_NE(whole.Bytes(), three.data());
  EXPECT_EQ(allocator.live, 2);
}

TEST_F(IdListTest, CopyReportsAFailedAllocationAsNull) {
  allocator.fail = true;
  EXPECT_FALSE(CopyIdList(Id(three)));
}

TEST_F(IdListTest, ConcatJoinsItemsWithOneTerminator) {
  const Bytes one = MakeList({{9, 9}});
  ShellItemId joined = ConcatIdLists(Id(three), Id(one));
  EXPECT_EQ(BytesOf(joined.Get()), MakeList({{1, 2, 3}, {4}, {5, 6, 7, 8, 9}, {9, 9}}));
  EXPECT_EQ(IdListSize(joined.Get()), IdListSize(Id(three)) - 2 + IdListSize(Id(one)) - 2 + 2);
  EXPECT_EQ(BytesOf(ConcatIdLists(nullptr, Id(one)).Get()), one);
  EXPECT_EQ(BytesOf(ConcatIdLists(Id(one), nullptr).Get()), one);
  EXPECT_EQ(BytesOf(ConcatIdLists(nullptr, nullptr).Get()), empty);
}

TEST_F(IdListTest, OwnerFreesOnceThroughTheAllocatorItCameFrom) {
  TCountingAllocator other;
  {
    ShellItemId a = CopyIdList(Id(three), &other);
    EXPECT_EQ(other.live, 1);
    ShellItemId b = std::move(a);
    EXPECT_FALSE(a);
    b = CopyIdList(Id(empty));  // frees the first block through OTHER
    EXPECT_EQ(other.live, 0);
    EXPECT_EQ(allocator.live, 1);
    ItemIdList* raw = b.Take();
    EXPECT_FALSE(b);
    ShellItemId again = ShellItemId::Adopt(raw);
    EXPECT_EQ(allocator.live, 1);
  }
  EXPECT_EQ(allocator.live, 0);
}

TEST_F(IdListTest, MeasureRejectsListsThatRunPastTheirBlock) {
  TIdListShape shape;
  ASSERT_TRUE(MeasureIdList(three.data(), three.size(), shape));
  EXPECT_EQ(shape.count, 3u);
  EXPECT_EQ(shape.size, three.size());
  // Every shorter block lacks the terminator or cuts an item.
  for (std::size_t limit = 0; limit < three.size(); ++limit)
    EXPECT_FALSE(MeasureIdList(three.data(), limit, shape)) << limit;
  // An item that claims more bytes than the block holds, and one shorter than its length field.
  EXPECT_FALSE(MeasureIdList(Bytes{0xFF, 0x7F, 0, 0}.data(), 4, shape));
  EXPECT_FALSE(MeasureIdList(Bytes{1, 0, 0, 0}.data(), 4, shape));
  EXPECT_FALSE(MeasureIdList(nullptr, 10, shape));
  // Trailing bytes after the terminator are not part of the list.
  Bytes padded = empty;
  padded.insert(padded.end(), {7, 7, 7});
  ASSERT_TRUE(MeasureIdList(padded.data(), padded.size(), shape));
  EXPECT_EQ(shape.size, 2u);
  EXPECT_EQ(shape.count, 0u);
}

TEST_F(IdListTest, ArrayCountsItemsOfNullEmptyAndFullLists) {
  EXPECT_EQ(TPTIdListArray(nullptr).Count(), 0);
  EXPECT_EQ(TPTIdListArray(Id(empty)).Count(), 0);
  EXPECT_EQ(TPTIdListArray(Id(three)).Count(), 3);
}

TEST_F(IdListTest, AncestorDropsTrailingLevels) {
  TPTIdListArray array(Id(three));
  EXPECT_EQ(BytesOf(array.Ancestor(0)), three);
  EXPECT_EQ(BytesOf(array.Ancestor(1)), MakeList({{1, 2, 3}, {4}}));
  EXPECT_EQ(BytesOf(array.Ancestor(2)), MakeList({{1, 2, 3}}));
  EXPECT_EQ(BytesOf(array.Ancestor(3)), empty);  // the desktop
  EXPECT_EQ(array.Ancestor(4), nullptr);
  EXPECT_EQ(array.Ancestor(-1), nullptr);
  EXPECT_EQ(allocator.live, 0) << "a failed call frees the previous result";
}

TEST_F(IdListTest, ArrayKeepsOnlyItsLatestResult) {
  TPTIdListArray array(Id(three));
  array.Ancestor(1);
  array.Items(2);
  EXPECT_EQ(allocator.live, 1);
}

TEST_F(IdListTest, ItemsGivesOneItemLists) {
  TPTIdListArray array(Id(three));
  EXPECT_EQ(BytesOf(array.Items(0)), MakeList({{1, 2, 3}}));
  EXPECT_EQ(BytesOf(array.Items(1)), MakeList({{4}}));
  EXPECT_EQ(BytesOf(array.Items(2)), MakeList({{5, 6, 7, 8, 9}}));
  TPTIdListArray desktop(Id(empty));
  EXPECT_EQ(BytesOf(desktop.Items(0)), empty);
}

TEST_F(IdListTest, ItemsOutOfRangeRaisesWithTheIndex) {
  TPTIdListArray array(Id(three));
  try {
    array.Items(3);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "TPTIdListArray - index 3 out of range");
  }
  EXPECT_THROW(array.Items(-1), EListError);
  EXPECT_THROW(TPTIdListArray(nullptr).Items(0), EListError);
}

TEST_F(IdListTest, BoundedArrayRefusesADamagedList) {
  EXPECT_THROW(TPTIdListArray(three.data(), three.size() - 1), EReadError);
  TPTIdListArray array(three.data(), three.size());
  EXPECT_EQ(array.Count(), 3);
  EXPECT_EQ(BytesOf(array.Items(1)), MakeList({{4}}));
}

TEST_F(IdListTest, CompareTreatsNullAndEmptyListsAsTheDesktopRules) {
  const Bytes other = MakeList({{1, 2, 3}, {4}, {5, 6, 7, 8, 10}});
  EXPECT_EQ(CompareIdLists(nullptr, nullptr), 0);
  EXPECT_EQ(CompareIdLists(nullptr, Id(empty)), -1);
  EXPECT_EQ(CompareIdLists(Id(empty), nullptr), -1);
  EXPECT_EQ(CompareIdLists(Id(empty), Id(empty)), 0);
  EXPECT_EQ(CompareIdLists(Id(empty), Id(three)), -1);
  EXPECT_EQ(CompareIdLists(Id(three), Id(empty)), -1);
  EXPECT_EQ(CompareIdLists(Id(three), Id(three)), 0);
  EXPECT_LT(CompareIdLists(Id(three), Id(other)), 0);
  EXPECT_GT(CompareIdLists(Id(other), Id(three)), 0);
}

}  // namespace
}  // namespace tw
