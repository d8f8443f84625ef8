#include "app/preview_rules.h"

#include <array>

#include "framework/picture_registry.h"
#include "framework/text.h"

namespace tw {

namespace {

// The index just past the last path delimiter or drive colon (0 when there is none).
std::size_t NameStart(std::string_view path) {
  std::size_t delimiter = path.find_last_of("\\/:");
  return delimiter == std::string_view::npos ? 0 : delimiter + 1;
}

}  // namespace

std::string_view FileExtension(std::string_view path) {
  std::size_t start = NameStart(path);
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return {};
  return path.substr(dot);
}

std::string_view FileNamePart(std::string_view path) { return path.substr(NameStart(path)); }

std::string_view FolderPart(std::string_view path) { return path.substr(0, NameStart(path)); }

bool IsPictureFile(std::string_view path) {
  static constexpr std::array<std::string_view, 7> kPictureExtensions = {
      ".BMP", ".JPG", ".JPEG", ".ICO", ".WMF", ".EMF", ".GIF"};
  std::string extension = UpperCase(FileExtension(path));
  for (std::string_view known : kPictureExtensions) {
    if (extension == known) return true;
  }
  return extension.size() > 1 && FindGraphicClassForExtension(extension.substr(1)).has_value();
}

}  // namespace tw
