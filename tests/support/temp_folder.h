#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// owner goes away.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tw::test {

class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of NAME inside the folder, as the program's 8-bit text.
  std::string File(std::string_view name) const;
  // Writes BYTES to NAME (folders on the way are made) and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  std::string Write(std::string_view name, const std::vector<unsigned char>& bytes) const;
  std::string MakeFolder(std::string_view name) const;

private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::string& path);

}  // namespace tw::test
