#include "framework/win/tree_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

class TreeViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { shown.push_back(e.Message()); };
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 400, 300);
    tree = new TCustomTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 300, 250);
    form->Show();
  }
  void TearDown() override {
    // The tests' handlers capture their locals, gone by now; the nodes still go.
    tree->OnDeletion = nullptr;
    tree->OnChanging = nullptr;
    tree->OnChange = nullptr;
    delete form;
    Application->OnException = nullptr;
    EXPECT_TRUE(shown.empty()) << shown.front();
  }

  // Root "A" with children "A1", "A2" (and "A2" with "A2x"), root "B".
  void Build() {
    a = tree->Items().Add(nullptr, "A");
    a1 = tree->Items().AddChild(a, "A1");
    a2 = tree->Items().AddChild(a, "A2");
    a2x = tree->Items().AddChild(a2, "A2x");
    b = tree->Items().Add(a, "B");
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (TTreeNode* n = tree->Items().GetFirstNode(); n; n = n->GetNext()) texts.push_back(n->Text());
    return texts;
  }

  std::vector<std::string> shown;
  TForm* form = nullptr;
  TCustomTreeView* tree = nullptr;
  TTreeNode *a = nullptr, *a1 = nullptr, *a2 = nullptr, *a2x = nullptr, *b = nullptr;
};

TEST_F(TreeViewTest, NodesFormTheHierarchyTheControlShows) {
  Build();
  EXPECT_EQ(tree->Items().Count(), 5);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "A1", "A2", "A2x", "B"}));
  EXPECT_EQ(a->Count(), 2);
  EXPECT_EQ(a2x->Parent(), a2);
  EXPECT_EQ(a2x->Level(), 2);
  EXPECT_EQ(a2->Index(), 1);
  EXPECT_EQ(a->Item(1), a2);
  EXPECT_EQ(tree->Items().Item(3), a2x);
  EXPECT_TRUE(a2x->HasAsParent(a));
  EXPECT_FALSE(b->HasAsParent(a));
  EXPECT_TRUE(a->HasChildren()) << "a node with children shows its button";
  TTreeNode* first = tree->Items().AddChildFirst(a, "A0");
  EXPECT_EQ(a->GetFirstChild(), first);
  TTreeNode* before_b = tree->Items().Insert(b, "AB");
  EXPECT_EQ(before_b->GetNextSibling(), b);
  // The control holds the same texts.
  char text[32] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = a2->ItemId();
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  TreeView_GetItem(tree->Handle(), &item);
  EXPECT_STREQ(text, "A2");
  a2->SetText("Renamed");
  TreeView_GetItem(tree->Handle(), &item);
  EXPECT_STREQ(text, "Renamed");
}

TEST_F(TreeViewTest, ExpandingEventCanRefuseAndExpandedFollows) {
  Build();
  std::vector<std::string> expanded;
  tree->OnExpanding = [&](TObject* sender, TTreeNode* node, bool& allow) {
    EXPECT_EQ(sender, tree);
    allow = node != a2;
  };
  tree->OnExpanded = [&](TObject*, TTreeNode* node) { expanded.push_back(node->Text()); };
  a->Expand(false);
  EXPECT_TRUE(a->Expanded());
  a2->Expand(false);
  EXPECT_FALSE(a2->Expanded());
  EXPECT_EQ(expanded, std::vector<std::string>{"A"});
  bool collapsing = false;
  tree->OnCollapsing = [&](TObject*, TTreeNode* node, bool& allow) {
    collapsing = node == a;
    allow = false;
  };
  a->Collapse(false);
  EXPECT_TRUE(collapsing);
  EXPECT_TRUE(a->Expanded()) << "a refused collapse leaves the node open";
}

TEST_F(TreeViewTest, ANodeMarkedWithChildrenAsksBeforeItHasAny) {
  TTreeNode* lazy = tree->Items().Add(nullptr, "Lazy");
  lazy->SetHasChildren(true);
  int asked = 0;
  tree->OnExpanding = [&](TObject*, TTreeNode* node, bool&) {
    ++asked;
    if (node->Count() == 0) tree->Items().AddChild(node, "Filled");
  };
  lazy->Expand(false);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(lazy->Count(), 1);
  EXPECT_TRUE(lazy->Expanded());
}

TEST_F(TreeViewTest, SelectionRaisesChangingThenChangeAndCanBeRefused) {
  Build();
  std::vector<std::string> events;
  tree->OnChanging = [&](TObject*, TTreeNode* node, bool& allow) {
    events.push_back("changing " + node->Text());
    allow = node != b;
  };
  tree->OnChange = [&](TObject*, TTreeNode* node) { events.push_back("change " + node->Text()); };
  a1->SetSelected(true);
  EXPECT_EQ(tree->Selected(), a1);
  EXPECT_TRUE(a1->Selected());
  tree->SetSelected(b);
  EXPECT_EQ(tree->Selected(), a1) << "the refused selection does not happen";
  EXPECT_EQ(events, (std::vector<std::string>{"changing A1", "change A1", "changing B"}));
}

