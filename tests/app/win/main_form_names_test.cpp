// Names in every script through the whole window: listed, followed by the tree and the combo,
// previewed, renamed in place, copied and pasted, and handed to other programs exactly.
#include "tests/app/win/main_form_fixture.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/win/wide_text.h"
#include "shell/win/data_object_shlv.h"

namespace tw {
namespace {

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                           wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

// Japanese, Greek, an emoji beyond the 16-bit range, a long Japanese name, Chinese, and a Cyrillic
// folder holding one more file; each text file holds its own name. The long name is as long as the
// file systems Wine keeps files on hold (255 bytes of UTF-8 a name): 87 characters, 253 bytes,
// which with its folder are more than a path buffer of MAX_PATH bytes holds.
const std::string kFolder = "Папка";
const std::string kPicture = "写真.bmp";
const std::vector<std::string>& TextNames() {
  static const std::vector<std::string> names = [] {
    std::string long_name;
    for (int i = 0; i < 83; ++i) long_name += "あ";
    return std::vector<std::string>{"日本語のメモ.txt", "Ελληνικά.txt", "emoji 😀.txt", long_name + ".txt"};
  }();
  return names;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(path);
  }
  return paths;
}

class MainFormNamesTest : public MainFormTest {
protected:
  void SetUp() override {
    MainFormTest::SetUp();
    base_ = folder_.Path().wstring() + L"\\";
    for (const std::string& name : TextNames()) WriteWide(Wide(name), name);
    ASSERT_TRUE(CreateDirectoryW((base_ + Wide(kFolder)).c_str(), nullptr));
    WriteWide(Wide(kFolder + "\\Файл.txt"), "Файл");
    const std::vector<unsigned char> picture = BitmapFile(5, 7);
    WriteWide(Wide(kPicture), std::string(picture.begin(), picture.end()));
  }

  void WriteWide(const std::wstring& name, const std::string& bytes) {
    HANDLE file = CreateFileW((base_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError() << " " << FromWide(name.c_str());
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  bool Exists(const std::string& name) { return GetFileAttributesW((base_ + Wide(name)).c_str()) != INVALID_FILE_ATTRIBUTES; }

  // The list's rows as the control gives them to a wide caller.
  std::vector<std::wstring> ListedNames() {
    std::vector<std::wstring> names;
    HWND list = form_->PTShellList1->Handle();
    for (int i = 0, count = ListView_GetItemCount(list); i < count; ++i) {
      wchar_t text[1024] = {};
      LVITEMW item{};
      item.iSubItem = 0;
      item.pszText = text;
      item.cchTextMax = 1024;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      names.push_back(text);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::wstring SelectedTreeText() {
    HWND tree = form_->PTShellTree1->Handle();
    wchar_t text[1024] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
  }

  std::wstring base_;
};

TEST_F(MainFormNamesTest, EveryScriptIsListedPreviewedAndFollowed) {
  ShowFolder(FromWide(folder_.Path().wstring().c_str()), 6);
  std::vector<std::wstring> expected{Wide(kFolder), Wide(kPicture)};
  for (const std::string& name : TextNames()) expected.push_back(Wide(name));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListedNames(), expected);

  for (const std::string& name : TextNames()) {
    Select(name);
    EXPECT_EQ(Line(0), name);
    EXPECT_EQ(Wide(form_->Edit->Title()), base_ + Wide(name));
  }
  Select(kPicture);
  EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
  EXPECT_EQ(form_->Image->Picture().Width(), 5);

  ShowFolder(FromWide((base_ + Wide(kFolder)).c_str()), 1);
  EXPECT_TRUE(PumpUntil([&] { return SelectedTreeText() == Wide(kFolder); })) << FromWide(SelectedTreeText().c_str());
  TPTImageComboItem* entry = form_->PTShellCombo1->ItemAt(form_->PTShellCombo1->ItemIndex());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(Wide(entry->Text()), Wide(kFolder));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormNamesTest, RenameCopyPasteAndTheDataObjectKeepEveryName) {
  ShowFolder(FromWide(folder_.Path().wstring().c_str()), 6);
  const std::string old_name = TextNames()[0];
  const std::string new_name = "中文 Ωμέγα 😀.txt";
  Select(old_name);
  TListItem* item = ItemNamed(old_name);
  ASSERT_NE(item, nullptr);
  HWND list = form_->PTShellList1->Handle();
  SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(item->Index()), 0);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, Wide(new_name).c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(PumpUntil([&] { return Exists(new_name) && !Exists(old_name); }));
  EXPECT_TRUE(PumpUntil([&] { return ItemNamed(new_name) != nullptr; }));

  // "Copy" puts the exact path on the clipboard.
  Select(new_name);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  Click(form_->ToolButton2);
  ASSERT_TRUE(PumpUntil([] { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(DroppedPaths(static_cast<HDROP>(GetClipboardData(CF_HDROP))), std::vector<std::wstring>{base_ + Wide(new_name)});
  CloseClipboard();

  // What another program gets from the list's data object: the exact path. Put on the clipboard
  // as a program that copies files leaves it (Wine's paste of the shell's own item lists binds the
  // wrong source folder), "Paste" in the Cyrillic folder copies the file there.
  ComPtr<IDataObject> data(new TDataObject_shlv(*form_->PTShellList1));
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&format, &medium), S_OK);
  EXPECT_EQ(DroppedPaths(static_cast<HDROP>(medium.hGlobal)), std::vector<std::wstring>{base_ + Wide(new_name)});
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, medium.hGlobal);
  CloseClipboard();
  ShowFolder(FromWide((base_ + Wide(kFolder)).c_str()), 1);
  Click(form_->ToolButton3);
  EXPECT_TRUE(PumpUntil([&] { return Exists(kFolder + "\\" + new_name); }));
  EXPECT_TRUE(PumpUntil([&] { return form_->PTShellList1->Items().Count() == 2; }));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace tw
