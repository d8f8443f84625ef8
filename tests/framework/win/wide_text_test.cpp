#include "framework/win/wide_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/string_table.h"

namespace tw {
namespace {

// The tests work in UTF-8 as the program does: names and texts in every script pass the 8-bit
// calls whole, and a cut never splits a character.
TEST(WideText, TheProcessWorksInUtf8AndCutsAtCharacters) {
  ASSERT_EQ(GetACP(), UINT{CP_UTF8});
  const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // a, é, 日, 😀
  EXPECT_EQ(FromWide(ToWide(text).c_str()), text);
  const std::size_t cuts[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10};
  for (std::size_t room = 0; room < std::size(cuts); ++room) EXPECT_EQ(TextCutPoint(text, room), cuts[room]) << room;
  // The string table's texts keep their scripts.
  EXPECT_EQ(ToWide(LoadStr(SGIFBadData)), L"\x041D\x0435\x0432\x0435\x0440\x043D\x044B\x0435 \x0434\x0430\x043D\x043D\x044B\x0435 \x0432 \x0444\x043E\x0440\x043C\x0430\x0442\x0435 GIF");
}

TEST(WideText, TheProgramsPathAndTheUsersLegacyCodePage) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(ModuleFileName(), FromWide(path));
  // The locale's page, never the process's UTF-8.
  EXPECT_NE(UserLegacyCodePage(), unsigned{CP_UTF8});
  EXPECT_NE(UserLegacyCodePage(), 0u);
}

}  // namespace
}  // namespace tw
