// The built program at the screen densities users run: 96, 144 and 192 pixels per inch, set
// through the prefix's (or the user's) "LogPixels" before the program starts. Every size the
// program sets itself is measured from outside and must be its 96 value times the factor.
#include <richedit.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "framework/win/registry.h"
#include "tests/app/win/running_program.h"

namespace tw {
namespace {

using test::Descendants;
using test::HeightOf;
using test::kCommandBarButtons;
using test::kLayoutKey;
using test::kViewBarButtons;
using test::RunningProgram;
using test::WidthOf;

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

std::optional<DWORD> UserLogPixels() {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void SetUserLogPixels(std::optional<DWORD> value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  if (value)
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
  else
    RegDeleteValueA(key, "LogPixels");
  RegCloseKey(key);
}

class ProgramDpiTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_layout_ = test::StoredValues();
    saved_pixels_ = UserLogPixels();
  }
  void TearDown() override {
    SetUserLogPixels(saved_pixels_);
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
    if (!saved_layout_.empty()) test::WriteValues(saved_layout_);
  }

  std::map<std::string, std::string> saved_layout_;
  std::optional<DWORD> saved_pixels_;
};

TEST_F(ProgramDpiTest, EverySizeTheProgramSetsFollowsTheScreensDensity) {
  for (int dpi : {96, 144, 192}) {
    SCOPED_TRACE("at " + std::to_string(dpi) + " pixels per inch");
    SetUserLogPixels(static_cast<DWORD>(dpi));
    // A first start, so that the design sizes show.
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
    RunningProgram program;
    ASSERT_NE(program.Window(), nullptr);
    ASSERT_TRUE(program.LaidOut());
    auto expect_scaled = [dpi](int measured, int at96, const char* what) {
      EXPECT_NEAR(measured, MulDiv(at96, dpi, 96), 2) << what;
    };

    HWND command_bar = program.ToolBar(kCommandBarButtons);
    HWND view_bar = program.ToolBar(kViewBarButtons);
    ASSERT_TRUE(command_bar && view_bar);
    const LRESULT button = SendMessageA(command_bar, TB_GETBUTTONSIZE, 0, 0);
    expect_scaled(LOWORD(button), 33, "button width");
    expect_scaled(HIWORD(button), 31, "button height");
    const RECT cut = program.ButtonRect(command_bar, 0);
    expect_scaled(cut.right - cut.left, 33, "button rectangle width");
    const RECT separator = program.ButtonRect(command_bar, 4);
    expect_scaled(separator.right - separator.left, 8, "separator width");
    expect_scaled(HeightOf(command_bar), 33, "command bar height");
    expect_scaled(HeightOf(view_bar), 33, "view bar height");
    expect_scaled(WidthOf(program.TreePane()), 201, "tree pane width");
    expect_scaled(HeightOf(GetParent(view_bar)), 192, "list pane height");
    expect_scaled(HeightOf(program.StatusBar()), 19, "status bar height");
    for (HWND splitter : Descendants(program.Window(), "TSplitter")) {
      if (GetParent(splitter) == program.Window())
        expect_scaled(WidthOf(splitter), 3, "tree splitter width");
      else
        expect_scaled(HeightOf(splitter), 3, "list splitter height");
    }
    const std::vector<HWND> combos = Descendants(program.Window(), "ComboBox");
    ASSERT_EQ(combos.size(), 1u);
    expect_scaled(HeightOf(GetParent(combos[0])), 26, "combo bar height");
    expect_scaled(WidthOf(program.TreePane()) - WidthOf(combos[0]), 5, "combo margin");
    const std::vector<HWND> trees = Descendants(program.Window(), WC_TREEVIEWA);
    ASSERT_EQ(trees.size(), 1u);
    expect_scaled(static_cast<int>(SendMessageA(trees[0], TVM_GETINDENT, 0, 0)), 19, "tree indent");
    // The editor's font, whose height the rich edit tells in twips at the screen's density.
    const std::vector<HWND> editors = Descendants(program.Window(), RICHEDIT_CLASSA);
    ASSERT_EQ(editors.size(), 1u);
    CHARFORMATA format{};
    format.cbSize = sizeof(format);
    format = program.Remote<CHARFORMATA>(editors[0], EM_GETCHARFORMAT, SCF_DEFAULT, format);
    expect_scaled(MulDiv(format.yHeight, dpi, 1440), 11, "editor font height");
    program.Close();
  }
}

// The pane sizes of a run of the program at DPI, which is then closed.
struct PaneSizes {
  int tree_width = 0, list_height = 0;
};
PaneSizes PanesAt(int dpi) {
  SetUserLogPixels(static_cast<DWORD>(dpi));
  RunningProgram program;
  EXPECT_TRUE(program.Window() && program.LaidOut());
  HWND view_bar = program.ToolBar(kViewBarButtons);
  if (!view_bar || !program.TreePane()) return {};
  const PaneSizes sizes{WidthOf(program.TreePane()), HeightOf(GetParent(view_bar))};
  program.Close();
  return sizes;
}

TEST_F(ProgramDpiTest, TheStoredPanesComeBackAtTheSamePhysicalSizeAtAnotherDensity) {
  DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
  // As a run at 96 pixels per inch left them.
  test::WriteValues({{"Panel1_Width", "250"}, {"Panel3_Height", "150"}, {"LayoutPixelsPerInch", "96"}});
  const PaneSizes at192 = PanesAt(192);
  EXPECT_EQ(at192.tree_width, 500);
  EXPECT_EQ(at192.list_height, 300);
  EXPECT_EQ(test::StoredValues().at("LayoutPixelsPerInch"), "192");
  EXPECT_EQ(test::StoredValues().at("Panel1_Width"), "500");
  // And the reverse: what the run at 192 stored comes back at half the pixels.
  const PaneSizes at96 = PanesAt(96);
  EXPECT_EQ(at96.tree_width, 250);
  EXPECT_EQ(at96.list_height, 150);
}

TEST_F(ProgramDpiTest, ALayoutWithoutAUsableDensityIsTakenAsStoredAt96) {
  // Absent (a layout from before densities were kept), garbage, or no screen's density.
  for (const char* density : {"", "#%&garbage", "0", "-192", "99999999999"}) {
    SCOPED_TRACE(std::string("density \"") + density + "\"");
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
    std::map<std::string, std::string> layout{{"Panel1_Width", "250"}, {"Panel3_Height", "150"}};
    if (*density) layout["LayoutPixelsPerInch"] = density;
    test::WriteValues(layout);
    const PaneSizes sizes = PanesAt(144);
    EXPECT_EQ(sizes.tree_width, 375);
    EXPECT_EQ(sizes.list_height, 225);
  }
}

}  // namespace
}  // namespace tw
