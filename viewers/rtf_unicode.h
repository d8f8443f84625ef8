#pragma once
// Rich text and code pages. Rich text names its code page (\ansicpg) and writes a character
// beyond it as \uN followed by a stand-in for readers without Unicode. The rich edit control
// reads bytes (\'hh) of a font without a character set in the process's code page, and writes
// characters its code page lacks as look-alikes; these routines keep the text whole both ways.

#include <functional>
#include <string>
#include <string_view>

namespace tw {

// Rich text the control wrote in UTF-8 (its header "{\urtf", characters as they are) in the
// form every reader takes: the header names CODE_PAGE and each character beyond ASCII is \uN?
// (a pair of them for a character beyond the 16-bit range). Other rich text is returned as it is,
// but for any UTF-8 in it, which is escaped alike.
std::string RtfInCommonForm(std::string_view rtf, unsigned code_page);

// Decodes BYTES of CODE_PAGE to UTF-8.
using TCodePageDecoder = std::function<std::string(std::string_view bytes, unsigned code_page)>;

// Rich text whose fonts name no character set, with its \'hh bytes, which are in its \ansicpg
// page (DEFAULT_CODE_PAGE without one), made \uN escapes: a reader then needs no code page to
// read them. Rich text with character sets keeps its bytes, which its fonts decide.
std::string RtfBytesAsUnicode(std::string_view rtf, unsigned default_code_page, const TCodePageDecoder& decode);

}  // namespace tw
