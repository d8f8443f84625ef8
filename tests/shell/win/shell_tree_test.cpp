#include <gtest/gtest.h>

#include <filesystem>

#include "shell/win/shell_combo.h"
#include "shell/win/shell_names.h"
#include "tests/shell/win/forwarding_folder.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

// A real folder that refuses enumeration as a drive without a medium does. Wine's folders
// never refuse it (they enumerate a missing directory as empty), so the test gives a node one.
class TNotReadyFolder final : public TForwardingFolder {
public:
  using TForwardingFolder::TForwardingFolder;
  int enumerations = 0;

  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** list) override {
    ++enumerations;
    *list = nullptr;
    return HRESULT_FROM_WIN32(ERROR_NOT_READY);
  }
};

TEST_F(ShellTreeTest, DesktopTreeShowsTheDesktopExpandedWithoutRootLines) {
  tree->SetParent(form);
  form->Show();
  tree->HandleNeeded();
  ASSERT_NE(Root(), nullptr);
  EXPECT_EQ(Root()->GetNextSibling(), nullptr);
  EXPECT_EQ(IdListSize(tree->GetNodeData(Root())->AbsoluteId()), 2u) << "the desktop's empty id";
  EXPECT_TRUE(Root()->Expanded());
  EXPECT_NE(Root()->GetFirstChild(), nullptr) << "at least My Computer";
  EXPECT_FALSE(GetWindowLongPtrA(tree->Handle(), GWL_STYLE) & TVS_LINESATROOT);
  EXPECT_EQ(tree->Selected(), Root());
  EXPECT_EQ(tree_fills, 1);
  // The Control Panel's special-folder id differs in form from the one My Computer enumerates.
  ShellItemId controls;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_CONTROLS, controls), S_OK);
  tree->ExpandToIdList(controls.Get());
  EXPECT_EQ(tree->Selected()->Text(), DisplayNameOfAbsIdList(controls.Get()));
  EXPECT_EQ(tree->Selected()->Level(), 2);
}

TEST_F(ShellTreeTest, FillShowsFoldersWithHiddenOnesSortedAndNoFiles) {
  temp.MakeFolder("beta");
  temp.MakeFolder("alpha\\inner");
  MakeHidden(temp.MakeFolder(".secret"));
  temp.Write("file.txt", "x");
  ShowTree();
  ASSERT_NE(Root(), nullptr);
  EXPECT_EQ(Root()->Text(), temp.Path().filename().string());
  EXPECT_TRUE(Root()->Expanded());
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{".secret", "alpha", "beta"}));
  TTreeNode* alpha = Child(Root(), "alpha");
  TTreeNode* beta = Child(Root(), "beta");
  EXPECT_TRUE(alpha->HasChildren());
  EXPECT_EQ(alpha->GetFirstChild(), nullptr) << "children wait for the first expansion";
  alpha->Expand(false);
  EXPECT_EQ(Texts(alpha), (std::vector<std::string>{"inner"}));
  // A folder whose enumeration finds nothing loses its expand button at the first expansion.
  beta->Expand(false);
  EXPECT_FALSE(beta->HasChildren());
  EXPECT_EQ(tree_fills, 3);
}

TEST_F(ShellTreeTest, IncludeNonFoldersAddsFilesAndButtonsOnEveryFolder) {
  temp.Write("file.txt", "x");
  temp.MakeFolder("empty");
  tree->SetOptions(tree->Options().With(ptstoIncludeNonFolders).Without(ptstoShowHidden));
  MakeHidden(temp.MakeFolder(".secret"));
  ShowTree();
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"empty", "file.txt"}));
  EXPECT_TRUE(Child(Root(), "empty")->HasChildren());
  EXPECT_FALSE(Child(Root(), "file.txt")->HasChildren());
}

