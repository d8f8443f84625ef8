#include "framework/win/image.h"

#include <gtest/gtest.h>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/platform_pictures.h"

namespace tw {
namespace {

class ImageTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(10, 10, 300, 200);
    image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(5, 5, 60, 40);
    // A 20 x 10 picture: red with a blue top-left pixel.
    TBitmap& bitmap = PictureBitmap(picture);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(20, 10);
    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(Rect(0, 0, 20, 10));
    bitmap.Canvas().SetPixel(0, 0, clBlue);
  }
  void TearDown() override { delete form; }

  // Paints the image into a white surface of its own size and returns the surface.
  void Paint(TBitmap& surface) {
    surface.SetPixelFormat(pf24bit);
    surface.SetSize(image->Width(), image->Height());
    surface.Canvas().Brush().SetColor(clWhite);
    surface.Canvas().FillRect(Rect(0, 0, image->Width(), image->Height()));
    image->PaintControl(surface.Canvas().Handle());
  }

  TPicture picture;
  TForm* form = nullptr;
  TImage* image = nullptr;
};

TEST_F(ImageTest, AutoSizeTakesThePicturesSize) {
  image->SetPicture(picture);
  EXPECT_EQ(image->Width(), 60) << "without AutoSize the bounds stay";
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 20);
  EXPECT_EQ(image->Height(), 10);
  EXPECT_EQ(image->Left(), 5);
  PictureBitmap(image->Picture()).SetSize(30, 12);
  EXPECT_EQ(image->Width(), 30) << "a later change of the picture resizes again";
  EXPECT_EQ(image->Height(), 12);
}

TEST_F(ImageTest, PaintsThePictureAtItsSizeStretchedOrCentred) {
  image->SetPicture(picture);
  TBitmap surface;
  Paint(surface);
  HDC dc = surface.Canvas().Handle();
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 10, 5), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 40, 30), RGB(255, 255, 255));
  image->SetStretch(true);
  Paint(surface);
  dc = surface.Canvas().Handle();
  EXPECT_EQ(GetPixel(dc, 40, 30), RGB(255, 0, 0));
  image->SetStretch(false);
  image->SetCenter(true);
  EXPECT_EQ(image->DestRect(), Rect(20, 15, 40, 25));
  Paint(surface);
  dc = surface.Canvas().Handle();
  EXPECT_EQ(GetPixel(dc, 20, 15), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));
}

TEST_F(ImageTest, AnEmptyPicturePaintsNothing) {
  TBitmap surface;
  Paint(surface);
  EXPECT_EQ(GetPixel(surface.Canvas().Handle(), 1, 1), RGB(255, 255, 255));
}

}  // namespace
}  // namespace tw
