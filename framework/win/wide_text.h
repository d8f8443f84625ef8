#pragma once
// Text crossing the OLE and shell boundary: the program's 8-bit text is in the system code page.

#include <string>

namespace tw {

std::wstring ToWide(const std::string& text);
std::string FromWide(const wchar_t* text);

}  // namespace tw
