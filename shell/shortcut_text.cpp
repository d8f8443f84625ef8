#include "shell/shortcut_text.h"

#include <array>
#include <cctype>

namespace tw {
namespace {

struct TKeyName {
  std::string_view name;
  std::uint8_t key;
};

constexpr std::array<TKeyName, 15> kKeyNames{{
    {"BkSp", 0x08}, {"Tab", 0x09},   {"Enter", 0x0D}, {"Esc", 0x1B},   {"Space", 0x20},
    {"PgUp", 0x21}, {"PgDn", 0x22},  {"End", 0x23},   {"Home", 0x24},  {"Left", 0x25},
    {"Up", 0x26},   {"Right", 0x27}, {"Down", 0x28},  {"Ins", 0x2D},   {"Del", 0x2E},
}};

constexpr unsigned kF1 = 0x70;

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// A decimal number of at most three digits in the whole of TEXT, or -1.
int SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

unsigned KeyCode(std::string_view name) {
  for (const TKeyName& entry : kKeyNames)
    if (SameText(name, entry.name)) return entry.key;
  if (name.size() == 1) {
    const auto c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
    return 0;
  }
  if (name[0] == '#') {
    const int code = SmallNumber(name.substr(1));
    return code >= 1 && code <= 255 ? static_cast<unsigned>(code) : 0;
  }
  if (name[0] == 'F' || name[0] == 'f') {
    const int number = SmallNumber(name.substr(1));
    return number >= 1 && number <= 24 ? kF1 + static_cast<unsigned>(number) - 1 : 0;
  }
  return 0;
}

}  // namespace

TShortCut TextToShortCut(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, TShortCut>, 4> kPrefixes{{
      {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"^", scCtrl}, {"Alt+", scAlt}}};
  TShortCut modifiers = 0;
  for (bool found = true; found && !text.empty();) {
    found = false;
    for (const auto& [prefix, bit] : kPrefixes) {
      if (StartsWithText(text, prefix)) {
        modifiers |= bit;
        text.remove_prefix(prefix.size());
        found = true;
        break;
      }
    }
  }
  if (text.empty()) return 0;
  const unsigned key = KeyCode(text);
  return key ? static_cast<TShortCut>(modifiers | key) : 0;
}

}  // namespace tw
