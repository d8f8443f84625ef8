#include <gtest/gtest.h>

#include <set>

#include "framework/win/messages.h"
#include "shell/win/pidl.h"
#include "tests/shell/win/forwarding_folder.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Types TEXT into the running in-place edit of LIST and ends it with Enter.
void FinishEdit(TPTShellList* list, const char* text) {
  HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, text);
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpUntil([&] { return !list->IsEditing(); }, 2000);
}

// The shell's folder object, except that a rename hands back no new id, as some folders do.
class TNoNewIdFolder final : public test::TForwardingFolder {
public:
  using TForwardingFolder::TForwardingFolder;

  HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, LPCITEMIDLIST id, LPCWSTR name, SHGDNF flags,
                                      LPITEMIDLIST* new_id) override {
    ShellItemId dropped;
    const HRESULT hr = Inner()->SetNameOf(w, id, name, flags, PidlOut(dropped));
    if (new_id) *new_id = nullptr;
    return hr;
  }
};

class TNoNewIdShellList : public TQuietShellList {
public:
  using TQuietShellList::TQuietShellList;

protected:
  void FillFolder(IShellFolder* folder, const ItemIdList* abs_id) override {
    ComPtr<IShellFolder> wrapped(new TNoNewIdFolder(folder));
    TQuietShellList::FillFolder(wrapped.Get(), abs_id);
  }
};

TEST_F(ShellListTest, AFolderSetDuringAnEditOrItsOwnDragIsShownWhenThatEnds) {
  temp.Write("A\\a.txt", "x");
  temp.Write("B\\b.txt", "x");
  ShellItemId a, b;
  ASSERT_EQ(PathToIdList(temp.File("A"), a), S_OK);
  ASSERT_EQ(PathToIdList(temp.File("B"), b), S_OK);
  ShowFolder(temp.File("A"));
  // During an edit that renames: the rename stays in A, then B is filled.
  ASSERT_TRUE(list->Items().Item(0)->EditCaption());
  list->Folder().SetIdList(b.Get());
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"}) << "nothing is filled during the edit";
  FinishEdit(list, "renamed.txt");
  EXPECT_TRUE(GetFileAttributesA(temp.File("A\\renamed.txt").c_str()) != INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Names(), std::vector<std::string>{"b.txt"});
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("B"));
  ASSERT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(IsFolder(temp.File("B\\New Folder")));
  // During a drag of its own.
  list->SetDragging(true);
  list->Folder().SetIdList(a.Get());
  list->SetDragging(false);
  EXPECT_EQ(Names(), std::vector<std::string>{"renamed.txt"});
  ASSERT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(IsFolder(temp.File("A\\New Folder")));
  // During an edit that is cancelled.
  ASSERT_TRUE(list->Items().Item(IndexOfName("renamed.txt"))->EditCaption());
  list->Folder().SetIdList(b.Get());
  SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("B"));
  EXPECT_EQ(list->Items().Count(), 2);
}

TEST_F(ShellListTest, OnEditedNeverGetsAnItemTheRenameFreed) {
  delete list;
  list = new TNoNewIdShellList(form);
  list->SetBounds(0, 0, 600, 440);
  temp.Write("old.txt", "x");
  ShowTemp();
  ASSERT_TRUE(list->Items().Item(0)->EditCaption());
  std::set<const TListItem*> deleted;
  list->OnDeleteItem = [&](TObject*, TListItem* item, TPTShListData*) { deleted.insert(item); };
  bool edited = false;
  bool live = false;
  list->OnEdited = [&](TObject*, TListItem* item, std::string& text) {
    edited = true;
    EXPECT_EQ(text, "new.txt");
    live = !item || (!deleted.count(item) && list->Items().IndexOf(item) >= 0);
  };
  FinishEdit(list, "new.txt");
  EXPECT_TRUE(edited);
  EXPECT_TRUE(live) << "the item handed out was deleted by the refresh after the rename";
  EXPECT_EQ(Names(), std::vector<std::string>{"new.txt"}) << "the refresh found the renamed item";
}

TEST_F(ShellListTest, NewFolderInAVirtualFolderIsRefusedAndMakesNothing) {
  ShellItemId drives;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  list->Folder().SetIdList(drives.Get());
  list->SetParent(form);
  form->Show();
  list->HandleNeeded();
  char current[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof(current), current);
  SetCurrentDirectoryA(temp.Path().string().c_str());
  const bool made = list->CreateNewFolder(false);
  SetCurrentDirectoryA(current);
  EXPECT_FALSE(made);
  EXPECT_FALSE(IsFolder(temp.File("New Folder"))) << "made in the current directory";
  ASSERT_EQ(list->warnings.size(), 1u);
  EXPECT_EQ(list->warnings[0].rfind("Unable to create the folder 'New Folder'", 0), 0u)
      << list->warnings[0];
}

