#include <gtest/gtest.h>

#include <map>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "tests/viewers/ani_test_support.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "viewers/animated_cursor.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

using namespace gif_test;

Bytes Written(TGIFImage& image) {
  TMemoryStream out;
  image.SaveToStream(out);
  return out.Bytes();
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

void Load(TGIFImage& image, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  image.LoadFromStream(stream);
}

TEST(GifWrite, ATrueColourFrameIs87aWithAFullGlobalTableUntilItGetsADelay) {
  TGIFImage image;
  image.AppendFrame(TrueColorPicture(10, 7, 40));
  EXPECT_EQ(image.FormatVersion(), 1);
  const Bytes plain = Written(image);
  ASSERT_GT(plain.size(), 13u + 768u);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 6), "GIF87a");
  EXPECT_EQ(plain[6], 10);
  EXPECT_EQ(plain[8], 7);
  EXPECT_EQ(plain[10], 0xF7);  // global table of 256 entries, resolution repeating its size
  EXPECT_EQ(plain[13 + 768], 0x2C);  // no extension before the image
  EXPECT_FALSE(image.FrameAt(0).HasLocalTable);

  image.FrameAt(0).DelayMs = 250;
  const Bytes delayed = Written(image);
  EXPECT_EQ(std::string(delayed.begin(), delayed.begin() + 6), "GIF89a");
  EXPECT_TRUE(Contains(delayed, {0x21, 0xF9, 4, 0, 25, 0, 0, 0, 0x2C}));

  TGIFImage back;
  Load(back, delayed);
  EXPECT_EQ(back.FrameAt(0).DelayMs, 250);
  const TDib& pixels = back.FrameAt(0).FrameBitmap();
  const TDib original = TrueColorPicture(10, 7, 40);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(pixels.PixelColor(x, y), original.PixelColor(x, y)) << x << "," << y;
}

TEST(GifWrite, LaterFramesGetLocalTablesAndTheLoopGoesBeforeThem) {
  TGIFImage image;
  image.AppendFrame(PalettePicture(5, 4, 4));
  image.AppendFrame(PalettePicture(7, 3, 1, 2));
  image.FrameAt(1).Origin = {2, 3};
  image.SetLoop(true, 7);
  const Bytes file = Written(image);
  EXPECT_EQ(image.FormatVersion(), 2);
  EXPECT_TRUE(image.FrameAt(1).HasLocalTable);
  EXPECT_TRUE(Contains(file, {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 7, 0, 0}));
  TGIFImage back;
  Load(back, file);
  ASSERT_EQ(back.FrameCount(), 2);
  EXPECT_EQ(back.LogicalWidth(), 9);
  EXPECT_EQ(back.LogicalHeight(), 6);
  EXPECT_TRUE(back.LoopEnabled());
  EXPECT_EQ(back.LoopCount(), 7);
  EXPECT_EQ(back.FrameAt(1).Origin, Point(2, 3));
  const TDib one_bit = PalettePicture(7, 3, 1, 2);
  const TDib& read = back.FrameAt(1).FrameBitmap();
  EXPECT_EQ(read.BitsPerPixel(), 1);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(read.PixelColor(x, y), one_bit.PixelColor(x, y));
}

