#include "framework/dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Add16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Add32(Bytes& b, std::uint32_t v) {
  Add16(b, v);
  Add16(b, v >> 16);
}

// A bitmap file built byte by byte, independent of TDib's writer.
Bytes HandMadeFile(int width, int height, int bpp, std::uint32_t compression, const Bytes& between,
                   const Bytes& pixels, std::uint32_t clr_used = 0, std::uint32_t offset = 0) {
  Bytes b = {'B', 'M'};
  const std::uint32_t off = offset ? offset : static_cast<std::uint32_t>(54 + between.size());
  Add32(b, static_cast<std::uint32_t>(off + pixels.size()));
  Add32(b, 0);
  Add32(b, off);
  Add32(b, 40);
  Add32(b, static_cast<std::uint32_t>(width));
  Add32(b, static_cast<std::uint32_t>(height));
  Add16(b, 1);
  Add16(b, static_cast<std::uint32_t>(bpp));
  Add32(b, compression);
  Add32(b, static_cast<std::uint32_t>(pixels.size()));
  Add32(b, 0);
  Add32(b, 0);
  Add32(b, clr_used);
  Add32(b, 0);
  b.insert(b.end(), between.begin(), between.end());
  while (b.size() < off) b.push_back(0xEE);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

TDib Load(const Bytes& bytes) {
  TMemoryStream stream(bytes);
  TDib dib;
  dib.LoadFromBitmapFile(stream);
  return dib;
}

Bytes Save(const TDib& dib) {
  TMemoryStream stream;
  dib.SaveToBitmapFile(stream);
  return stream.Bytes();
}

TDib Pattern(int width, int height, int bpp) {
  TDib dib(width, height, bpp);
  for (std::size_t i = 0; i < dib.ImageSize(); ++i) dib.Bits()[i] = static_cast<std::uint8_t>(i * 37 + 11);
  for (std::size_t i = 0; i < dib.Palette().size(); ++i)
    dib.Palette()[i] = TRGBQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                static_cast<std::uint8_t>(i * 3), 0};
  return dib;
}

TEST(DibTest, RowBytesPadsToFourBytesWithoutOverflow) {
  EXPECT_EQ(TDib::RowBytes(1, 1), 4);
  EXPECT_EQ(TDib::RowBytes(33, 1), 8);
  EXPECT_EQ(TDib::RowBytes(7, 4), 4);
  EXPECT_EQ(TDib::RowBytes(9, 4), 8);
  EXPECT_EQ(TDib::RowBytes(5, 8), 8);
  EXPECT_EQ(TDib::RowBytes(5, 24), 16);
  EXPECT_EQ(TDib::RowBytes(3, 32), 12);
  EXPECT_EQ(TDib::RowBytes(0x7FFFFFFF, 32), std::int64_t{0x7FFFFFFF} * 4);
}

TEST(DibTest, SizesThatCannotBeAllocatedFailInsteadOfWrapping) {
  EXPECT_THROW(TDib(0x7FFFFFFF, 0x7FFFFFFF, 32), EOutOfResources);
  // 65536 x 65536 x 8 bits would wrap to 0 in 32-bit arithmetic.
  EXPECT_THROW(TDib(65536, 65536, 8), EOutOfResources);
  EXPECT_THROW(TDib(-1, 4, 8), EInvalidGraphic);
  EXPECT_THROW(TDib(4, 4, 16), EInvalidGraphic);
  EXPECT_TRUE(TDib(0, 5, 24).Empty());
}

TEST(DibTest, DecodedPicturesAreBoundedAt24BitsPerPixelOrTheirOwnDepth) {
  // 21845 pixels at 24 bits make a row of 65536 bytes; 8192 of them are exactly the bound.
  EXPECT_TRUE(DecodedPictureFits(21845, 8192, 8));
  EXPECT_FALSE(DecodedPictureFits(21846, 8192, 8));
  EXPECT_FALSE(DecodedPictureFits(21845, 8193, 1));
  EXPECT_FALSE(DecodedPictureFits(21845, 8192, 24, 1));
  EXPECT_TRUE(DecodedPictureFits(16384, 8192, 32));
  EXPECT_FALSE(DecodedPictureFits(16385, 8192, 32));
  EXPECT_TRUE(DecodedPictureFits(0x7FFFFFFF, 0, 8));
  EXPECT_FALSE(DecodedPictureFits(0x7FFFFFFF, 0x7FFFFFFF, 1));
}

