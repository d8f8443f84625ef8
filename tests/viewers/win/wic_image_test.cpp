// Pictures through the platform's imaging component, from PNG and TIFF files the tests write
// themselves. Under Wine 8 PNG and TIFF decode; WebP has no decoder there.
#include "viewers/win/wic_image.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "framework/exception.h"
#include "framework/picture.h"
#include "framework/picture_registry.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/win/platform_pictures.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tiff_file.h"
#include "viewers/win/gif_image_win.h"
#include "viewers/win/imaging_decoder.h"
#include "viewers/win/jpeg_image.h"

namespace tw {
namespace {

using png_test::PngFile;
using png_test::PngLayout;
using Samples = std::array<std::uint8_t, 4>;

class WicImage : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    RegisterPlatformPictureFormats();
    RegisterJPEGImage();
    InitGifImageModule();
    RegisterImagingFormats();
  }
  static void TearDownTestSuite() { CoUninitialize(); }

  static std::unique_ptr<TWICImage> Loaded(const png_test::Bytes& file) {
    auto image = std::make_unique<TWICImage>();
    TMemoryStream stream(file);
    image->LoadFromStream(stream);
    return image;
  }
};

// Pixel (x, y) from the top as 0xAARRGGBB.
std::uint32_t Pixel(const TWICImage& image, int x, int y) {
  return reinterpret_cast<const std::uint32_t*>(image.Pixels().ScanLine(y))[x];
}

// A picture that tells its pixels apart: red from x, green from y, blue from both.
Samples Pattern(int x, int y) {
  return {static_cast<std::uint8_t>(x * 25), static_cast<std::uint8_t>(y * 30), static_cast<std::uint8_t>(x * y), 255};
}

std::uint32_t Opaque(const Samples& s) { return 0xFF000000u | s[0] << 16 | s[1] << 8 | s[2]; }

TEST_F(WicImage, PngFilesOfEveryKindDecodeToTheirExactPixels) {
  for (bool interlaced : {false, true}) {
    PngLayout layout;
    layout.width = 10;
    layout.height = 9;
    layout.interlaced = interlaced;
    layout.color_type = png_test::kRgb;
    const auto rgb = Loaded(PngFile(layout, Pattern));
    layout.color_type = png_test::kPalette;
    for (int i = 0; i < 16; ++i)
      layout.palette.push_back({static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i), 7});
    const auto indexed = Loaded(PngFile(layout, [](int x, int y) { return Samples{static_cast<std::uint8_t>((x + y) % 16)}; }));
    // Alpha 0, 128 and 255 with full or no colour, where premultiplying is exact.
    layout.color_type = png_test::kRgba;
    const std::uint8_t alphas[] = {0, 128, 255};
    auto translucent = [&](int x, int y) {
      const std::uint8_t a = alphas[(x + y) % 3];
      return Samples{static_cast<std::uint8_t>(x % 2 ? 255 : 0), 255, 0, a};
    };
    const auto alpha = Loaded(PngFile(layout, translucent));
    ASSERT_EQ(rgb->Width(), 10);
    ASSERT_EQ(rgb->Height(), 9);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(Pixel(*rgb, x, y), Opaque(Pattern(x, y))) << x << "," << y << " " << interlaced;
        const auto& c = layout.palette[static_cast<std::size_t>((x + y) % 16)];
        EXPECT_EQ(Pixel(*indexed, x, y), Opaque({c[0], c[1], c[2], 255})) << x << "," << y;
        const Samples s = translucent(x, y);
        const std::uint32_t a = s[3];
        EXPECT_EQ(Pixel(*alpha, x, y), a << 24 | (s[0] * a / 255) << 16 | (s[1] * a / 255) << 8) << x << "," << y;
      }
  }
}

TEST_F(WicImage, TiffFilesDecodeToTheirExactPixels) {
  const auto image = Loaded(tiff_test::RgbTiff(7, 5, [](int x, int y) {
    const Samples s = Pattern(x, y);
    return std::array<std::uint8_t, 3>{s[0], s[1], s[2]};
  }));
  ASSERT_EQ(image->Width(), 7);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(Pixel(*image, x, y), Opaque(Pattern(x, y))) << x << "," << y;
}

