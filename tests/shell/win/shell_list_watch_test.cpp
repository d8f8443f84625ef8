#include <gtest/gtest.h>

#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

// Counts the refreshes and fills a list runs (each ends its fill step).
class TCountingShellList : public TQuietShellList {
public:
  using TQuietShellList::TQuietShellList;
  int ends = 0;

protected:
  void EndFill() override {
    TQuietShellList::EndFill();
    ++ends;
  }
};

class ShellListWatchTest : public ShellListTest {
protected:
  void SetUp() override {
    ShellListTest::SetUp();
    delete list;
    counting = new TCountingShellList(form);
    list = counting;
    list->SetBounds(0, 0, 600, 440);
  }
  // Waits until no refresh is pending and none came for QUIET_MS.
  void Settle(unsigned quiet_ms) {
    int last = counting->ends;
    DWORD since = GetTickCount();
    PumpUntil([&] {
      if (counting->ends != last || list->RefreshPending()) {
        last = counting->ends;
        since = GetTickCount();
      }
      return GetTickCount() - since >= quiet_ms;
    }, 15000);
  }
  TCountingShellList* counting = nullptr;
};

TEST_F(ShellListWatchTest, ABurstOfOutsideChangesCostsOneRefresh) {
  ShowTemp();
  list->SetFocus();
  Settle(300);
  const int before = counting->ends;
  temp.Write("one.txt", "1");
  temp.Write("two.txt", "2");
  temp.Write("three.txt", "3");
  ASSERT_TRUE(PumpUntil([&] { return counting->ends > before; }, 8000)) << "no refresh came";
  Settle(2500);
  EXPECT_EQ(counting->ends, before + 1);
  EXPECT_EQ(list->Items().Count(), 3);
}

TEST_F(ShellListWatchTest, OwnNewFolderIsNotRefreshedTwice) {
  ShowTemp();
  Settle(300);
  const int before = counting->ends;
  ASSERT_TRUE(list->CreateNewFolder(false));
  EXPECT_EQ(counting->ends, before) << "the creation adds the folder without a refresh";
  EXPECT_EQ(list->Items().Count(), 1);
  Settle(2500);
  EXPECT_EQ(counting->ends, before) << "its own change notice brings no refresh";
  EXPECT_EQ(list->Items().Count(), 1);
  // A later outside change is still seen.
  temp.Write("outside.txt", "x");
  ASSERT_TRUE(PumpUntil([&] { return list->Items().Count() == 2; }, 8000));
}

TEST_F(ShellListWatchTest, SwitchingDynamicRefreshOffStopsWatching) {
  ShowTemp();
  list->SetOptions(list->Options().Without(ptsloDynamicRefresh));
  Settle(300);
  const int before = counting->ends;
  temp.Write("unseen.txt", "x");
  Settle(2500);
  EXPECT_EQ(counting->ends, before);
  EXPECT_EQ(list->Items().Count(), 0);
  list->SetOptions(list->Options().With(ptsloDynamicRefresh));
  temp.Write("seen.txt", "x");
  ASSERT_TRUE(PumpUntil([&] { return list->Items().Count() == 2; }, 8000));
}

TEST_F(ShellListWatchTest, FlushPendingSyncRunsAWaitingRefreshAtOnce) {
  ShowTemp();
  Settle(300);
  temp.Write("a.txt", "x");
  ASSERT_TRUE(PumpUntil([&] { return list->RefreshPending(); }, 5000));
  list->FlushPendingSync(true);
  EXPECT_FALSE(list->RefreshPending());
  EXPECT_EQ(list->Items().Count(), 1);
}

TEST_F(ShellListWatchTest, AFillWaitsWhileItsOwnDragRuns) {
  ShowTemp();
  temp.Write("a.txt", "x");
  list->SetDragging(true);
  list->FillList();
  EXPECT_EQ(list->Items().Count(), 0);
  list->SetDragging(false);
  EXPECT_EQ(list->Items().Count(), 1);
}

}  // namespace
}  // namespace tw::test
