#include "framework/picture_registry.h"

#include <algorithm>
#include <vector>

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {
namespace {

struct FileFormat {
  std::string ext;  // lower case
  std::string description;
  TGraphicClass cls;
};

struct ClipboardFormat {
  unsigned format;
  TGraphicClass cls;
};

// Newest first, so that a later registration of an extension shadows an earlier one.
struct Registry {
  std::vector<FileFormat> files;
  std::vector<ClipboardFormat> clipboard;
};

// Built on first use: formats register from their own modules' start-up code.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

void RegisterFileFormat(const std::string& ext, const std::string& description, const TGraphicClass& cls) {
  auto& files = TheRegistry().files;
  files.insert(files.begin(), FileFormat{Lower(ext), description, cls});
}

void RegisterGraphicClipboardFormat(unsigned format, const TGraphicClass& cls) {
  auto& clipboard = TheRegistry().clipboard;
  clipboard.insert(clipboard.begin(), ClipboardFormat{format, cls});
}

void UnregisterGraphicClass(const std::string& class_name) {
  auto& r = TheRegistry();
  std::erase_if(r.files, [&](const FileFormat& f) { return f.cls.Name == class_name; });
  std::erase_if(r.clipboard, [&](const ClipboardFormat& f) { return f.cls.Name == class_name; });
}

std::optional<TGraphicClass> FindGraphicClassForExtension(const std::string& ext) {
  const std::string key = Lower(ext);
  for (const auto& f : TheRegistry().files)
    if (f.ext == key) return f.cls;
  return std::nullopt;
}

TGraphicClass GraphicClassForExtension(const std::string& ext) {
  auto cls = FindGraphicClassForExtension(ext);
  if (!cls) throw EInvalidGraphic(FmtLoadStr(SUnknownPictureExtension, ext));
  return *cls;
}

std::optional<TGraphicClass> GraphicClassForClipboardFormat(unsigned format) {
  for (const auto& f : TheRegistry().clipboard)
    if (f.format == format) return f.cls;
  return std::nullopt;
}

std::optional<TGraphicClass> GraphicClassNamed(const std::string& class_name) {
  for (const auto& f : TheRegistry().files)
    if (f.cls.Name == class_name) return f.cls;
  for (const auto& f : TheRegistry().clipboard)
    if (f.cls.Name == class_name) return f.cls;
  return std::nullopt;
}

std::string GraphicFilter(const std::string& class_name) {
  std::string filter;
  for (const auto& f : TheRegistry().files) {
    if (!class_name.empty() && f.cls.Name != class_name) continue;
    if (!filter.empty()) filter += '|';
    filter += f.description + " (*." + f.ext + ")|*." + f.ext;
  }
  return filter;
}

std::string GraphicExtension(const std::string& class_name) {
  for (const auto& f : TheRegistry().files)
    if (f.cls.Name == class_name) return f.ext;
  return {};
}

}  // namespace tw
