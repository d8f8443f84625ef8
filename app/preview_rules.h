#pragma once
// The main window's rules for file names: which files the preview shows as pictures, and how
// the text page's title splits into the name and folder that the save dialog proposes.

#include <string>
#include <string_view>

namespace tw {

// The extension of PATH, dot included: from the last '.' after the last path delimiter ('\\',
// '/') or drive colon; empty when the file name has no dot.
std::string_view FileExtension(std::string_view path);
// The file-name part of PATH (after the last delimiter or drive colon).
std::string_view FileNamePart(std::string_view path);
// The folder part of PATH, up to and including the last delimiter or drive colon; empty when
// PATH names no folder.
std::string_view FolderPart(std::string_view path);

// A picture is a path whose upper-cased extension is one of ".BMP", ".JPG", ".JPEG", ".ICO",
// ".WMF", ".EMF" and ".GIF" exactly, or one that a picture format is registered for (the
// formats of the platform's imaging decoders); everything else, a name without an extension
// too, is text.
bool IsPictureFile(std::string_view path);

}  // namespace tw
