#include <gtest/gtest.h>

#include <functional>

#include "shell/win/shell_combo.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

// Runs CHECK when WATCHED is freed, before the partners linked to it earlier hear of it (the
// last partner registered is told first): by then a partner must hold no link to it.
class TFreeWitness : public TComponent {
public:
  TFreeWitness(TComponent* watched, std::function<void()> check)
      : TComponent(nullptr), watched_(watched), check_(std::move(check)) {
    FreeNotification(watched);
  }
  bool heard = false;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation != opRemove || component != watched_) return;
    heard = true;
    check_();
  }

private:
  TComponent* watched_;
  std::function<void()> check_;
};

using ShellLinksTest = ShellTreeTest;

TEST_F(ShellLinksTest, APartnerFreedFirstHasUnlinkedItselfBeforeItsEndIsHeard) {
  AddList();
  auto* combo = new TPTShellCombo(form);
  combo->SetShellTree(tree);
  TFreeWitness tree_end(tree, [&] {
    EXPECT_EQ(list->LinkedTree(), nullptr);
    EXPECT_EQ(combo->ShellTree(), nullptr);
  });
  delete tree;
  tree = nullptr;
  EXPECT_TRUE(tree_end.heard);

  auto* other_tree = new TTestShellTree(form);
  other_tree->SetShellList(list);
  auto* list_combo = new TPTShellCombo(form);
  auto* other_list = new TPTShellList(form);
  list_combo->SetShellList(other_list);
  TFreeWitness list_end(list, [&] { EXPECT_EQ(other_tree->ShellList(), nullptr); });
  TFreeWitness other_list_end(other_list, [&] { EXPECT_EQ(list_combo->ShellList(), nullptr); });
  delete list;
  list = nullptr;
  delete other_list;
  EXPECT_TRUE(list_end.heard && other_list_end.heard);
}

TEST_F(ShellLinksTest, LinkingASecondPartnerUnlinksTheFirstOnBothSides) {
  AddList();
  auto* second_tree = new TTestShellTree(form);
  second_tree->SetShellList(list);
  EXPECT_EQ(list->LinkedTree(), second_tree);
  EXPECT_EQ(tree->ShellList(), nullptr);
  auto* first = new TPTShellCombo(form);
  auto* second = new TPTShellCombo(form);
  first->SetShellTree(tree);
  second->SetShellTree(tree);
  EXPECT_EQ(tree->LinkedCombo(), second);
  EXPECT_EQ(first->ShellTree(), nullptr);
  first->SetShellTree(nullptr);
  EXPECT_EQ(tree->LinkedCombo(), second) << "the first combo no longer unlinks the tree";
  // The second partners still hear when the others go.
  delete tree;
  tree = nullptr;
  EXPECT_EQ(second->ShellTree(), nullptr);
  delete list;
  list = nullptr;
  EXPECT_EQ(second_tree->ShellList(), nullptr);
}

}  // namespace
}  // namespace tw::test