TEST_F(ShellTreeTest, ExpandToIdListStopsAtTheDeepestExistingFolderAndTheDesktopSelectsTheRoot) {
  temp.MakeFolder("a\\b\\c");
  ShellItemId deep = IdOf(temp.File("a\\b\\c"));
  std::filesystem::remove_all(temp.Path() / "a" / "b");
  ShowTree();
  tree->ExpandToIdList(deep.Get());
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Selected()->Text(), "a");
  EXPECT_FALSE(tree->Selected()->HasChildren()) << "its expansion found nothing";
  tree->ExpandToIdList(nullptr);
  EXPECT_EQ(tree->Selected(), Root());
}

TEST_F(ShellTreeTest, SelectingANodeMovesTheListAndTheListMovesTheTree) {
  temp.MakeFolder("one\\two");
  AddList();
  ShowTree();
  EXPECT_EQ(ListPath(), temp.Path().string());
  const int fills = list_fills;
  // The list opening a folder moves the tree, which fills the list once.
  list->NavigateTo(IdOf(temp.File("one\\two")).Get());
  EXPECT_EQ(tree->Selected()->Text(), "two");
  EXPECT_EQ(ListPath(), temp.File("one\\two"));
  EXPECT_EQ(list_fills, fills + 1);
  // Going up in the list goes up in the tree.
  list->GoUp(1);
  EXPECT_EQ(tree->Selected()->Text(), "one");
  EXPECT_EQ(ListPath(), temp.File("one"));
  EXPECT_EQ(list_fills, fills + 2);
  // The list's folder set from outside selects it in the tree, without a loop.
  list->Folder().SetIdList(IdOf(temp.File("one\\two")).Get());
  EXPECT_EQ(tree->Selected()->Text(), "two");
  EXPECT_EQ(list_fills, fills + 3);
}

TEST_F(ShellTreeTest, ArrowKeysMoveTheListOnceAfterRestingAndAClickAtOnce) {
  for (int i = 0; i < 12; ++i) temp.MakeFolder("f" + std::to_string(10 + i));
  AddList();
  ShowTree();
  tree->SetFocus();
  const int fills = list_fills;
  for (int i = 0; i < 10; ++i) SendMessageA(tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(tree->Selected()->Text(), "f19");
  EXPECT_EQ(list_fills, fills) << "the keyboard's moves wait";
  EXPECT_TRUE(PumpUntil([&] { return list_fills > fills; }, 3000));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(list_fills, fills + 1);
  EXPECT_EQ(ListPath(), temp.File("f19"));

  TTreeNode* target = Child(Root(), "f12");
  const RECT r = target->DisplayRect(true);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tree->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(tree->Selected(), target);
  EXPECT_EQ(ListPath(), temp.File("f12")) << "a click moves the list at once";
}

TEST_F(ShellTreeTest, AListThatHidesFoldersGetsTheLastFolderExpandedInTheTree) {
  temp.MakeFolder("outer\\inner");
  temp.Write("outer\\file.txt", "x");
  AddList();
  list->SetOptions(list->Options().With(ptsloHideFoldersWhenLinkedToTree));
  ShowTree();
  list->Folder().SetIdList(IdOf(temp.File("outer")).Get());
  // Wine marks every folder a file-system ancestor, which the list keeps: both items stay.
  EXPECT_EQ(list->Items().Count(), 2);
  EXPECT_TRUE(tree->Selected()->Expanded()) << "the tree shows what the list leaves out";
}

TEST_F(ShellTreeTest, LinksGoWhenTheLinkedComponentIsFreed) {
  AddList();
  ShowTree();
  EXPECT_EQ(list->LinkedTree(), tree);
  delete list;
  EXPECT_EQ(tree->ShellList(), nullptr);
  AddList();
  delete tree;
  tree = nullptr;
  EXPECT_EQ(list->LinkedTree(), nullptr);
  list->GoUp(1);
  EXPECT_EQ(ListPath(), temp.Path().parent_path().string()) << "the list goes up by itself";
}

TEST_F(ShellTreeTest, RenameToATakenNameLeavesTheNodeAndARenameMovesTheList) {
  temp.MakeFolder("old\\sub");
  temp.MakeFolder("taken");
  AddList();
  ShowTree();
  TTreeNode* node = Child(Root(), "old");
  tree->ExpandToIdList(IdOf(temp.File("old")).Get());
  auto rename = [&](const std::string& text) {
    ASSERT_TRUE(node->EditText());
    HWND edit = TreeView_GetEditControl(tree->Handle());
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text.c_str());
    node->EndEdit(false);
  };
  rename("taken");
  EXPECT_EQ(node->Text(), "old");
  EXPECT_EQ(ListPath(), temp.File("old"));
  // The edit control holds at most 259 characters: a longer name can only come in a notice.
  ASSERT_TRUE(node->EditText());
  std::string long_name(300, 'n');
  NMTVDISPINFOA notice{};
  notice.hdr = {tree->Handle(), 0, TVN_ENDLABELEDITA};
  notice.item.mask = TVIF_TEXT;
  notice.item.hItem = node->ItemId();
  notice.item.lParam = reinterpret_cast<LPARAM>(node);
  notice.item.pszText = long_name.data();
  SendMessageA(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
  node->EndEdit(true);
  EXPECT_EQ(node->Text(), "old") << "a name too long is refused, not cut";
  EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "old"));

  const int tree_fills_before = tree_fills;
  rename("new");
  EXPECT_EQ(node->Text(), "new");
  EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "new" / "sub"));
  EXPECT_EQ(ListPath(), temp.File("new"));
  EXPECT_EQ(tree->CurrentFolder().GetPath(), temp.File("new"));
  EXPECT_TRUE(tree->AwaitsRenameNotice()) << "its own change notice refreshes nothing";
  EXPECT_EQ(tree_fills, tree_fills_before);
  // The children's cached ids follow the new name.
  node->Expand(false);
  TTreeNode* sub = Child(node, "sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(IdListToPath(tree->GetNodeData(sub)->AbsoluteId()), temp.File("new\\sub"));
}

