#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

using namespace gif_test;

void Load(TGIFImage& image, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  image.LoadFromStream(stream);
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EInvalidGraphicOperation& e) {
    return e.Message();
  }
  return "no failure";
}

TEST(GifRead, AnEmptySourceGivesAnEmptyImage) {
  TGIFImage image;
  int changes = 0;
  image.OnChange = [&](TObject*) { ++changes; };
  Load(image, {});
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.FrameCount(), 0);
  EXPECT_EQ(changes, 1);
  TMemoryStream zero_length(Bytes{0, 0, 0, 0});
  image.ReadGif(-5, zero_length, true);
  EXPECT_EQ(image.FrameCount(), 0);
}

TEST(GifRead, SignatureAndVersionIgnoreCaseAndRefuseOthers) {
  for (const char* signature : {"gif89a", "GIF89A", "Gif87a"}) {
    TGIFImage image;
    Load(image, GifBuilder(4, 3, 2, signature).Image(4, 3).Trailer().bytes);
    EXPECT_EQ(image.FrameCount(), 1) << signature;
    EXPECT_EQ(image.FormatVersion(), signature[4] == '7' ? 1 : 2);
  }
  for (const char* signature : {"GIF90a", "JIF89a", "GI"}) {
    TGIFImage image;
    EXPECT_EQ(MessageOf([&] { Load(image, GifBuilder(4, 3, 2, signature).bytes); }), LoadStr(SGIFUnknownVersion));
  }
}

TEST(GifRead, DecodesOnlyTheFirstFrameAtLoadAndTheRestOnDemand) {
  TGIFImage image;
  Load(image, GifBuilder(6, 5, 2).Image(4, 3).Image(6, 5, 3, 3, 0, 0).Trailer().bytes);
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.CurrentFrame(), 0);
  ASSERT_NE(image.FrameAt(0).Bitmap, nullptr);
  EXPECT_EQ(image.FrameAt(1).Bitmap, nullptr);
  // The size is the current frame's, not the logical screen's.
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.LogicalWidth(), 6);
  const TDib& second = image.FrameAt(1).FrameBitmap();
  EXPECT_EQ(second.Width(), 6);
  EXPECT_EQ(second.BitsPerPixel(), 4);
  EXPECT_TRUE(image.FrameAt(1).HasLocalTable);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(second.PixelColor(x, y), GifBuilder::EntryColor((x + y) % 8));
  // Palette entries beyond the table are gray.
  EXPECT_EQ(second.Palette()[9], (TRGBQuad{128, 128, 128, 128}));
  image.SetCurrentFrame(1);
  EXPECT_EQ(image.Width(), 6);
}

TEST(GifRead, AFileWithoutColourTablesLosesItsFrameAtLoad) {
  TGIFImage image;
  EXPECT_EQ(MessageOf([&] { Load(image, GifBuilder(4, 3, 0).Image(4, 3).Trailer().bytes); }),
            LoadStr(SGIFBadColorCount));
  EXPECT_EQ(image.FrameCount(), 0);
}

TEST(GifRead, ADescriptorOfSizeZeroTakesTheLogicalScreenSize) {
  TGIFImage image;
  Load(image, GifBuilder(5, 4, 2).Image(5, 4, 2, 0, 0, 0, 0, 0).Trailer().bytes);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 4);
  EXPECT_EQ(image.FrameAt(0).FrameBitmap().PixelColor(4, 3), GifBuilder::EntryColor(7 % 4));
}

TEST(GifRead, GraphicControlExtensionsCombineDelaysAndKeepTheLastKeyAndDisposal) {
  TGIFImage image;
  Load(image, GifBuilder(4, 3, 2)
                  .GraphicControl(30, 2, 1)
                  .GraphicControl(12, 3, 2)
                  .Image(4, 3)
                  .GraphicControl(5, 1)
                  .GraphicControl(7, 9)  // index beyond the table: the key stays
                  .Image(4, 3)
                  .GraphicControl(5, 1)
                  .GraphicControl(6)  // no transparency: the key goes
                  .Image(4, 3)
                  .Trailer()
                  .bytes);
  ASSERT_EQ(image.FrameCount(), 3);
  const TGIFFrame& first = image.FrameAt(0);
  EXPECT_EQ(first.DelayMs, 300);
  EXPECT_EQ(first.KeyColor, static_cast<TColor>(GifBuilder::EntryColor(3)));
  EXPECT_EQ(first.DisposalCode, 2);
  EXPECT_EQ(first.Extensions.size(), 2u);
  EXPECT_EQ(image.FrameAt(1).KeyColor, static_cast<TColor>(GifBuilder::EntryColor(1)));
  EXPECT_EQ(image.FrameAt(1).DelayMs, 70);
  EXPECT_EQ(image.FrameAt(2).KeyColor, clNone);
  EXPECT_TRUE(image.Transparent());
}

TEST(GifRead, ADelayTooLongForTheFieldIsKeptModulo65536) {
  TGIFImage image;
  Load(image, GifBuilder().GraphicControl(6554).Image(4, 3).GraphicControl(6553).Image(4, 3).Trailer().bytes);
  EXPECT_EQ(image.FrameAt(0).DelayMs, 4);
  EXPECT_EQ(image.FrameAt(1).DelayMs, 65530);
}

TEST(GifRead, PlainTextDiscardsTheExtensionsBeforeIt) {
  TGIFImage image;
  Load(image, GifBuilder().GraphicControl(40, 1).Comment({"gone"}).PlainText().Comment({"kept"}).Image(4, 3)
                  .Trailer().bytes);
  const TGIFFrame& frame = image.FrameAt(0);
  EXPECT_EQ(frame.DelayMs, 0);
  EXPECT_EQ(frame.KeyColor, clNone);
  ASSERT_EQ(frame.Extensions.size(), 1u);
  EXPECT_EQ(*frame.Extensions[0]->SubBlocks, std::vector<std::string>{"kept"});
}

