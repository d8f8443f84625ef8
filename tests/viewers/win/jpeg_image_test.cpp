#include "viewers/win/jpeg_image.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/picture.h"
#include "framework/string_table.h"
#include "tests/support/temp_folder.h"
#include "tests/viewers/jpeg_test_pictures.h"

namespace tw {
namespace {

using test::JpegFile;
using test::PhotoLikeDib;

// Exposes the stored-property routines.
class StoredJPEGImage : public TJPEGImage {
public:
  using TJPEGImage::ReadData;
  using TJPEGImage::WriteData;
};

const TDib& Photo() {
  static const TDib photo = PhotoLikeDib(101, 67);
  return photo;
}

void LoadBytes(TJPEGImage& image, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  image.LoadFromStream(stream);
}

TEST(JpegImage, RegistersBothExtensionsWithItsDescription) {
  RegisterJPEGImage();
  for (const char* ext : {"jpg", "JPEG"}) {
    const auto cls = FindGraphicClassForExtension(ext);
    ASSERT_TRUE(cls) << ext;
    EXPECT_EQ(cls->Name, "TJPEGImage");
    EXPECT_EQ(cls->Create()->ClassName(), "TJPEGImage");
  }
  EXPECT_NE(GraphicFilter("TJPEGImage").find("JPEG Image File (*.jpg)|*.jpg"), std::string::npos);
  EXPECT_EQ(OutputDepthForScreen(8), 1);
  EXPECT_EQ(OutputDepthForScreen(16), 0);
}

TEST(JpegImage, APictureLoadsAJpegFileByItsExtensionAndDecodesOnFirstUse) {
  RegisterJPEGImage();
  test::TempFolder folder;
  const auto bytes = JpegFile(Photo(), false, true);
  const std::string path = folder.Write("PHOTO.JPEG", std::string(bytes.begin(), bytes.end()));
  TPicture picture;
  picture.LoadFromFile(path);
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_TRUE(jpeg->WriteProgressive());
  EXPECT_FALSE(jpeg->Decoded());
  EXPECT_EQ(picture.Width(), 101);
  EXPECT_EQ(picture.Height(), 67);
  EXPECT_FALSE(jpeg->Empty());

  TBitmap canvas_bitmap;
  canvas_bitmap.SetPixelFormat(pf24bit);
  canvas_bitmap.SetSize(101, 67);
  canvas_bitmap.Canvas().StretchDraw(Rect(0, 0, 101, 67), *jpeg);
  EXPECT_TRUE(jpeg->Decoded());
  EXPECT_LT(test::Compare(canvas_bitmap.ToDib().ToDepth24(), Photo()).mean, 3.0);
}

TEST(JpegImage, SizeChangesFailWithTheirMessage) {
  TJPEGImage image;
  LoadBytes(image, JpegFile(Photo()));
  for (auto change : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight}) {
    try {
      (image.*change)(10);
      FAIL() << "no exception";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "Cannot change the size of a JPEG image");
    }
  }
  EXPECT_EQ(image.Width(), 101);
}

TEST(JpegImage, EmptinessFollowsDataThenBitmap) {
  TJPEGImage image;
  EXPECT_TRUE(image.Empty());
  EXPECT_TRUE(image.Bitmap().Empty());
  LoadBytes(image, JpegFile(Photo()));
  EXPECT_FALSE(image.Empty());
  TMemoryStream nothing;
  image.LoadFromStream(nothing);
  EXPECT_TRUE(image.Empty());
}

TEST(JpegImage, EightBitOutputGivesAPaletteBitmapOfAtMost236Colours) {
  TJPEGImage image;
  image.SetOutputDepth(1);
  LoadBytes(image, JpegFile(Photo()));
  image.SetPaletteModified(false);
  TBitmap& bitmap = image.Bitmap();
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  EXPECT_TRUE(image.PaletteModified());
  ASSERT_NE(image.Palette(), 0u);
  const UINT colors = GetPaletteEntries(reinterpret_cast<HPALETTE>(image.Palette()), 0, 0, nullptr);
  EXPECT_GT(colors, 20u);
  EXPECT_LE(colors, 236u);
  EXPECT_LT(test::Compare(bitmap.ToDib().ToDepth24(), Photo()).mean, 8.0);
}

TEST(JpegImage, ScaleChangesDecodeAgainAtTheNewSize) {
  TJPEGImage image;
  LoadBytes(image, JpegFile(Photo()));
  EXPECT_EQ(image.Bitmap().Width(), 101);
  image.SetScaleShift(2);
  EXPECT_FALSE(image.Decoded());
  EXPECT_EQ(image.ScaledWidth(), 26);
  EXPECT_EQ(image.ScaledHeight(), 17);
  EXPECT_EQ(image.Bitmap().Width(), 26);
  EXPECT_EQ(image.Width(), 26);
}

