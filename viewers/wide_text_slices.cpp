#include "viewers/wide_text_slices.h"

namespace tw {
namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// The length of the character at TEXT[AT]: a surrogate pair and a CR LF are one.
std::size_t CharacterAt(std::u16string_view text, std::size_t at) {
  if (at + 1 < text.size() &&
      ((text[at] == u'\r' && text[at + 1] == u'\n') || (IsHighSurrogate(text[at]) && text[at + 1] >= 0xDC00 &&
                                                        text[at + 1] <= 0xDFFF)))
    return 2;
  return 1;
}

}  // namespace

std::size_t WideTextFit(std::u16string_view text, std::int64_t limit, bool crlf_is_one_character) {
  std::size_t at = 0;
  for (std::int64_t room = limit; at < text.size();) {
    const std::size_t length = CharacterAt(text, at);
    // The control counts a surrogate pair as two characters, and a CR LF as it keeps it.
    const std::int64_t counted = length == 2 && text[at] == u'\r' && crlf_is_one_character ? 1 : static_cast<std::int64_t>(length);
    if (counted > room) break;
    room -= counted;
    at += length;
  }
  return at;
}

std::size_t WideSliceEnd(std::u16string_view text, std::size_t from, std::size_t max_units) {
  std::size_t at = from;
  while (at < text.size()) {
    const std::size_t length = CharacterAt(text, at);
    if (at + length - from > max_units && at > from) break;
    at += length;
  }
  return at;
}

}  // namespace tw
