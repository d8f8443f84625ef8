#include "viewers/gif/lzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "tests/viewers/gif/lzw_test_support.h"

namespace tw {
namespace {

using lzw_test::Bytes;
using lzw_test::CodePacker;
using lzw_test::Decode;
using lzw_test::Encode;
using lzw_test::Picture;
using lzw_test::RandomPicture;

std::vector<int> InterlaceOrder(int height) {
  std::vector<int> rows;
  int pass = 0;
  for (int y = 0; y < height; y = NextInterlaceRow(y, height, pass)) rows.push_back(y);
  return rows;
}

TEST(LzwInterlace, SmallHeightsVisitEachRowOnceInPassOrder) {
  EXPECT_EQ(InterlaceOrder(1), (std::vector<int>{0}));
  EXPECT_EQ(InterlaceOrder(2), (std::vector<int>{0, 1}));
  EXPECT_EQ(InterlaceOrder(3), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(InterlaceOrder(4), (std::vector<int>{0, 2, 1, 3}));
  EXPECT_EQ(InterlaceOrder(5), (std::vector<int>{0, 4, 2, 1, 3}));
  EXPECT_EQ(InterlaceOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(LzwInterlace, EveryHeightIsAPermutationOfItsRows) {
  for (int height = 1; height <= 70; ++height) {
    std::vector<int> order = InterlaceOrder(height);
    ASSERT_EQ(static_cast<int>(order.size()), height) << height;
    std::vector<bool> seen(height);
    for (int y : order) {
      ASSERT_FALSE(seen[y]) << "row " << y << " twice, height " << height;
      seen[y] = true;
    }
  }
}

// 1-bit pictures: minimum code size 2, codes of 3 bits from the clear code 4; 4-bit: 4 and 5
// bits (clear 16); 8-bit: 8 and 9 bits (clear 256).
TEST(LzwEncode, MinimumCodeSizeAndFirstCodeWidthFollowTheDepth) {
  struct Case {
    int bpp;
    std::uint8_t min_code_size;
    unsigned first_bits;  // the clear code in the first code's width
    unsigned width_mask;
  };
  for (const Case& c : {Case{1, 2, 4, 7}, Case{4, 4, 16, 31}, Case{8, 8, 256, 511}}) {
    const Bytes stream = Encode(Picture(3, 2, c.bpp));
    ASSERT_GE(stream.size(), 4u);
    EXPECT_EQ(stream[0], c.min_code_size) << c.bpp;
    const unsigned bits = stream[2] | unsigned{stream[3]} << 8;
    EXPECT_EQ(bits & c.width_mask, c.first_bits) << c.bpp;
  }
}

TEST(LzwEncode, SmallStreamsAreExact) {
  // Four equal pixels: clear, 0, the string "00" as code 6, 0, end.
  Picture zeros(4, 1, 1);
  EXPECT_EQ(Encode(zeros), (Bytes{0x02, 0x02, 0x84, 0x51, 0x00}));
  // An empty picture still holds a clear code, one pixel code and the end code.
  EXPECT_EQ(Encode(Picture(0, 0, 8)), (Bytes{0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00}));
}

// Pictures made by a fixed generator so that their code streams can be pinned: long streams
// with several table clears and every code width.
Picture GeneratedPicture(int width, int height, int bpp, std::uint32_t seed, unsigned colors) {
  Picture p(width, height, bpp);
  std::uint32_t s = seed;
  unsigned last = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      s = s * 1103515245u + 12345u;
      if ((s >> 16) % 3 != 0) last = (s >> 20) % colors;
      p.Set(x, y, last);
    }
  return p;
}

std::uint64_t Fnv1a(const Bytes& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

TEST(LzwEncode, LongStreamsMatchTheirPinnedBytes) {
  struct Case {
    int width, height, bpp;
    bool interlaced;
    std::uint32_t seed;
    unsigned colors;
    std::size_t size;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {200, 150, 8, false, 7, 256, 31778, 0x18c2ff77fe216c2eull},
      {123, 77, 4, true, 11, 16, 5006, 0xb948913cd08dfbe1ull},
      {301, 97, 1, false, 5, 2, 4121, 0x63bafd8216fad43cull},
      {64, 64, 8, true, 3, 40, 3226, 0xfbea91fbef92ec42ull},
  };
  for (const Case& c : cases) {
    const Picture p = GeneratedPicture(c.width, c.height, c.bpp, c.seed, c.colors);
    const Bytes stream = Encode(p, c.interlaced);
    EXPECT_EQ(stream.size(), c.size) << c.width << "x" << c.height;
    EXPECT_EQ(Fnv1a(stream), c.hash) << c.width << "x" << c.height;
    EXPECT_EQ(Decode(stream, c.width, c.height, c.bpp, c.interlaced).picture.bits, p.bits);
  }
}

TEST(LzwEncode, DataEndingOnASubBlockBoundaryIsFollowedByTheTerminatorOnly) {
  // Widen a random 8-bit row until its codes fill exactly 255 bytes.
  for (int width = 150; width < 260; ++width) {
    for (unsigned seed = 0; seed < 8; ++seed) {
      const Picture p = RandomPicture(width, 1, 8, seed, 0.0);
      const Bytes stream = Encode(p);
      if (stream.size() != 1 + 1 + 255 + 1) continue;
      EXPECT_EQ(stream[1], 255);
      EXPECT_EQ(stream.back(), 0);
      EXPECT_EQ(Decode(stream, width, 1, 8).picture.bits, p.bits);
      return;
    }
  }
  FAIL() << "no picture filled exactly one sub-block";
}

TEST(LzwEncode, SubBlocksHoldAtMost255Bytes) {
  const Picture p = RandomPicture(97, 53, 8, 3, 0.1);
  const Bytes stream = Encode(p);
  std::size_t at = 1;
  std::size_t blocks = 0;
  while (stream.at(at) != 0) {
    EXPECT_LE(stream[at], 255);
    at += 1 + stream[at];
    ++blocks;
  }
  EXPECT_EQ(at + 1, stream.size());
  EXPECT_GT(blocks, 10u);
  for (std::size_t i = 1, n = 0; n + 1 < blocks; ++n, i += 256) EXPECT_EQ(stream[i], 255) << n;
}

// The end code must be written at the width a decoder reads it: when the decoder's entry for
// the final string fills its capacity, one bit wider. Here the wider end code needs a byte of
// its own.
TEST(LzwEncode, EndCodeIsWrittenAtTheDecodersWidth) {
  const unsigned rows[3][6] = {{0, 0, 0, 0, 0, 0}, {1, 0, 0, 1, 1, 1}, {0, 1, 0, 1, 0, 0}};
  Picture p(6, 3, 1);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) p.Set(x, y, rows[y][x]);
  const Bytes stream = Encode(p);
  EXPECT_EQ(stream, (Bytes{0x02, 0x07, 0x84, 0x1f, 0x16, 0x0b, 0x99, 0x50, 0x00, 0x00}));

  // A decoder asked for one row more than the data holds meets the end code and stops there.
  const auto taller = Decode(stream, 6, 4, 1);
  EXPECT_FALSE(taller.damaged);
  // With the end code one bit too narrow the same decoder runs out of data instead.
  const Bytes narrow_end = {0x02, 0x06, 0x84, 0x1f, 0x16, 0x0b, 0x99, 0x50, 0x00};
  EXPECT_TRUE(Decode(narrow_end, 6, 4, 1).damaged);
}

TEST(LzwRoundTrip, RandomPicturesOfEveryDepthAndShape) {
  const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {3, 3}, {7, 5}, {8, 8}, {33, 17}, {64, 3}, {301, 211}};
  unsigned seed = 1;
  for (int bpp : {1, 4, 8}) {
    for (const auto& size : sizes) {
      for (bool interlaced : {false, true}) {
        for (double run : {0.0, 0.7, 0.98}) {
          const Picture p = RandomPicture(size[0], size[1], bpp, ++seed, run);
          const Bytes stream = Encode(p, interlaced);
          const auto back = Decode(stream, p.width, p.height, bpp, interlaced);
          ASSERT_EQ(back.picture.bits, p.bits) << bpp << " bpp " << size[0] << "x" << size[1]
                                               << (interlaced ? " interlaced" : "") << " run " << run;
          EXPECT_FALSE(back.damaged);
        }
      }
    }
  }
}

TEST(LzwRoundTrip, UniformPictureBuildsLongStringsAcrossTableClears) {
  // One colour: every code stands for the string not yet in the table and is one pixel longer
  // than the one before, so 9 million pixels pass through every width and a table clear.
  Picture p(3000, 3000, 8);
  std::fill(p.bits.begin(), p.bits.end(), std::uint8_t{9});
  const Bytes stream = Encode(p);
  EXPECT_LT(stream.size(), 12000u);
  EXPECT_EQ(Decode(stream, p.width, p.height, 8).picture.bits, p.bits);
}

// -- decoding hand-packed streams ------------------------------------------------------------

TEST(LzwDecode, CodeForTheStringNotYetInTheTableRepeatsThePreviousStringsFirstPixel) {
  // m = 2: clear 4, end 5. Codes: clear, 1, 6 (the next free code: "1" + "1"), 6 again, then
  // at 4 bits (after entry 7) 2 and 9 (the next free code again: "2" + "2"), end.
  const Bytes stream =
      CodePacker(2).Put(4, 3).Put(1, 3).Put(6, 3).Put(6, 3).Put(2, 4).Put(9, 4).Put(5, 4).Finish();
  const auto d = Decode(stream, 8, 1, 4, false, 2);
  EXPECT_EQ(d.picture.Values(), (std::vector<unsigned>{1, 1, 1, 1, 1, 2, 2, 2}));
  EXPECT_FALSE(d.damaged);
}

TEST(LzwDecode, FullTableKeepsTwelveBitCodesUntilTheNextClear) {
  // m = 2. Zeros only: every code after the first adds one entry "00", until code 4095 is added.
  CodePacker packer(2);
  packer.Put(4, 3).Put(0, 3);
  int width = 3;
  std::vector<unsigned> expected = {0};
  for (unsigned next = 6; next < 4096; ++next) {
    packer.Put(0, width);
    expected.push_back(0);
    if (next + 1 >= (1u << width) && width < 12) ++width;
  }
  ASSERT_EQ(width, 12);
  // The table is full: these codes are read with 12 bits and add nothing.
  packer.Put(4095, 12).Put(1, 12).Put(3, 12).Put(4095, 12);
  for (unsigned v : {0, 0, 1, 3, 0, 0}) expected.push_back(v);
  // A clear starts over at 3 bits.
  packer.Put(4, 12).Put(2, 3).Put(6, 3).Put(5, 3);
  for (unsigned v : {2, 2, 2}) expected.push_back(v);

  const int pixels = static_cast<int>(expected.size());
  const auto d = Decode(packer.Finish(), pixels, 1, 8, false, 2);
  EXPECT_EQ(d.picture.Values(), expected);
  EXPECT_FALSE(d.damaged);
}

TEST(LzwDecode, PixelsBeyondTheLastRowAreIgnored) {
  const Picture p = RandomPicture(13, 9, 8, 5, 0.3);
  const Bytes stream = Encode(p);
  const auto shorter = Decode(stream, 13, 4, 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(shorter.picture.Get(x, y), p.Get(x, y));
  EXPECT_FALSE(shorter.damaged);
  EXPECT_EQ(shorter.picture.bits.size(), static_cast<std::size_t>(16 * 4));
}

// A stream that does not begin with a clear code: its first code is output alone and adds no
// entry, exactly as after a clear, so later table codes mean the same strings.
TEST(LzwDecode, StreamWithoutLeadingClearDecodesLikeOneWithIt) {
  // Codes 1, 0, 6 (entry "1 0"), then at 4 bits 7 (entry "0 1") and the end code.
  const Bytes without = CodePacker(2).Put(1, 3).Put(0, 3).Put(6, 3).Put(7, 4).Put(5, 4).Finish();
  const Bytes with =
      CodePacker(2).Put(4, 3).Put(1, 3).Put(0, 3).Put(6, 3).Put(7, 4).Put(5, 4).Finish();
  const auto a = Decode(without, 6, 1, 4, false, 2);
  const auto b = Decode(with, 6, 1, 4, false, 2);
  EXPECT_EQ(a.picture.Values(), (std::vector<unsigned>{1, 0, 1, 0, 0, 1}));
  EXPECT_EQ(a.picture.bits, b.picture.bits);
  EXPECT_FALSE(a.damaged);
}

// A clear code directly after a clear code clears again and outputs nothing; an end code
// directly after a clear ends the image without a pixel. Colour-table bits 3 make the clear
// code's own value (4) a visible pixel if it were output.
TEST(LzwDecode, ClearFollowedByClearOrEndOutputsNothing) {
  const auto twice = Decode(CodePacker(2).Put(4, 3).Put(4, 3).Put(1, 3).Put(2, 3).Put(5, 3).Finish(),
                            3, 1, 4, false, 3);
  EXPECT_EQ(twice.picture.Values(), (std::vector<unsigned>{1, 2, 0}));

  const auto ended = Decode(CodePacker(2).Put(4, 3).Put(5, 3).Finish(), 3, 1, 4, false, 3);
  EXPECT_EQ(ended.picture.Values(), (std::vector<unsigned>{0, 0, 0}));
  EXPECT_FALSE(ended.damaged);

  // The same in the middle of an image: the pixels after the double clear are not shifted.
  const auto middle = Decode(
      CodePacker(2).Put(4, 3).Put(3, 3).Put(3, 3).Put(4, 3).Put(4, 3).Put(2, 3).Put(5, 3).Finish(),
      3, 1, 4, false, 3);
  EXPECT_EQ(middle.picture.Values(), (std::vector<unsigned>{3, 3, 2}));
}

TEST(LzwDecode, MinimumCodeSizeOutsideTwoToNine) {
  for (std::uint8_t m : {0, 1, 10, 12, 255}) {
    Bytes stream = Encode(Picture(2, 2, 1));
    stream[0] = m;
    try {
      Decode(stream, 2, 2, 1);
      ADD_FAILURE() << "minimum code size " << int{m} << " accepted";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), LoadStr(SGIFCodeSizeRange));
    }
  }
  // Tolerant: 1 is taken as 2 and the frame decodes, marked damaged.
  const Picture p = RandomPicture(11, 3, 1, 9, 0.2);
  Bytes stream = Encode(p);
  stream[0] = 1;
  const auto d = Decode(stream, 11, 3, 1, false, 1, true);
  EXPECT_TRUE(d.damaged);
  EXPECT_EQ(d.picture.bits, p.bits);
}

// Clear, 1, 7 (beyond the table: "1 1", entry 6), 1 (entry 7 = 7 followed by 1: a code whose
// prefix is itself), then 7: its chain never reaches a pixel value.
Bytes LoopingChain() {
  return CodePacker(2).Put(4, 3).Put(1, 3).Put(7, 3).Put(1, 3).Put(7, 4).Put(1, 4).Put(5, 4).Finish();
}

TEST(LzwDecode, EndlessChainFailsInStrictModeKeepingEarlierPixels) {
  Picture out(8, 1, 4);
  TMemoryStream in(LoopingChain());
  bool damaged = true;
  std::vector<std::pair<TProgressStage, std::string>> reports;
  auto progress = [&](TProgressStage stage, int, const std::string& message) {
    reports.emplace_back(stage, message);
  };
  try {
    LzwDecode(in, 8, 1, 4, false, progress, damaged, out.bits, 2, false);
    ADD_FAILURE() << "looping chain accepted";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), LoadStr(SGIFBadData));
  }
  EXPECT_FALSE(damaged);
  EXPECT_EQ(out.Values(), (std::vector<unsigned>{1, 1, 1, 1, 0, 0, 0, 0}));
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports.front().first, psStarting);
  EXPECT_EQ(reports.back(), std::make_pair(psEnding, LoadStr(SGIFBadData)));
}

