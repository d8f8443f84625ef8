#pragma once
// Texts of the shell list that need no platform: the file filter's patterns and the size column.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The non-empty parts of a ";"-separated filter, in order.
std::vector<std::string> SplitFileFilter(std::string_view filter);

// Whether FILTER lets every file through, so that no file needs matching: empty, "*" or "*.*"
// (compared exactly).
bool FilterShowsEverything(std::string_view filter);

// VALUE in decimal with SEPARATOR between groups of three digits ("1,501").
std::string GroupThousands(std::uint64_t value, std::string_view separator);

// The size column's text: the size in kilobytes rounded up, grouped, in "%sKB" (0 bytes give
// "0KB", 1 byte "1KB", 1,536,001 bytes "1,501KB").
std::string SizeText(std::uint64_t bytes, std::string_view thousands_separator);

}  // namespace tw
