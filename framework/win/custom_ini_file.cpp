#include "framework/win/custom_ini_file.h"

#include "framework/strings.h"
#include "framework/text.h"

namespace tw {

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                int default_value) {
  int value;
  return ParseIntegerText(Trim(ReadString(section, ident, std::string())), value) ? value
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
