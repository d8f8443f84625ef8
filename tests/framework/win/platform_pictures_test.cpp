#include "framework/win/platform_pictures.h"

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/stream.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

class PlatformPictures : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterPlatformPictureFormats(); }

  // A white 24-bit target to draw pictures on.
  static void Blank(TBitmap& target, int width, int height) {
    target.SetPixelFormat(pf24bit);
    target.SetSize(width, height);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect(Rect(0, 0, width, height));
  }
  static COLORREF At(TBitmap& bitmap, int x, int y) {
    return GetPixel(bitmap.Canvas().Handle(), x, y);
  }

  // A one-image icon file: 16 x 16, 32 bits per pixel, the left half red and opaque, the right
  // half transparent by its alpha and its AND mask.
  static std::vector<unsigned char> IconFile() {
    std::vector<unsigned char> out;
    auto word = [&](unsigned v) {
      out.push_back(v & 0xFF);
      out.push_back((v >> 8) & 0xFF);
    };
    auto dword = [&](unsigned v) {
      word(v & 0xFFFF);
      word(v >> 16);
    };
    const unsigned pixels = 16 * 16 * 4, mask = 16 * 4;
    word(0), word(1), word(1);
    out.insert(out.end(), {16, 16, 0, 0});
    word(1), word(32), dword(40 + pixels + mask), dword(22);
    dword(40), dword(16), dword(32), word(1), word(32);
    for (int i = 0; i < 6; ++i) dword(0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        out.insert(out.end(), {0, 0, 255, static_cast<unsigned char>(x < 8 ? 255 : 0)});
    for (int y = 0; y < 16; ++y) out.insert(out.end(), {0x00, 0xFF, 0, 0});
    return out;
  }

  test::TempFolder folder;
};

TEST_F(PlatformPictures, BitmapFileLoadsByItsExtensionInAnyCase) {
  TBitmap source;
  Blank(source, 6, 4);
  source.Canvas().SetPixel(2, 1, clBlue);
  const std::string path = folder.File("picture.BMP");
  source.SaveToFile(path);
  TPicture picture;
  picture.LoadFromFile(path);
  auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(picture.Width(), 6);
  EXPECT_EQ(picture.Height(), 4);
  EXPECT_EQ(At(*bitmap, 2, 1), RGB(0, 0, 255));
  EXPECT_EQ(&PictureBitmap(picture), bitmap) << "a picture holding a bitmap hands it out";
}

TEST_F(PlatformPictures, UnknownExtensionFails) {
  const std::string path = folder.Write("notes.xyz", "hello");
  TPicture picture;
  try {
    picture.LoadFromFile(path);
    FAIL() << "an unknown extension loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(PlatformPictures, IconLoadsDrawsWithItsMaskAndSavesAsRead) {
  const auto file = IconFile();
  const std::string path = folder.Write("app.ico", file);
  TPicture picture;
  picture.LoadFromFile(path);
  auto* icon = dynamic_cast<TIcon*>(picture.Graphic());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Width(), 16);
  EXPECT_EQ(icon->Height(), 16);
  TBitmap target;
  Blank(target, 16, 16);
  target.Canvas().Draw(0, 0, *icon);
  EXPECT_EQ(At(target, 3, 8), RGB(255, 0, 0));
  EXPECT_EQ(At(target, 12, 8), RGB(255, 255, 255)) << "the masked half stays untouched";
  TMemoryStream saved;
  icon->SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), std::vector<std::uint8_t>(file.begin(), file.end()));
  EXPECT_THROW(icon->SetWidth(32), EInvalidGraphicOperation);
}

TEST_F(PlatformPictures, IconMadeFromAHandleSavesAsAFileThatLoadsAgain) {
  TIcon original;
  const auto file = IconFile();
  TMemoryStream stream(std::vector<std::uint8_t>(file.begin(), file.end()));
  original.LoadFromStream(stream);
  TIcon from_handle;
  from_handle.SetHandle(CopyIcon(original.Handle()));
  TMemoryStream saved;
  from_handle.SaveToStream(saved);
  saved.SetPosition(0);
  TIcon reloaded;
  reloaded.LoadFromStream(saved);
  TBitmap target;
  Blank(target, 16, 16);
  target.Canvas().Draw(0, 0, reloaded);
  EXPECT_EQ(At(target, 3, 8), RGB(255, 0, 0));
  EXPECT_EQ(At(target, 12, 8), RGB(255, 255, 255));
}

TEST_F(PlatformPictures, DamagedIconsFailWithoutReadingPastTheData) {
  auto file = IconFile();
  // The entry claims more image bytes than the file has.
  file[14] = 0xFF, file[15] = 0xFF;
  TIcon icon;
  TMemoryStream stream(std::vector<std::uint8_t>(file.begin(), file.end()));
  try {
    icon.LoadFromStream(stream);
    FAIL() << "a damaged icon loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Invalid icon");
  }
  TMemoryStream short_stream(std::vector<std::uint8_t>{0, 0, 1, 0});
  EXPECT_THROW(icon.LoadFromStream(short_stream), EInvalidGraphic);
  EXPECT_TRUE(icon.Empty());
}

