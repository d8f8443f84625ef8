#pragma once
// Word helpers for stored texts: a word is a maximal run of characters that are not in the
// delimiter set. Positions are 1-based, as in the texts they describe ("word 3 of 1,2,3,4").

#include <string>
#include <string_view>

namespace tw {

int CountWords(std::string_view S, std::string_view Delims);
// The 1-based start of the N-th word (N from 1), or 0 when there are fewer words.
int FindWordStart(int N, std::string_view S, std::string_view Delims);
// The N-th word, or the empty string.
std::string GetWord(int N, std::string_view S, std::string_view Delims);
// Replaces every non-overlapping occurrence of SEARCH from left to right; replaced text is never
// scanned again. An empty SEARCH leaves S as it is.
std::string ReplaceAll(std::string_view S, std::string_view Search, std::string_view Replace);

}  // namespace tw
