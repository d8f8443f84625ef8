#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "framework/win/form.h"
#include "framework/win/page_control.h"
#include "framework/win/panel.h"
#include "framework/win/scroll_box.h"
#include "framework/win/status_bar.h"

namespace tw {
namespace {

TEST(PageControl, TabsAtTheBottomSwitchPagesByUserAndByCode) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* pages = new TPageControl(&form);
  pages->SetParent(&form);
  pages->SetAlign(alClient);
  pages->SetTabPosition(tpBottom);
  auto* text = new TTabSheet(&form);
  text->SetCaption("Text");
  text->SetPageControl(pages);
  auto* graphics = new TTabSheet(&form);
  graphics->SetCaption("Graphics");
  graphics->SetPageControl(pages);
  form.Show();

  HWND tabs = pages->Handle();
  EXPECT_TRUE(GetWindowLongPtrA(tabs, GWL_STYLE) & TCS_BOTTOM);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pages->ActivePage(), text);
  EXPECT_TRUE(IsWindowVisible(text->Handle()));
  EXPECT_FALSE(IsWindowVisible(graphics->Handle()));
  // The sheet fills the display area above the tabs.
  RECT display = pages->ClientRect();
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_EQ(text->Top(), display.top);
  EXPECT_EQ(text->Height(), display.bottom - display.top);

  pages->SetActivePage(graphics);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(graphics->Handle()));
  EXPECT_FALSE(IsWindowVisible(text->Handle()));

  // The user picks the first tab: the control notifies its parent, which reflects it.
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
  NMHDR header{tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pages->ActivePage(), text);

  // OnChanging may refuse.
  pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
  header.code = static_cast<UINT>(TCN_SELCHANGING);
  EXPECT_EQ(SendMessageA(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), TRUE);

  delete text;
  EXPECT_EQ(pages->ActivePage(), graphics);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST(ScrollBox, ScrollsWhenTheContentsOutgrowIt) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 300);
  auto* box = new TScrollBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 200, 150);
  auto* picture = new TPanel(&form);
  picture->SetParent(box);
  picture->SetBounds(8, 8, 100, 50);
  form.Show();
  EXPECT_FALSE(GetWindowLongPtrA(box->Handle(), GWL_STYLE) & WS_VSCROLL);
  picture->SetBounds(8, 8, 500, 400);  // a larger picture arrives
  EXPECT_EQ(box->HorzRange(), 508);
  EXPECT_TRUE(GetWindowLongPtrA(box->Handle(), GWL_STYLE) & WS_VSCROLL);
  SendMessageA(box->Handle(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  EXPECT_GT(box->VertPosition(), 0);
  EXPECT_EQ(picture->Top(), 8 - box->VertPosition());
  box->ScrollTo(0, 0);
  EXPECT_EQ(picture->Top(), 8);
}

TEST(StatusBar, SitsAtTheBottomWithItsText) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* bar = new TStatusBar(&form);
  bar->SetParent(&form);
  bar->SetSimpleText("ready");
  form.Show();
  EXPECT_EQ(bar->Top() + bar->Height(), form.ClientRect().bottom);
  EXPECT_EQ(bar->Height(), 19);
  char text[32] = {};
  SendMessageA(bar->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "ready");
  bar->SetSimpleText("later");
  SendMessageA(bar->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "later");
}

}  // namespace
}  // namespace tw
