#include "framework/win/combo_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/win/bitmap.h"
#include "framework/win/form.h"
#include "framework/win/image_list.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

class ComboBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 300, 200);
    combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 150, 21);
    form->Show();
  }
  void TearDown() override { delete form; }

  TForm* form = nullptr;
  TComboBox* combo = nullptr;
  TObject first, second;
};

TEST_F(ComboBoxTest, EntriesKeepTheirObjectsAndSelectionThroughANewWindow) {
  EXPECT_EQ(combo->AddItem("beta", &second), 0);
  EXPECT_EQ(combo->AddItem("alpha", &first), 1);
  combo->SetItemIndex(1);
  HWND old_window = combo->Handle();

  combo->SetSorted(true);
  EXPECT_NE(combo->Handle(), old_window);
  ASSERT_EQ(combo->ItemCount(), 2);
  EXPECT_EQ(combo->ItemText(0), "alpha") << "a sorted control orders the entries again";
  EXPECT_EQ(combo->ItemObject(0), &first);
  EXPECT_EQ(combo->ItemObject(1), &second);
  EXPECT_EQ(combo->ItemText(combo->ItemIndex()), "alpha");
  EXPECT_LT(combo->Height(), 40) << "the opened list's room is not part of the bounds";

  combo->DeleteItem(0);
  EXPECT_EQ(combo->ItemObject(0), &second);
  combo->ClearItems();
  EXPECT_EQ(combo->ItemCount(), 0);
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ComboBoxTest, OwnerDrawnEntriesAreMeasuredAndDrawnOnTheCanvas) {
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemHeight(24);
  struct Drawn {
    int index;
    TOwnerDrawState state;
  };
  std::vector<Drawn> drawn;
  combo->OnDrawItem = [&](TWinControl*, int index, const RECT&, TOwnerDrawState state) {
    drawn.push_back({index, state});
  };
  combo->AddItem("one", &first);
  combo->AddItem("two", &second);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->ItemHeight(), 24);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 24);

  RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(drawn.empty()) << "the closed field is painted by its owner";
  EXPECT_EQ(drawn.back().index, 1);
  EXPECT_TRUE(drawn.back().state & odComboBoxEdit);
  EXPECT_FALSE(combo->Canvas().HandleAllocated()) << "the canvas lets the context go";
}

TEST_F(ComboBoxTest, VariableEntriesAskForEachHeight) {
  combo->SetStyle(csOwnerDrawVariable);
  std::vector<int> asked;
  combo->OnMeasureItem = [&](TWinControl*, int index, int& height) {
    asked.push_back(index);
    height = 10 + index * 5;
  };
  combo->AddItem("", &first);
  combo->AddItem("", &second);
  EXPECT_EQ(asked, (std::vector<int>{0, 1}));
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 1, 0), 15);
}

TEST_F(ComboBoxTest, OpeningChoosingAndClosingRaiseTheirEvents) {
  combo->SetStyle(csDropDownList);
  combo->AddItem("one", &first);
  combo->AddItem("two", &second);
  combo->SetItemIndex(0);
  std::vector<std::string> events;
  combo->OnDropDown = [&](TObject*) { events.push_back("drop down"); };
  combo->OnChange = [&](TObject*) { events.push_back("change"); };
  combo->OnClick = [&](TObject*) { events.push_back("click"); };
  combo->OnSelect = [&](TObject*) { events.push_back("select"); };
  combo->OnCloseUp = [&](TObject*) { events.push_back("close up"); };

  combo->SetDroppedDown(true);
  EXPECT_TRUE(combo->DroppedDown());
  combo->SetFocus();
  SendMessageA(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(combo->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  test::PumpPending();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "drop down");
  for (const char* expected : {"change", "click", "select", "close up"})
    EXPECT_NE(std::find(events.begin(), events.end(), expected), events.end()) << expected;
}

TEST(ImageListDraw, OverlaysAreDrawnOverTheImage) {
  auto solid = [](COLORREF color) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(16, 16);
    bitmap.Canvas().Brush().SetColor(static_cast<TColor>(color));
    bitmap.Canvas().FillRect(Rect(0, 0, 16, 16));
    return ScopedBitmap(bitmap.ReleaseHandle());
  };
  TImageList list(nullptr, 16, 16);
  ScopedBitmap white = solid(RGB(255, 255, 255));
  ScopedBitmap black = solid(RGB(0, 0, 0));
  list.AddMasked(white.Get(), RGB(1, 2, 3));
  list.AddMasked(black.Get(), RGB(1, 2, 3));
  ASSERT_TRUE(list.Overlay(1, 0));

  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(48, 16);
  list.Draw(target.Canvas(), 0, 0, 0, dsNormal, -1);
  list.Draw(target.Canvas(), 32, 0, 0, dsNormal, 0);
  HDC dc = target.Canvas().Handle();
  EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 40, 8), RGB(0, 0, 0)) << "the overlay covers the image";
}

}  // namespace
}  // namespace tw
