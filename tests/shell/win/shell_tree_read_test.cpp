#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "tests/shell/win/gated_folder.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

constexpr UINT kProbeMessage = WM_APP + 31;

// A tree whose background reads go through a gated folder while GATE is set, counting the reads
// it starts and the probe messages that reached it.
class TGatedShellTree : public TTestShellTree {
public:
  using TTestShellTree::TTestShellTree;
  std::shared_ptr<TEnumerationGate> gate;
  int reads = 0;
  int probes = 0;

protected:
  TFolderRead::TBinder ReadBinder() override {
    ++reads;
    return gate ? GatedBinder(TTestShellTree::ReadBinder(), gate) : TTestShellTree::ReadBinder();
  }
  void WndProc(TMessage& message) override {
    if (message.Msg == kProbeMessage) {
      ++probes;
      return;
    }
    TTestShellTree::WndProc(message);
  }
};

class ShellTreeReadTest : public ShellTreeTest {
protected:
  void SetUp() override {
    ShellTreeTest::SetUp();
    delete tree;
    gated = new TGatedShellTree(form);
    tree = gated;
    tree->SetBounds(0, 0, 300, 560);
    tree->OnFillComplete = [this](TObject*) { ++tree_fills; };
  }
  void TearDown() override {
    // A read still at its gate ends, so that its thread lets the folder go.
    SetEvent(gate->open);
    ShellTreeTest::TearDown();
  }
  // COUNT subfolders of FOLDER, made in another order than their names sort in; every third
  // has a subfolder of its own, and files lie among them.
  void MakeFolders(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
      char name[64];
      std::snprintf(name, sizeof(name), "%s\\d%03d", folder.c_str(), (i * 37) % count);
      temp.MakeFolder(i % 3 ? name : std::string(name) + "\\inner");
      temp.Write(std::string(name) + ".txt", "x");
    }
  }
  // Expands NODE as a click on its button does: through the control.
  void UserExpand(TTreeNode* node) {
    SendMessageA(tree->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->ItemId()));
  }
  // The gate's reading thread stands at the gate (or has ended, with DONE).
  void Await(HANDLE event, int line = __builtin_LINE()) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }));
  }
  void Gate(int stop_at) {
    gate = std::make_shared<TEnumerationGate>();
    gate->stop_at = stop_at;
    gated->gate = gate;
  }
  // Each child's text and whether it shows an expand button.
  std::vector<std::pair<std::string, bool>> Children(TTreeNode* parent) {
    std::vector<std::pair<std::string, bool>> children;
    for (TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling())
      children.emplace_back(n->Text(), n->HasChildren());
    return children;
  }

  TGatedShellTree* gated = nullptr;
  std::shared_ptr<TEnumerationGate> gate = std::make_shared<TEnumerationGate>();
};

TEST_F(ShellTreeReadTest, AUserExpansionReadsWhileTheLoopRunsAndEndsAsASynchronousFill) {
  MakeFolders("big", 60);
  ShowTree();
  Child(Root(), "big")->Expand(false);
  const auto synchronous = Children(Child(Root(), "big"));
  ASSERT_EQ(synchronous.size(), 60u);
  tree->FillTree();
  const int before = tree_fills;

  tree->SetFillsInBackground(true);
  Gate(20);
  TTreeNode* big = Child(Root(), "big");
  PostMessageA(tree->Handle(), kProbeMessage, 0, 0);
  UserExpand(big);
  EXPECT_EQ(big->GetFirstChild(), nullptr);
  EXPECT_FALSE(big->Expanded());
  EXPECT_TRUE(big->HasChildren()) << "the node keeps its button while it is read";
  EXPECT_EQ(tree->Cursor(), crAppStart);
  Await(gate->reached);
  EXPECT_EQ(gated->probes, 1);
  EXPECT_EQ(big->GetFirstChild(), nullptr);
  // Clicking again while the children are read starts nothing more.
  UserExpand(big);
  EXPECT_EQ(gated->reads, 1);
  SetEvent(gate->open);
  ASSERT_TRUE(PumpUntil([&] { return big->Expanded(); }));
  EXPECT_EQ(Children(big), synchronous);
  EXPECT_EQ(tree_fills, before + 1);
  EXPECT_EQ(tree->Cursor(), crDefault);

  // A folder with nothing to show loses its button, as a synchronous fill leaves it.
  gated->gate = nullptr;
  TTreeNode* empty = Child(big, "d001");
  UserExpand(empty);
  ASSERT_TRUE(PumpUntil([&] { return !empty->HasChildren(); }));
  EXPECT_FALSE(empty->Expanded());
  EXPECT_EQ(tree_fills, before + 2);
}