TEST_F(TreeViewTest, LabelEditingGoesThroughTheEditingAndEditedSteps) {
  Build();
  std::vector<std::string> edits;
  tree->OnEditing = [&](TObject*, TTreeNode* node, bool& allow) { allow = node != b; };
  tree->OnEdited = [&](TObject*, TTreeNode* node, std::string& s) {
    edits.push_back(node->Text() + "->" + s);
    s += "!";
  };
  tree->SetFocus();
  HWND edit = reinterpret_cast<HWND>(SendMessageA(tree->Handle(), TVM_EDITLABELA, 0,
                                                  reinterpret_cast<LPARAM>(a1->ItemId())));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(tree->IsEditing());
  SetWindowTextA(edit, "New name");
  SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
  EXPECT_FALSE(tree->IsEditing());
  EXPECT_EQ(edits, std::vector<std::string>{"A1->New name"});
  EXPECT_EQ(a1->Text(), "New name!") << "the handler's text is the node's";

  // A cancelled edit changes nothing and reports nothing.
  ASSERT_TRUE(a2->EditText());
  SetWindowTextA(TreeView_GetEditControl(tree->Handle()), "Other");
  a2->EndEdit(true);
  EXPECT_EQ(a2->Text(), "A2");
  EXPECT_EQ(edits.size(), 1u);

  // Editing refused by the event, and by ReadOnly.
  EXPECT_FALSE(b->EditText());
  EXPECT_FALSE(tree->IsEditing());
  tree->SetReadOnly(true);
  EXPECT_FALSE(a2->EditText());
}

int CALLBACK ByTextDescending(LPARAM first, LPARAM second, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  return -lstrcmpA(reinterpret_cast<TTreeNode*>(first)->Text().c_str(),
                   reinterpret_cast<TTreeNode*>(second)->Text().c_str());
}

TEST_F(TreeViewTest, CustomSortOrdersChildrenByTheCallback) {
  TTreeNode* root = tree->Items().Add(nullptr, "root");
  for (const char* text : {"b", "d", "a", "c"}) tree->Items().AddChild(root, text);
  int calls = 0;
  ASSERT_TRUE(root->CustomSort(&ByTextDescending, reinterpret_cast<LPARAM>(&calls)));
  EXPECT_GT(calls, 0);
  std::string order;
  for (TTreeNode* n = root->GetFirstChild(); n; n = n->GetNextSibling()) order += n->Text();
  EXPECT_EQ(order, "dcba");
  root->AlphaSort();
  order.clear();
  for (TTreeNode* n = root->GetFirstChild(); n; n = n->GetNextSibling()) order += n->Text();
  EXPECT_EQ(order, "abcd");
  tree->OnCompare = [](TObject*, TTreeNode* x, TTreeNode* y, LPARAM, int& compare) {
    compare = (x->Text() == "c") - (y->Text() == "c");
  };
  root->AlphaSort();
  EXPECT_EQ(root->GetLastChild()->Text(), "c");
}

TEST_F(TreeViewTest, ImagesAreAskedForWhenTheControlNeedsThem) {
  Build();
  std::vector<std::string> asked;
  tree->OnGetImageIndex = [&](TObject*, TTreeNode* node) {
    asked.push_back(node->Text());
    node->SetImageIndex(static_cast<int>(node->Text().size()) + 3);
  };
  tree->OnGetSelectedIndex = [&](TObject*, TTreeNode* node) { node->SetSelectedIndex(9); };
  TVITEMA item{};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = a2x->ItemId();
  ASSERT_TRUE(TreeView_GetItem(tree->Handle(), &item));
  EXPECT_EQ(item.iImage, 6);
  EXPECT_EQ(item.iSelectedImage, 9);
  EXPECT_EQ(asked, std::vector<std::string>{"A2x"});
}

TEST_F(TreeViewTest, DeletingANodeDeletesItsSubtreeWithOneEventEach) {
  Build();
  int payload = 0;
  a2x->SetData(&payload);
  std::vector<std::string> deleted;
  tree->OnDeletion = [&](TObject*, TTreeNode* node) {
    deleted.push_back(node->Text());
    if (node->Data() == &payload) payload = 1;
  };
  a2->Delete();
  EXPECT_EQ(deleted.size(), 2u);
  EXPECT_EQ(payload, 1) << "the deletion step sees the node's data";
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "A1", "B"}));
  a->DeleteChildren();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B"}));
  tree->Items().Clear();
  EXPECT_EQ(tree->Items().Count(), 0);
  EXPECT_EQ(deleted.size(), 5u);
}

