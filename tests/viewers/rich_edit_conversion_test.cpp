#include "viewers/rich_edit_conversion.h"

#include <gtest/gtest.h>

#include "framework/exception.h"

#include <algorithm>
#include <random>
#include <string>

namespace tw {
namespace {

// Feeds INPUT through the chunker with chunks of CAPACITY and joins what comes out; fails the
// test when a chunk overflows its capacity, ends between the CR and LF of a break, or comes
// after one that was not full (one byte short only to keep a CR LF for the next chunk).
struct Limit {
  std::int64_t characters = -1;
  bool crlf_is_one = true;
  bool* cut = nullptr;
};

std::string Chunks(const std::string& input, int capacity, int* chunk_count = nullptr, Limit limit = {}) {
  TMemoryStream stream(std::vector<std::uint8_t>(input.begin(), input.end()));
  TConversion conversion;
  TReadChunker chunker(conversion, stream);
  if (limit.characters >= 0) chunker.SetCharacterLimit(limit.characters, limit.crlf_is_one);
  std::string out;
  std::vector<char> buffer(static_cast<size_t>(capacity) + 16, '#');
  int chunks = 0;
  int previous = capacity;
  for (int n; (n = chunker.Next(buffer.data(), capacity)) > 0;) {
    const bool opens_with_break = n >= 2 && buffer[0] == '\r' && buffer[1] == '\n';
    EXPECT_TRUE(previous == capacity || (previous == capacity - 1 && opens_with_break))
        << "a chunk before the last was not full";
    EXPECT_NE(buffer[static_cast<size_t>(n) - 1], '\r') << "a CR LF was split between chunks";
    previous = n;
    EXPECT_LE(n, capacity);
    EXPECT_EQ(buffer[static_cast<size_t>(capacity)], '#') << "wrote past the chunk";
    out.append(buffer.data(), static_cast<size_t>(n));
    ++chunks;
  }
  if (chunk_count) *chunk_count = chunks;
  if (limit.cut) *limit.cut = chunker.Cut();
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

// Regression: packing converted reads into full chunks ended a chunk between the CR and the LF
// of a break, and the control took the two as two line breaks.
TEST(ReadChunker, ConvertedBreakIsNotSplitBetweenChunks) {
  // Capacity 8: the steps "abcd" and "efg\n" would fill a chunk with "abcdefg\r".
  int chunks = 0;
  EXPECT_EQ(Chunks("abcdefg\nhij", 8, &chunks), "abcdefg\r\nhij");
  EXPECT_EQ(chunks, 2);
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
  EXPECT_EQ(chunks, 1) << "the two reads that show something fill one chunk";
}

// The stream is read in half-capacity steps whatever the packing: a zero byte hides the rest
// of its own step only, and the steps after it fill the chunks.
TEST(ReadChunker, ZeroByteHidesTheRestOfItsReadStepOnly) {
  // Capacity 8 reads steps of 4: "ab\0c" "defg" "h\0ij" "kl".
  int chunks = 0;
  EXPECT_EQ(Chunks(std::string("ab\0cdefgh\0ijkl", 14), 8, &chunks), "abdefghkl");
  EXPECT_EQ(chunks, 2);
}

TEST(ReadChunker, ChunksAreFullWhatTheLineBreaksDouble) {
  // Only LFs: every step of C/2 bytes becomes exactly C bytes.
  int chunks = 0;
  EXPECT_EQ(Chunks(std::string(64, '\n'), 16, &chunks), Reference(std::string(64, '\n')));
  EXPECT_EQ(chunks, 8);
  // Without breaks two steps fill a chunk: half as many chunks as steps.
  EXPECT_EQ(Chunks(std::string(64, 'x'), 16, &chunks), std::string(64, 'x'));
  EXPECT_EQ(chunks, 4);
}

// The control may ask for large chunks: a CR LF split between two steps and between two chunks
// is still one break, and nothing is lost at the seams.
TEST(ReadChunker, LargeCapacityKeepsEveryByte) {
  std::string input;
  std::mt19937 random(99);
  while (input.size() < (3u << 20)) {
    input.append(60 + random() % 41, 'a' + static_cast<char>(random() % 26));
    input += random() % 8 == 0 ? "\n" : "\r\n";
  }
  for (int capacity : {4096, 65536, 1 << 20, (1 << 20) + 1}) {
    int chunks = 0;
    const std::string expected = Reference(input);
    ASSERT_EQ(Chunks(input, capacity, &chunks), expected) << "capacity " << capacity;
    EXPECT_LE(chunks, static_cast<int>((expected.size() + capacity - 2) / (capacity - 1)));
  }
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

TEST(ReadChunker, CharacterLimitKeepsBackTheRestAndSaysSo) {
  // "ab", break, "cd", break, "ef": eight characters with one-character breaks, ten without.
  const std::string input = "ab\ncd\r\nef";
  bool cut = true;
  EXPECT_EQ(Chunks(input, 4096, nullptr, {8, true, &cut}), "ab\r\ncd\r\nef");
  EXPECT_FALSE(cut);
  EXPECT_EQ(Chunks(input, 4096, nullptr, {7, true, &cut}), "ab\r\ncd\r\ne");
  EXPECT_TRUE(cut);
  EXPECT_EQ(Chunks(input, 4096, nullptr, {3, true, &cut}), "ab\r\n");
  EXPECT_TRUE(cut);
  // A break of two characters is never halved.
  EXPECT_EQ(Chunks(input, 4096, nullptr, {3, false, &cut}), "ab");
  EXPECT_TRUE(cut);
  EXPECT_EQ(Chunks(input, 4096, nullptr, {10, false, &cut}), "ab\r\ncd\r\nef");
  EXPECT_FALSE(cut);
  EXPECT_EQ(Chunks("", 4096, nullptr, {0, true, &cut}), "");
  EXPECT_FALSE(cut);
}

TEST(ReadChunker, CharacterLimitHoldsAcrossChunks) {
  std::mt19937 random(7);
  std::string input;
  while (input.size() < 5000) input += random() % 9 == 0 ? (random() % 2 ? "\n" : "\r\n") : "x";
  const std::string whole = Reference(input);
  const auto characters = static_cast<std::int64_t>(whole.size() - std::count(whole.begin(), whole.end(), '\r'));
  for (int capacity : {6, 13, 64, 4096}) {
    for (std::int64_t limit : {std::int64_t{1}, std::int64_t{777}, characters - 1, characters}) {
      bool cut = false;
      const std::string out = Chunks(input, capacity, nullptr, {limit, true, &cut});
      const auto got = static_cast<std::int64_t>(out.size() - std::count(out.begin(), out.end(), '\r'));
      ASSERT_EQ(out, whole.substr(0, out.size())) << "capacity " << capacity << " limit " << limit;
      EXPECT_EQ(got, limit);
      EXPECT_EQ(cut, limit < characters);
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
