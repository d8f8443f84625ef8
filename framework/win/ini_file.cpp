#include "framework/win/ini_file.h"

#include <windows.h>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/strings.h"

namespace tw {
namespace {

// The profile functions report a result that did not fit by filling the buffer to its size
// less one (less two for zero-separated lists); the buffer grows until the answer fits.
template <class Query>
std::string QueryProfile(Query query, DWORD slack) {
  std::string buffer(1024, '\0');
  for (;;) {
    DWORD length = query(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length + slack < buffer.size() || buffer.size() >= 64u * 1024 * 1024) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(buffer.size() * 4, '\0');
  }
}

// Splits a list of zero-terminated names into lines.
void AddZeroSeparated(const std::string& list, TStrings& lines) {
  lines.BeginUpdate();
  try {
    lines.Clear();
    std::size_t start = 0;
    while (start < list.size()) {
      std::size_t end = list.find('\0', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) lines.Add(list.substr(start, end - start));
      start = end + 1;
    }
  } catch (...) {
    lines.EndUpdate();
    throw;
  }
  lines.EndUpdate();
}

bool NeedsQuoting(const std::string& value) {
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
         value.back() == value.front();
}

}  // namespace

TIniFile::~TIniFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str()); }

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& default_value) {
  return QueryProfile(
      [&](char* buffer, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), ident.c_str(), default_value.c_str(),
                                        buffer, size, FileName().c_str());
      },
      1);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  const std::string stored = NeedsQuoting(value) ? "\"" + value + "\"" : value;
  if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), stored.c_str(),
                                  FileName().c_str()))
    throw EIniFileException(FmtLoadStr(SIniFileWriteError, FileName()));
}

void TIniFile::ReadSection(const std::string& section, TStrings& names) {
  AddZeroSeparated(QueryProfile(
                       [&](char* buffer, DWORD size) {
                         return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer,
                                                         size, FileName().c_str());
                       },
                       2),
                   names);
}

void TIniFile::ReadSections(TStrings& sections) {
  AddZeroSeparated(QueryProfile(
                       [&](char* buffer, DWORD size) {
                         return GetPrivateProfileStringA(nullptr, nullptr, "", buffer, size,
                                                         FileName().c_str());
                       },
                       2),
                   sections);
}

void TIniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FileName().c_str()))
    throw EIniFileException(FmtLoadStr(SIniFileWriteError, FileName()));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

}  // namespace tw
