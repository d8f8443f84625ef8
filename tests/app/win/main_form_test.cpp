// The main window driven as a user drives it: files selected in the real shell list over a
// temporary folder, toolbar buttons pressed with mouse messages, dialogs answered as they show.
#include "app/win/main_form.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/preview_rules.h"
#include "framework/dib.h"
#include "framework/string_table.h"
#include "framework/text.h"
#include "framework/win/application.h"
#include "framework/win/file_dialogs.h"
#include "framework/win/image.h"
#include "framework/win/image_list.h"
#include "framework/win/page_control.h"
#include "framework/win/registry.h"
#include "framework/win/splitter.h"
#include "framework/win/panel.h"
#include "framework/win/scroll_box.h"
#include "framework/win/status_bar.h"
#include "framework/win/tool_bar.h"
#include "shell/win/shell_combo.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/message_box.h"
#include "tests/support/win/pump.h"
#include "tests/viewers/ani_test_support.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "tests/viewers/jpeg_test_pictures.h"
#include "viewers/win/rich_edit.h"

namespace tw {
namespace {

using test::AnswerNextMessageBox;
using test::PumpPending;
using test::PumpUntil;
using test::TempFolder;

// A 24-bit bitmap file of W x H pixels, all one colour.
std::vector<unsigned char> BitmapFile(int w, int h) {
  const int row = (w * 3 + 3) & ~3;
  const int size = 54 + row * h;
  std::vector<unsigned char> f(size, 0x80);
  auto put32 = [&](int at, int v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, size);
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  put32(26, 1 | (24 << 16));
  put32(30, 0);
  put32(34, row * h);
  put32(38, 2835);
  put32(42, 2835);
  put32(46, 0);
  put32(50, 0);
  return f;
}

std::vector<unsigned char> JpegPhoto(int w, int h) {
  std::vector<std::uint8_t> bytes = test::JpegFile(test::PhotoLikeDib(w, h));
  return {bytes.begin(), bytes.end()};
}

// An object group of rich text: CONTROL names its kind (\objemb, \objautlink), DATA is its
// first-generation OLE stream, RESULT the text shown in its place.
std::string RtfObject(const std::string& control, const std::string& class_name,
                      const std::vector<std::uint8_t>& data, const std::string& result) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t b : data) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return "{\\object" + control + "\\objw1440\\objh720{\\*\\objclass " + class_name + "}{\\*\\objdata " + hex +
         "}{\\result " + result + "}}";
}

// A first-generation OLE stream: version, kind (1 linked, 2 embedded), class, topic (a linked
// object's source file), item, then the kind's own part and no presentation.
std::vector<std::uint8_t> Ole1Stream(std::uint32_t kind, const std::string& class_name, const std::string& topic,
                                     const std::vector<std::uint8_t>& native) {
  std::vector<std::uint8_t> out;
  auto dword = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto text = [&](const std::string& s) {
    dword(s.empty() ? 0 : static_cast<std::uint32_t>(s.size() + 1));
    if (!s.empty()) out.insert(out.end(), s.c_str(), s.c_str() + s.size() + 1);
  };
  dword(0x0501);
  dword(kind);
  text(class_name);
  text(topic);
  text("");
  if (kind == 2) {
    dword(static_cast<std::uint32_t>(native.size()));
    out.insert(out.end(), native.begin(), native.end());
  } else {
    text("");    // network name
    dword(0);    // reserved
    dword(1);    // update automatically
  }
  dword(0x0501);
  dword(0);
  return out;
}

std::set<DWORD> ProcessIds() {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    ids.insert(entry.th32ProcessID);
  CloseHandle(snapshot);
  return ids;
}

class MainFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) {
      errors_.push_back(e.Message());
    };
    // Every test starts as a first start and leaves no layout behind.
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
    form_ = new TMainForm(nullptr);
    form_->Show();
    PumpPending();
  }
  void TearDown() override {
    delete form_;
    PumpPending();
    Application->OnException = nullptr;
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
  }

  static constexpr char kLayoutKey[] = "Software\\Tarn_Wick";

  // Shows FOLDER in the list and waits until it holds COUNT items.
  void ShowFolder(const std::string& folder, int count) {
    ShellItemId id;
    ASSERT_TRUE(SUCCEEDED(PathToIdList(folder, id))) << folder;
    form_->PTShellList1->Folder().SetIdList(id.Get());
    ASSERT_TRUE(PumpUntil([&] { return form_->PTShellList1->Items().Count() == count; }))
        << "the list shows " << form_->PTShellList1->Items().Count() << " items of " << folder;
  }

  TListItem* ItemNamed(const std::string& name) {
    TListItems& items = form_->PTShellList1->Items();
    for (int i = 0; i < items.Count(); ++i) {
      TPTShListData* data = form_->PTShellList1->DataOf(items[i]);
      if (data && FileNamePart(data->Path()) == name) return items[i];
    }
    ADD_FAILURE() << "no item " << name;
    return nullptr;
  }

  // Selects the item NAME alone, as a click on it does.
  void Select(const std::string& name) {
    TListItem* item = ItemNamed(name);
    if (!item) return;
    TListItems& items = form_->PTShellList1->Items();
    for (int i = 0; i < items.Count(); ++i)
      if (items[i] != item && items[i]->Selected()) items[i]->SetSelected(false);
    item->SetFocused(true);
    item->SetSelected(true);
    PumpPending();
  }

  // Presses BUTTON with the left mouse button, as the user does.
  void Click(TToolButton* button) {
    HWND bar = button->ToolBar()->Handle();
    RECT r{};
    ASSERT_TRUE(SendMessageA(bar, TB_GETITEMRECT, button->Index(), reinterpret_cast<LPARAM>(&r)));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(bar, WM_MOUSEMOVE, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar, WM_LBUTTONUP, 0, at);
    PumpPending();
  }

  std::string EditText() { return form_->Edit->Lines().Text(); }
  std::string Line(int i) { return form_->Edit->Lines().Get(i); }
  // The embedded objects the editor holds; -1 when it has no embedded-object interface.
  int ObjectCount() {
    IRichEditOle* ole = form_->Edit->RichEditOle();
    return ole ? ole->GetObjectCount() : -1;
  }

  TMainForm* form_ = nullptr;
  std::vector<std::string> errors_;
  TempFolder folder_;
};

TEST_F(MainFormTest, TextFileIsPreviewedOnTheTextPageTitledWithItsPath) {
  std::string path = folder_.Write("a.txt", "first line\r\nsecond line\r\n");
  ShowFolder(folder_.Path().string(), 1);
  form_->PageControl1->SetActivePage(form_->TabSheet2);
  Select("a.txt");
  EXPECT_EQ(form_->Edit->Lines().Count(), 2);
  EXPECT_EQ(Line(1), "second line");
  EXPECT_EQ(form_->Edit->Title(), path);
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, PictureExtensionsInAnyCaseGoToTheGraphicsPage) {
  // The file system ignores letter case: each name gets a folder of its own.
  std::string lower = folder_.MakeFolder("lower");
  std::string upper = folder_.MakeFolder("upper");
  folder_.Write("lower\\photo.jpeg", JpegPhoto(40, 30));
  folder_.Write("upper\\PHOTO.JPEG", JpegPhoto(24, 16));
  folder_.Write("upper\\small.bmp", BitmapFile(5, 7));

  ShowFolder(lower, 1);
  Select("photo.jpeg");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  EXPECT_EQ(form_->Image->Picture().Width(), 40);
  EXPECT_EQ(form_->Image->Width(), 40);  // AutoSize

  ShowFolder(upper, 2);
  form_->PageControl1->SetActivePage(form_->TabSheet1);
  Select("PHOTO.JPEG");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  EXPECT_EQ(form_->Image->Picture().Height(), 16);
  Select("small.bmp");
  EXPECT_EQ(form_->Image->Picture().Width(), 5);
  // A picture leaves the text page's title as it was.
  EXPECT_EQ(form_->Edit->Title(), "");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, FormatsOfTheImagingDecodersGoToTheGraphicsPageAndGifsAndCursorsPlay) {
  png_test::PngLayout layout;
  layout.width = 9;
  layout.height = 4;
  folder_.Write("scan.PNG", png_test::PngFile(layout, [](int x, int y) {
    return std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0, 255};
  }));
  folder_.Write("moving.gif", gif_test::GifBuilder(6, 5, 2).Image(6, 5, 2).Image(3, 2, 2, 0, 1, 1).Trailer().bytes);
  folder_.Write("busy.ani", ani_test::SimpleCursor(3));
  folder_.Write("damaged.ani", ani_test::Riff({ani_test::Anih(1, 1, 9, 0)}));
  ShowFolder(folder_.Path().string(), 4);
  Select("scan.PNG");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  EXPECT_EQ(form_->Image->Picture().Width(), 9);
  EXPECT_TRUE(errors_.empty());

  Select("moving.gif");
  ASSERT_NE(form_->Image->ShownGraphic(), nullptr);
  EXPECT_EQ(form_->Image->Width(), 6) << "the logical screen is shown";
  Select("scan.PNG");
  EXPECT_EQ(form_->Image->ShownGraphic(), nullptr);

  Select("busy.ani");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  ASSERT_NE(form_->Image->ShownGraphic(), nullptr);
  EXPECT_EQ(form_->Image->Width(), 4);
  // A damaged cursor says so once and leaves the one shown.
  Select("damaged.ani");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], LoadStr(SReadError));
  EXPECT_NE(form_->Image->ShownGraphic(), nullptr);
  Select("scan.PNG");
  EXPECT_EQ(form_->Image->ShownGraphic(), nullptr);
}

