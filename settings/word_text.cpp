#include "settings/word_text.h"

namespace tw {

namespace {

bool IsDelim(char c, std::string_view delims) { return delims.find(c) != std::string_view::npos; }

// Calls VISIT(start, length) for each word (0-based start) until it returns false.
template <class Visit>
void ForEachWord(std::string_view s, std::string_view delims, Visit visit) {
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsDelim(s[i], delims)) ++i;
    if (i == s.size()) return;
    std::size_t start = i;
    while (i < s.size() && !IsDelim(s[i], delims)) ++i;
    if (!visit(start, i - start)) return;
  }
}

}  // namespace

int CountWords(std::string_view S, std::string_view Delims) {
  int count = 0;
  ForEachWord(S, Delims, [&](std::size_t, std::size_t) {
    ++count;
    return true;
  });
  return count;
}

int FindWordStart(int N, std::string_view S, std::string_view Delims) {
  int found = 0;
  int index = 0;
  ForEachWord(S, Delims, [&](std::size_t start, std::size_t) {
    if (++index != N) return true;
    found = static_cast<int>(start) + 1;
    return false;
  });
  return found;
}

std::string GetWord(int N, std::string_view S, std::string_view Delims) {
  std::string word;
  int index = 0;
  ForEachWord(S, Delims, [&](std::size_t start, std::size_t length) {
    if (++index != N) return true;
    word.assign(S.substr(start, length));
    return false;
  });
  return word;
}

std::string ReplaceAll(std::string_view S, std::string_view Search, std::string_view Replace) {
  if (Search.empty()) return std::string(S);
  std::string result;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = S.find(Search, pos)) != std::string_view::npos;
       pos = hit + Search.size()) {
    result.append(S.substr(pos, hit - pos));
    result.append(Replace);
  }
  result.append(S.substr(pos));
  return result;
}

}  // namespace tw
