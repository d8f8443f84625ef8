#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/win/pump.h"

namespace {

bool timer_fired = false;
void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) { timer_fired = true; }

// The harness itself: a real top-level window with a common control in it exists headless.
TEST(WineHarness, RealWindowsExistWithoutADisplay) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  HWND frame = CreateWindowExA(0, "STATIC", "Tarnwick smoke", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(frame, nullptr) << GetLastError();
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300,
                              200, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  ShowWindow(frame, SW_SHOW);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("first");
  EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 0);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
  SetTimer(frame, 1, 10, OnTimer);
  EXPECT_TRUE(tw::test::PumpUntil([] { return timer_fired; }));
  DestroyWindow(frame);
}

}  // namespace
