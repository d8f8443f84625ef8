#include <windows.h>

#include <gtest/gtest.h>

#include "framework/win/printer.h"
#include "tests/viewers/win/rich_edit_test_support.h"

namespace tw {
namespace {

// The editor prints into a memory device context standing in for the printer.
class RichEditPrintTest : public test::RichEditTest {
protected:
  void SetUp() override {
    RichEditTest::SetUp();
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, 1024, 768);
    ReleaseDC(nullptr, screen);
    old_bitmap_ = SelectObject(dc_, bitmap_);
    Printer().SetDeviceContext(dc_);
  }
  void TearDown() override {
    Printer().SetDeviceContext(nullptr);
    SelectObject(dc_, old_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    RichEditTest::TearDown();
  }
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
};

TEST_F(RichEditPrintTest, EmptyTextPrintsOnePage) {
  edit_->Print("empty");
  EXPECT_EQ(Printer().PageNumber(), 1);
  EXPECT_FALSE(Printer().Printing());
  EXPECT_EQ(Printer().Title(), "empty");
}

// Wine's EM_FORMATRANGE formats nothing and answers 0: a page that takes no text
// must end the job rather than start pages for ever.
TEST_F(RichEditPrintTest, PageLoopEndsWhenTheControlMakesNoProgress) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r";
  edit_->SetText(text);
  SetMapMode(dc_, MM_LOMETRIC);
  edit_->SetPrintArea({0, 0, 400, 100});
  edit_->Print("long");
  EXPECT_EQ(Printer().PageNumber(), 1);
  EXPECT_FALSE(Printer().Printing());
  EXPECT_EQ(GetMapMode(dc_), MM_LOMETRIC) << "the mapping mode is restored";
}

TEST_F(RichEditPrintTest, FailureWhileAJobRunsPropagatesAndLeavesNoJobOpen) {
  Printer().BeginDoc();
  EXPECT_THROW(edit_->Print("second"), EPrinter);
  EXPECT_TRUE(Printer().Printing()) << "the job that was running is not the editor's";
  Printer().EndDoc();
}

}  // namespace
}  // namespace tw