TEST(GifWrite, TheLoopIsWrittenOnlyForSeveralFrames) {
  TGIFImage image;
  image.AppendFrame(PalettePicture(5, 4, 4));
  image.SetLoop(true, 3);
  EXPECT_FALSE(Contains(Written(image), {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E'}));
}

TEST(GifWrite, KeyColoursBecomeTransparentIndicesAndCommentsAreKept) {
  TGIFImage image;
  const TDib picture = PalettePicture(6, 6, 8);
  const TColor key = static_cast<TColor>(picture.PixelColor(3, 0));
  image.AppendFrame(picture, key);
  image.FrameAt(0).DisposalCode = 2;
  *image.FrameAt(0).FrameComment(true) = {"before", std::string(300, 'c')};
  image.SharedData().CommentLines = {"after"};
  const Bytes file = Written(image);
  TGIFImage back;
  Load(back, file);
  const TGIFFrame& frame = back.FrameAt(0);
  EXPECT_EQ(frame.KeyColor, key);
  EXPECT_EQ(frame.DisposalCode, 2);
  ASSERT_NE(const_cast<TGIFFrame&>(frame).FrameComment(false), nullptr);
  EXPECT_EQ(*const_cast<TGIFFrame&>(frame).FrameComment(false),
            (std::vector<std::string>{"before", std::string(255, 'c')}));
  EXPECT_EQ(back.SharedData().CommentLines, std::vector<std::string>{"after"});
  EXPECT_TRUE(back.Transparent());
}

TEST(GifWrite, ReadFilesAreWrittenBackWithTheirCodeVersionAndTables) {
  const Bytes original = GifBuilder(6, 5, 2, "GIF87a").Image(4, 3).Image(6, 5, 3, 3, 0, 0).Trailer().bytes;
  TGIFImage image;
  Load(image, original);
  EXPECT_EQ(Written(image), original);
}

TEST(GifWrite, ADamagedFrameIsWrittenWithATerminatorSoLaterFramesSurvive) {
  Bytes damaged = GifBuilder(16, 16, 2).Image(16, 16).bytes;
  damaged.resize(damaged.size() - 3);  // cut inside the last sub-block
  damaged.push_back(0x2C);  // not read: it lies inside the cut-off block
  TGIFImage image;
  Load(image, damaged);
  ASSERT_EQ(image.FrameCount(), 1);
  ASSERT_TRUE(image.FrameAt(0).Damaged);
  image.AppendFrame(PalettePicture(3, 2, 4));
  TGIFImage back;
  Load(back, Written(image));
  ASSERT_EQ(back.FrameCount(), 2);
  EXPECT_EQ(back.FrameAt(1).FrameBitmap().PixelColor(2, 1), PalettePicture(3, 2, 4).PixelColor(2, 1));
}

TEST(GifWrite, NothingToWriteIsRefused) {
  TGIFImage image;
  TMemoryStream out;
  try {
    image.SaveToStream(out);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), LoadStr(SGIFNoDataToWrite));
  }
  TGIFFrame frame(&image);
  EXPECT_THROW(frame.EncodeFrame(), EInvalidGraphicOperation);
}

TEST(GifWrite, GrayReducedFramesStayGray) {
  TGIFImage image;
  image.AppendFrame(TrueColorPicture(8, 8, 300));
  image.FrameAt(0).GrayReduced = true;
  Written(image);
  const GifColorTable& table = image.SharedData().GlobalTable;
  EXPECT_EQ(table.Count, 256);
  EXPECT_EQ(table.Color(77), RGBToColor(77, 77, 77));
  EXPECT_TRUE(image.FrameAt(0).GrayReduced);
}

// Records the binary properties an object defines, as the component stream would.
class RecordingFiler : public TFiler {
public:
  void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write, bool has_data) override {
    if (!has_data) return;
    TMemoryStream stream;
    write(stream);
    written[name] = stream.Bytes();
    readers[name] = read;
  }
  std::map<std::string, Bytes> written;
  std::map<std::string, TStreamProc> readers;
};

TEST(GifWrite, PropertyDataCarriesItsLength) {
  TGIFImage image;
  image.AppendFrame(PalettePicture(5, 4, 4));
  RecordingFiler filer;
  image.DefineProperties(filer);
  const Bytes data = filer.written.at("Data");
  ASSERT_GT(data.size(), 4u);
  EXPECT_EQ(data[0] | data[1] << 8, static_cast<int>(data.size() - 4));
  // An empty image stores nothing; reading the stored data into it restores the frame and
  // stops at the data's end.
  TGIFImage copy;
  RecordingFiler into_copy;
  copy.DefineProperties(into_copy);
  EXPECT_TRUE(into_copy.written.empty());
  ASSERT_TRUE(into_copy.readers.empty());
  struct ReaderOnly : TFiler {
    void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc, bool) override {
      readers[name] = read;
    }
    std::map<std::string, TStreamProc> readers;
  } reader;
  copy.DefineProperties(reader);
  Bytes followed = data;
  followed.push_back(0xEE);
  TMemoryStream stream(followed);
  reader.readers.at("Data")(stream);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(data.size()));
  ASSERT_EQ(copy.FrameCount(), 1);
  const TDib& restored = copy.FrameAt(0).FrameBitmap();
  const TDib& original = image.FrameAt(0).FrameBitmap();
  ASSERT_EQ(restored.Width(), 5);
  ASSERT_EQ(restored.Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(restored.PixelColor(x, y), original.PixelColor(x, y)) << x << "," << y;
}