TEST_F(TreeViewTest, RecreatingTheWindowKeepsNodesStateAndSelection) {
  Build();
  int payload = 7;
  a2->SetData(&payload);
  a2->SetOverlayIndex(1);
  a->Expand(false);
  a2->SetCut(true);
  a2x->SetSelected(true);
  int deletions = 0;
  tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
  HWND old = tree->Handle();
  tree->SetShowLines(false);
  EXPECT_NE(tree->Handle(), old);
  EXPECT_EQ(deletions, 0) << "re-creating the window deletes no node";
  EXPECT_EQ(GetWindowLongPtrA(tree->Handle(), GWL_STYLE) & TVS_HASLINES, 0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "A1", "A2", "A2x", "B"}));
  EXPECT_EQ(a2->Data(), &payload);
  EXPECT_TRUE(a->Expanded());
  EXPECT_TRUE(a2->Cut());
  EXPECT_EQ(tree->Selected(), a2x);
  EXPECT_EQ(TreeView_GetItemState(tree->Handle(), a2->ItemId(), TVIS_OVERLAYMASK),
            static_cast<UINT>(INDEXTOOVERLAYMASK(2)));
}

// The nodes' own links against the control's hierarchy, asked of the control item by item:
// "parent(child)child..." for each level, or a note of the first disagreement.
std::string ControlShape(HWND window, TTreeNodes& nodes, HTREEITEM parent, TTreeNode* parent_node) {
  std::string shape;
  TTreeNode* expected = parent_node ? parent_node->GetFirstChild() : nodes.GetFirstNode();
  for (HTREEITEM item = parent ? TreeView_GetChild(window, parent) : TreeView_GetRoot(window);
       item; item = TreeView_GetNextSibling(window, item)) {
    TTreeNode* node = nodes.GetNode(item);
    if (!node || node != expected || node->Parent() != parent_node)
      return shape + "<links differ at " + (node ? node->Text() : "?") + ">";
    if (node->GetNextSibling() == nullptr && TreeView_GetNextSibling(window, item))
      return shape + "<list ends early after " + node->Text() + ">";
    shape += node->Text();
    if (TreeView_GetChild(window, item))
      shape += "(" + ControlShape(window, nodes, item, node) + ")";
    else if (node->GetFirstChild())
      return shape + "<children the control lacks>";
    expected = node->GetNextSibling();
  }
  return expected ? shape + "<node the control lacks: " + expected->Text() + ">" : shape;
}

TEST_F(TreeViewTest, NodesFollowTheControlsHierarchyThroughEveryChange) {
  Build();
  auto shape = [&] { return ControlShape(tree->Handle(), tree->Items(), nullptr, nullptr); };
  EXPECT_EQ(shape(), "A(A1A2(A2x))B");
  tree->Items().AddChildFirst(a, "A0");
  tree->Items().Insert(a2, "A15");
  tree->Items().AddFirst(b, "Z");
  tree->Items().Insert(a, "Y");
  EXPECT_EQ(shape(), "ZYA(A0A1A15A2(A2x))B");
  int calls = 0;
  a->CustomSort(&ByTextDescending, reinterpret_cast<LPARAM>(&calls));
  tree->CustomSort(&ByTextDescending, reinterpret_cast<LPARAM>(&calls), false);
  EXPECT_EQ(shape(), "ZYBA(A2(A2x)A15A1A0)");
  // Deletions the control makes by itself, not through the nodes.
  TreeView_DeleteItem(tree->Handle(), a2->ItemId());
  EXPECT_EQ(shape(), "ZYBA(A15A1A0)");
  TreeView_Expand(tree->Handle(), a->ItemId(), TVE_COLLAPSE | TVE_COLLAPSERESET);
  EXPECT_EQ(shape(), "ZYBA");
  tree->Items().AddChild(a, "A9");
  tree->Items().Delete(tree->Items().GetFirstNode());
  tree->SetShowLines(false);
  EXPECT_EQ(shape(), "YBA(A9)") << "after the window was made again";
  tree->Items().Clear();
  EXPECT_EQ(tree->Items().GetFirstNode(), nullptr);
  TTreeNode* added = tree->Items().Add(nullptr, "New");
  TTreeNode* first = tree->Items().AddChildObjectAfter(nullptr, nullptr, "First", nullptr, {});
  tree->Items().AddChildObjectAfter(nullptr, first, "Mid", nullptr, {});
  tree->Items().AddChildObjectAfter(nullptr, added, "Last", nullptr, {});
  tree->Items().AddChildObjectAfter(added, nullptr, "Below", nullptr, {});
  EXPECT_EQ(shape(), "FirstMidNew(Below)Last");
}

