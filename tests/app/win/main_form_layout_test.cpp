// The main window's toolbars and panes: sorting and view buttons, the commands reaching the
// list, the layout around the list, and the tree, list and combo following each other.
#include "tests/app/win/main_form_fixture.h"

namespace tw {
namespace {

TEST_F(MainFormTest, SortButtonsAlwaysSortAscending) {
  folder_.Write("big.txt", std::string(3000, 'b'));
  folder_.Write("small.txt", "s");
  folder_.Write("middle.txt", std::string(1500, 'm'));
  ShowFolder(folder_.Path().string(), 3);
  auto order = [&] {
    std::vector<std::string> names;
    TListItems& items = form_->PTShellList1->Items();
    for (int i = 0; i < items.Count(); ++i)
      names.emplace_back(FileNamePart(form_->PTShellList1->DataOf(items[i])->Path()));
    return names;
  };
  // Wine's folders compare by name whatever column is asked for; Windows orders by size here.
  // Either way the second press must not turn the order round.
  Click(form_->ToolButton20);
  EXPECT_EQ(form_->PTShellList1->SortColumn(), 2);
  const std::vector<std::string> first = order();
  Click(form_->ToolButton20);
  EXPECT_EQ(form_->PTShellList1->SortColumn(), 2);
  EXPECT_EQ(order(), first);

  Click(form_->ToolButton19);
  EXPECT_EQ(form_->PTShellList1->SortColumn(), 1);
  EXPECT_EQ(order(), (std::vector<std::string>{"big.txt", "middle.txt", "small.txt"}));
  // "Sort by time" is code 4 and "Sort by type" code 3, against the order of the buttons.
  Click(form_->ToolButton21);
  EXPECT_EQ(form_->PTShellList1->SortColumn(), 4);
  Click(form_->ToolButton22);
  EXPECT_EQ(form_->PTShellList1->SortColumn(), 3);
}

TEST_F(MainFormTest, ViewButtonsSetTheListsViewStyleWithOneButtonDown) {
  struct Case {
    TToolButton* button;
    TViewStyle style;
    LONG control_style;
  };
  const Case cases[] = {{form_->ToolButton16, vsSmallIcon, LVS_SMALLICON},
                        {form_->ToolButton17, vsList, LVS_LIST},
                        {form_->ToolButton18, vsReport, LVS_REPORT},
                        {form_->ToolButton15, vsIcon, LVS_ICON}};
  const TToolButton* views[] = {form_->ToolButton15, form_->ToolButton16, form_->ToolButton17,
                                form_->ToolButton18};
  EXPECT_TRUE(form_->ToolButton15->Down());
  for (const Case& c : cases) {
    Click(c.button);
    EXPECT_EQ(form_->PTShellList1->ViewStyle(), c.style);
    EXPECT_EQ(GetWindowLongA(form_->PTShellList1->Handle(), GWL_STYLE) & LVS_TYPEMASK, c.control_style);
    int down = 0;
    for (const TToolButton* v : views) down += v->Down();
    EXPECT_EQ(down, 1);
    EXPECT_TRUE(c.button->Down());
  }
}

TEST_F(MainFormTest, CommandButtonsReachTheList) {
  std::string file = folder_.Write("a.txt", "to copy");
  ShowFolder(folder_.Path().string(), 1);
  Select("a.txt");

  // "Copy" runs the shell's copy command: the file is on the clipboard.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  Click(form_->ToolButton2);
  EXPECT_TRUE(PumpUntil([] { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }));

  // "Create Folder" makes a folder in the shown folder and starts renaming it.
  Click(form_->ToolButton8);
  EXPECT_TRUE(PumpUntil([&] { return form_->PTShellList1->Items().Count() == 2; }));
  EXPECT_TRUE(PumpUntil([&] { return form_->PTShellList1->IsEditing(); }));
  form_->PTShellList1->Perform(WM_KEYDOWN, VK_ESCAPE);
  PumpPending();

  // "Go Up" shows the parent folder.
  std::string parent = folder_.Path().parent_path().string();
  Click(form_->ToolButton14);
  EXPECT_TRUE(PumpUntil([&] {
    return SameText(form_->PTShellList1->Folder().GetPath(), parent);
  })) << form_->PTShellList1->Folder().GetPath();
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, ToolbarsCarryEveryCommandWithItsHint) {
  auto hints = [](TToolBar* bar) {
    std::vector<std::string> result;
    for (int i = 0; i < bar->ButtonCount(); ++i)
      if (bar->Buttons(i)->Style() != tbsSeparator) result.push_back(bar->Buttons(i)->Hint());
    return result;
  };
  EXPECT_EQ(hints(form_->ToolBar1),
            (std::vector<std::string>{"Cut", "Copy", "Paste", "Delete", "Print", "Create Folder",
                                      "Network Connections", "Remove Network Connections", "Properties",
                                      "Create Connection", "Connect", "Explore", "About"}));
  EXPECT_EQ(hints(form_->ToolBar3),
            (std::vector<std::string>{"Go Up", "Big icons", "Small icons", "List", "Full report",
                                      "Sort by name", "Sort by size", "Sort by time", "Sort by type"}));
  EXPECT_EQ(hints(form_->ToolBar4), (std::vector<std::string>{"Clear", "Open", "Save", "Print", "Find",
                                                              "Replace", "Undo", "Redo"}));
  for (TToolBar* bar : {form_->ToolBar1, form_->ToolBar3, form_->ToolBar4}) {
    EXPECT_EQ(bar->Images(), form_->ImageList1);
    EXPECT_EQ(bar->HotImages(), form_->ImageList2);
    EXPECT_TRUE(bar->Flat());
    EXPECT_EQ(bar->ButtonWidth(), 33);
    EXPECT_EQ(bar->ButtonHeight(), 31);
    for (int i = 0; i < bar->ButtonCount(); ++i) {
      TToolButton* b = bar->Buttons(i);
      if (b->Style() == tbsSeparator) continue;
      EXPECT_TRUE(b->ShowHint()) << b->Hint();
      EXPECT_GE(b->ImageIndex(), 0) << b->Hint();
      EXPECT_EQ(static_cast<bool>(b->OnClick), b != form_->ToolButton39) << b->Hint();
    }
  }
  EXPECT_EQ(form_->ToolButton39->Style(), tbsCheck);
  EXPECT_EQ(form_->ToolButton39->Caption(), "Explore");
  EXPECT_EQ(form_->ImageList1->Width(), 22);
  EXPECT_EQ(form_->ImageList2->Height(), 20);
}

TEST_F(MainFormTest, LayoutPlacesThePanesAroundTheList) {
  EXPECT_EQ(form_->Caption(), "Tarnwick 1.1");
  EXPECT_EQ(form_->WindowState(), wsMaximized);
  EXPECT_EQ(form_->Panel1->Width(), 201);
  EXPECT_EQ(form_->Panel1->Left(), 0);
  EXPECT_EQ(form_->Panel2->Left(), 204);  // after the 3-pixel splitter
  EXPECT_EQ(form_->Panel3->Height(), 192);
  EXPECT_EQ(form_->Panel4->Top(), form_->Panel3->Top() + 192 + 3);
  EXPECT_EQ(form_->ToolBar1->Top(), 0);
  EXPECT_EQ(form_->Panel1->Top(), form_->ToolBar1->Height());
  EXPECT_EQ(form_->PTShellList1->Top(), form_->ToolBar3->Top() + form_->ToolBar3->Height());
  EXPECT_EQ(form_->PageControl1->TabPosition(), tpBottom);
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  EXPECT_EQ(form_->TabSheet1->Caption(), "Text");
  EXPECT_EQ(form_->TabSheet2->Caption(), "Graphics");
  EXPECT_TRUE(form_->Edit->PlainText());
  EXPECT_TRUE(form_->PTShellList1->MultiSelect());
  EXPECT_FALSE(form_->PTShellList1->ReadOnly());
  EXPECT_EQ(form_->ToolBar2->Height(), 26);
  EXPECT_EQ(form_->PTShellTree1->Top(), form_->ToolBar2->Top() + 26);
  EXPECT_EQ(form_->PTShellTree1->Parent(), form_->Panel1);
  EXPECT_EQ(form_->PTShellTree1->Left() * 2 + form_->PTShellTree1->Width(), 201)
      << "the tree fills the pane inside its border";
  EXPECT_FALSE(form_->PTShellTree1->ShowRoot());
  EXPECT_EQ(form_->PTShellTree1->Indent(), 19);
}

TEST_F(MainFormTest, TheTreeAndTheListMoveEachOther) {
  folder_.MakeFolder("outer\\inner");
  TPTShellTree* tree = form_->PTShellTree1;
  ASSERT_EQ(tree->ShellList(), form_->PTShellList1);
  ASSERT_NE(tree->Items().GetFirstNode(), nullptr) << "the tree filled with the window";
  // Opening a folder in the list selects it in the tree.
  ShowFolder(folder_.File("outer"), 1);
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Selected()->Text(), "outer");
  // Choosing a folder in the tree moves the list.
  TTreeNode* outer = tree->Selected();
  outer->Expand(false);
  ASSERT_NE(outer->GetFirstChild(), nullptr);
  TTreeNode* inner = outer->GetFirstChild();
  const RECT r = inner->DisplayRect(true);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tree->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(form_->PTShellList1->Folder().GetPath(), folder_.File("outer\\inner"));
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(MainFormTest, TheComboFollowsTheTreePanesWidthAndTheFolderOfTreeAndList) {
  folder_.MakeFolder("outer");
  TPTShellCombo* combo = form_->PTShellCombo1;
  EXPECT_EQ(combo->Parent(), form_->ToolBar2);
  EXPECT_EQ(combo->ShellTree(), form_->PTShellTree1);
  EXPECT_EQ(combo->Width(), 196) << "a tree pane 201 wide";
  HWND splitter = form_->Splitter1->Handle();
  SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
  SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(51, 10));
  SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(51, 10));
  EXPECT_EQ(form_->Panel1->Width(), 251);
  EXPECT_EQ(combo->Width(), 246);

  ShowFolder(folder_.File("outer"), 0);
  ASSERT_GE(combo->ItemIndex(), 0);
  EXPECT_EQ(IdListToPath(combo->DataAt(combo->ItemIndex())->AbsoluteId()), folder_.File("outer"));
  EXPECT_EQ(form_->PTShellTree1->Selected()->Text(), "outer");
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

// A previewed file is untrusted: its embedded and linked objects must not start a server, load
// an object's code or follow a link just by being shown.

}  // namespace
}  // namespace tw
