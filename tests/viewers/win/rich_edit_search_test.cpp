#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include "tests/viewers/win/rich_edit_test_support.h"

namespace tw {
namespace {

using test::RichEditTest;

// Presses a button of an open find or replace dialog as the user would.
void Press(TFindDialog* dialog, int id) {
  HWND button = GetDlgItem(dialog->Handle(), id);
  SendMessageA(dialog->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

TEST_F(RichEditTest, SearchTextSelectsTheMatch) {
  edit_->SetText("one two one two");
  EXPECT_EQ(edit_->SearchText("two", 5, 100, soSelectMatch), 12);
  EXPECT_EQ(edit_->SelStart(), 12);
  EXPECT_EQ(edit_->SelLength(), 3);
  EXPECT_EQ(edit_->SearchText("TWO", 0, 100, soMatchCase | soSelectMatch), -1);
  EXPECT_EQ(edit_->SelStart(), 12) << "a failed search keeps the selection";
  EXPECT_EQ(edit_->SearchText("tw", 0, 100, soWholeWord), -1);
}

TEST_F(RichEditTest, FindDownStopsAtTheEndWithoutWrapping) {
  edit_->SetText("abc and abc");
  int not_found = 0;
  std::string missing;
  edit_->OnTextNotFound = [&](TObject*, const std::string& text) {
    ++not_found;
    missing = text;
  };
  TFindDialog* dialog = edit_->ShowFindDialog("abc");
  ASSERT_NE(dialog->Handle(), nullptr);
  char shown[64] = {};
  GetDlgItemTextA(dialog->Handle(), edt1, shown, sizeof(shown));
  EXPECT_STREQ(shown, "abc");
  edit_->SetSelStart(0);
  Press(dialog, IDOK);
  EXPECT_EQ(edit_->SelStart(), 0);
  EXPECT_EQ(edit_->SelLength(), 3);
  Press(dialog, IDOK);
  EXPECT_EQ(edit_->SelStart(), 8);
  Press(dialog, IDOK);
  EXPECT_EQ(edit_->SelStart(), 8) << "no wrap to the start";
  EXPECT_EQ(edit_->SelLength(), 3);
  EXPECT_EQ(not_found, 1);
  EXPECT_EQ(missing, "abc");
}

TEST_F(RichEditTest, FindUpwardsFindsThePreviousMatch) {
  edit_->SetText("abc and abc and");
  TFindDialog* dialog = edit_->ShowFindDialog("abc");
  dialog->SetOptions(dialog->Options() & ~frDown);
  edit_->SetSelStart(13);
  EXPECT_TRUE(edit_->FindFromDialog(dialog, false, false));
  EXPECT_EQ(edit_->SelStart(), 8);
}

TEST_F(RichEditTest, ClosingTheDialogFiresTheCloseEvent) {
  TFindDialog* closed = nullptr;
  edit_->OnCloseFindDialog = [&](TObject*, TFindDialog* dialog) { closed = dialog; };
  TFindDialog* dialog = edit_->ShowFindDialog("x");
  dialog->CloseDialog();
  EXPECT_EQ(closed, dialog);
  EXPECT_EQ(dialog->Handle(), nullptr);
  EXPECT_EQ(edit_->ShowFindDialog(""), dialog) << "the dialog is reused";
  EXPECT_EQ(dialog->FindText(), "x");
}

TEST_F(RichEditTest, FindAndReplaceDialogsShareTheLastSearchText) {
  edit_->ShowFindDialog("shared");
  TReplaceDialog* replace = edit_->ShowReplaceDialog("", "");
  EXPECT_EQ(replace->FindText(), "shared");
}

TEST_F(RichEditTest, ReplaceAllWithNoMatchReportsNotFound) {
  edit_->SetText("nothing here");
  int not_found = 0, changes = 0;
  edit_->OnTextNotFound = [&](TObject*, const std::string&) { ++not_found; };
  edit_->OnChange = [&](TObject*) { ++changes; };
  TReplaceDialog* dialog = edit_->ShowReplaceDialog("zzz", "y");
  edit_->SetSelStart(0);
  Press(dialog, psh2);
  EXPECT_EQ(not_found, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(WholeText(), "nothing here");
}

TEST_F(RichEditTest, ReplaceAllReplacesEveryMatchAndReportsOnce) {
  edit_->SetText("a-a-a-b");
  int not_found = 0, changes = 0, selections = 0;
  edit_->OnTextNotFound = [&](TObject*, const std::string&) { ++not_found; };
  edit_->OnChange = [&](TObject*) { ++changes; };
  TReplaceDialog* dialog = edit_->ShowReplaceDialog("a", "aa");
  edit_->SetSelStart(0);
  edit_->OnSelectionChange = [&](TObject*) { ++selections; };
  Press(dialog, psh2);
  EXPECT_EQ(WholeText(), "aa-aa-aa-b") << "inserted text is never searched again";
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(selections, 1);
  EXPECT_EQ(not_found, 0);
}

TEST_F(RichEditTest, ReplaceReplacesTheNextMatch) {
  edit_->SetText("cat cat");
  TReplaceDialog* dialog = edit_->ShowReplaceDialog("cat", "dog");
  edit_->SetSelStart(1);
  Press(dialog, psh1);
  EXPECT_EQ(WholeText(), "cat dog");
  EXPECT_EQ(edit_->SelectedText(), "dog");
}

}  // namespace
}  // namespace tw
