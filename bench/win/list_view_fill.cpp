// Filling a list view with items whose texts and images come on demand: the framework's items
// (one object and one insert each, with the insert notification) against raw LVM_INSERTITEMA
// calls with callback text into a bare control of the same kind. Prints both times and the ratio.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/win/form.h"
#include "framework/win/list_view.h"

namespace {

constexpr int kItems = 20000;
constexpr int kRounds = 5;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double FillRaw(HWND parent) {
  // Visible like the framework's control, so that both do the same work per insert.
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 400,
                              300, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  const auto start = std::chrono::steady_clock::now();
  SendMessageA(list, LVM_SETITEMCOUNT, kItems, 0);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < kItems; ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = i;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = I_IMAGECALLBACK;
    item.lParam = i;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  DestroyWindow(list);
  return seconds;
}

double FillFramework(tw::TForm& form) {
  tw::TCustomListView list(nullptr);
  list.SetParent(&form);
  list.SetViewStyle(tw::vsReport);
  list.HandleNeeded();
  const auto start = std::chrono::steady_clock::now();
  list.Items().SetCountHint(kItems);
  list.Items().BeginUpdate();
  for (int i = 0; i < kItems; ++i) list.Items().AddItem(std::string(), nullptr);
  list.Items().EndUpdate();
  return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  tw::TForm form(nullptr);
  form.SetBounds(0, 0, 500, 400);
  form.HandleNeeded();
  double raw = 1e9, framework = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    raw = std::min(raw, FillRaw(form.Handle()));
    framework = std::min(framework, FillFramework(form));
  }
  std::printf("list view fill, %d items, best of %d: raw inserts %.1f ms, framework items %.1f ms, "
              "ratio %.2f\n",
              kItems, kRounds, raw * 1000, framework * 1000, framework / raw);
  return 0;
}
