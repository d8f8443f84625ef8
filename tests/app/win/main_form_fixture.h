#pragma once
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

using test::AnswerNextMessageBox;
using test::PumpPending;
using test::PumpUntil;
using test::TempFolder;

// A 24-bit bitmap file of W x H pixels, all one colour.
inline std::vector<unsigned char> BitmapFile(int w, int h) {
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

inline std::vector<unsigned char> JpegPhoto(int w, int h) {
  std::vector<std::uint8_t> bytes = test::JpegFile(test::PhotoLikeDib(w, h));
  return {bytes.begin(), bytes.end()};
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

}  // namespace tw
