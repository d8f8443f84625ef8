#include "framework/win/custom_ini_file.h"

#include "framework/strings.h"

namespace tw {

bool ParseStoredInteger(const std::string& text, int& value) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  int base = 10;
  if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
    base = 16;
    pos += 2;
  } else if (pos < text.size() && text[pos] == '$') {
    base = 16;
    pos += 1;
  }
  if (pos >= text.size()) return false;
  long long magnitude = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    magnitude = magnitude * base + digit;
    // Hexadecimal text spans the whole unsigned 32-bit range (0xFFFFFFFF is -1).
    if (magnitude > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
  }
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos != text.size()) return false;
  long long result = negative ? -magnitude : magnitude;
  if (base == 10 && result > 0x7FFFFFFFLL) return false;
  value = static_cast<int>(static_cast<unsigned>(static_cast<unsigned long long>(result)));
  return true;
}

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                int default_value) {
  int value;
  return ParseStoredInteger(ReadString(section, ident, std::string()), value) ? value
                                                                             : default_value;
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident,
                                  int value) {
  WriteString(section, ident, std::to_string(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident,
                              bool default_value) {
  return ReadInteger(section, ident, default_value ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TCustomIniFile::ReadSectionValues(const std::string& section, TStrings& lines) {
  TStringList names;
  ReadSection(section, names);
  lines.BeginUpdate();
  try {
    lines.Clear();
    for (int i = 0; i < names.Count(); ++i) {
      const std::string name = names.Get(i);
      lines.Add(name + "=" + ReadString(section, name, std::string()));
    }
  } catch (...) {
    lines.EndUpdate();
    throw;
  }
  lines.EndUpdate();
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
  TStringList names;
  ReadSection(section, names);
  return names.IndexOf(ident) >= 0;
}

bool TCustomIniFile::SectionExists(const std::string& section) {
  TStringList names;
  ReadSection(section, names);
  return names.Count() > 0;
}

}  // namespace tw