TEST_F(MainFormTest, NamesThatOnlyLookLikePicturesAreText) {
  std::string archive = folder_.Write("archive.gif.txt", "GIF89a is not the point");
  std::string readme = folder_.Write("README", "no extension");
  ShowFolder(folder_.Path().string(), 2);
  Select("archive.gif.txt");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  EXPECT_EQ(form_->Edit->Title(), archive);
  form_->PageControl1->SetActivePage(form_->TabSheet2);
  Select("README");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  EXPECT_EQ(form_->Edit->Title(), readme);
  EXPECT_EQ(Line(0), "no extension");
}

TEST_F(MainFormTest, WithExploreUpSelectingFilesChangesNothing) {
  folder_.Write("a.txt", "text");
  folder_.Write("b.bmp", BitmapFile(3, 3));
  ShowFolder(folder_.Path().string(), 2);
  ASSERT_TRUE(form_->ToolButton39->Down());
  Click(form_->ToolButton39);
  ASSERT_FALSE(form_->ToolButton39->Down());
  Select("a.txt");
  Select("b.bmp");
  EXPECT_EQ(EditText(), "");
  EXPECT_EQ(form_->Edit->Title(), "");
  EXPECT_TRUE(form_->Image->Picture().Graphic() == nullptr || form_->Image->Picture().Width() == 0);
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  // Down again, the next selection previews.
  Click(form_->ToolButton39);
  Select("a.txt");
  EXPECT_EQ(Line(0), "text");
}

