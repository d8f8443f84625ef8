#include "shell/win/shell_combo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/filer.h"
#include "framework/stream.h"
#include "framework/win/application.h"
#include "framework/win/bitmap.h"
#include "framework/win/form.h"
#include "framework/win/messages.h"
#include "shell/shell_namespace.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_tree.h"
#include "shell/win/sort_pidls.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/support/win/shown_messages.h"

namespace tw::test {
namespace {

// Counts the complete rebuilds of its entries.
class TCountingShellCombo : public TPTShellCombo {
public:
  using TPTShellCombo::TPTShellCombo;
  int fills = 0;

protected:
  void AddLevel(IShellFolder* folder, const ItemIdList* parent_id, TPTIdListArray& path,
                int level) override {
    if (level < 0) ++fills;
    TPTShellCombo::AddLevel(folder, parent_id, path, level);
  }
};

struct Entry {
  int indent;
  std::string text;
};

class ShellComboTest : public ::testing::Test {
protected:
  void SetUp() override {
    CollectShownMessages(shown);
    form = new TForm(nullptr);
    form->SetBounds(20, 20, 400, 300);
    combo = new TCountingShellCombo(form);
    combo->SetBounds(0, 0, 300, 22);
    combo->SetParent(form);
    form->Show();
  }
  void TearDown() override {
    delete form;
    ExpectNothingShown(shown);
  }

  static ShellItemId IdOf(const std::string& path) {
    ShellItemId id;
    EXPECT_EQ(PathToIdList(path, id), S_OK) << path;
    return id;
  }
  void MoveTo(const std::string& path) { combo->CurrentFolder().SetIdList(IdOf(path).Get()); }
  std::vector<Entry> Entries() {
    std::vector<Entry> entries;
    for (int i = 0; i < combo->ItemCount(); ++i)
      entries.push_back({combo->ItemAt(i)->Indent(), combo->ItemAt(i)->Text()});
    return entries;
  }
  int IndexOfText(const std::string& text, int indent) {
    for (int i = 0; i < combo->ItemCount(); ++i)
      if (combo->ItemAt(i)->Text() == text && combo->ItemAt(i)->Indent() == indent) return i;
    return -1;
  }
  std::string SelectedPath() { return IdListToPath(combo->DataAt(combo->ItemIndex())->AbsoluteId()); }
  // The user confirms entry INDEX in the opened list.
  void Choose(int index) {
    combo->SetItemIndex(index);
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo->Handle()));
  }
  static ShellItemId MyComputer() {
    ShellItemId id;
    EXPECT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, id), S_OK);
    return id;
  }

  TempFolder temp;
  std::vector<std::string> shown;
  TForm* form = nullptr;
  TCountingShellCombo* combo = nullptr;
};

TEST_F(ShellComboTest, AtTheDesktopTheDesktopsFoldersAndMyComputersContentsAreListed) {
  combo->HandleNeeded();
  EXPECT_EQ(combo->fills, 1) << "filled when its window was made";
  const std::vector<Entry> entries = Entries();
  ASSERT_GT(entries.size(), 3u);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(entries[0].indent, 0);
  EXPECT_EQ(entries[0].text, DisplayNameOfAbsIdList(nullptr));
  int my_computer = -1;
  for (int i = 1; i < combo->ItemCount(); ++i) {
    if (CompareIdLists(combo->DataAt(i)->AbsoluteId(), MyComputer().Get()) == 0) my_computer = i;
  }
  ASSERT_GT(my_computer, 0);
  EXPECT_EQ(entries[my_computer].indent, 1);
  // The drives follow My Computer at indent 2; everything else is at indent 1.
  int drives = 0;
  for (std::size_t i = my_computer + 1; i < entries.size() && entries[i].indent == 2; ++i) ++drives;
  EXPECT_GE(drives, 2) << "C: and Z: under Wine";
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (i <= static_cast<std::size_t>(my_computer) || i > my_computer + static_cast<std::size_t>(drives)) {
      EXPECT_EQ(entries[i].indent, 1) << entries[i].text;
    }
  }
  bool has_drive_c = false;
  for (int i = my_computer + 1; i <= my_computer + drives; ++i)
    has_drive_c = has_drive_c || IdListToPath(combo->DataAt(i)->AbsoluteId()) == "C:\\";
  EXPECT_TRUE(has_drive_c);

  // Non-file-system folders of the desktop leave with the option.
  combo->SetOptions(combo->Options().With(ptscoNonFilesystemAncestors, false));
  combo->FillCombo();
  for (int i = 1; i < combo->ItemCount(); ++i) {
    LPCITEMIDLIST items[] = {Pidl(combo->DataAt(i)->RelativeId())};
    DWORD attributes = SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
    ASSERT_EQ(combo->DataAt(i)->Folder()->GetAttributesOf(1, items, &attributes), S_OK);
    EXPECT_NE(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR), 0u) << combo->ItemAt(i)->Text();
  }
}

