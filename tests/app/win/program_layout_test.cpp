// The built program keeps its layout across restarts: it is started, its layout is changed with
// the mouse as a user changes it, it is closed and started again, all under a registry key of
// its own that the test empties first and puts back afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/win/registry.h"
#include "tests/support/win/started_program.h"

namespace tw {
namespace {

constexpr char kLayoutKey[] = "Software\\Tarn_Wick";
constexpr char kWindowKey[] = "Software\\Tarn_Wick\\Window";

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

struct ClassSearch {
  std::string class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<ClassSearch*>(data);
  if (ClassOf(window) == s->class_name) s->found.push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent, const std::string& class_name) {
  ClassSearch search{class_name, {}};
  EnumChildWindows(parent, CollectOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// WINDOW's rectangle in its top-level window's client coordinates.
RECT ClientRectOf(HWND window) {
  RECT r = WindowRect(window);
  MapWindowPoints(nullptr, GetAncestor(window, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Positions of the buttons on their bars.
constexpr int kCommandBarButtons = 18;
constexpr int kExploreButton = 15;
constexpr int kViewBarButtons = 11;
constexpr int kBigIconsButton = 2;
constexpr int kReportButton = 5;

// The values stored under the program's key, so that the test can put them back.
std::map<std::string, std::string> StoredValues() {
  std::map<std::string, std::string> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD name_size = sizeof(name);
    char data[1024];
    DWORD data_size = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueA(key, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &data_size) != ERROR_SUCCESS)
      break;
    if (type == REG_SZ) values[name] = std::string(data, data_size ? data_size - 1 : 0);
  }
  RegCloseKey(key);
  return values;
}

void WriteValues(const std::map<std::string, std::string>& values) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kWindowKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, text] : values)
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// One run of the program, found by its main window.
class RunningProgram {
public:
  RunningProgram() : program_(TW_PROGRAM_FILE) {
    window_ = program_.WaitForVisibleWindow("Tarnwick 1.1");
    // The layout is in place once the window is maximised and its panes fill the maximised
    // client area down to the status bar: a drag measured before that would start on one layout
    // and end on another.
    if (!window_) return;
    WaitForInputIdle(program_.Process(), 10000);
    for (int i = 0; i < 400 && !LaidOut(); ++i) Sleep(25);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  HWND Window() const { return window_; }

  bool LaidOut() const {
    HWND view_bar = ToolBar(kViewBarButtons);
    std::vector<HWND> status = Descendants(window_, STATUSCLASSNAMEA);
    HWND tree_pane = TreePane();
    if (!IsZoomed(window_) || !view_bar || status.size() != 1 || !tree_pane ||
        Descendants(window_, "ComboBox").empty())
      return false;
    const RECT right = ClientRectOf(GetParent(GetParent(view_bar)));
    const RECT tree = ClientRectOf(tree_pane);
    const RECT bar = ClientRectOf(status[0]);
    RECT client{};
    GetClientRect(window_, &client);
    return right.right == client.right && right.bottom == bar.top && tree.bottom == bar.top &&
           bar.bottom == client.bottom;
  }

  // Closes the main window and waits for a clean end.
  void Close() { EXPECT_EQ(program_.CloseAndWait(window_), 0u); }

  // The tree pane: the leftmost panel on the window itself.
  HWND TreePane() const {
    HWND pane = nullptr;
    for (HWND panel : Descendants(window_, "TPanel")) {
      if (GetParent(panel) != window_) continue;
      if (!pane || WindowRect(panel).left < WindowRect(pane).left) pane = panel;
    }
    return pane;
  }
  // The toolbar with COUNT buttons (the command bar has 18, the view bar 11).
  HWND ToolBar(int count) const {
    for (HWND bar : Descendants(window_, TOOLBARCLASSNAMEA))
      if (SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) == count) return bar;
    return nullptr;
  }
  // Button INDEX of BAR, read through the program's own memory.
  TBBUTTON Button(HWND bar, int index) { return Remote<TBBUTTON>(bar, TB_GETBUTTON, index); }
  RECT ButtonRect(HWND bar, int index) { return Remote<RECT>(bar, TB_GETITEMRECT, index); }
  bool Checked(HWND bar, int index) { return (Button(bar, index).fsState & TBSTATE_CHECKED) != 0; }

  // A left click on button INDEX of BAR.
  void Click(HWND bar, int index) {
    const RECT r = ButtonRect(bar, index);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(bar, WM_MOUSEMOVE, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar, WM_LBUTTONUP, 0, at);
  }
  // Drags SPLITTER by DX, DY pixels.
  void Drag(HWND splitter, int dx, int dy) {
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + dx, 1 + dy));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(1 + dx, 1 + dy));
  }

private:
  // Sends MSG with a pointer to a T in the program's memory and reads the T back.
  template <class T>
  T Remote(HWND window, UINT msg, WPARAM wparam) {
    T value{};
    void* remote = VirtualAllocEx(program_.Process(), nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return value;
    WriteProcessMemory(program_.Process(), remote, &value, sizeof(T), nullptr);
    SendMessageA(window, msg, wparam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(program_.Process(), remote, &value, sizeof(T), nullptr);
    VirtualFreeEx(program_.Process(), remote, 0, MEM_RELEASE);
    return value;
  }

  test::StartedProgram program_;
  HWND window_ = nullptr;
};

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
        "ToolButton17_Down", "ToolButton18_Down", "ToolButton39_Down"})
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
