#include "tests/app/win/running_program.h"

#include <gtest/gtest.h>

namespace tw::test {
namespace {

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

// WINDOW's rectangle in its top-level window's client coordinates.
RECT ClientRectOf(HWND window) {
  RECT r = WindowRect(window);
  MapWindowPoints(nullptr, GetAncestor(window, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

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

RunningProgram::RunningProgram() : program_(TW_PROGRAM_FILE) {
  window_ = program_.WaitForVisibleWindow("Tarnwick 1.1");
  // The layout is in place once the window is maximised and its panes fill the maximised
  // client area down to the status bar: a drag measured before that would start on one layout
  // and end on another.
  if (!window_) return;
  WaitForInputIdle(program_.Process(), 10000);
  for (int i = 0; i < 400 && !LaidOut(); ++i) Sleep(25);
}

bool RunningProgram::LaidOut() const {
  HWND view_bar = ToolBar(kViewBarButtons);
  HWND status = StatusBar();
  HWND tree_pane = TreePane();
  if (!IsZoomed(window_) || !view_bar || !status || !tree_pane || Descendants(window_, "ComboBox").empty())
    return false;
  const RECT right = ClientRectOf(GetParent(GetParent(view_bar)));
  const RECT tree = ClientRectOf(tree_pane);
  const RECT bar = ClientRectOf(status);
  RECT client{};
  GetClientRect(window_, &client);
  return right.right == client.right && right.bottom == bar.top && tree.bottom == bar.top &&
         bar.bottom == client.bottom;
}

void RunningProgram::Close() { EXPECT_EQ(program_.CloseAndWait(window_), 0u); }

HWND RunningProgram::TreePane() const {
  HWND pane = nullptr;
  for (HWND panel : Descendants(window_, "TPanel")) {
    if (GetParent(panel) != window_) continue;
    if (!pane || WindowRect(panel).left < WindowRect(pane).left) pane = panel;
  }
  return pane;
}

HWND RunningProgram::ToolBar(int count) const {
  for (HWND bar : Descendants(window_, TOOLBARCLASSNAMEA))
    if (SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) == count) return bar;
  return nullptr;
}

HWND RunningProgram::StatusBar() const {
  std::vector<HWND> status = Descendants(window_, STATUSCLASSNAMEA);
  return status.size() == 1 ? status[0] : nullptr;
}

void RunningProgram::Click(HWND bar, int index) {
  const RECT r = ButtonRect(bar, index);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(bar, WM_MOUSEMOVE, 0, at);
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(bar, WM_LBUTTONUP, 0, at);
}

void RunningProgram::Drag(HWND splitter, int dx, int dy) {
  SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + dx, 1 + dy));
  SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(1 + dx, 1 + dy));
}

}  // namespace tw::test