TEST_F(ShellComboTest, AFolderInsideAFolderShowsItsChainBelowItsDriveAndIsSelected) {
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("A\\B");
  temp.MakeFolder("A\\B2");
  MoveTo(b);
  const int depth = TPTIdListArray(IdOf(b).Get()).Count();  // My Computer, C:, ..., A, B

  const int selected = combo->ItemIndex();
  ASSERT_GE(selected, 0);
  EXPECT_EQ(SelectedPath(), b);
  EXPECT_EQ(combo->ItemAt(selected)->Text(), "B");
  EXPECT_EQ(combo->ItemAt(selected)->Indent(), depth);
  EXPECT_EQ(combo->ItemAt(selected - 1)->Text(), "A");
  EXPECT_EQ(combo->ItemAt(selected - 1)->Indent(), depth - 1);
  EXPECT_EQ(IndexOfText("B2", depth), -1) << "the chain has no siblings";
  EXPECT_EQ(combo->ItemAt(selected)->ImageIndex(),
            SystemIconIndex(IdOf(b).Get(), SHGFI_SMALLICON | SHGFI_OPENICON));
  EXPECT_EQ(combo->ItemAt(selected - 1)->ImageIndex(), SystemIconIndex(IdOf(a).Get(), SHGFI_SMALLICON));
  // The chain hangs under drive C at indent 2, itself under My Computer.
  int drive = selected;
  while (drive > 0 && combo->ItemAt(drive)->Indent() > 2) --drive;
  EXPECT_EQ(combo->ItemAt(drive)->Indent(), 2);
  EXPECT_EQ(IdListToPath(combo->DataAt(drive)->AbsoluteId()), b.substr(0, 3));
  EXPECT_EQ(combo->ItemAt(drive + 1)->Indent(), 3);
}

TEST_F(ShellComboTest, GoUpClimbsFromAFolderAndFromADriveRoot) {
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("A\\B");
  MoveTo(b);
  combo->GoUp(1);
  EXPECT_EQ(IdListToPath(combo->CurrentFolder().GetIdList()), a);
  EXPECT_EQ(SelectedPath(), a);

  MoveTo(b.substr(0, 3));
  const int fills = combo->fills;
  combo->GoUp(1);
  EXPECT_EQ(CompareIdLists(combo->CurrentFolder().GetIdList(), MyComputer().Get()), 0);
  EXPECT_EQ(combo->ItemAt(combo->ItemIndex())->Indent(), 1);
  EXPECT_EQ(combo->fills, fills + 1);

  combo->SetItemIndex(0);
  combo->GoUp(1);
  EXPECT_EQ(combo->fills, fills + 1) << "nothing is above the desktop";
}