TEST_F(WicImage, TheDecodersExtensionsAreRegisteredExceptTarnwicksOwn) {
  const std::set<std::string> own = {"bmp", "ico", "wmf", "emf", "gif", "jpg", "jpeg"};
  std::set<std::string> expected;
  for (const TImagingExtension& e : ImagingDecoderExtensions())
    if (!own.count(e.Extension)) expected.insert(e.Extension);
  const std::vector<std::string> made = RegisterImagingFormats();
  EXPECT_EQ(std::set<std::string>(made.begin(), made.end()), expected);
  EXPECT_TRUE(expected.count("png"));
  EXPECT_TRUE(expected.count("tiff"));
  for (const std::string& ext : own) EXPECT_NE(GraphicClassForExtension(ext).Name, "TWICImage") << ext;
  EXPECT_EQ(GraphicClassForExtension("PNG").Name, "TWICImage");
}

TEST_F(WicImage, AbsurdHeadersAndFilesTheDecoderRejectsLeaveThePictureAsItWas) {
  test::TempFolder folder;
  PngLayout layout;
  layout.width = 3;
  layout.height = 2;
  TPicture picture;
  picture.LoadFromFile(folder.Write("good.png", PngFile(layout, Pattern)));
  ASSERT_EQ(picture.Width(), 3);
  auto message_of = [&](const std::string& name, const png_test::Bytes& file) {
    try {
      picture.LoadFromFile(folder.Write(name, file));
    } catch (const EInvalidGraphic& e) {
      return e.Message();
    }
    return std::string("loaded");
  };

  // A TIFF decoder reads its header only: the size is refused before a pixel is made. Wine's
  // PNG decoder does not take a header of 100000 x 100000 at all.
  const auto one = [](int, int) { return std::array<std::uint8_t, 3>{1, 2, 3}; };
  EXPECT_EQ(message_of("huge.tif", tiff_test::RgbTiff(1, 1, one, 100000, 100000)), LoadStr(SBitmapTooLarge));
  layout.width = layout.height = 1;
  layout.claimed_width = layout.claimed_height = 100000;
  EXPECT_NE(message_of("huge.png", PngFile(layout, Pattern)), "loaded");
  EXPECT_EQ(message_of("broken.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 'x'}), LoadStr(SImagingUnknownFormat));
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TWICImage");
}

TEST_F(WicImage, APictureWithoutRowsOrColumnsIsRefusedBeforeDecoding) {
  // A bitmap header of WIDTH x HEIGHT at 24 bits and no pixels: the imaging component's bitmap
  // decoder takes the size as it stands.
  auto empty_bitmap = [](std::uint32_t width, std::uint32_t height) {
    png_test::Bytes file(54, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, 54), put32(10, 54), put32(14, 40), put32(18, width), put32(22, height);
    put32(26, 1 | (24 << 16));
    return file;
  };
  for (auto [width, height] : {std::pair{1u, 0u}, std::pair{0u, 1u}, std::pair{0u, 0u}}) {
    const png_test::Bytes file = empty_bitmap(width, height);
    try {
      DecodeWithImaging(file.data(), file.size(), true);
      ADD_FAILURE() << width << " x " << height << " decoded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), LoadStr(SInvalidImage)) << width << " x " << height;
    }
  }
}

TEST_F(WicImage, TransparencyIsBlendedOverWhatIsBelow) {
  PngLayout layout;
  layout.width = 2;
  layout.height = 1;
  layout.color_type = png_test::kRgba;
  const auto image = Loaded(PngFile(layout, [](int x, int) { return Samples{255, 255, 255, static_cast<std::uint8_t>(x ? 0 : 128)}; }));
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(4, 2);
  target.Canvas().Brush().SetColor(RGBToColor(0, 0, 100));
  target.Canvas().FillRect(Rect(0, 0, 4, 2));
  target.Canvas().StretchDraw(Rect(0, 0, 4, 2), *image);
  const TDib drawn = target.ToDib();
  const std::uint32_t half = drawn.PixelColor(0, 0);
  EXPECT_NEAR(ColorRed(half), 128, 1);
  EXPECT_NEAR(ColorBlue(half), 128 + 50, 1);
  EXPECT_EQ(drawn.PixelColor(3, 1), RGBToColor(0, 0, 100));
}

}  // namespace
}  // namespace tw
