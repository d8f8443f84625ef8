#include "framework/win/find_dialogs.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include "framework/win/application.h"

namespace tw {
namespace {

void Press(TFindDialog& dialog, int id) {
  SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog.Handle(), id)));
}

bool Checked(TFindDialog& dialog, int id) {
  return IsDlgButtonChecked(dialog.Handle(), id) == BST_CHECKED;
}

TEST(FindDialog, OpensWithItsTextAndOptionsAndReportsTheUsersChoices) {
  TFindDialog dialog(nullptr);
  dialog.SetFindText("needle");
  dialog.SetOptions(frDown | frMatchCase);
  int finds = 0;
  dialog.OnFind = [&](TObject*) { ++finds; };
  ASSERT_TRUE(dialog.Execute());
  ASSERT_NE(dialog.Handle(), nullptr);
  char text[64] = {};
  GetDlgItemTextA(dialog.Handle(), edt1, text, sizeof(text));
  EXPECT_STREQ(text, "needle");
  EXPECT_TRUE(Checked(dialog, chx2)) << "match case";
  // The user types another text, turns match case off and searches up.
  SetDlgItemTextA(dialog.Handle(), edt1, "hay");
  CheckDlgButton(dialog.Handle(), chx2, BST_UNCHECKED);
  CheckRadioButton(dialog.Handle(), rad1, rad2, rad1);
  Press(dialog, IDOK);
  EXPECT_EQ(finds, 1);
  EXPECT_EQ(dialog.FindText(), "hay");
  EXPECT_FALSE(dialog.HasOption(frMatchCase));
  EXPECT_FALSE(dialog.HasOption(frDown));
  EXPECT_TRUE(dialog.HasOption(frFindNext));
}

TEST(FindDialog, ExecuteOnAnOpenDialogKeepsIt) {
  TFindDialog dialog(nullptr);
  ASSERT_TRUE(dialog.Execute());
  HWND first = dialog.Handle();
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Handle(), first);
  dialog.SetPosition({37, 41});
  EXPECT_EQ(dialog.Position(), (TPoint{37, 41}));
  int closes = 0;
  dialog.OnClose = [&](TObject*) { ++closes; };
  Press(dialog, IDCANCEL);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(dialog.Handle(), nullptr);
  EXPECT_FALSE(IsWindow(first));
}

TEST(FindDialog, MessageLoopRoutesTheDialogsKeys) {
  TFindDialog dialog(nullptr);
  ASSERT_TRUE(dialog.Execute());
  SetActiveWindow(dialog.Handle());
  HWND edit = GetDlgItem(dialog.Handle(), edt1);
  SetFocus(edit);
  int finds = 0;
  dialog.OnFind = [&](TObject*) { ++finds; };
  SetDlgItemTextA(dialog.Handle(), edt1, "x");
  // Enter in the edit box presses the default button only through IsDialogMessage.
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  Application->ProcessMessages();
  EXPECT_EQ(finds, 1);
}

TEST(ReplaceDialog, ReportsReplaceAndReplaceAllWithTheReplacementText) {
  TReplaceDialog dialog(nullptr);
  dialog.SetFindText("a");
  dialog.SetReplaceText("b");
  std::vector<TFindOptions> requests;
  dialog.OnReplace = [&](TObject*) { requests.push_back(dialog.Options() & (frReplace | frReplaceAll)); };
  ASSERT_TRUE(dialog.Execute());
  char text[64] = {};
  GetDlgItemTextA(dialog.Handle(), edt2, text, sizeof(text));
  EXPECT_STREQ(text, "b");
  SetDlgItemTextA(dialog.Handle(), edt2, "c");
  Press(dialog, psh1);
  Press(dialog, psh2);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], frReplace);
  EXPECT_EQ(requests[1], frReplaceAll);
  EXPECT_EQ(dialog.ReplaceText(), "c");
}

}  // namespace
}  // namespace tw
