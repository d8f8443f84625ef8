// Legacy code pages through the system's own tables.
#include "viewers/win/legacy_code_page.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(LegacyCodePage, TextsComeAndGoExactlyAndAMissingCharacterIsRefused) {
  struct Sample {
    unsigned code_page;
    std::string bytes, utf8;
  };
  const Sample samples[] = {
      {1252, "Gr\xFC\xDF" "e \x80", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"},
      {1251, "\xCF\xE0\xEF\xEA\xE0", "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"},
      {932, "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
  };
  for (const Sample& s : samples) {
    const TLegacyCodePage page = LegacyCodePage(s.code_page);
    EXPECT_EQ(page.Decode(s.bytes), s.utf8) << s.code_page;
    std::string bytes;
    EXPECT_TRUE(page.Encode(s.utf8, bytes)) << s.code_page;
    EXPECT_EQ(bytes, s.bytes) << s.code_page;
  }
  std::string bytes;
  // Omega and a character that only a best fit would turn into a plain letter.
  EXPECT_FALSE(LegacyCodePage(1252).Encode("\xCE\xA9", bytes));
  EXPECT_FALSE(LegacyCodePage(1252).Encode("\xC4\x81", bytes));
  EXPECT_NE(UserLegacyCodePage(), 65001u);
}

}  // namespace
}  // namespace tw
