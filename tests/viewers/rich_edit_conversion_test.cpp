#include "viewers/rich_edit_conversion.h"

#include <gtest/gtest.h>

#include "framework/exception.h"

#include <random>
#include <string>

namespace tw {
namespace {

// Feeds INPUT through the chunker with chunks of CAPACITY and joins what comes out; fails the
// test when a chunk overflows its capacity.
std::string Chunks(const std::string& input, int capacity, int* chunk_count = nullptr) {
  TMemoryStream stream(std::vector<std::uint8_t>(input.begin(), input.end()));
  TConversion conversion;
  TReadChunker chunker(conversion, stream);
  std::string out;
  std::vector<char> buffer(static_cast<size_t>(capacity) + 16, '#');
  int chunks = 0;
  for (int n; (n = chunker.Next(buffer.data(), capacity)) > 0;) {
    EXPECT_LE(n, capacity);
    EXPECT_EQ(buffer[static_cast<size_t>(capacity)], '#') << "wrote past the chunk";
    out.append(buffer.data(), static_cast<size_t>(n));
    ++chunks;
  }
  if (chunk_count) *chunk_count = chunks;
  return out;
}

// Every LF, CR and CR LF as CR LF.
std::string Reference(const std::string& input) {
  std::string out;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\r' || input[i] == '\n') {
      out += "\r\n";
      if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
    } else {
      out += input[i];
    }
  }
  return out;
}

TEST(ReadChunker, EveryLineBreakBecomesCrLf) {
  EXPECT_EQ(Chunks("a\nb\rc\r\nd\n\re", 4096), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(Chunks("", 4096), "");
  EXPECT_EQ(Chunks("end\r", 4096), "end\r\n");
}

TEST(ReadChunker, CrLfSplitBetweenReadsIsOneBreak) {
  // Capacity 8 reads 4 bytes: "abc\r" then "\nde".
  EXPECT_EQ(Chunks("abc\r\nde", 8), "abc\r\nde");
}

// Regression: a lone CR that ended a read used to be dropped, losing the line break.
TEST(ReadChunker, LoneCrEndingAReadKeepsItsBreak) {
  EXPECT_EQ(Chunks("abc\rdef\rghi", 8), "abc\r\ndef\r\nghi");
  EXPECT_EQ(Chunks("\r\r\r\r\r\r", 8), "\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST(ReadChunker, ZeroByteEndsItsChunkOnly) {
  // One read of "ab\0cd" shows "ab"; the next read goes on.
  EXPECT_EQ(Chunks(std::string("ab\0cdefgh", 9), 10), "abefgh");
  EXPECT_EQ(Chunks(std::string("ab\0cd\r\nef", 9), 4096), "ab");
}

// Regression: a read starting with a zero byte gave an empty chunk, which the control takes as
// the end of the stream, so the rest of the file was lost.
TEST(ReadChunker, ZeroByteOpeningAReadDoesNotEndTheStream) {
  int chunks = 0;
  EXPECT_EQ(Chunks(std::string("abcd\0xyzefgh", 12), 8, &chunks), "abcdefgh");
  EXPECT_EQ(chunks, 2);
}

TEST(ReadChunker, MatchesTheWholeTextConversionAtEveryCapacity) {
  std::mt19937 random(1234);
  const char alphabet[] = {'a', 'b', '\r', '\n', ' '};
  for (int round = 0; round < 200; ++round) {
    std::string input;
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i) input += alphabet[random() % sizeof(alphabet)];
    for (int capacity : {4, 5, 6, 7, 8, 13, 64, 4096}) {
      ASSERT_EQ(Chunks(input, capacity), Reference(input)) << "capacity " << capacity;
    }
  }
}

TEST(ReadChunker, TooSmallACapacityEndsTheStream) { EXPECT_EQ(Chunks("abc", 3), ""); }

TEST(Conversion, ShortWriteFails) {
  // A stream that takes nothing.
  class FullStream : public TMemoryStream {
  public:
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
  } full;
  TConversion conversion;
  EXPECT_THROW(conversion.ConvertWriteStream(full, "abc", 3), EWriteError);
}

}  // namespace
}  // namespace tw
