#include <gtest/gtest.h>

#include <filesystem>

#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

class ShellTreeKeysTest : public ShellTreeTest {
protected:
  void Press(WORD key) {
    SendMessageA(tree->Handle(), WM_KEYDOWN, key, 1);
    SendMessageA(tree->Handle(), WM_KEYUP, key, 0xC0000001);
  }
};

TEST_F(ShellTreeKeysTest, WithoutDefaultKeyHandlingDelAndF5ReachTheTreeViewAndRunNothing) {
  temp.MakeFolder("victim");
  tree->SetOptions(tree->Options().Without(ptstoDefaultKeyHandling).Without(ptstoDynamicRefresh));
  ShowTree();
  tree->SetSelected(Child(Root(), "victim"));
  temp.MakeFolder("later");
  Press(VK_DELETE);
  Press(VK_F5);
  EXPECT_EQ(tree->control_keys, (std::vector<WORD>{VK_DELETE, VK_F5}));
  EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "victim"));
  EXPECT_EQ(Child(Root(), "later"), nullptr);
  // With the option F5 refreshes, and the control never hears the key.
  tree->SetOptions(tree->Options().With(ptstoDefaultKeyHandling));
  Press(VK_F5);
  EXPECT_EQ(tree->control_keys.size(), 2u);
  EXPECT_NE(Child(Root(), "later"), nullptr);
}

}  // namespace
}  // namespace tw::test
