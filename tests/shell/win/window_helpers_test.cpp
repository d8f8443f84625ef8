#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/win/form.h"
#include "framework/win/panel.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

TEST(WindowHelpers, IncludeTrailingCharAddsOnlyWhenMissing) {
  EXPECT_EQ(IncludeTrailingChar("", '\\'), "");
  EXPECT_EQ(IncludeTrailingChar("C:", '\\'), "C:\\");
  EXPECT_EQ(IncludeTrailingChar("C:\\", '\\'), "C:\\");
  EXPECT_EQ(IncludeTrailingChar("a/b", '/'), "a/b/");
}

TEST(WindowHelpers, StyleBitsAreSetAndCleared) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(window);
  SetWindowStyleBits(window, WS_BORDER | WS_TABSTOP, true);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_BORDER | WS_TABSTOP), WS_BORDER | WS_TABSTOP);
  SetWindowStyleBits(window, WS_TABSTOP, false);
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_BORDER | WS_TABSTOP), WS_BORDER);
  SetWindowStyleBits(nullptr, WS_BORDER, true);
  DestroyWindow(window);
}

TEST(WindowHelpers, AutoScrollStepsOnlyWhereThereIsRoom) {
  HWND box = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0,
                             100, 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(box);
  for (int i = 0; i < 40; ++i)
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(i).c_str()));
  AutoScrollStep(box, 1, 1);
  AutoScrollStep(box, 1, 1);
  EXPECT_EQ(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 2);
  AutoScrollStep(box, 1, 0);
  EXPECT_EQ(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 1);
  // Nothing to scroll sideways.
  AutoScrollStep(box, 0, 1);
  EXPECT_EQ(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 1);
  DestroyWindow(box);
}

TEST(WindowHelpers, OwnerFormHandleIsTheTopFormsWindow) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* inner = new TPanel(&form);
  inner->SetParent(panel);
  form.HandleNeeded();
  EXPECT_EQ(OwnerFormHandle(inner), form.Handle());
  TPanel loose(nullptr);
  EXPECT_EQ(OwnerFormHandle(&loose), nullptr) << "a top control that is no form";
  EXPECT_EQ(OwnerFormHandle(nullptr), nullptr);
}

}  // namespace
}  // namespace tw
