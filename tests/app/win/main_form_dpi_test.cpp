// The main window moved to a screen of another density: Windows sends WM_DPICHANGED with the
// new density and the rectangle the window should take there (Wine never does, so the test
// sends it as Windows would).
#include "tests/app/win/main_form_fixture.h"

namespace tw {
namespace {

// Every size the window sets itself, as the controls have it.
std::vector<int> OwnSizes(TMainForm& form) {
  const LRESULT button = SendMessageA(form.ToolBar1->Handle(), TB_GETBUTTONSIZE, 0, 0);
  RECT separator{};
  SendMessageA(form.ToolBar1->Handle(), TB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&separator));
  return {form.ImageList1->Width(),       form.ImageList1->Height(),   form.ImageList2->Width(),
          LOWORD(button),                 HIWORD(button),              separator.right - separator.left,
          form.ToolBar1->Height(),        form.ToolBar3->Height(),     form.ToolBar4->Height(),
          form.ToolBar2->Height(),        form.StatusBar1->Height(),   form.Splitter1->Width(),
          form.Splitter2->Height(),       form.Splitter1->MinSize(),   -form.Font().Height(),
          -form.Edit->Font().Height(),    form.PTShellCombo1->IndentPixels(),
          form.PTShellTree1->Indent(),    form.Panel1->Width() - form.PTShellCombo1->Width(),
          form.Image->Left(),             form.Panel1->Width(),        form.Panel3->Height()};
}

RECT WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

TEST_F(MainFormTest, OnADensityChangeTheWindowTakesTheSuggestedRectangleAndLaysItselfOutAgain) {
  form_->SetWindowState(wsNormal);
  form_->Panel1->SetWidth(250);
  form_->Panel3->SetHeight(150);
  PumpPending();
  ASSERT_EQ(form_->PixelsPerInch(), 96) << "the test prefix's screen";
  const std::vector<int> at96 = OwnSizes(*form_);
  EXPECT_EQ(at96[0], kGlyphWidth);

  RECT suggested{40, 30, 1040, 730};
  SendMessageA(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  PumpPending();
  EXPECT_EQ(form_->PixelsPerInch(), 192);
  const RECT now = WindowRectOf(form_->Handle());
  EXPECT_EQ(now.left, 40);
  EXPECT_EQ(now.top, 30);
  EXPECT_EQ(now.right, 1040);
  EXPECT_EQ(now.bottom, 730);
  const std::vector<int> at192 = OwnSizes(*form_);
  for (std::size_t i = 0; i < at96.size(); ++i) EXPECT_NEAR(at192[i], 2 * at96[i], 1) << "size " << i;
  // The glyphs were drawn again at the new size, not kept from before.
  const int cut = static_cast<int>(TGlyph::Cut);
  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(form_->ImageList1->Handle(), cut, &info));
  EXPECT_EQ(info.rcImage.right - info.rcImage.left, 44);

  // Back on a screen at 96 pixels per inch everything is as it was.
  suggested = {10, 20, 610, 420};
  SendMessageA(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  PumpPending();
  EXPECT_EQ(OwnSizes(*form_), at96);
  EXPECT_EQ(WindowRectOf(form_->Handle()).right, 610);
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace tw