TEST(JpegImage, AssignedJpegsShareTheirDataAndCopyTheDecodedBitmap) {
  TJPEGImage first;
  LoadBytes(first, JpegFile(Photo()));
  first.Bitmap();
  TJPEGImage second;
  second.Assign(first);
  EXPECT_TRUE(second.Equals(first));
  EXPECT_EQ(&second.SharedData(), &first.SharedData());
  EXPECT_TRUE(second.Decoded());
  EXPECT_NE(&second.Bitmap(), &first.Bitmap());

  TJPEGImage same_bytes;
  LoadBytes(same_bytes, JpegFile(Photo()));
  EXPECT_FALSE(same_bytes.Equals(first));
}

TEST(JpegImage, ABitmapIsCompressedWhenSavedAndDecodedWhenAssignedBack) {
  TBitmap bitmap;
  bitmap.AssignDib(Photo());
  TJPEGImage image;
  image.Assign(bitmap);
  EXPECT_FALSE(image.Empty());
  EXPECT_FALSE(image.SharedData().HasData());
  EXPECT_EQ(image.Width(), 101);

  TMemoryStream saved;
  image.SaveToStream(saved);
  ASSERT_GT(saved.Size(), 100);
  TJPEGImage loaded;
  saved.SetPosition(0);
  loaded.LoadFromStream(saved);
  TBitmap back;
  back.Assign(loaded);
  EXPECT_EQ(back.Width(), 101);
  EXPECT_LT(test::Compare(back.ToDib().ToDepth24(), Photo()).mean, 3.0);
}

TEST(JpegImage, AssignmentFromOtherKindsFails) {
  TJPEGImage image;
  TPicture picture;
  EXPECT_THROW(image.Assign(picture), EConvertError);
}

TEST(JpegImage, StoredPropertyDataRoundTripsAndKeepsAnAssignedBitmap) {
  TBitmap bitmap;
  bitmap.AssignDib(Photo());
  StoredJPEGImage image;
  image.Assign(bitmap);
  TMemoryStream stored;
  image.WriteData(stored);
  std::int32_t length = 0;
  std::memcpy(&length, stored.Memory(), 4);
  EXPECT_EQ(length, stored.Size() - 4);
  ASSERT_GT(length, 0);

  stored.SetPosition(0);
  StoredJPEGImage read;
  read.ReadData(stored);
  EXPECT_EQ(read.Width(), 101);
  EXPECT_EQ(read.Height(), 67);

  StoredJPEGImage empty;
  TMemoryStream nothing;
  empty.WriteData(nothing);
  EXPECT_EQ(nothing.Size(), 4);
}

TEST(JpegImage, StoredPropertyDataWithALengthBeyondTheStreamFails) {
  StoredJPEGImage image;
  const std::int32_t length = 1 << 30;
  TMemoryStream stored;
  stored.WriteBuffer(&length, 4);
  stored.SetPosition(0);
  EXPECT_THROW(image.ReadData(stored), EReadError);
  EXPECT_TRUE(image.Empty());
}

TEST(JpegImage, BadFilesFailWithJpegErrorsAndLeaveThePicture) {
  RegisterJPEGImage();
  test::TempFolder folder;
  TPicture picture;
  picture.LoadFromFile(folder.Write("good.jpg", [] {
    const auto b = JpegFile(Photo());
    return std::string(b.begin(), b.end());
  }()));
  EXPECT_THROW(picture.LoadFromFile(folder.Write("bad.jpg", "not a jpeg at all")), EJPEG);
  EXPECT_EQ(picture.Width(), 101);
  const auto huge = test::WithFrameSize(JpegFile(PhotoLikeDib(16, 16)), 64250, 64250);
  EXPECT_THROW(picture.LoadFromFile(folder.Write("huge.jpg", std::string(huge.begin(), huge.end()))), EJPEG);
  EXPECT_EQ(picture.Width(), 101);
}

TEST(JpegImage, ClipboardFormatIsTheDecodedBitmap) {
  TJPEGImage image;
  LoadBytes(image, JpegFile(Photo()));
  unsigned format = 0;
  std::uintptr_t data = 0, palette = 0;
  image.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, static_cast<unsigned>(CF_BITMAP));
  ASSERT_NE(data, 0u);
  TJPEGImage pasted;
  pasted.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(pasted.Width(), 101);
  EXPECT_FALSE(pasted.SharedData().HasData());
  DeleteObject(reinterpret_cast<HGDIOBJ>(data));
  if (palette) DeleteObject(reinterpret_cast<HGDIOBJ>(palette));
}

TEST(JpegImage, ProgressReachesThePictureEvent) {
  TJPEGImage image;
  LoadBytes(image, JpegFile(Photo(), false, true));
  std::vector<TProgressStage> stages;
  image.OnProgress = [&](TObject* sender, TProgressStage stage, std::uint8_t, bool, const TRect&, const std::string&) {
    EXPECT_EQ(sender, &image);
    stages.push_back(stage);
  };
  image.Bitmap();
  ASSERT_GE(stages.size(), 2u);
  EXPECT_EQ(stages.front(), psStarting);
  EXPECT_EQ(stages.back(), psEnding);
}

}  // namespace
}  // namespace tw