TEST_F(MainFormTest, SelectingAFolderLeavesThePreviewAlone) {
  std::string path = folder_.Write("a.txt", "kept");
  folder_.MakeFolder("sub.txt");
  ShowFolder(folder_.Path().string(), 2);
  Select("a.txt");
  Select("sub.txt");
  EXPECT_EQ(form_->Edit->Title(), path);
  EXPECT_EQ(Line(0), "kept");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, SelectingAnItemWithoutAPathLeavesThePreviewAlone) {
  std::string path = folder_.Write("a.txt", "kept");
  ShowFolder(folder_.Path().string(), 1);
  Select("a.txt");
  // The control panel's applets are files of no folder: they have no file-system path.
  ShellItemId controls;
  ASSERT_TRUE(SUCCEEDED(GetSpecialFolderIdList(nullptr, CSIDL_CONTROLS, controls)));
  form_->PTShellList1->Folder().SetIdList(controls.Get());
  ASSERT_TRUE(PumpUntil([&] { return form_->PTShellList1->Items().Count() > 0; }));
  TListItem* applet = form_->PTShellList1->Items()[0];
  TPTShListData* data = form_->PTShellList1->DataOf(applet);
  ASSERT_FALSE(data->IsFolder());
  ASSERT_EQ(data->Path(), "");
  applet->SetSelected(true);
  PumpPending();
  EXPECT_EQ(form_->Edit->Title(), path);
  EXPECT_EQ(Line(0), "kept");
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet1);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, UnreadableFilesShowTheirMessageAndLeaveTheDefaultCursor) {
  std::string good = folder_.Write("a.txt", "previous text");
  folder_.Write("b.bmp", BitmapFile(6, 4));
  folder_.Write("broken.bmp", "BM this is no bitmap at all");
  std::string locked = folder_.Write("locked.txt", "cannot be read");
  ShowFolder(folder_.Path().string(), 4);
  Select("a.txt");
  Select("b.bmp");
  ASSERT_TRUE(errors_.empty());

  // A picture its decoder rejects: the message, the old picture, the default cursor.
  Select("broken.bmp");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_FALSE(errors_[0].empty());
  EXPECT_EQ(form_->Image->Picture().Width(), 6);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  // A file another program holds without sharing: the old text and title stay.
  HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  Select("locked.txt");
  CloseHandle(hold);
  ASSERT_EQ(errors_.size(), 2u);
  EXPECT_EQ(form_->Edit->Title(), good);
  EXPECT_EQ(Line(0), "previous text");
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// The control moves the selection itself, as on a click or a key, and reports the item left
// after the one reached.
TEST_F(MainFormTest, MovingTheSelectionWithAKeyReadsTheFileReachedOnce) {
  folder_.Write("a.bmp", BitmapFile(6, 4));
  folder_.Write("b.bmp", "BM this is no bitmap at all");
  form_->PTShellList1->SetViewStyle(vsReport);
  ShowFolder(folder_.Path().string(), 2);
  Select("a.bmp");
  SetFocus(form_->PTShellList1->Handle());
  SendMessageA(form_->PTShellList1->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  PumpPending();
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(form_->Image->Picture().Width(), 6);
}

TEST_F(MainFormTest, TheHourglassShowsWhileAFileLoads) {
  folder_.Write("a.txt", "text");
  ShowFolder(folder_.Path().string(), 1);
  std::vector<TCursor> seen;
  form_->Edit->OnChange = [&](TObject*) { seen.push_back(Screen->Cursor()); };
  Screen->SetCursor(crHandPoint);
  Select("a.txt");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), crHourGlass);
  // Afterwards the default cursor, not the one that was there before.
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(MainFormTest, EveryWayOutOfTheDispatchLeavesTheDefaultCursor) {
  folder_.Write("a.txt", "text");
  std::string gone = folder_.Write("gone.txt", "deleted after the fill");
  folder_.MakeFolder("sub");
  ShowFolder(folder_.Path().string(), 3);
  auto ends_with_default_cursor = [&](auto&& dispatch) {
    Screen->SetCursor(crHandPoint);
    dispatch();
    return Screen->Cursor() == crDefault;
  };
  // Nothing selected.
  EXPECT_TRUE(ends_with_default_cursor([&] { form_->PTShellList1Change(nullptr, nullptr, ctState); }));
  EXPECT_TRUE(ends_with_default_cursor([&] { Select("sub"); }));
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  EXPECT_TRUE(ends_with_default_cursor([&] { Select("gone.txt"); }));
  Click(form_->ToolButton39);
  ASSERT_FALSE(form_->ToolButton39->Down());
  EXPECT_TRUE(ends_with_default_cursor([&] { Select("a.txt"); }));
  EXPECT_EQ(form_->Edit->Title(), "");
  EXPECT_TRUE(errors_.empty());
}

// Runs DIALOG's next Execute: ANSWER is called once it shows, with the dialog window.
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
  // A whole text clears the notice.
  Select("short.txt");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "");
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
  EXPECT_EQ(shown.back(), "");
  EXPECT_EQ(form_->StatusBar1->SimpleText(), "");
  EXPECT_EQ(Line(0), "line 0 of a long log");
}

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
TEST_F(MainFormTest, PreviewedObjectsStartNoServerAndFollowNoLink) {
  const std::string linked = folder_.Write("source.txt", "linked text");
  const std::vector<std::uint8_t> package(64, 0x41);
  const std::string rtf = "{\\rtf1\\ansi before " +
                          RtfObject("\\objemb", "Package", Ole1Stream(2, "Package", "", package), "embedded") +
                          " middle " +
                          RtfObject("\\objautlink", "Word.Document.8", Ole1Stream(1, "Word.Document.8", linked, {}),
                                    "linked") +
                          " after}";
  folder_.Write("objects.rtf", rtf);
  folder_.Write("plain.rtf", "{\\rtf1 plain}");
  ShowFolder(folder_.Path().string(), 3);
  // A first rich text preview starts whatever the system starts for rich text at all.
  Select("plain.rtf");
  ASSERT_EQ(ObjectCount(), 0);
  PumpPending();
  const std::set<DWORD> before = ProcessIds();
  ASSERT_FALSE(before.empty());

  Select("objects.rtf");
  PumpPending();
  EXPECT_TRUE(errors_.empty());
  EXPECT_NE(EditText().find("before"), std::string::npos) << "the file was previewed";
  EXPECT_EQ(ObjectCount(), 0);
  for (DWORD id : ProcessIds()) EXPECT_TRUE(before.count(id)) << "process " << id << " was started";
}

// FILE with the first component of its first scan sent to a Huffman table that the file never
// defines: the header reads well, the body fails when decoding starts.
std::vector<unsigned char> WithUndefinedHuffmanTable(std::vector<unsigned char> file) {
  for (std::size_t i = 2; i + 6 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) {
      file[i + 6] = 0x33;
      return file;
    }
  ADD_FAILURE() << "no scan";
  return file;
}

TEST_F(MainFormTest, APictureThatFailsToDecodeReportsOnceAndRepaintsCleanly) {
  folder_.Write("bad.jpg", WithUndefinedHuffmanTable(JpegPhoto(40, 30)));
  ShowFolder(folder_.Path().string(), 1);
  Select("bad.jpg");
  ASSERT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  HWND page = form_->ScrollBox1->Handle();
  auto repaint = [&] {
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();
  };
  repaint();
  ASSERT_EQ(errors_.size(), 1u);
  const DWORD gdi_objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 4; ++i) repaint();
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi_objects);
  // Painting ended each time: nothing is left to paint.
  EXPECT_FALSE(GetUpdateRect(page, nullptr, FALSE));
}

}  // namespace
}  // namespace tw
