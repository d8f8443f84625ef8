#include "framework/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

TEST(MemoryStream, ReadBufferFailsOnShortReadWithTheStreamMessage) {
  TMemoryStream stream({1, 2, 3});
  std::uint8_t out[4] = {};
  stream.ReadBuffer(out, 2);
  EXPECT_EQ(out[1], 2);
  try {
    stream.ReadBuffer(out, 2);
    FAIL() << "short read succeeded";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_THROW(stream.ReadBuffer(out, -1), EReadError);
  stream.ReadBuffer(out, 0);  // nothing asked, nothing fails
}

TEST(MemoryStream, WritePastTheEndGrowsWithZeroFill) {
  TMemoryStream stream;
  stream.SetPosition(4);
  const char text[] = "ab";
  stream.WriteBuffer(text, 2);
  ASSERT_EQ(stream.Size(), 6);
  EXPECT_EQ(stream.Bytes(), (std::vector<std::uint8_t>{0, 0, 0, 0, 'a', 'b'}));
  EXPECT_EQ(stream.Position(), 6);
  EXPECT_EQ(stream.Seek(-3, TSeekOrigin::soEnd), 3);
  EXPECT_EQ(stream.Seek(1, TSeekOrigin::soCurrent), 4);
  stream.SetSize(2);
  EXPECT_EQ(stream.Position(), 2);
  std::uint8_t b = 0;
  EXPECT_EQ(stream.Read(&b, 1), 0);
}

TEST(MemoryStream, NegativePositionReadsAndWritesNothing) {
  TMemoryStream stream({7, 8});
  stream.SetPosition(-1);
  std::uint8_t b = 0;
  EXPECT_EQ(stream.Read(&b, 1), 0);
  EXPECT_THROW(stream.WriteBuffer(&b, 1), EWriteError);
  EXPECT_EQ(stream.Size(), 2);
  EXPECT_THROW(stream.SetSize(-5), EWriteError);
}

TEST(Stream, CopyFromCopiesFromThePositionOrEverythingForZero) {
  std::vector<std::uint8_t> bytes(200000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  TMemoryStream source(bytes);
  TMemoryStream target;
  source.SetPosition(100);
  EXPECT_EQ(target.CopyFrom(source, 150000), 150000);
  EXPECT_TRUE(std::equal(target.Bytes().begin(), target.Bytes().end(), bytes.begin() + 100));

  TMemoryStream all;
  source.SetPosition(500);
  EXPECT_EQ(all.CopyFrom(source, 0), 200000);
  EXPECT_EQ(all.Bytes(), bytes);

  source.SetPosition(199990);
  EXPECT_THROW(target.CopyFrom(source, 11), EReadError);
}

TEST(FileStream, OpenAndCreateFailuresNameTheFile) {
  test::TempFolder folder;
  const std::string missing = folder.File("missing.bin");
  try {
    TFileStream stream(missing, fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + missing);
  }
  const std::string bad = folder.File("no-such-folder/x.bin");
  try {
    TFileStream stream(bad, fmCreate);
    FAIL() << "created a file in a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + bad);
  }
}

TEST(FileStream, CreateWriteReopenReadAndTruncate) {
  test::TempFolder folder;
  const std::string path = folder.File("data.bin");
  {
    TFileStream stream(path, fmCreate);
    stream.WriteBuffer("hello world", 11);
    EXPECT_EQ(stream.Size(), 11);
    stream.SetPosition(6);
    char word[5];
    stream.ReadBuffer(word, 5);  // a read straight after writing
    EXPECT_EQ(std::string(word, 5), "world");
    stream.SetPosition(0);
    stream.WriteBuffer("J", 1);
  }
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<unsigned char>{'J', 'e', 'l', 'l', 'o', ' ', 'w',
                                                                   'o', 'r', 'l', 'd'}));
  {
    TFileStream stream(path, fmOpenReadWrite);
    char c;
    stream.ReadBuffer(&c, 1);
    stream.WriteBuffer("E", 1);  // a write straight after reading
    stream.SetPosition(9);
    stream.SetSize(5);
    EXPECT_EQ(stream.Position(), 5);
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_THROW(stream.ReadBuffer(&c, 1), EReadError);
  }
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<unsigned char>{'J', 'E', 'l', 'l', 'o'}));
  {
    TFileStream stream(path, fmOpenRead);
    EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  }
}

TEST(MemoryStream, FileRoundTripAndLoadFromStreamStartsAtTheBeginning) {
  test::TempFolder folder;
  const std::string path = folder.File("m.bin");
  TMemoryStream out({9, 8, 7, 6});
  out.SetPosition(3);
  out.SaveToFile(path);
  TMemoryStream in;
  in.LoadFromFile(path);
  EXPECT_EQ(in.Bytes(), out.Bytes());
  EXPECT_EQ(in.Position(), 0);

  TMemoryStream source({1, 2, 3});
  source.SetPosition(2);
  in.LoadFromStream(source);
  EXPECT_EQ(in.Bytes(), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_THROW(in.LoadFromFile(folder.File("none")), EFOpenError);
}

}  // namespace
}  // namespace tw
