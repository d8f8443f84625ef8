#include <gtest/gtest.h>

#include "framework/win/messages.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
