#include "shell/shell_list_texts.h"

#include <algorithm>

#include "framework/string_table.h"

namespace tw {

std::vector<std::string> SplitFileFilter(std::string_view filter) {
  std::vector<std::string> patterns;
  while (!filter.empty()) {
    const std::size_t end = std::min(filter.find(';'), filter.size());
    if (end > 0) patterns.emplace_back(filter.substr(0, end));
    filter.remove_prefix(std::min(end + 1, filter.size()));
  }
  return patterns;
}

bool FilterShowsEverything(std::string_view filter) {
  return filter.empty() || filter == "*" || filter == "*.*";
}

std::string GroupThousands(std::uint64_t value, std::string_view separator) {
  const std::string digits = std::to_string(value);
  std::string text;
  text.reserve(digits.size() + digits.size() / 3 * separator.size());
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
    text += digits[i];
  }
  return text;
}

std::string SizeText(std::uint64_t bytes, std::string_view thousands_separator) {
  // Rounded up without overflow for sizes near the 64-bit limit.
  const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return FmtLoadStr(SSizeKB, GroupThousands(kilobytes, thousands_separator));
}

}  // namespace tw