TEST(GifRead, LoopingExtensionsSetTheLoopCountUpTo30000) {
  TGIFImage image;
  Load(image, GifBuilder().Application("NETSCAPE2.0", {1, 0x40, 0x9C}).Image(4, 3).Trailer().bytes);
  EXPECT_TRUE(image.LoopEnabled());
  EXPECT_EQ(image.LoopCount(), 30000);
  Load(image, GifBuilder().Application("ANIMEXTS1.0", {1, 5, 0}).Image(4, 3).Trailer().bytes);
  EXPECT_EQ(image.LoopCount(), 5);
  Load(image, GifBuilder().Application("NETSCAPE2.0", {2, 5, 0}).Application("ICCRGBG1012", {1, 2, 3}).Image(4, 3)
                  .Trailer().bytes);
  EXPECT_FALSE(image.LoopEnabled());
  EXPECT_EQ(image.LoopCount(), 1);
  EXPECT_TRUE(image.FrameAt(0).Extensions.empty());
}

TEST(GifRead, CommentsAfterTheLastImageBecomeTheImageComment) {
  TGIFImage image;
  Load(image, GifBuilder().Comment({"frame"}).Image(4, 3).Comment({"one", "two"}).Comment({"three"}).Trailer()
                  .bytes);
  EXPECT_EQ(image.SharedData().CommentLines, (std::vector<std::string>{"one", "two", "\r\n\r\n", "three"}));
  ASSERT_NE(image.FrameAt(0).FrameComment(false), nullptr);
  EXPECT_EQ(*image.FrameAt(0).FrameComment(false), std::vector<std::string>{"frame"});
}

TEST(GifRead, ACutSubBlockMarksTheFrameDamagedOnlyInTolerantMode) {
  Bytes file = GifBuilder(16, 16, 2).Image(16, 16).bytes;
  file.resize(file.size() - 3);  // inside the last data sub-block
  TGIFImage image;
  Load(image, file);
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_TRUE(image.FrameAt(0).Damaged);
  EXPECT_EQ(image.Width(), 16);

  GifTolerateDamage = false;
  TMemoryStream stream(file);
  EXPECT_THROW(image.LoadFromStream(stream), EReadError);
  GifTolerateDamage = true;
  EXPECT_EQ(image.FrameCount(), 0);
}

TEST(GifRead, ZeroBytesAfterAnImageAreSkippedAndUnknownBytesEndReading) {
  TGIFImage image;
  Load(image, GifBuilder().Image(4, 3).Raw({0, 0, 0}).Image(4, 3).Raw({'x'}).Image(4, 3).Trailer().bytes);
  EXPECT_EQ(image.FrameCount(), 2);
}

TEST(GifRead, UnknownExtensionsAndStrayBlocksFail) {
  TGIFImage image;
  EXPECT_EQ(MessageOf([&] { Load(image, GifBuilder().Image(4, 3).Raw({0x21, 0x3A, 0}).Trailer().bytes); }),
            FmtLoadStr(SGIFUnknownExtension, 0x3A));
  EXPECT_EQ(FmtLoadStr(SGIFUnknownExtension, 0x3A).substr(FmtLoadStr(SGIFUnknownExtension, 0x3A).size() - 2), "3a");
  // The frame read before the failure stays.
  EXPECT_EQ(image.FrameCount(), 1);
  TMemoryStream stray(GifBuilder().Comment({"c"}).Raw({'x'}).Image(4, 3).bytes);
  EXPECT_THROW(image.LoadFromStream(stray), EReadError);
  TMemoryStream short_descriptor(GifBuilder().Raw({0x2C, 0, 0}).bytes);
  EXPECT_THROW(image.LoadFromStream(short_descriptor), EReadError);
}

TEST(GifRead, TheBackgroundColourComesFromTheGlobalTable) {
  TGIFImage image;
  Load(image, GifBuilder(4, 3, 2, "GIF89a", 2).Image(4, 3).Trailer().bytes);
  EXPECT_EQ(image.BackColor(), static_cast<TColor>(GifBuilder::EntryColor(2)));
  Load(image, GifBuilder(4, 3, 2, "GIF89a", 9).Image(4, 3).Trailer().bytes);
  EXPECT_EQ(image.BackColor(), clNone);
}

TEST(GifRead, AFrameBeyondTheDecodeBoundIsRefusedBeforeItsPixelsExist) {
  // Under a kilobyte declaring 65535 x 16383 pixels with 256 colours: just under 1 GiB.
  const Bytes bomb = GifBuilder(65535, 16383, 8).Image(1, 1, 8, 0, 0, 0, 65535, 16383).Trailer().bytes;
  ASSERT_LT(bomb.size(), 1024u);
  TGIFImage image;
  EXPECT_EQ(MessageOf([&] { Load(image, bomb); }), LoadStr(SGIFBadData));
  EXPECT_EQ(image.FrameCount(), 0);

  TMemoryStream stream(bomb);
  image.ReadGif(stream.Size(), stream, false);
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(MessageOf([&] { image.FrameAt(0).FrameBitmap(); }), LoadStr(SGIFBadData));
  EXPECT_TRUE(image.FrameAt(0).Bitmap->Empty());
}

TEST(GifRead, SizingIsRefused) {
  TGIFImage image;
  EXPECT_EQ(MessageOf([&] { image.SetWidth(3); }), LoadStr(SGIFCannotResize));
  EXPECT_EQ(MessageOf([&] { image.SetHeight(3); }), LoadStr(SGIFCannotResize));
}

}  // namespace
}  // namespace tw
