#include "framework/win/registry.h"

#include "framework/string_table.h"
#include "framework/strings.h"

namespace tw {
namespace {

// Deletes every subkey of KEY with everything below it; false when one could not be deleted.
bool DeleteSubkeys(HKEY key) {
  // Subkeys are deleted from the last index down, so enumeration never skips one.
  for (;;) {
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    if (count == 0) return true;
    std::string child(longest + 1, '\0');
    DWORD length = longest + 1;
    if (RegEnumKeyExA(key, count - 1, child.data(), &length, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS)
      return false;
    child.resize(length);
    if (!DeleteRegistryTree(key, child)) return false;
  }
}

}  // namespace

bool DeleteRegistryTree(HKEY key, const std::string& name) {
  // The empty name would address KEY itself, which is never what a caller means to delete.
  if (name.empty()) return false;
  {
    ScopedKey sub;
    if (RegOpenKeyExA(key, name.c_str(), 0, KEY_READ | KEY_WRITE, sub.Receive()) != ERROR_SUCCESS)
      return RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, sub.Receive()) != ERROR_SUCCESS;
    if (!DeleteSubkeys(sub.Get())) return false;
  }
  return RegDeleteKeyA(key, name.c_str()) == ERROR_SUCCESS;
}

TRegIniFile::TRegIniFile(const std::string& file_name) : TCustomIniFile(file_name) {
  LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, file_name.c_str(), 0, nullptr, 0,
                                KEY_READ | KEY_WRITE, nullptr, key_.Receive(), nullptr);
  if (result != ERROR_SUCCESS) throw ERegistryException(FmtLoadStr(SRegCreateFailed, file_name));
}

ScopedKey TRegIniFile::OpenSection(const std::string& section, REGSAM access) const {
  ScopedKey sub;
  if (RegOpenKeyExA(key_.Get(), section.c_str(), 0, access, sub.Receive()) != ERROR_SUCCESS)
    return ScopedKey();
  return sub;
}

ScopedKey TRegIniFile::CreateSection(const std::string& section) const {
  ScopedKey sub;
  if (RegCreateKeyExA(key_.Get(), section.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                      nullptr, sub.Receive(), nullptr) != ERROR_SUCCESS)
    throw ERegistryException(FmtLoadStr(SRegCreateFailed, FileName() + "\\" + section));
  return sub;
}

std::optional<std::vector<std::uint8_t>> TRegIniFile::ReadBinaryData(const std::string& section,
                                                                     const std::string& ident) {
  ScopedKey sub = OpenSection(section, KEY_READ);
  if (!sub) return std::nullopt;
  // The value may grow between the size query and the read; ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    if (RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    std::vector<std::uint8_t> data(size);
    LONG result =
        RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, nullptr, data.data(), &size);
    if (result == ERROR_SUCCESS) {
      data.resize(size);
      return data;
    }
    if (result != ERROR_MORE_DATA) return std::nullopt;
  }
  return std::nullopt;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& default_value) {
  ScopedKey sub = OpenSection(section, KEY_READ);
  if (!sub) return default_value;
  DWORD type = 0;
  if (RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return default_value;
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw ERegistryException(FmtLoadStr(SInvalidDataType, ident));
  auto data = ReadBinaryData(section, ident);
  if (!data) return default_value;
  // Stored strings need not carry their terminating zero; the text ends at the first one.
  std::string text(data->begin(), data->end());
  if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
  ScopedKey sub = CreateSection(section);
  if (RegSetValueExA(sub.Get(), ident.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    throw ERegistryException(FmtLoadStr(SRegSetDataFailed, ident));
}

int TRegIniFile::ReadInteger(const std::string& section, const std::string& ident,
                             int default_value) {
  ScopedKey sub = OpenSection(section, KEY_READ);
  if (!sub) return default_value;
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return default_value;
  if (type == REG_DWORD) {
    if (RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
      return default_value;
    return static_cast<int>(value);
  }
  return TCustomIniFile::ReadInteger(section, ident, default_value);
}

void TRegIniFile::ReadSection(const std::string& section, TStrings& names) {
  names.BeginUpdate();
  try {
    names.Clear();
    if (ScopedKey sub = OpenSection(section, KEY_READ)) {
      DWORD count = 0, longest = 0;
      if (RegQueryInfoKeyA(sub.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &count, &longest, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        std::string name;
        for (DWORD i = 0; i < count; ++i) {
          name.assign(longest + 1, '\0');
          DWORD length = longest + 1;
          if (RegEnumValueA(sub.Get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS)
            break;
          name.resize(length);
          names.Add(name);
        }
      }
    }
  } catch (...) {
    names.EndUpdate();
    throw;
  }
  names.EndUpdate();
}

void TRegIniFile::ReadSections(TStrings& sections) {
  sections.BeginUpdate();
  try {
    sections.Clear();
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(key_.Get(), nullptr, nullptr, nullptr, &count, &longest, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      std::string name;
      for (DWORD i = 0; i < count; ++i) {
        name.assign(longest + 1, '\0');
        DWORD length = longest + 1;
        if (RegEnumKeyExA(key_.Get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
          break;
        name.resize(length);
        sections.Add(name);
      }
    }
  } catch (...) {
    sections.EndUpdate();
    throw;
  }
  sections.EndUpdate();
}

void TRegIniFile::EraseSection(const std::string& section) {
  if (!section.empty()) {
    DeleteRegistryTree(key_.Get(), section);
    return;
  }
  // The empty section is the key itself: it stays, emptied of its values and subkeys.
  DeleteSubkeys(key_.Get());
  TStringList names;
  ReadSection(section, names);
  for (int i = 0; i < names.Count(); ++i) RegDeleteValueA(key_.Get(), names.Get(i).c_str());
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  if (ScopedKey sub = OpenSection(section, KEY_WRITE)) RegDeleteValueA(sub.Get(), ident.c_str());
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& ident) {
  ScopedKey sub = OpenSection(section, KEY_READ);
  return sub && RegQueryValueExA(sub.Get(), ident.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS;
}

}  // namespace tw
