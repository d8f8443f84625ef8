#include "framework/win/file_dialogs.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace tw {
namespace {

TEST(FileDialogs, ConfirmedDialogReturnsTheChosenFile) {
  test::TempFolder folder;
  std::string file = folder.Write("chosen.txt", "x");
  TOpenDialog dialog(nullptr);
  dialog.SetFileName(file);
  bool shown = false;
  dialog.OnShow = [&](TObject*) {
    shown = dialog.Handle() != nullptr;
    PostMessageA(dialog.Handle(), WM_COMMAND, IDOK, 0);
  };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_TRUE(shown);
  EXPECT_EQ(dialog.FileName(), file);
  EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(FileDialogs, CancelledSaveDialogKeepsTheName) {
  TSaveDialog dialog(nullptr);
  dialog.SetFileName("a.txt");
  dialog.SetInitialDir("C:\\");
  dialog.SetFilter("Text|*.txt|All|*.*");
  dialog.OnShow = [&](TObject*) { PostMessageA(dialog.Handle(), WM_COMMAND, IDCANCEL, 0); };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "a.txt");
}

}  // namespace
}  // namespace tw
