#include <gtest/gtest.h>

#include <filesystem>

#include "shell/win/change_handler_thread.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

// The tree watches the drive of the temporary folder (with every other fixed drive) and its
// expanded root folder (which Wine's drive watches do not see into).
class ShellTreeWatchTest : public ShellTreeTest {
protected:
  // Waits for the next change notice to arrive.
  bool NextNotice() {
    const int before = tree->change_notices;
    return PumpUntil([&] { return tree->change_notices > before; }, 8000);
  }
  void Rename(TTreeNode* node, const std::string& text) {
    ASSERT_TRUE(node->EditText());
    HWND edit = TreeView_GetEditControl(tree->Handle());
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text.c_str());
    node->EndEdit(false);
  }
};

TEST_F(ShellTreeWatchTest, AFolderMadeUnderAWatchedDriveShowsAfterARest) {
  temp.MakeFolder("first");
  ShowTree();
  tree->SetFocus();
  temp.MakeFolder("second");
  ASSERT_TRUE(NextNotice());
  EXPECT_TRUE(tree->RefreshScheduled());
  EXPECT_EQ(Child(Root(), "second"), nullptr) << "the refresh waits for the burst to end";
  ASSERT_TRUE(PumpUntil([&] { return Child(Root(), "second") != nullptr; }, 8000));
  EXPECT_FALSE(tree->RefreshScheduled());
}

TEST_F(ShellTreeWatchTest, ItsOwnRenameRefreshesNothingButTheNextChangeDoes) {
  temp.MakeFolder("old");
  ShowTree();
  Rename(Child(Root(), "old"), "new");
  ASSERT_NE(Child(Root(), "new"), nullptr);
  ASSERT_TRUE(NextNotice());
  EXPECT_FALSE(tree->RefreshScheduled());
  EXPECT_FALSE(tree->AwaitsRenameNotice());
  temp.MakeFolder("outside");
  ASSERT_TRUE(NextNotice());
  EXPECT_TRUE(tree->RefreshScheduled());
}

TEST_F(ShellTreeWatchTest, ARenameThatBringsNoNoticeLeavesTheNextChangeToRefresh) {
  temp.MakeFolder("old");
  temp.MakeFolder("taken");
  ShowTree();
  tree->SetFocus();
  Rename(Child(Root(), "old"), "taken");
  ASSERT_NE(Child(Root(), "old"), nullptr) << "the name is taken: nothing was renamed";
  temp.MakeFolder("outside");
  ASSERT_TRUE(NextNotice());
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "outside") != nullptr; }, 8000));
  // Renamed while nothing is watched: no notice comes for it.
  tree->SetOptions(tree->Options().Without(ptstoDynamicRefresh));
  Rename(Child(Root(), "old"), "new");
  ASSERT_NE(Child(Root(), "new"), nullptr);
  tree->SetOptions(tree->Options().With(ptstoDynamicRefresh));
  temp.MakeFolder("later");
  ASSERT_TRUE(NextNotice());
  EXPECT_TRUE(PumpUntil([&] { return Child(Root(), "later") != nullptr; }, 8000));
}

TEST_F(ShellTreeWatchTest, AChangeDuringADragIsIgnoredAndARefreshAskedForRunsAtItsEnd) {
  temp.MakeFolder("first");
  ShowTree();
  tree->SetDragging(true);
  temp.MakeFolder("during");
  ASSERT_TRUE(NextNotice());
  EXPECT_FALSE(tree->RefreshScheduled());
  tree->RefreshTree();
  EXPECT_EQ(Child(Root(), "during"), nullptr);
  tree->SetDragging(false);
  EXPECT_NE(Child(Root(), "during"), nullptr);
}

TEST_F(ShellTreeWatchTest, SwitchingDynamicRefreshOffStopsTheNotices) {
  temp.MakeFolder("first");
  ShowTree();
  tree->SetOptions(tree->Options().Without(ptstoDynamicRefresh));
  temp.MakeFolder("unseen");
  EXPECT_FALSE(NextNotice());
  tree->SetOptions(tree->Options().With(ptstoDynamicRefresh));
  temp.MakeFolder("seen");
  EXPECT_TRUE(NextNotice());
}

TEST_F(ShellTreeWatchTest, ACollapsedFolderGivesBackItsWatch) {
  // More folders than the watcher has slots, each expanded and collapsed in turn: the last one
  // still gets a watch of its own, the only one that sees into it under Wine.
  const int folders = TChangeHandlerThread::kMaxWatches + 2;
  for (int i = 0; i < folders; ++i) temp.MakeFolder("f" + std::to_string(i) + "\\inner");
  ShowTree();
  for (int i = 0; i + 1 < folders; ++i) {
    TTreeNode* node = Child(Root(), "f" + std::to_string(i));
    ASSERT_NE(node, nullptr);
    node->Expand(false);
    ASSERT_TRUE(node->Expanded());
    node->Collapse(false);
  }
  Child(Root(), "f" + std::to_string(folders - 1))->Expand(false);
  temp.MakeFolder("f" + std::to_string(folders - 1) + "\\new");
  EXPECT_TRUE(NextNotice());
}

}  // namespace
}  // namespace tw::test
