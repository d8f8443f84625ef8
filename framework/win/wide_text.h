#pragma once
// Text crossing the OLE and shell boundary: the program's 8-bit text is in the process's code page
// (UTF-8 where the system honours the program's manifest).

#include <string>
#include <string_view>

namespace tw {

std::wstring ToWide(const std::string& text);
std::string FromWide(const wchar_t* text);

// The user's legacy code page: the one of the user's locale, which stays what it was when the
// process itself works in UTF-8 (1252 when the locale names none). Text for programs that read
// 8-bit text in their own code page goes in it.
unsigned UserLegacyCodePage();

// How much of TEXT, in the process's code page, fits ROOM bytes without cutting a character
// (a UTF-8 sequence or a double-byte character) in two.
std::size_t TextCutPoint(std::string_view text, std::size_t room);

// The path of the running program, however long (the 8-bit call caps it at MAX_PATH bytes).
std::string ModuleFileName();

}  // namespace tw