TEST_F(ShellComboTest, ChoosingAnEntryMovesTheListAndChoosingTheCurrentOneRebuildsNothing) {
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("A\\B");
  auto* list = new TPTShellList(form);
  list->SetParent(form);
  list->SetBounds(0, 30, 300, 200);
  int list_fills = 0;
  list->OnFillComplete = [&](TObject*) { ++list_fills; };
  combo->SetShellList(list);
  EXPECT_EQ(list->LinkedCombo(), combo);
  MoveTo(b);
  EXPECT_EQ(IdListToPath(list->FolderId()), b) << "the combo moves its list";
  int fills = combo->fills;
  list_fills = 0;

  Choose(combo->ItemIndex());
  EXPECT_EQ(combo->fills, fills);
  EXPECT_EQ(list_fills, 0);

  Choose(combo->ItemIndex() - 1);
  EXPECT_EQ(IdListToPath(list->FolderId()), a);
  EXPECT_EQ(SelectedPath(), a);
  EXPECT_EQ(combo->fills, fills + 1);
  EXPECT_EQ(list_fills, 1);

  // Opening a folder in the list moves the combo, once.
  list->NavigateTo(IdOf(b).Get());
  EXPECT_EQ(SelectedPath(), b);
  EXPECT_EQ(combo->fills, fills + 2);
  EXPECT_EQ(list_fills, 2);

  // The list goes up through the combo.
  list->GoUp(1);
  EXPECT_EQ(IdListToPath(list->FolderId()), a);
  EXPECT_EQ(SelectedPath(), a);

  delete list;
  EXPECT_EQ(combo->ShellList(), nullptr) << "a freed list is let go";
}

TEST_F(ShellComboTest, TheClosedFieldShowsTheEntryFlushLeftAndHighlightsOnlyItsText) {
  temp.MakeFolder("A");
  MoveTo(temp.File("A"));
  const int selected = combo->ItemIndex();
  const int indent = combo->ItemAt(selected)->Indent();
  ASSERT_GE(indent, 3);
  TBitmap surface;
  surface.SetPixelFormat(pf24bit);
  surface.SetSize(300, 20);
  auto draw = [&](UINT extra_state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = static_cast<UINT>(selected);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = ODS_SELECTED | extra_state;
    item.hwndItem = combo->Handle();
    item.hDC = surface.Canvas().Handle();
    item.rcItem = {0, 0, 300, 20};
    combo->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  };
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const int flush_text_x = 16 + 4 + 1 + 1;
  const int indented_text_x = flush_text_x + indent * combo->IndentPixels();

  draw(ODS_COMBOBOXEDIT);
  EXPECT_EQ(surface.Canvas().Pixel(flush_text_x, 1), static_cast<TColor>(highlight));
  EXPECT_NE(surface.Canvas().Pixel(299, 1), static_cast<TColor>(highlight)) << "not the whole row";

  draw(0);
  EXPECT_NE(surface.Canvas().Pixel(flush_text_x, 1), static_cast<TColor>(highlight));
  EXPECT_EQ(surface.Canvas().Pixel(indented_text_x, 1), static_cast<TColor>(highlight));
}

TEST_F(ShellComboTest, TheListsFolderIsStoredOnlyWhileNoComboDrivesIt) {
  auto* list = new TPTShellList(form);
  list->SetName("List1");
  list->Folder().SetIdList(IdOf(temp.Path().string()).Get());
  auto stores_folder = [&] {
    TMemoryStream stream;
    TWriter(stream).WriteComponent(*list);
    const std::vector<std::uint8_t> bytes = stream.Bytes();
    return std::search(bytes.begin(), bytes.end(), "Pidl", "Pidl" + 4) != bytes.end();
  };
  EXPECT_TRUE(stores_folder());
  combo->SetShellList(list);
  EXPECT_FALSE(stores_folder());
  combo->SetShellList(nullptr);
  EXPECT_EQ(list->LinkedCombo(), nullptr);
  EXPECT_TRUE(stores_folder());
}