TEST_F(ShellTreeTest, OnEditedGetsTheNodeOnlyWhileItLives) {
  temp.MakeFolder("kept");
  temp.MakeFolder("gone");
  ShowTree();
  std::vector<TTreeNode*> edited;
  tree->OnEdited = [&](TObject*, TTreeNode* node, std::string&) { edited.push_back(node); };
  auto rename = [&](TTreeNode* node, const std::string& text, const std::string& gone) {
    ASSERT_TRUE(node->EditText());
    if (!gone.empty()) std::filesystem::remove(temp.Path() / gone);
    tree->RefreshTree();
    SetWindowTextA(TreeView_GetEditControl(tree->Handle()), text.c_str());
    node->EndEdit(false);
  };
  TTreeNode* kept = Child(Root(), "kept");
  rename(kept, "renamed", "");
  // The folder goes while its name is edited: the refresh asked for meanwhile takes its node
  // when the edit ends.
  rename(Child(Root(), "gone"), "new", "gone");
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{"renamed"});
  EXPECT_EQ(edited, (std::vector<TTreeNode*>{kept, nullptr}));
}

TEST_F(ShellTreeTest, ABaseFolderSetDuringADragOrAnEditIsFilledFromAtItsEnd) {
  temp.MakeFolder("one\\inner");
  temp.MakeFolder("two\\deeper");
  ShowTree();
  tree->SetDragging(true);
  tree->BaseFolder().SetIdList(IdOf(temp.File("one")).Get());
  tree->SetDragging(false);
  EXPECT_EQ(Root()->Text(), "one");
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{"inner"});
  ASSERT_TRUE(Child(Root(), "inner")->EditText());
  tree->BaseFolder().SetIdList(IdOf(temp.File("two")).Get());
  Child(Root(), "inner")->EndEdit(true);
  EXPECT_EQ(Root()->Text(), "two") << "also when the edit is cancelled";
  EXPECT_EQ(Texts(Root()), std::vector<std::string>{"deeper"});
}