// Every cut of a good file either loads or fails with the picture's error, never reads past
// the data it was given, and leaves the picture empty when it fails.
TEST_F(PlatformPictures, TruncatedIconsAndMetafilesFailCleanly) {
  const auto icon_file = IconFile();
  std::vector<std::uint8_t> emf;
  {
    RECT frame{0, 0, 500, 500};
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
    Rectangle(dc, 0, 0, 10, 10);
    HENHMETAFILE handle = CloseEnhMetaFile(dc);
    emf.resize(GetEnhMetaFileBits(handle, 0, nullptr));
    GetEnhMetaFileBits(handle, static_cast<UINT>(emf.size()), emf.data());
    DeleteEnhMetaFile(handle);
  }
  for (std::size_t length = 0; length < icon_file.size(); length += 7) {
    TIcon icon;
    TMemoryStream stream(std::vector<std::uint8_t>(icon_file.begin(), icon_file.begin() + length));
    try {
      icon.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
      EXPECT_TRUE(icon.Empty()) << length;
    }
  }
  for (std::size_t length = 0; length < emf.size(); length += 5) {
    TMetafile metafile;
    TMemoryStream stream(std::vector<std::uint8_t>(emf.begin(), emf.begin() + length));
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic) << length;
    EXPECT_TRUE(metafile.Empty());
  }
}

TEST_F(PlatformPictures, EnhancedMetafileLoadsWithItsSizeAndDraws) {
  const std::string path = folder.File("drawing.emf");
  {
    // A 10 x 10 mm frame with a blue rectangle over all of it (in reference pixels).
    RECT frame{0, 0, 1000, 1000};
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    ASSERT_NE(dc, nullptr);
    ScopedBrush blue(CreateSolidBrush(RGB(0, 0, 255)));
    RECT all{0, 0, 1000, 1000};
    FillRect(dc, &all, blue.Get());
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  }
  TPicture picture;
  picture.LoadFromFile(path);
  auto* metafile = dynamic_cast<TMetafile*>(picture.Graphic());
  ASSERT_NE(metafile, nullptr);
  EXPECT_TRUE(metafile->Enhanced());
  EXPECT_NEAR(metafile->MMWidth(), 1000, 2);
  EXPECT_NEAR(metafile->Width(), MulDiv(1000, ScreenPixelsPerInch(), 2540), 1);
  TBitmap target;
  Blank(target, 40, 40);
  target.Canvas().StretchDraw(Rect(0, 0, 40, 40), *metafile);
  EXPECT_EQ(At(target, 20, 20), RGB(0, 0, 255));
}

TEST_F(PlatformPictures, WindowsMetafilesLoadPlainAndPlaceable) {
  const std::string path = folder.File("plain.wmf");
  {
    HDC dc = CreateMetaFileA(path.c_str());
    ASSERT_NE(dc, nullptr);
    SetWindowExtEx(dc, 100, 100, nullptr);
    ScopedBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    SelectObject(dc, red.Get());
    Rectangle(dc, 0, 0, 100, 100);
    DeleteMetaFile(CloseMetaFile(dc));
  }
  TPicture picture;
  picture.LoadFromFile(path);
  auto* metafile = dynamic_cast<TMetafile*>(picture.Graphic());
  ASSERT_NE(metafile, nullptr);
  EXPECT_FALSE(metafile->Enhanced());

  // Saved again as a placeable metafile with a known size, it reads back with that size.
  metafile->SetMMWidth(2540);
  metafile->SetMMHeight(1270);
  const std::string placeable = folder.File("placeable.WMF");
  metafile->SaveToFile(placeable);
  const auto bytes = test::ReadFileBytes(placeable);
  ASSERT_GE(bytes.size(), 22u);
  EXPECT_EQ(bytes[0], 0xD7);
  EXPECT_EQ(bytes[3], 0x9A);
  TPicture again;
  again.LoadFromFile(placeable);
  auto* reread = dynamic_cast<TMetafile*>(again.Graphic());
  ASSERT_NE(reread, nullptr);
  EXPECT_NEAR(reread->MMWidth(), 2540, 2);
  EXPECT_NEAR(reread->MMHeight(), 1270, 2);
  TBitmap target;
  Blank(target, 20, 20);
  target.Canvas().StretchDraw(Rect(0, 0, 20, 20), *reread);
  EXPECT_EQ(At(target, 10, 10), RGB(255, 0, 0));
}

TEST_F(PlatformPictures, DamagedMetafilesFail) {
  std::vector<std::uint8_t> header(40, 0);
  header[0] = 1, header[2] = 9, header[6] = 0xFF, header[7] = 0xFF;  // size beyond the data
  TMetafile metafile;
  TMemoryStream stream(header);
  try {
    metafile.LoadFromStream(stream);
    FAIL() << "a damaged metafile loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Metafile is not valid");
  }
  EXPECT_TRUE(metafile.Empty());
}

TEST_F(PlatformPictures, TypedAccessReplacesAnotherKindOfGraphic) {
  TPicture picture;
  TMetafile& metafile = PictureMetafile(picture);
  EXPECT_EQ(picture.Graphic(), &metafile);
  TBitmap& bitmap = PictureBitmap(picture);
  EXPECT_EQ(picture.Graphic(), &bitmap);
  EXPECT_TRUE(bitmap.Empty());
  TIcon& icon = PictureIcon(picture);
  EXPECT_EQ(picture.Graphic(), &icon);
}

}  // namespace
}  // namespace tw
