// The main window's text commands: saving, opening and clearing the editor's text, and long or
// cut texts.
#include "tests/app/win/main_form_fixture.h"
#include "viewers/win/rich_edit_control.h"

namespace tw {
namespace {

void AnswerDialog(TOpenDialog* dialog, std::function<void(HWND)> answer) {
  dialog->OnShow = [dialog, answer](TObject*) { answer(dialog->Handle()); };
}

TEST_F(MainFormTest, SaveProposesThePreviewedFileAlsoAfterClearAndOpen) {
  std::string a = folder_.Write("a.txt", "previewed");
  std::string b = folder_.Write("b.txt", "opened");
  ShowFolder(folder_.Path().string(), 2);
  Select("a.txt");

  std::vector<std::pair<std::string, std::string>> proposals;
  AnswerDialog(form_->SaveDialog, [&](HWND dialog) {
    proposals.emplace_back(form_->SaveDialog->FileName(), form_->SaveDialog->InitialDir());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Click(form_->ToolButton30);

  Click(form_->ToolButton28);  // Clear
  EXPECT_EQ(EditText(), "");
  Click(form_->ToolButton30);

  AnswerDialog(form_->OpenDialog1, [&](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(b.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(form_->ToolButton29);  // Open
  EXPECT_EQ(Line(0), "opened");
  Click(form_->ToolButton30);

  const std::string folder = folder_.Path().string() + "\\";
  ASSERT_EQ(proposals.size(), 3u);
  for (const auto& [name, initial_dir] : proposals) {
    EXPECT_EQ(name, "a.txt");
    EXPECT_EQ(initial_dir, folder);
  }
  EXPECT_EQ(form_->Edit->Title(), a);
}

TEST_F(MainFormTest, SaveWritesTheTextToTheChosenFile) {
  folder_.Write("a.txt", "original");
  std::string copy = folder_.File("copy.txt");
  ShowFolder(folder_.Path().string(), 1);
  Select("a.txt");
  form_->Edit->Lines().Add("added");
  AnswerDialog(form_->SaveDialog, [&](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(copy.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(form_->ToolButton30);
  std::vector<unsigned char> saved = test::ReadFileBytes(copy);
  // The editor writes its lines separated by line breaks, the last one without.
  EXPECT_EQ(std::string(saved.begin(), saved.end()), "original\r\nadded");
}

TEST_F(MainFormTest, ATextItsCodePageCannotHoldIsSavedAsUtf8OnlyWhenTheUserSaysSo) {
  folder_.Write("western.txt", "caf\xE9");
  const std::string copy = folder_.File("copy.txt");
  ShowFolder(folder_.Path().string(), 1);
  Select("western.txt");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "Windows-1252");
  form_->Edit->SetSelection(0, 0, false);
  ReplaceSelectionWide(form_->Edit->Handle(), u"\u03A9 ");
  AnswerDialog(form_->SaveDialog, [&](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(copy.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  AnswerNextMessageBox(IDNO);
  Click(form_->ToolButton30);
  EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is saved with a substitute";
  AnswerNextMessageBox(IDYES);
  Click(form_->ToolButton30);
  std::vector<unsigned char> saved = test::ReadFileBytes(copy);
  EXPECT_EQ(std::string(saved.begin(), saved.end()), "\xCE\xA9 caf\xC3\xA9");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "UTF-8");
}

// Dialogs answered from timers while a modal loop runs.
void CALLBACK CancelDialogTimer(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(MainFormTest, SaveAsksBeforeReplacingTheProposedFileAfterOpen) {
  // After "Open" the editor holds b.txt while "Save" proposes the previewed a.txt: saving
  // straight away would put b's text into a.txt.
  std::string a = folder_.Write("a.txt", "previewed");
  std::string b = folder_.Write("b.txt", "opened");
  ShowFolder(folder_.Path().string(), 2);
  Select("a.txt");
  AnswerDialog(form_->OpenDialog1, [&](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(b.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(form_->ToolButton29);
  ASSERT_EQ(Line(0), "opened");

  int shown = 0;
  AnswerDialog(form_->SaveDialog, [&](HWND dialog) {
    ++shown;
    AnswerNextMessageBox(IDNO);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // Once the question is answered "no", the dialog is still there: cancel it.
    SetTimer(dialog, 1, 300, &CancelDialogTimer);
  });
  Click(form_->ToolButton30);
  EXPECT_EQ(shown, 1);
  std::vector<unsigned char> kept = test::ReadFileBytes(a);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "previewed");
}

TEST_F(MainFormTest, ACutTextSaysSoAndIsNotSavedOverItsFile) {
  std::string original;
  for (int i = 0; i < 40; ++i) original += "line " + std::to_string(i) + "\r\n";
  std::string path = folder_.Write("long.txt", original);
  folder_.Write("short.txt", "short");
  ShowFolder(folder_.Path().string(), 2);
  form_->Edit->SetMaxLength(100);
  Select("long.txt");
  EXPECT_NE(form_->StatusBar1->SimpleText().find(path), std::string::npos) << form_->StatusBar1->SimpleText();
  AnswerDialog(form_->SaveDialog, [&](HWND dialog) {
    AnswerNextMessageBox(IDYES);  // replace the existing file
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(form_->ToolButton30);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("another name"), std::string::npos) << errors_[0];
  std::vector<unsigned char> kept = test::ReadFileBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), original);
  // A whole text clears the notice: the status bar names its encoding.
  Select("short.txt");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "UTF-8");
}

TEST_F(MainFormTest, ALongFileShowsHowFarItHasArrived) {
  std::string text;
  for (int i = 0; text.size() < (1u << 20); ++i) text += "line " + std::to_string(i) + " of a long log\r\n";
  std::string path = folder_.Write("long.log", text);
  ShowFolder(folder_.Path().string(), 1);
  std::vector<std::string> shown;
  auto progress = form_->Edit->OnLoadProgress;
  form_->Edit->OnLoadProgress = [&](TObject* sender) {
    progress(sender);
    shown.push_back(form_->StatusBar1->SimpleText());
  };
  Select("long.log");
  ASSERT_TRUE(PumpUntil([&] { return !form_->Edit->Loading(); }, 60000));
  ASSERT_GT(shown.size(), 2u);
  EXPECT_NE(shown[0].find(path), std::string::npos) << shown[0];
  EXPECT_NE(shown[0].find('%'), std::string::npos) << shown[0];
  EXPECT_EQ(shown.back(), "UTF-8");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "UTF-8");
  EXPECT_EQ(Line(0), "line 0 of a long log");
}

}  // namespace
}  // namespace tw
