#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/tool_bar.h"

namespace tw {
namespace {

class ToolBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 300);
    bar_ = new TToolBar(form_);
    bar_->SetParent(form_);
    bar_->SetFlat(true);
    bar_->SetButtonWidth(33);
    bar_->SetButtonHeight(31);
    for (int i = 0; i < 4; ++i) {
      auto* b = new TToolButton(form_);
      b->SetStyle(tbsCheck);
      b->SetGrouped(true);
      b->SetParent(bar_);
      views_.push_back(b);
    }
    views_[0]->SetDown(true);
    form_->Show();
  }
  void TearDown() override { delete form_; }

  // Clicks button I as the control reports it: WM_COMMAND with its id to the bar's parent,
  // after the control has toggled the check state itself.
  void Click(int i) {
    HWND bar = bar_->Handle();
    int id = i + 1;
    bool checked = SendMessageA(bar, TB_ISBUTTONCHECKED, id, 0) != 0;
    SendMessageA(bar, TB_CHECKBUTTON, id, !checked);
    SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(bar));
  }
  int DownCount() const {
    int n = 0;
    for (auto* b : views_) n += b->Down();
    return n;
  }
  bool CheckedInControl(int i) { return SendMessageA(bar_->Handle(), TB_ISBUTTONCHECKED, i + 1, 0) != 0; }

  TForm* form_ = nullptr;
  TToolBar* bar_ = nullptr;
  std::vector<TToolButton*> views_;
};

TEST_F(ToolBarTest, GroupedCheckButtonsKeepExactlyOneDown) {
  EXPECT_EQ(SendMessageA(bar_->Handle(), TB_BUTTONCOUNT, 0, 0), 4);
  int clicks = 0;
  views_[2]->OnClick = [&](TObject*) { ++clicks; };
  Click(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(views_[2]->Down());
  EXPECT_EQ(DownCount(), 1);
  EXPECT_TRUE(CheckedInControl(2));
  EXPECT_FALSE(CheckedInControl(0));
  // Clicking the down button again leaves it down, in the object and in the control.
  Click(2);
  EXPECT_TRUE(views_[2]->Down());
  EXPECT_TRUE(CheckedInControl(2));
  EXPECT_EQ(DownCount(), 1);
}

TEST_F(ToolBarTest, SettingDownInAnyOrderKeepsOneDown) {
  // Stored states are restored one property at a time: "up" for the down one first, then
  // "down" for another.
  views_[0]->SetDown(false);
  EXPECT_TRUE(views_[0]->Down());
  views_[3]->SetDown(true);
  EXPECT_FALSE(views_[0]->Down());
  EXPECT_EQ(DownCount(), 1);
  EXPECT_TRUE(CheckedInControl(3));
  EXPECT_FALSE(CheckedInControl(0));
  // The same through the property registry, as stored settings do it.
  const TPropInfo* down = GetPropInfo(*views_[1], "Down");
  ASSERT_NE(down, nullptr);
  down->SetOrd(*views_[1], 1);
  EXPECT_EQ(down->GetOrd(*views_[3]), 0);
  EXPECT_EQ(DownCount(), 1);
}

TEST_F(ToolBarTest, SeparatorEndsAGroupAndAllowAllUpLetsTheLastGoUp) {
  auto* sep = new TToolButton(form_);
  sep->SetStyle(tbsSeparator);
  sep->SetParent(bar_);
  auto* toggle = new TToolButton(form_);
  toggle->SetStyle(tbsCheck);
  toggle->SetGrouped(true);
  toggle->SetAllowAllUp(true);
  toggle->SetParent(bar_);
  EXPECT_TRUE(bar_->GroupOf(toggle).empty());
  EXPECT_EQ(bar_->GroupOf(views_[1]).size(), 3u);
  toggle->SetDown(true);
  EXPECT_TRUE(views_[0]->Down());  // another group
  toggle->SetDown(false);
  EXPECT_FALSE(toggle->Down());
}

TEST_F(ToolBarTest, ButtonSizeAndHintsComeFromTheButtons) {
  RECT r{};
  SendMessageA(bar_->Handle(), TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.right - r.left, 33);
  EXPECT_EQ(r.bottom - r.top, 31);
  EXPECT_EQ(views_[1]->Left(), r.left);
  views_[1]->SetHint("Small icons");
  POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(bar_->HintControlAt(inside), views_[1]);
  EXPECT_EQ(bar_->HintControlAt({390, 5}), bar_);
}

TEST_F(ToolBarTest, RecreatingTheBarKeepsButtonStates) {
  views_[1]->SetDown(true);
  views_[3]->SetEnabled(false);
  bar_->SetFlat(false);  // re-creates the window
  EXPECT_EQ(SendMessageA(bar_->Handle(), TB_BUTTONCOUNT, 0, 0), 4);
  EXPECT_TRUE(CheckedInControl(1));
  EXPECT_FALSE(SendMessageA(bar_->Handle(), TB_ISBUTTONENABLED, 4, 0));
}

}  // namespace
}  // namespace tw
