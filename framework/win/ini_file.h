#pragma once
// TIniFile: the settings-store interface over an INI file, through the system's profile
// functions (a file name without a folder resolves to the Windows folder, as the system does).
// A value that begins and ends with matching quotes is written inside one more pair of double
// quotes, because the system strips one such pair when reading: every string reads back as it
// was written.

#include "framework/exception.h"
#include "framework/win/custom_ini_file.h"

namespace tw {

TW_EXCEPTION_KIND(EIniFileException, Exception);

class TIniFile : public TCustomIniFile {
public:
  explicit TIniFile(const std::string& file_name) : TCustomIniFile(file_name) {}
  // Flushes the system's cache of the file so that it is complete on disk.
  ~TIniFile() override;

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& default_value) override;
  // Fails with EIniFileException "Unable to write to %s" when the file cannot be written.
  void WriteString(const std::string& section, const std::string& ident,
                   const std::string& value) override;
  void ReadSection(const std::string& section, TStrings& names) override;
  void ReadSections(TStrings& sections) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  void UpdateFile() override;
};

}  // namespace tw
