// The main window's preview: what each selected file shows on which page, the messages of files
// that cannot be shown, and what previewing never starts.
#include "tests/app/win/main_form_fixture.h"

namespace tw {
namespace {

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

// How many more GDI objects the process can make. Wine answers GetGuiResources with 0, but its
// handle table is finite, so objects that painting keeps show as fewer objects to be had.
std::size_t GdiObjectsLeft() {
  std::vector<HGDIOBJ> made;
  while (HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3))) made.push_back(brush);
  for (HGDIOBJ object : made) DeleteObject(object);
  return made.size();
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
  const std::size_t objects_left = GdiObjectsLeft();
  ASSERT_GT(objects_left, 0u);
  for (int i = 0; i < 4; ++i) repaint();
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(GdiObjectsLeft(), objects_left) << "painting kept GDI objects";
  // Painting ended each time: nothing is left to paint.
  EXPECT_FALSE(GetUpdateRect(page, nullptr, FALSE));
}

}  // namespace
}  // namespace tw