TEST(LzwDecode, EndlessChainEndsDecodingInTolerantMode) {
  const auto d = Decode(LoopingChain(), 8, 1, 4, false, 2, true);
  EXPECT_TRUE(d.damaged);
  EXPECT_EQ(d.picture.Values(), (std::vector<unsigned>{1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST(LzwDecode, SubBlockCutShortFailsWithTheStreamsReadError) {
  const Picture p = RandomPicture(40, 40, 8, 2, 0.1);
  Bytes stream = Encode(p);
  stream.resize(100);
  for (bool tolerant : {false, true}) {
    try {
      Decode(stream, 40, 40, 8, false, 8, tolerant);
      ADD_FAILURE() << "cut sub-block accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), LoadStr(SReadError));
    }
  }
  // A stream without even the minimum code size byte.
  EXPECT_THROW(Decode({}, 4, 4, 8), EReadError);
}

TEST(LzwDecode, DataEndingBeforeTheImageLeavesTheRestAtZero) {
  const Picture p = RandomPicture(30, 20, 8, 4, 0.2, 200);
  Bytes stream = Encode(p);
  // Keep the first sub-block only: without a terminator, then with one followed by bytes that
  // belong to whatever comes after the frame.
  Bytes cut(stream.begin(), stream.begin() + 2 + 255);
  const auto a = Decode(cut, 30, 20, 8);
  cut.push_back(0);
  const std::size_t terminated = cut.size();
  cut.insert(cut.end(), {0x21, 0xF9, 0x04});
  const auto b = Decode(cut, 30, 20, 8);
  for (const auto* d : {&a, &b}) {
    EXPECT_TRUE(d->damaged);
    const auto values = d->picture.Values();
    const auto original = p.Values();
    int decoded = 0;
    while (decoded < 600 && values[decoded] == original[decoded]) ++decoded;
    EXPECT_GT(decoded, 150);
    for (int i = decoded + 1; i < 600; ++i) ASSERT_EQ(values[i], 0u) << i;
  }
  EXPECT_EQ(b.end_position, static_cast<std::int64_t>(terminated));
}

TEST(LzwDecode, ValuesDeeperThanTheBufferDoNotSpillIntoNeighbours) {
  // Table bits 8 into a 4-bit buffer: 0x3F in an odd column keeps the even pixel before it.
  const Bytes stream = CodePacker(8).Put(256, 9).Put(0x21, 9).Put(0x3F, 9).Put(257, 9).Finish();
  const auto d = Decode(stream, 2, 1, 4, false, 8);
  EXPECT_EQ(d.picture.bits[0], 0x1F);
}

TEST(LzwDecode, RejectsBadLayouts) {
  const Bytes stream = Encode(Picture(4, 4, 8));
  Picture small(4, 3, 8);
  bool damaged = false;
  TMemoryStream in(stream);
  EXPECT_THROW(LzwDecode(in, 4, 4, 8, false, nullptr, damaged, small.bits, 8, false),
               EInvalidGraphicOperation);
  EXPECT_THROW(Decode(stream, 4, 4, 8, false, 9), EInvalidGraphicOperation);
  EXPECT_THROW(Decode(stream, 4, 4, 2), EInvalidGraphicOperation);
  TMemoryStream out;
  EXPECT_THROW(LzwEncode(out, 4, 4, 8, false, nullptr, small.bits), EInvalidGraphicOperation);
  EXPECT_THROW(LzwEncode(out, 4, 4, 24, false, nullptr, Bytes(64)), EInvalidGraphicOperation);
}

// -- progress ----------------------------------------------------------------------------------

struct Report {
  TProgressStage stage;
  int percent;
  std::string message;
};

TEST(LzwProgress, EncoderReportsStartRowsAndEnd) {
  for (bool interlaced : {false, true}) {
    const Picture p = RandomPicture(10, 7, 4, 1);
    std::vector<Report> reports;
    TMemoryStream out;
    LzwEncode(out, p.width, p.height, p.bpp, interlaced,
              [&](TProgressStage s, int pct, const std::string& m) { reports.push_back({s, pct, m}); },
              p.bits);
    ASSERT_EQ(reports.size(), 9u);
    EXPECT_EQ(reports.front().stage, psStarting);
    EXPECT_EQ(reports.front().percent, 0);
    for (int i = 1; i <= 7; ++i) {
      EXPECT_EQ(reports[i].stage, psRunning);
      EXPECT_EQ(reports[i].percent, i * 100 / 7);
    }
    EXPECT_EQ(reports.back().stage, psEnding);
    EXPECT_EQ(reports.back().percent, 100);
    EXPECT_TRUE(reports.back().message.empty());
  }
}

TEST(LzwProgress, DecoderReportsRisingPercentagesOfTheStream) {
  const Picture p = RandomPicture(120, 90, 8, 6, 0.1);
  const Bytes stream = Encode(p);
  std::vector<Report> reports;
  Picture out(120, 90, 8);
  TMemoryStream in(stream);
  bool damaged = false;
  LzwDecode(in, 120, 90, 8, false,
            [&](TProgressStage s, int pct, const std::string& m) { reports.push_back({s, pct, m}); },
            damaged, out.bits, 8, false);
  ASSERT_GT(reports.size(), 10u);
  EXPECT_EQ(reports.front().stage, psStarting);
  for (std::size_t i = 1; i + 1 < reports.size(); ++i) {
    EXPECT_EQ(reports[i].stage, psRunning);
    EXPECT_GT(reports[i].percent, i > 1 ? reports[i - 1].percent : -1);
    EXPECT_LE(reports[i].percent, 100);
  }
  EXPECT_EQ(reports.back().stage, psEnding);
  EXPECT_EQ(reports.back().percent, 100);
}

TEST(LzwProgress, AbortFromTheSinkEndsTheRunAndIsReported) {
  const Picture p = RandomPicture(50, 50, 8, 8);
  std::vector<Report> reports;
  TMemoryStream out;
  auto sink = [&](TProgressStage s, int pct, const std::string& m) {
    reports.push_back({s, pct, m});
    if (s == psRunning && pct >= 50) throw EAbort();
  };
  EXPECT_THROW(LzwEncode(out, 50, 50, 8, false, sink, p.bits), EAbort);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().stage, psEnding);
  EXPECT_EQ(reports.back().percent, 0);
  EXPECT_EQ(reports.back().message, EAbort().Message());
}

}  // namespace
}  // namespace tw
