#pragma once
// Plain text for the rich edit control as UTF-16 with CR LF breaks: how much of it the control's
// character limit lets in, and where slices of it end, never inside a surrogate pair or a CR LF.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tw {

// How many units of TEXT fit a limit of LIMIT characters as the control counts them: a CR LF
// counts as one character when CRLF_IS_ONE_CHARACTER, else as two. A break or a surrogate pair
// is never halved.
std::size_t WideTextFit(std::u16string_view text, std::int64_t limit, bool crlf_is_one_character);

// The end of the slice of TEXT that starts at FROM and holds at most MAX_UNITS units (at least
// one character, whatever MAX_UNITS says).
std::size_t WideSliceEnd(std::u16string_view text, std::size_t from, std::size_t max_units);

}  // namespace tw