TEST_F(ShellListTest, ThreeNewFoldersGetNumberedNames) {
  ShowTemp();
  EXPECT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(IsFolder(temp.File("New Folder")));
  EXPECT_TRUE(IsFolder(temp.File("New Folder (2)")));
  EXPECT_TRUE(IsFolder(temp.File("New Folder (3)")));
  EXPECT_EQ(list->Items().Count(), 3) << "each new folder is added at once";
  EXPECT_TRUE(list->warnings.empty());
}

TEST_F(ShellListTest, AGapInTheNumbersIsFilledFirst) {
  temp.MakeFolder("New Folder");
  temp.MakeFolder("New Folder (3)");
  ShowTemp();
  EXPECT_TRUE(list->CreateNewFolder(false));
  EXPECT_TRUE(IsFolder(temp.File("New Folder (2)")));
}

TEST_F(ShellListTest, FiftyTakenNamesFailWithAWarning) {
  temp.MakeFolder("New Folder");
  for (int n = 2; n <= 50; ++n) temp.MakeFolder("New Folder (" + std::to_string(n) + ")");
  ShowTemp();
  EXPECT_FALSE(list->CreateNewFolder(false));
  EXPECT_FALSE(IsFolder(temp.File("New Folder (51)")));
  ASSERT_EQ(list->warnings.size(), 1u);
  EXPECT_EQ(list->warnings[0].rfind("Unable to create the folder 'New Folder'\r\n\r\n", 0), 0u)
      << list->warnings[0];
  EXPECT_GT(list->warnings[0].size(), std::string("Unable to create the folder 'New Folder'\r\n\r\n").size())
      << "the system's text follows";
}

TEST_F(ShellListTest, NewFolderInAFolderThatIsGoneWarnsWithTheNameTried) {
  temp.MakeFolder("gone");
  ShowFolder(temp.File("gone"));
  // A watched folder only goes once its watch lets go of it.
  list->SetOptions(list->Options().Without(ptsloDynamicRefresh));
  std::filesystem::remove(temp.Path() / "gone");
  ASSERT_EQ(GetFileAttributesA(temp.File("gone").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(list->CreateNewFolder(false));
  ASSERT_EQ(list->warnings.size(), 1u);
  EXPECT_NE(list->warnings[0].find("'New Folder'"), std::string::npos);
}

TEST_F(ShellListTest, NewFolderWithRenameStartsEditingIt) {
  temp.Write("a.txt", "x");
  ShowTemp();
  EXPECT_TRUE(list->CreateNewFolder(true));
  EXPECT_TRUE(PumpUntil([&] { return list->IsEditing(); }, 3000));
  const int index = IndexOfName("New Folder");
  ASSERT_GE(index, 0);
  EXPECT_TRUE(list->Items().Item(index)->Focused());
  HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "Projects");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpUntil([&] { return !list->IsEditing(); }, 2000);
  EXPECT_TRUE(IsFolder(temp.File("Projects")));
  EXPECT_FALSE(IsFolder(temp.File("New Folder")));
  EXPECT_EQ(list->ItemData(index)->DisplayName(), "Projects");
}

TEST_F(ShellListTest, RenameThroughTheFolderObject) {
  temp.Write("old.txt", "x");
  ShowTemp();
  std::string edited;
  list->OnEdited = [&](TObject*, TListItem*, std::string& s) { edited = s; };
  TListItem* item = list->Items().Item(0);
  ASSERT_TRUE(item->EditCaption());
  HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "new.txt");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpUntil([&] { return !list->IsEditing(); }, 2000);
  EXPECT_EQ(edited, "new.txt");
  EXPECT_TRUE(GetFileAttributesA(temp.File("new.txt").c_str()) != INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(temp.File("old.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(list->ItemData(0)->DisplayName(), "new.txt") << "the record holds the new id";
  EXPECT_EQ(ShownText(0, 0), "new.txt");
  EXPECT_EQ(list->ItemData(0)->Path(), temp.File("new.txt"));
}

TEST_F(ShellListTest, FailedRenameLeavesTheItemAsItWas) {
  temp.Write("one.txt", "x");
  temp.Write("two.txt", "x");
  ShowTemp();
  const int index = IndexOfName("one.txt");
  TListItem* item = list->Items().Item(index);
  ASSERT_TRUE(item->EditCaption());
  HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETEDITCONTROL, 0, 0));
  SetWindowTextA(edit, "bad:name?.txt");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpUntil([&] { return !list->IsEditing(); }, 2000);
  EXPECT_EQ(list->ItemData(index)->DisplayName(), "one.txt");
  EXPECT_NE(GetFileAttributesA(temp.File("one.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  shown.clear();  // the shell may have reported the bad name itself
}

TEST_F(ShellListTest, ReadOnlyListDoesNotEdit) {
  temp.Write("a.txt", "x");
  list->SetReadOnly(true);
  ShowTemp();
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_FALSE(list->IsEditing());
}

TEST_F(ShellListTest, F2EditsTheFocusedItem) {
  temp.Write("a.txt", "x");
  ShowTemp();
  list->SetFocus();
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_TRUE(list->IsEditing());
  SendMessageA(list->Handle(), LVM_CANCELEDITLABEL, 0, 0);
}

}  // namespace
}  // namespace tw::test
