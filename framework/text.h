#pragma once
// Small text helpers of the class library. Case folding is ASCII-only, as names of components,
// properties and enumeration elements are identifiers.

#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Compares ignoring ASCII case: negative, zero or positive like strcmp.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Removes leading and trailing characters up to and including the space (controls too).
std::string Trim(std::string_view s);
// A 32-bit integer in decimal, or hexadecimal after "$", "0x" or "0X" (up to 0xFFFFFFFF, read
// as its two's complement); false for anything else.
bool ParseIntegerText(const std::string& text, std::int32_t& value);
// A letter or '_' followed by letters, digits and '_'.
bool IsValidIdent(std::string_view s);

}  // namespace tw