TEST(DibTest, ABitmapHeaderBeyondTheDecodeBoundIsRefusedAsNotValid) {
  // 16384 x 16384 x 24 bits is 768 MiB: under the allocation cap, over the decode bound.
  try {
    Load(HandMadeFile(16384, 16384, 24, 0, {}, {}));
    ADD_FAILURE() << "loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), LoadStr(SInvalidBitmap));
  }
}

TEST(DibTest, ScanLineCountsFromTheTopOfBottomUpRows) {
  TDib dib(3, 2, 24);
  dib.ScanLine(0)[0] = 1;  // top row is stored last
  dib.ScanLine(1)[0] = 2;
  EXPECT_EQ(dib.Bits()[0], 2);
  EXPECT_EQ(dib.Bits()[12], 1);
}

TEST(DibTest, EveryDepthRoundTripsWithOddWidthsAndPalette) {
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (int width : {1, 3, 7, 13}) {
      const TDib dib = Pattern(width, 5, bpp);
      const Bytes file = Save(dib);
      const std::size_t table = bpp <= 8 ? (std::size_t{4} << bpp) : 0;
      ASSERT_EQ(file.size(), 54 + table + dib.ImageSize()) << bpp << " " << width;
      EXPECT_EQ(file[10] | file[11] << 8, static_cast<int>(54 + table));
      EXPECT_EQ(Load(file), dib) << bpp << " " << width;
    }
  }
}

TEST(DibTest, TopDownFileIsStoredBottomUp) {
  // 1 x 2, 24 bits: first stored row is the top in a top-down file.
  const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  const TDib dib = Load(HandMadeFile(1, -2, 24, 0, {}, pixels));
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.ScanLine(0)[0], 1);
  EXPECT_EQ(dib.ScanLine(1)[0], 4);
}

TEST(DibTest, CoreHeaderWithThreeByteColourTable) {
  Bytes b = {'B', 'M'};
  Add32(b, 0);
  Add32(b, 0);
  Add32(b, 14 + 12 + 6);
  Add32(b, 12);
  Add16(b, 2);
  Add16(b, 1);
  Add16(b, 1);
  Add16(b, 1);
  b.insert(b.end(), {10, 20, 30, 40, 50, 60});  // two entries: blue, green, red
  b.insert(b.end(), {0x40, 0, 0, 0});           // pixel 0 = index 0, pixel 1 = index 1
  const TDib dib = Load(b);
  EXPECT_EQ(dib.BitsPerPixel(), 1);
  EXPECT_EQ(dib.PixelColor(0, 0), 30u | 20u << 8 | 10u << 16);
  EXPECT_EQ(dib.PixelColor(1, 0), 60u | 50u << 8 | 40u << 16);
}

