#pragma once
// TRegIniFile: the settings-store interface over a registry key of the current user. The key
// HKEY_CURRENT_USER\<file name> is opened (created if absent) on construction; each section is
// a subkey of it (the empty section is the key itself) and each value a REG_SZ string.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/exception.h"
#include "framework/win/custom_ini_file.h"
#include "framework/win/handles.h"

namespace tw {

TW_EXCEPTION_KIND(ERegistryException, Exception);

class TRegIniFile : public TCustomIniFile {
public:
  // Fails with ERegistryException when the key can neither be opened nor created.
  explicit TRegIniFile(const std::string& file_name);

  HKEY CurrentKey() const { return key_.Get(); }

  // A missing section or value gives DEFAULT_VALUE; a value that is not a string fails with
  // ERegistryException "Invalid data type for '%s'".
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& default_value) override;
  void WriteString(const std::string& section, const std::string& ident,
                   const std::string& value) override;
  // Also takes REG_DWORD values as they are.
  int ReadInteger(const std::string& section, const std::string& ident,
                  int default_value) override;
  void ReadSection(const std::string& section, TStrings& names) override;
  void ReadSections(TStrings& sections) override;
  // Deletes the section's subkey with everything below it.
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  bool ValueExists(const std::string& section, const std::string& ident) override;
  // Registry writes need no flushing.
  void UpdateFile() override {}

  // The raw bytes of a value of any type; nothing when the section or value is missing.
  std::optional<std::vector<std::uint8_t>> ReadBinaryData(const std::string& section,
                                                          const std::string& ident);

private:
  // The section's subkey opened for reading; empty when it does not exist.
  ScopedKey OpenSection(const std::string& section, REGSAM access) const;
  ScopedKey CreateSection(const std::string& section) const;

  ScopedKey key_;
};

// Deletes KEY's subkey NAME and everything below it; true when it is gone afterwards.
bool DeleteRegistryTree(HKEY key, const std::string& name);

}  // namespace tw
