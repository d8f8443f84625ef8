// Text files read up to the editor's limit: only as much of the file as the limit can need, cut
// between characters whatever the encoding.
#include "viewers/win/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/stream.h"

namespace tw {
namespace {

TEST(TextFile, ALimitedReadTakesWholeCharactersOfEveryEncoding) {
  // 3,000 characters: Japanese (three bytes in UTF-8) and an emoji (a surrogate pair).
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text += u"\u65E5\U0001F600";
  std::string utf8, le, be;
  const TLegacyCodePage none{};
  ASSERT_TRUE(EncodeText(Utf16ToUtf8(text), {TTextEncoding::Utf8, true}, none, utf8));
  ASSERT_TRUE(EncodeText(Utf16ToUtf8(text), {TTextEncoding::Utf16LE, true}, none, le));
  ASSERT_TRUE(EncodeText(Utf16ToUtf8(text), {TTextEncoding::Utf16BE, true}, none, be));
  for (const std::string& file : {utf8, le, be}) {
    for (std::int64_t limit : {1, 2, 100, 101, 1000}) {
      TMemoryStream stream(std::vector<std::uint8_t>(file.begin(), file.end()));
      const TTextFile read = ReadTextFile(stream, limit, true);
      EXPECT_TRUE(read.Lossless);
      EXPECT_TRUE(read.Cut);
      EXPECT_EQ(read.Text, text.substr(0, read.Text.size())) << limit;
      EXPECT_GE(static_cast<std::int64_t>(read.Text.size()), limit - 1);
      EXPECT_LT(stream.Position(), static_cast<std::int64_t>(file.size())) << "the rest of the file is left unread";
    }
    TMemoryStream stream(std::vector<std::uint8_t>(file.begin(), file.end()));
    const TTextFile whole = ReadTextFile(stream, -1, true);
    EXPECT_FALSE(whole.Cut);
    EXPECT_EQ(whole.Text, text);
    EXPECT_TRUE(whole.Format.Bom);
  }
}

}  // namespace
}  // namespace tw
