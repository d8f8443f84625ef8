#pragma once
// The common interface of the two settings stores: an INI file (TIniFile) and a registry key of
// the current user (TRegIniFile). Sections hold named string values; integers and Booleans are
// stored as decimal text.

#include <string>

namespace tw {

class TStrings;

class TCustomIniFile {
public:
  virtual ~TCustomIniFile() = default;
  explicit TCustomIniFile(std::string file_name) : file_name_(std::move(file_name)) {}

  const std::string& FileName() const { return file_name_; }

  virtual std::string ReadString(const std::string& section, const std::string& ident,
                                 const std::string& default_value) = 0;
  virtual void WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) = 0;
  // Decimal text, or hexadecimal after "0x", "0X" or "$"; anything else gives DEFAULT_VALUE.
  virtual int ReadInteger(const std::string& section, const std::string& ident, int default_value);
  virtual void WriteInteger(const std::string& section, const std::string& ident, int value);
  bool ReadBool(const std::string& section, const std::string& ident, bool default_value);
  // Booleans are written as "0" and "1".
  void WriteBool(const std::string& section, const std::string& ident, bool value);

  // The value names of SECTION, in store order.
  virtual void ReadSection(const std::string& section, TStrings& names) = 0;
  virtual void ReadSections(TStrings& sections) = 0;
  // Every value of SECTION as a "name=value" line.
  virtual void ReadSectionValues(const std::string& section, TStrings& lines);
  virtual void EraseSection(const std::string& section) = 0;
  virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
  virtual bool ValueExists(const std::string& section, const std::string& ident);
  bool SectionExists(const std::string& section);
  // Writes cached changes to the store.
  virtual void UpdateFile() = 0;

private:
  std::string file_name_;
};

}  // namespace tw
