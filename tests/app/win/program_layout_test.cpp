// The built program keeps its layout across restarts: it is started, its layout is changed with
// the mouse as a user changes it, it is closed and started again, all under a registry key of
// its own that the test empties first and puts back afterwards.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/win/registry.h"
#include "tests/app/win/running_program.h"

namespace tw {
namespace {

using test::Descendants;
using test::kBigIconsButton;
using test::kCommandBarButtons;
using test::kExploreButton;
using test::kLayoutKey;
using test::kReportButton;
using test::kViewBarButtons;
using test::RunningProgram;
using test::StoredValues;
using test::WindowRect;
using test::WriteValues;

class ProgramLayoutTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = StoredValues();
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
  }
  void TearDown() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, kLayoutKey);
    if (!saved_.empty()) WriteValues(saved_);
  }

  std::map<std::string, std::string> saved_;
};

TEST_F(ProgramLayoutTest, TheLayoutAtCloseComesBackAtTheNextStart) {
  int tree_width = 0, list_height = 0;
  {
    RunningProgram first;
    ASSERT_NE(first.Window(), nullptr);
    ASSERT_TRUE(first.LaidOut());
    EXPECT_TRUE(IsZoomed(first.Window())) << "the first start opens maximised";
    HWND tree_pane = first.TreePane();
    HWND command_bar = first.ToolBar(kCommandBarButtons);
    HWND view_bar = first.ToolBar(kViewBarButtons);
    ASSERT_TRUE(tree_pane && command_bar && view_bar);
    HWND list_pane = GetParent(view_bar);
    const int width_before = WindowRect(tree_pane).right - WindowRect(tree_pane).left;
    const int height_before = WindowRect(list_pane).bottom - WindowRect(list_pane).top;
    EXPECT_EQ(width_before, 201);
    EXPECT_TRUE(first.Checked(view_bar, kBigIconsButton));
    EXPECT_TRUE(first.Checked(command_bar, kExploreButton));

    first.Click(view_bar, kReportButton);
    first.Click(command_bar, kExploreButton);
    for (HWND splitter : Descendants(first.Window(), "TSplitter")) {
      if (GetParent(splitter) == first.Window())
        first.Drag(splitter, 40, 0);
      else
        first.Drag(splitter, 0, 30);
    }
    tree_width = WindowRect(tree_pane).right - WindowRect(tree_pane).left;
    list_height = WindowRect(list_pane).bottom - WindowRect(list_pane).top;
    EXPECT_EQ(tree_width, width_before + 40);
    EXPECT_EQ(list_height, height_before + 30);
    EXPECT_TRUE(first.Checked(view_bar, kReportButton));
    EXPECT_FALSE(first.Checked(command_bar, kExploreButton));
    first.Close();
  }
  const std::map<std::string, std::string> stored = StoredValues();
  EXPECT_EQ(stored.at("PTShellList1_ViewStyle"), "vsReport");
  EXPECT_EQ(stored.at("ToolButton18_Down"), "True");
  EXPECT_EQ(stored.at("ToolButton15_Down"), "False");
  EXPECT_EQ(stored.at("ToolButton39_Down"), "False");
  EXPECT_EQ(stored.at("Panel1_Width"), std::to_string(tree_width));
  EXPECT_EQ(stored.at("ShowCmd"), "3");

  RunningProgram second;
  ASSERT_NE(second.Window(), nullptr);
  EXPECT_TRUE(IsZoomed(second.Window()));
  HWND view_bar = second.ToolBar(kViewBarButtons);
  HWND command_bar = second.ToolBar(kCommandBarButtons);
  HWND tree_pane = second.TreePane();
  HWND list_pane = GetParent(view_bar);
  EXPECT_TRUE(second.Checked(view_bar, kReportButton));
  EXPECT_FALSE(second.Checked(view_bar, kBigIconsButton));
  EXPECT_FALSE(second.Checked(command_bar, kExploreButton));
  EXPECT_EQ(WindowRect(tree_pane).right - WindowRect(tree_pane).left, tree_width);
  EXPECT_EQ(WindowRect(list_pane).bottom - WindowRect(list_pane).top, list_height);
  std::vector<HWND> lists = Descendants(second.Window(), WC_LISTVIEWA);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(GetWindowLongPtrA(lists[0], GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  second.Close();
}

TEST_F(ProgramLayoutTest, GarbageInEveryStoredValueStillStartsWithTheDefaults) {
  std::map<std::string, std::string> garbage;
  for (const char* name :
       {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos", "Visible", "Panel1_Width",
        "Panel3_Height", "PTShellList1_ViewStyle", "ToolButton15_Down", "ToolButton16_Down",
        "ToolButton17_Down", "ToolButton18_Down", "ToolButton39_Down", "LayoutPixelsPerInch"})
    garbage[name] = "#%&garbage";
  WriteValues(garbage);

  RunningProgram program;
  ASSERT_NE(program.Window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(program.Window()));
  EXPECT_TRUE(IsZoomed(program.Window()));
  HWND view_bar = program.ToolBar(kViewBarButtons);
  HWND tree_pane = program.TreePane();
  ASSERT_TRUE(view_bar && tree_pane);
  EXPECT_EQ(WindowRect(tree_pane).right - WindowRect(tree_pane).left, 201);
  EXPECT_EQ(WindowRect(GetParent(view_bar)).bottom - WindowRect(GetParent(view_bar)).top, 192);
  EXPECT_TRUE(program.Checked(view_bar, kBigIconsButton));
  EXPECT_TRUE(program.Checked(program.ToolBar(kCommandBarButtons), kExploreButton));
  program.Close();
  // The close wrote every value again.
  const std::map<std::string, std::string> stored = StoredValues();
  EXPECT_EQ(stored.at("Panel1_Width"), "201");
  EXPECT_EQ(stored.at("PTShellList1_ViewStyle"), "vsIcon");
  EXPECT_EQ(stored.at("ShowCmd"), "3");
}

}  // namespace
}  // namespace tw
