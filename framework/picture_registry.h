#pragma once
// The registry of picture formats: which graphic class reads a file extension or a clipboard
// format. Formats register at start-up; the picture object (picture.h) looks them up.

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tw {

class TGraphic;

// A picture format class: its class name and how to make an empty instance.
struct TGraphicClass {
  std::string Name;
  std::function<std::unique_ptr<TGraphic>()> Create;
};

// Registers CLS for the file extension EXT (without the dot; letter case does not matter).
// A later registration of the same extension takes precedence until it is unregistered.
void RegisterFileFormat(const std::string& ext, const std::string& description, const TGraphicClass& cls);
void RegisterGraphicClipboardFormat(unsigned format, const TGraphicClass& cls);
// Removes every file extension and clipboard format registered for the class named CLASS_NAME.
void UnregisterGraphicClass(const std::string& class_name);

// The class for EXT; EInvalidGraphic "Unknown picture file extension (.EXT)" when there is none.
TGraphicClass GraphicClassForExtension(const std::string& ext);
// Empty when nothing is registered.
std::optional<TGraphicClass> FindGraphicClassForExtension(const std::string& ext);
std::optional<TGraphicClass> GraphicClassForClipboardFormat(unsigned format);
std::optional<TGraphicClass> GraphicClassNamed(const std::string& class_name);

// The filter text of the open and save dialogs: "description (*.ext)|*.ext" for every
// registered extension, joined by "|", most recent registration first; only those of the class
// named CLASS_NAME when it is not empty.
std::string GraphicFilter(const std::string& class_name = {});
// The most recent extension registered for the class, empty when it has none.
std::string GraphicExtension(const std::string& class_name);

}  // namespace tw
