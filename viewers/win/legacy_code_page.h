#pragma once
// Text in the legacy code pages of Windows (1252, 1251, 932, 936 and the others): what a text
// file without a byte order mark that is not UTF-8 is written in.

#include "framework/win/wide_text.h"
#include "viewers/text_encoding.h"

namespace tw {

// Conversions between CODE_PAGE and UTF-8. Encoding refuses a text with a character the code
// page has no form of its own for, instead of putting a look-alike or a question mark there.
TLegacyCodePage LegacyCodePage(unsigned code_page = UserLegacyCodePage());

}  // namespace tw