TEST_F(ShellComboTest, AFolderChosenInAnyOfTheThreeMovesTheOtherTwoWithOneFillEach) {
  const std::string a = temp.MakeFolder("A");
  const std::string b = temp.MakeFolder("A\\B");
  auto* tree = new TPTShellTree(form);
  tree->SetBounds(0, 30, 150, 250);
  tree->SetParent(form);
  auto* list = new TPTShellList(form);
  list->SetBounds(160, 30, 220, 250);
  list->SetOptions(list->Options().Without(ptsloDynamicRefresh));
  list->SetParent(form);
  int list_fills = 0;
  list->OnFillComplete = [&](TObject*) { ++list_fills; };
  tree->SetShellList(list);
  combo->SetShellTree(tree);
  EXPECT_EQ(tree->LinkedCombo(), combo);
  // The list takes a tree and a combo; the combo drives one of them only.
  combo->SetShellList(list);
  EXPECT_EQ(combo->ShellList(), nullptr);
  EXPECT_EQ(list->LinkedCombo(), nullptr);
  tree->HandleNeeded();
  list->HandleNeeded();
  TTreeNode* root = tree->Items().GetFirstNode();
  ASSERT_NE(root, nullptr);
  auto tree_path = [&] { return IdListToPath(tree->GetNodeData(tree->Selected())->AbsoluteId()); };

  // The combo moves the tree, which moves the list.
  int fills = combo->fills;
  MoveTo(b);
  EXPECT_EQ(tree_path(), b);
  EXPECT_EQ(IdListToPath(list->FolderId()), b);
  EXPECT_EQ(combo->fills, fills + 1);
  EXPECT_EQ(list_fills, 1);
  Choose(combo->ItemIndex() - 1);
  EXPECT_EQ(tree_path(), a);
  EXPECT_EQ(IdListToPath(list->FolderId()), a);
  EXPECT_EQ(SelectedPath(), a);
  EXPECT_EQ(combo->fills, fills + 2);
  EXPECT_EQ(list_fills, 2);

  // A click in the tree moves the list and the combo.
  TTreeNode* node_b = tree->Selected()->GetFirstChild();
  ASSERT_NE(node_b, nullptr);
  const RECT r = node_b->DisplayRect(true);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tree->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(tree_path(), b);
  EXPECT_EQ(IdListToPath(list->FolderId()), b);
  EXPECT_EQ(SelectedPath(), b);
  EXPECT_EQ(combo->fills, fills + 3);
  EXPECT_EQ(list_fills, 3);

  // Going up in the list moves the tree and the combo.
  list->GoUp(1);
  EXPECT_EQ(tree_path(), a);
  EXPECT_EQ(SelectedPath(), a);
  EXPECT_EQ(combo->fills, fills + 4);
  EXPECT_EQ(list_fills, 4);
  EXPECT_EQ(tree->Items().GetFirstNode(), root) << "the tree was never filled again";

  delete tree;
  EXPECT_EQ(combo->ShellTree(), nullptr) << "a freed tree is let go";
  combo->SetShellList(list);
  EXPECT_EQ(list->LinkedCombo(), combo);
}

// A folder whose comparison starts another sort, as a folder that pumps messages
// into code that sorts again would.
class TReentrantFolder : public IShellFolder {
public:
  explicit TReentrantFolder(IShellFolder* folder) : folder_(folder) {}
  std::string failure;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override {
    std::vector<ShellItemId> inner;
    inner.push_back(CopyIdList(a));
    try {
      SortPidls(folder_, inner);
    } catch (const Exception& e) {
      failure = e.Message();
    }
    return folder_->CompareIDs(column, a, b);
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override {
    return E_NOTIMPL;
  }

private:
  IShellFolder* folder_;
};

TEST_F(ShellComboTest, ASortStartedWhileOneRunsIsRefusedAndTheOuterSortStillOrders) {
  std::vector<ShellItemId> items;
  for (const char* name : {"c", "a", "b"}) {
    temp.MakeFolder(name);
    ShellItemId id = IdOf(temp.File(name));
    items.push_back(CopyIdList(TPTIdListArray(id.Get()).Items(TPTIdListArray(id.Get()).Count() - 1)));
  }
  ComPtr<IShellFolder> parent;
  ASSERT_EQ(BindToFolder(IdOf(temp.Path().string()).Get(), parent), S_OK);
  TReentrantFolder in_temp(parent.Get());
  SortPidls(&in_temp, items);
  EXPECT_EQ(in_temp.failure, "Recursive call to SortPidls");
  std::vector<std::string> names;
  for (const ShellItemId& item : items) names.push_back(GetDisplayName(parent.Get(), item.Get(), dnkInFolder));
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
  std::vector<ShellItemId> again;
  again.push_back(CopyIdList(items[0].Get()));
  EXPECT_NO_THROW(SortPidls(parent.Get(), again)) << "the slot is free after a sort";
}

}  // namespace
}  // namespace tw::test