TEST_F(ShellTreeReadTest, ADeletedNodeARefillARefreshOrAFailureLeaveNothingOfTheRead) {
  MakeFolders("big", 30);
  ShowTree();
  tree->SetFillsInBackground(true);

  Gate(10);
  UserExpand(Child(Root(), "big"));
  Await(gate->reached);
  Child(Root(), "big")->Delete();
  SetEvent(gate->open);
  Await(gate->done);
  PumpPending();
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{});

  tree->FillTree();
  const int after_fill = tree_fills;
  Gate(10);
  UserExpand(Child(Root(), "big"));
  Await(gate->reached);
  tree->FillTree();
  SetEvent(gate->open);
  Await(gate->done);
  PumpPending();
  TTreeNode* big = Child(Root(), "big");
  EXPECT_EQ(big->GetFirstChild(), nullptr) << "the new node knows nothing of the old read";
  EXPECT_FALSE(big->Expanded());
  EXPECT_EQ(tree_fills, after_fill + 1);

  // A refresh of the selected node while it is read leaves it to the read, which still opens it.
  Gate(10);
  UserExpand(big);
  Await(gate->reached);
  tree->SetSelected(big);
  tree->RefreshTree();
  EXPECT_EQ(big->GetFirstChild(), nullptr);
  SetEvent(gate->open);
  ASSERT_TRUE(PumpUntil([&] { return big->Expanded(); }));
  EXPECT_EQ(Texts(big).size(), 30u) << "the read adds its nodes once";

  // A folder that refuses enumeration keeps its button and shows nothing.
  Gate(-1);
  gate->fail_at = 0;
  gate->failure = HRESULT_FROM_WIN32(ERROR_NOT_READY);
  TTreeNode* first = big->GetFirstChild();
  ASSERT_TRUE(first->HasChildren());
  UserExpand(first);
  EXPECT_EQ(tree->Cursor(), crAppStart) << "the tree shows that it works on";
  ASSERT_TRUE(PumpUntil([&] { return tree->Cursor() == crDefault; }));
  EXPECT_TRUE(first->HasChildren());
  EXPECT_FALSE(first->Expanded());
  EXPECT_EQ(first->GetFirstChild(), nullptr);

  // A tree destroyed while it reads: the read ends later without it.
  Gate(0);
  UserExpand(Child(big, "d003"));
  tree->OnDeleteItem = nullptr;
  Await(gate->reached);
  delete tree;
  tree = nullptr;
  SetEvent(gate->open);
  Await(gate->done);
  PumpPending();
}

// Any folder may hold 100,000 files: a refresh reads each it enumerates in the background, the
// selected one's new subfolders show without opening it, and a selection among nodes gone goes
// to their parent.
TEST_F(ShellTreeReadTest, ARefreshReadsEachFolderWhileTheLoopRuns) {
  temp.MakeFolder("shown");
  ShowTree();
  tree->SetFillsInBackground(true);
  // Only the refreshes asked for here.
  tree->SetOptions(tree->Options().Without(ptstoDynamicRefresh));
  tree->ExpandToIdList(IdOf(temp.File("shown")).Get());
  TTreeNode* shown = tree->Selected();
  ASSERT_EQ(shown->Text(), "shown");
  temp.MakeFolder("shown\\new");
  const int fills = tree_fills;
  Gate(0);
  PostMessageA(tree->Handle(), kProbeMessage, 0, 0);
  tree->RefreshTree();
  EXPECT_EQ(shown->GetFirstChild(), nullptr);
  Await(gate->reached);
  EXPECT_EQ(gated->probes, 1);
  SetEvent(gate->open);
  ASSERT_TRUE(PumpUntil([&] { return shown->GetFirstChild() != nullptr; }));
  EXPECT_EQ(Texts(shown), std::vector<std::string>{"new"});
  EXPECT_FALSE(shown->Expanded());
  EXPECT_EQ(tree->Selected(), shown);
  EXPECT_EQ(tree_fills, fills) << "a refresh is no fill";

  shown->Expand(false);
  tree->SetSelected(shown->GetFirstChild());
  ASSERT_TRUE(RemoveDirectoryA(temp.File("shown\\new").c_str()));
  temp.MakeFolder("shown\\other");
  Gate(0);
  tree->RefreshTree();
  EXPECT_EQ(Texts(shown), std::vector<std::string>{"new"});
  // The root's read ends; shown's stands at a gate of its own while the code expands shown.
  Await(gate->reached);
  const auto root_gate = gate;
  Gate(0);
  SetEvent(root_gate->open);
  Await(gate->reached);
  shown->Collapse(false);
  shown->Expand(false);
  SetEvent(gate->open);
  ASSERT_TRUE(PumpUntil([&] { return Texts(shown) == std::vector<std::string>{"other"}; }));
  EXPECT_EQ(tree->Selected(), shown);

  // A refresh read during a drag leaves the nodes alone until the drag ends.
  temp.MakeFolder("shown\\during");
  gated->gate = nullptr;
  tree->RefreshTree();
  tree->SetDragging(true);
  ASSERT_TRUE(PumpUntil([&] { return tree->Cursor() == crDefault; }));
  EXPECT_EQ(Texts(shown), std::vector<std::string>{"other"});
  tree->SetDragging(false);
  ASSERT_TRUE(PumpUntil([&] { return Texts(shown).size() == 2; }));
}

TEST_F(ShellTreeReadTest, TheCodesExpansionsFillAtOnceAndOvertakeARead) {
  temp.MakeFolder("a\\b\\c");
  ShowTree();
  tree->SetFillsInBackground(true);
  Gate(0);
  TTreeNode* a = Child(Root(), "a");
  UserExpand(a);
  Await(gate->reached);
  // Following a linked view into the folder selects it at once.
  tree->ExpandToIdList(IdOf(temp.File("a\\b\\c")).Get());
  EXPECT_EQ(tree->Selected()->Text(), "c");
  EXPECT_EQ(Texts(a), std::vector<std::string>{"b"});
  EXPECT_EQ(tree->Cursor(), crDefault) << "the read of a was cancelled";
  SetEvent(gate->open);
  Await(gate->done);
  PumpPending();
  EXPECT_EQ(Texts(a), std::vector<std::string>{"b"}) << "the overtaken read adds nothing";
  EXPECT_EQ(gated->reads, 1);
}

}  // namespace
}  // namespace tw::test
