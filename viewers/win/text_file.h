#pragma once
// The text page's plain-text files: read in their own encoding into the UTF-16 text the editor
// holds, and that text written back in the encoding, byte order mark and line breaks it came in.

#include <cstdint>
#include <string>

#include "framework/stream.h"
#include "viewers/text_encoding.h"

namespace tw {

struct TTextFile {
  // With CR LF breaks, as the editor is given them.
  std::u16string Text;
  TTextFormat Format;
  // False when some bytes were no text of the encoding and show as U+FFFD.
  bool Lossless = true;
  // True when the limit kept some of the text back.
  bool Cut = false;
};

// FILE's text from its current position, at most LIMIT characters as the control counts them
// (see WideTextFit); no more of the file is read than such a text can need.
TTextFile ReadTextFile(TStream& file, std::int64_t limit, bool crlf_is_one_character);

// TEXT (UTF-16, any breaks) in FORMAT. False, with nothing written, when FORMAT's legacy code
// page cannot hold a character of it; UNREPRESENTABLE (UTF-8) then names the first.
bool EncodeTextFile(std::u16string_view text, const TTextFormat& format, std::string& bytes,
                    std::string* unrepresentable = nullptr);

// The name the status bar gives FORMAT's encoding: "UTF-8", "UTF-8 with BOM", "UTF-16 LE",
// "UTF-16 BE" or the legacy code page's number ("Windows-1252").
std::string TextEncodingName(const TTextFormat& format);

}  // namespace tw