TEST_F(ShellTreeTest, RefreshDropsGoneFoldersSelectingTheParentAndAddsNewOnesSorted) {
  temp.MakeFolder("keep\\gone");
  temp.MakeFolder("m");
  AddList();
  ShowTree();
  tree->ExpandToIdList(IdOf(temp.File("keep\\gone")).Get());
  ASSERT_EQ(tree->Selected()->Text(), "gone");
  std::filesystem::remove(temp.Path() / "keep" / "gone");
  temp.MakeFolder("b");
  MakeHidden(temp.MakeFolder(".new"));
  temp.MakeFolder("z");
  tree->RefreshTree();
  TTreeNode* keep = Child(Root(), "keep");
  EXPECT_EQ(tree->Selected(), keep);
  EXPECT_EQ(keep->GetFirstChild(), nullptr);
  EXPECT_FALSE(keep->HasChildren());
  EXPECT_EQ(ListPath(), temp.File("keep"));
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{".new", "b", "keep", "m", "z"}));
}

TEST_F(ShellTreeTest, OnAddItemRefusalsHoldInFillsAndRefreshes) {
  temp.MakeFolder("shown");
  temp.MakeFolder("x-hidden");
  int asked = 0;
  tree->OnAddItem = [&](TObject*, IShellFolder* folder, const ItemIdList* parent,
                        const ItemIdList* item, int attributes, BOOL& allow) {
    ++asked;
    EXPECT_NE(parent, nullptr);
    EXPECT_TRUE(attributes & SFGAO_FOLDER);
    allow = GetDisplayName(folder, item, dnkInFolder).rfind("x-", 0) != 0;
  };
  ShowTree();
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"shown"}));
  temp.MakeFolder("x-later");
  temp.MakeFolder("later");
  tree->RefreshTree();
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"later", "shown"}));
  EXPECT_EQ(asked, 2 + 3) << "a refused item is asked again in a refresh, a node's is not";
}

TEST_F(ShellTreeTest, AFolderThatRefusesEnumerationKeepsItsButtonQuietly) {
  temp.MakeFolder("drive\\sub");
  ShowTree();
  TTreeNode* drive = Child(Root(), "drive");
  TPTShTreeData* data = tree->GetNodeData(drive);
  ComPtr<TNotReadyFolder> not_ready(new TNotReadyFolder(data->Folder()));
  data->SetFolder(not_ready.Get());
  drive->Expand(false);
  EXPECT_TRUE(drive->HasChildren());
  EXPECT_EQ(drive->GetFirstChild(), nullptr);
  EXPECT_FALSE(drive->Expanded());
  drive->Expand(false);
  EXPECT_EQ(not_ready->enumerations, 2) << "each expansion tries again";
  data->ResetCaches();
  drive->Expand(false);
  EXPECT_EQ(Texts(drive), (std::vector<std::string>{"sub"})) << "a medium put in shows";
}

