#pragma once
// Text crossing the shell boundary: the conversions of the class library, and paths for the
// shell's fixed buffers.

#include <string>

#include "framework/win/wide_text.h"

namespace tw {

// TEXT as a wide path; false when it is longer than MAX_PATH characters, which the shell's
// fixed path buffers cannot hold.
bool ToWidePath(const std::string& text, std::wstring& path);

}  // namespace tw
