#pragma once
// Text crossing the shell and OLE boundary: the program's 8-bit text is in the system code page.

#include <string>

namespace tw {

std::wstring ToWide(const std::string& text);
std::string FromWide(const wchar_t* text);

// TEXT as a wide path; false when it is longer than MAX_PATH characters, which the shell's
// fixed path buffers cannot hold.
bool ToWidePath(const std::string& text, std::wstring& path);

}  // namespace tw