TEST_F(ShellTreeTest, IconsComeAtTheFirstPaintAndCustomDrawNamesTheNodeData) {
  temp.MakeFolder("folder\\inner");
  ShowTree();
  TTreeNode* folder = Child(Root(), "folder");
  folder->Expand(false);
  TTreeNode* inner = folder->GetFirstChild();
  EXPECT_LT(inner->ImageIndex(), 0) << "no icon before the node is painted";
  UpdateWindow(tree->Handle());
  EXPECT_EQ(inner->ImageIndex(),
            SystemIconIndex(tree->GetNodeData(inner)->AbsoluteId(), SHGFI_SMALLICON));
  EXPECT_GE(inner->SelectedIndex(), 0);

  std::vector<std::pair<int, TPTShTreeData*>> every, item_pre_paint;
  tree->OnCustomDrawShEx = [&](TObject*, TPTCustomDraw& draw, TTreeNode*, TPTShTreeData* data) {
    every.push_back({draw.Stage(), data});
  };
  tree->OnCustomDrawSh = [&](TObject*, TPTCustomDraw& draw, TTreeNode*, TPTShTreeData* data) {
    item_pre_paint.push_back({draw.Stage(), data});
  };
  HDC dc = GetDC(tree->Handle());
  auto notify = [&](DWORD stage, TTreeNode* node) {
    NMTVCUSTOMDRAW record{};
    record.nmcd.hdr = {tree->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(tree->Handle())),
                       static_cast<UINT>(NM_CUSTOMDRAW)};
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.dwItemSpec = node ? reinterpret_cast<DWORD_PTR>(node->ItemId()) : 0;
    return SendMessageA(form->Handle(), WM_NOTIFY, record.nmcd.hdr.idFrom,
                        reinterpret_cast<LPARAM>(&record));
  };
  EXPECT_EQ(notify(CDDS_PREPAINT, nullptr) & CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYITEMDRAW);
  notify(CDDS_ITEMPREPAINT, folder);
  notify(CDDS_ITEMPOSTPAINT, folder);
  ReleaseDC(tree->Handle(), dc);
  TPTShTreeData* data = tree->GetNodeData(folder);
  using Seen = std::vector<std::pair<int, TPTShTreeData*>>;
  EXPECT_EQ(every, (Seen{{TPTCustomDraw::cdsPrePaint, nullptr},
                         {TPTCustomDraw::cdsItemPrePaint, data},
                         {TPTCustomDraw::cdsItemPostPaint, data}}));
  EXPECT_EQ(item_pre_paint, (Seen{{TPTCustomDraw::cdsItemPrePaint, data}}));
}

TEST_F(ShellTreeTest, LoadStepFillsOnceEverythingExistsAndLinksTheList) {
  temp.MakeFolder("sub");
  form->BeginLoad();
  tree->SetParent(form);
  form->Show();
  tree->HandleNeeded();
  EXPECT_EQ(Root(), nullptr) << "nothing fills while loading";
  AddList();
  ShellItemId base = IdOf(temp.Path().string());
  tree->BaseFolder().SetIdList(base.Get());
  form->EndLoad();
  ASSERT_NE(Root(), nullptr);
  EXPECT_EQ(Texts(Root()), (std::vector<std::string>{"sub"}));
  EXPECT_EQ(ListPath(), temp.Path().string());
}

TEST_F(ShellTreeTest, AListReadingInTheBackgroundFollowsTheTreeAndTheComboAndMovesThem) {
  temp.Write("one\\two\\inner.txt", "x");
  AddList();
  list->SetFillsInBackground(true);
  auto* combo = new TPTShellCombo(form);
  combo->SetBounds(0, 0, 300, 22);
  combo->SetParent(form);
  combo->SetShellTree(tree);
  ShowTree();
  auto names = [&] {
    std::vector<std::string> names;
    for (int i = 0; i < list->Items().Count(); ++i) names.push_back(list->ItemData(i)->DisplayName());
    return names;
  };
  ASSERT_TRUE(PumpUntil([&] { return list_fills == 1; }));
  EXPECT_EQ(names(), std::vector<std::string>{"one"});
  // The list opening a folder moves the tree and the combo, and then shows it.
  list->NavigateTo(IdOf(temp.File("one\\two")).Get());
  ASSERT_TRUE(PumpUntil([&] { return list_fills == 2; }));
  EXPECT_EQ(tree->Selected()->Text(), "two");
  EXPECT_EQ(combo->CurrentFolder().GetPath(), temp.File("one\\two"));
  EXPECT_EQ(names(), std::vector<std::string>{"inner.txt"});
  // The combo moves the tree, which moves the list.
  combo->CurrentFolder().SetIdList(IdOf(temp.File("one")).Get());
  ASSERT_TRUE(PumpUntil([&] { return list_fills == 3; }));
  EXPECT_EQ(tree->Selected()->Text(), "one");
  EXPECT_EQ(ListPath(), temp.File("one"));
  EXPECT_EQ(names(), std::vector<std::string>{"two"});
}

}  // namespace
}  // namespace tw::test