TEST(GifAssign, ImagesShareTheirDataAndFramesTheirItems) {
  TGIFImage source;
  Load(source, GifBuilder(6, 5, 2).Image(4, 3).Image(6, 5, 3, 3).Trailer().bytes);
  source.SetCurrentFrame(1);
  TGIFImage copy;
  copy.Assign(source);
  EXPECT_TRUE(copy.Equals(source));
  ASSERT_EQ(copy.FrameCount(), 2);
  EXPECT_EQ(copy.FrameAt(1).Item.Get(), source.FrameAt(1).Item.Get());
  EXPECT_EQ(&copy.FrameAt(1).Owner->SharedData(), &copy.SharedData());
  EXPECT_EQ(copy.CurrentFrame(), 1);
  EXPECT_FALSE(copy.FrameAt(0).HasLocalTable);

  TGIFImage single;
  single.Assign(source.FrameAt(1));
  ASSERT_EQ(single.FrameCount(), 1);
  EXPECT_FALSE(single.Equals(source));
  EXPECT_EQ(single.SharedData().GlobalTable.Count, 4);
  EXPECT_TRUE(single.FrameAt(0).HasLocalTable);  // a frame of another image keeps its own colours
  EXPECT_EQ(Written(single).size() > 0, true);
  TGIFImage check;
  Load(check, Written(single));
  EXPECT_EQ(check.FrameAt(0).FrameBitmap().PixelColor(5, 4), GifBuilder::EntryColor(9 % 8));

  TGIFFrame frame(nullptr);
  frame.Assign(source);  // the current frame
  EXPECT_EQ(frame.Item.Get(), source.FrameAt(1).Item.Get());
  frame.AssignNothing();
  EXPECT_NE(frame.Item.Get(), source.FrameAt(1).Item.Get());
  copy.AssignNothing();
  EXPECT_EQ(copy.FrameCount(), 0);
}

TEST(GifAssign, AnimatedCursorFramesBecomeFramesWithTheirRates) {
  TAnimatedCursorImage cursor;
  TMemoryStream file(ani_test::SimpleCursor(3, 100));
  cursor.LoadFromStream(file);
  cursor.Frame(1).Rate = 5000;  // 83333 ms does not fit the delay: kept modulo 65536
  TGIFImage image;
  image.Assign(cursor);
  ASSERT_EQ(image.FrameCount(), 3);
  EXPECT_EQ(image.BackColor(), clWindow);
  EXPECT_EQ(image.FrameAt(0).DelayMs, 1666);
  EXPECT_EQ(image.FrameAt(1).DelayMs, 83333 % 65536);
  EXPECT_EQ(image.FrameAt(0).KeyColor, clFuchsia);
  EXPECT_EQ(image.FormatVersion(), 2);
  const TDib& first = image.FrameAt(0).FrameBitmap();
  EXPECT_EQ(first.Width(), 4);
  EXPECT_EQ(first.PixelColor(2, 2), ani_test::IconSpec::PaletteColor(static_cast<int>(ani_test::IconSpec{}.Pixel(2, 2))));
  EXPECT_EQ(static_cast<TColor>(first.PixelColor(0, 1)), clFuchsia);
  // Written and read back, fuchsia is the transparent index.
  TGIFImage back;
  Load(back, Written(image));
  EXPECT_EQ(back.FrameAt(2).KeyColor, clFuchsia);
  EXPECT_EQ(back.FrameAt(2).DelayMs, 1660);
}

}  // namespace
}  // namespace tw