TEST_F(TreeViewTest, MarksGivenAtTheInsertReachTheControl) {
  TTreeNode* parent = tree->Items().Add(nullptr, "parent");
  TTreeNodeMarks marks;
  marks.has_children = true;
  marks.overlay_index = 1;
  marks.cut = true;
  int payload = 0;
  TTreeNode* marked = tree->Items().AddChildObject(parent, "marked", &payload, marks);
  TTreeNode* plain = tree->Items().AddChildObject(parent, "plain", nullptr, TTreeNodeMarks{});
  EXPECT_EQ(marked->Data(), &payload);
  EXPECT_TRUE(parent->HasChildren());
  auto item_of = [&](TTreeNode* node) {
    TVITEMA item{};
    item.mask = TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
    item.hItem = node->ItemId();
    item.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
    EXPECT_TRUE(TreeView_GetItem(tree->Handle(), &item));
    return item;
  };
  const TVITEMA shown = item_of(marked);
  EXPECT_EQ(shown.cChildren, 1);
  EXPECT_EQ(shown.state & TVIS_OVERLAYMASK, static_cast<UINT>(INDEXTOOVERLAYMASK(2)));
  EXPECT_TRUE(marked->Cut());
  EXPECT_TRUE(marked->HasChildren());
  EXPECT_EQ(marked->OverlayIndex(), 1);
  const TVITEMA bare = item_of(plain);
  EXPECT_EQ(bare.cChildren, 0);
  EXPECT_EQ(bare.state & (TVIS_OVERLAYMASK | TVIS_CUT), 0u);
  // The marks stay the node's own: a window made again shows them too.
  tree->SetShowLines(false);
  EXPECT_TRUE(marked->Cut());
  EXPECT_EQ(item_of(marked).state & TVIS_OVERLAYMASK, static_cast<UINT>(INDEXTOOVERLAYMASK(2)));
  EXPECT_FALSE(plain->Cut());
}

TEST_F(TreeViewTest, HitTestFindsTheNodeUnderAPoint) {
  Build();
  RECT r = b->DisplayRect(true);
  EXPECT_EQ(tree->GetNodeAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), b);
  EXPECT_NE(tree->GetHitTestInfoAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) & htOnLabel, 0);
  EXPECT_EQ(tree->GetNodeAt(5, 240), nullptr);
}

TEST_F(TreeViewTest, KeysReachTheKeyEventsAndMoveTheSelection) {
  Build();
  a->SetSelected(true);
  std::vector<WORD> keys;
  tree->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys.push_back(key); };
  tree->SetFocus();
  SendMessageA(tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(keys, std::vector<WORD>{VK_DOWN});
  EXPECT_EQ(tree->Selected(), b) << "the collapsed node's children are skipped";
  // A handler that clears the key keeps it from the control.
  tree->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { key = 0; };
  SendMessageA(tree->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(tree->Selected(), b);
}

TEST_F(TreeViewTest, ColoursFollowColorAndFont) {
  tree->SetColor(clAqua);
  EXPECT_EQ(TreeView_GetBkColor(tree->Handle()), RGB(0, 255, 255));
  tree->Font().SetColor(clMaroon);
  EXPECT_EQ(TreeView_GetTextColor(tree->Handle()), RGB(128, 0, 0));
  tree->SetColor(clNone);
  EXPECT_EQ(TreeView_GetBkColor(tree->Handle()), static_cast<COLORREF>(-1))
      << "no colour gives the control its system colour back";
}

TEST_F(TreeViewTest, PropertiesBecomeWindowStyles) {
  auto style = [&] { return GetWindowLongPtrA(tree->Handle(), GWL_STYLE); };
  EXPECT_NE(style() & TVS_HASBUTTONS, 0);
  EXPECT_NE(style() & TVS_LINESATROOT, 0);
  EXPECT_EQ(style() & TVS_SHOWSELALWAYS, 0);
  tree->SetShowRoot(false);
  tree->SetHideSelection(false);
  tree->SetShowButtons(false);
  EXPECT_EQ(style() & TVS_LINESATROOT, 0);
  EXPECT_NE(style() & TVS_SHOWSELALWAYS, 0);
  EXPECT_EQ(style() & TVS_HASBUTTONS, 0);
  tree->SetIndent(25);
  EXPECT_EQ(tree->Indent(), 25);
  tree->SetWindowStyleBits(TVS_DISABLEDRAGDROP, true);
  tree->RecreateWnd();
  EXPECT_NE(style() & TVS_DISABLEDRAGDROP, 0) << "style bits survive re-creation";
  EXPECT_EQ(tree->Indent(), 25);
}

}  // namespace
}  // namespace tw