TEST(DibTest, SixteenBitPixelsBecomeTwentyFourBit) {
  // 5-5-5 without masks: white and pure red; then 5-6-5 with masks: pure green.
  const TDib plain = Load(HandMadeFile(2, 1, 16, 0, {}, {0xFF, 0x7F, 0x00, 0x7C}));
  EXPECT_EQ(plain.BitsPerPixel(), 24);
  EXPECT_EQ(plain.PixelColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(plain.PixelColor(1, 0), 0x0000FFu);
  Bytes masks;
  Add32(masks, 0xF800);
  Add32(masks, 0x07E0);
  Add32(masks, 0x001F);
  const TDib fields = Load(HandMadeFile(1, 1, 16, 3, masks, {0xE0, 0x07, 0, 0}));
  EXPECT_EQ(fields.PixelColor(0, 0), 0x00FF00u);
}

TEST(DibTest, ThirtyTwoBitMasksAreNormalised) {
  Bytes masks;  // red in the low byte, blue in the third
  Add32(masks, 0x0000FF);
  Add32(masks, 0x00FF00);
  Add32(masks, 0xFF0000);
  const TDib dib = Load(HandMadeFile(1, 1, 32, 3, masks, {0x11, 0x22, 0x33, 0}));
  EXPECT_EQ(dib.BitsPerPixel(), 32);
  EXPECT_EQ(dib.PixelColor(0, 0), 0x11u | 0x22u << 8 | 0x33u << 16);
}

TEST(DibTest, ShortColourTableAndGapBeforePixelsAreHonoured) {
  // 4 bits, two table entries, pixels 40 bytes further on than the table ends.
  const Bytes table = {1, 2, 3, 0, 4, 5, 6, 0};
  const TDib dib = Load(HandMadeFile(2, 1, 4, 0, table, {0x10, 0, 0, 0}, 2, 54 + 8 + 40));
  ASSERT_EQ(dib.Palette().size(), 16u);
  EXPECT_EQ(dib.Palette()[1], (TRGBQuad{4, 5, 6, 0}));
  EXPECT_EQ(dib.Palette()[2], TRGBQuad{});
  EXPECT_EQ(dib.PixelColor(0, 0), 6u | 5u << 8 | 4u << 16);
  EXPECT_EQ(dib.PixelColor(1, 0), 3u | 2u << 8 | 1u << 16);
}

TEST(DibTest, MalformedFilesFailAndLeaveThePictureUnchanged) {
  TDib dib = Pattern(3, 3, 8);
  const TDib before = dib;
  auto fails_with_invalid = [&](const Bytes& bytes) {
    TMemoryStream stream(bytes);
    EXPECT_THROW(dib.LoadFromBitmapFile(stream), EInvalidGraphic);
    EXPECT_EQ(dib, before);
  };
  Bytes wrong_signature = Save(before);
  wrong_signature[0] = 'X';
  fails_with_invalid(wrong_signature);
  fails_with_invalid(HandMadeFile(0, 1, 24, 0, {}, {0, 0, 0, 0}));           // no width
  fails_with_invalid(HandMadeFile(1, 0, 24, 0, {}, {0, 0, 0, 0}));           // no height
  fails_with_invalid(HandMadeFile(1, 1, 7, 0, {}, {0, 0, 0, 0}));            // odd depth
  fails_with_invalid(HandMadeFile(1, 1, 8, 1, {}, {0, 0, 0, 0}));            // run-length
  fails_with_invalid(HandMadeFile(1, 1, 4, 0, {}, {0, 0, 0, 0}, 17));        // table too long
  Bytes noncontiguous;
  Add32(noncontiguous, 0x5000);
  Add32(noncontiguous, 0x03E0);
  Add32(noncontiguous, 0x001F);
  fails_with_invalid(HandMadeFile(1, 1, 16, 3, noncontiguous, {0, 0, 0, 0}));
  Bytes bad_header_size = Save(before);
  bad_header_size[14] = 41;
  fails_with_invalid(bad_header_size);
}

TEST(DibTest, TruncatedFilesFailWithReadErrorAtEveryLength) {
  const Bytes file = Save(Pattern(5, 3, 8));
  for (std::size_t length = 0; length < file.size(); ++length) {
    TMemoryStream stream(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    TDib dib;
    EXPECT_THROW(dib.LoadFromBitmapFile(stream), Exception) << length;
    EXPECT_TRUE(dib.Empty());
  }
}

TEST(DibTest, HugeDimensionsInATinyFileAllocateNothing) {
  // 60000 x 60000 x 24 bits is ~10 GB; 12000 x 12000 x 8 bits is within the bounds but absent.
  EXPECT_THROW(Load(HandMadeFile(60000, 60000, 24, 0, {}, {0, 0, 0, 0})), EOutOfResources);
  EXPECT_THROW(Load(HandMadeFile(12000, 12000, 8, 0, {}, {0, 0, 0, 0})), EReadError);
}

TEST(DibTest, PackedDibRoundTripAndTwentyFourBitCopy) {
  const TDib dib = Pattern(3, 2, 4);
  TMemoryStream stream;
  dib.SavePackedDib(stream);
  EXPECT_EQ(stream.Size(), 40 + 64 + static_cast<std::int64_t>(dib.ImageSize()));
  stream.SetPosition(0);
  TDib back;
  back.LoadFromPackedDib(stream);
  EXPECT_EQ(back, dib);
  const TDib wide = dib.ToDepth24();
  EXPECT_EQ(wide.BitsPerPixel(), 24);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(wide.PixelColor(x, y), dib.PixelColor(x, y));
}

}  // namespace
}  // namespace tw
