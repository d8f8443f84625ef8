#include "viewers/rtf_unicode.h"

#include <gtest/gtest.h>

#include "viewers/text_encoding.h"

namespace tw {
namespace {

// Bytes of the first 256 characters, which code page 1252 matches for these tests; code page 932's
// "\x82\xa0" is the one double-byte character used.
std::string Decode(std::string_view bytes, unsigned code_page) {
  if (code_page == 932 && bytes == "\x82\xa0") return "\xE3\x81\x82";  // U+3042
  std::string out;
  for (unsigned char b : bytes) out += Utf16ToUtf8(std::u16string(1, b));
  return out;
}

TEST(RtfUnicode, TheControlsUtf8BecomesEscapesUnderTheLegacyHeader) {
  EXPECT_EQ(RtfInCommonForm("{\\urtf\\deff0 caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80\\par}", 1251),
            "{\\rtf1\\ansi\\ansicpg1251\\deff0 caf\\u233? \\u26085?\\u-10179?\\u-8704?\\par}");
  // Stand-ins follow the count the group set, and none when it is nought.
  EXPECT_EQ(RtfInCommonForm("{\\rtf1{\\uc2 \xC3\xA9}{\\uc0 \xC3\xA9}\xC3\xA9}", 1252),
            "{\\rtf1{\\uc2 \\u233??}{\\uc0 \\u233 }\\u233?}");
  const std::string plain = "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\{\\\\'e9\\}}";
  EXPECT_EQ(RtfInCommonForm(plain, 1252), plain);
}

TEST(RtfUnicode, BytesWithoutCharacterSetsBecomeEscapesOfTheirCodePage) {
  EXPECT_EQ(RtfBytesAsUnicode("{\\rtf1 caf\\'e9 \\\\'e9}", 1252, Decode), "{\\rtf1 caf\\u233? \\\\'e9}");
  EXPECT_EQ(RtfBytesAsUnicode("{\\rtf1\\ansicpg932 \\'82\\'a0}", 1252, Decode), "{\\rtf1\\ansicpg932 \\u12354?}");
  // A \uN's own stand-in and binary data stay as they are.
  EXPECT_EQ(RtfBytesAsUnicode("{\\rtf1\\uc1\\u233\\'e9 {\\bin2 \\'e9}}", 1252, Decode),
            "{\\rtf1\\uc1\\u233\\'e9 {\\bin2 \\'e9}}");
  const std::string fonts = "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'cf}";
  EXPECT_EQ(RtfBytesAsUnicode(fonts, 1252, Decode), fonts);
}

}  // namespace
}  // namespace tw
