#include "framework/string_table.h"

#include <cstdarg>
#include <unordered_map>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tw {
namespace {

// The texts are kept in UTF-8 here; the GIF codec's messages are Russian as the codec has
// always shipped them.
const std::unordered_map<int, const char*>& Table() {
  static const std::unordered_map<int, const char*> table = {
      {SGIFUnknownVersion, "Неизвестная версия изображения GIF"},
      {SGIFEncodeError, "Ошибка кодировки данных в формат GIF"},
      {SGIFBadData, "Неверные данные в формате GIF"},
      {SGIFCodeSizeRange, "Размер кода GIF не принадлежит диапазону от 2 до 9"},
      {SGIFBadColorCount, "Неверное число цветов; должно быть степенью числа 2"},
      {SGIFUnknownExtension, "Неопределенное расширение GIF: %.2x"},
      {SGIFNoDataToWrite, "Нет данных для записи в формате GIF"},
      {SGIFCannotResize, "Невозможно изменить размер изображения GIF"},
      {SGIFImageDescription, "CompuServe GIF Image"},
      {SNotImplemented, "Функция не реализована"},
      {SShortcutPaste, "Ctrl+V"},
      {SShortcutRefresh, "F5"},
      {SShortcutRename, "F2"},
      {SJPEGCannotResize, "Cannot change the size of a JPEG image"},
      {SJPEGError, "JPEG error #%d"},
      {SSizeKB, "%sKB"},
      {SNewFolder, "New Folder"},
      {SCreateFolderFailed, "Unable to create the folder '%2'\r\n\r\n%1"},
      {SColumnName, "Name"},
      {SColumnSize, "Size"},
      {SColumnType, "Type"},
      {SColumnModified, "Modified"},
      {SSystemFolder, "System Folder"},
      {SShortcutSelectAll, "Ctrl+A"},
      {SShortcutDelete, "Del"},
      {SShortcutCopy, "Ctrl+C"},
      {SShortcutCut, "Ctrl+X"},
      {SIdListIndexOutOfRange, "TPTIdListArray - index %d out of range"},
      {SUnknownPictureExtension, "Unknown picture file extension (.%s)"},
      {SAssignError, "Cannot assign a %s to a %s"},
      {SListIndexError, "List index out of bounds (%d)"},
      {SDuplicateString, "String list does not allow duplicates"},
      {SSortedListError, "Operation not allowed on sorted string list"},
      {SInvalidPropertyValue, "Invalid property value"},
      {SInvalidPropertyPath, "Invalid property path"},
      {SUnknownProperty, "Property %s does not exist"},
      {SOutOfResources, "Out of system resources"},
      {SInvalidImage, "Invalid image"},
      {SLoadStreamFailed, "Failed to Load Stream"},
      {SSaveStreamFailed, "Failed to Save Stream"},
      {SRichEditInsertError, "RichEdit line insertion error"},
      {SSaveTruncatedText,
       "Only the first %d characters of %s were loaded: saving them over the file would lose its end. Save the text "
       "under another name."},
      {STextTruncated, "Only the first %d characters of %s are shown: the file is longer than the editor holds."},
      {STextUnrepresentable, "%s has no character \"%s\" of the text: the text was not saved."},
      {STextSaveAsUtf8, "%s has no character \"%s\" of the text. Save the text as UTF-8 instead?"},
      {STextLoading, "Loading %s: %d%%"},
      {SFolderReading, "Reading the folder: %d items so far"},
      {SInvalidDataType, "Invalid data type for '%s'"},
      {SOleError, "OLE error %.8x"},
      {SObjectPropertiesCaption, "%s Properties"},
      {SLinkPropertiesCaption, "Link Properties"},
      {SInvalidLinkSource, "Cannot link to an invalid source."},
      {SBreakLinkNotSupported, "Break link operation is not supported."},
      {SDuplicateName, "A component named %s already exists"},
      {SInvalidName, "'%s' is not a valid component name"},
      {SJPEGImageDescription, "JPEG Image File"},
      {SInvalidBitmapFormat, "Bitmap image is not valid"},
      {SCannotFocus, "Cannot focus a disabled or invisible window"},
      {SBitmapTooLarge, "Image is too large"},
      {SInvalidGraphicOperation, "Invalid graphic operation"},
      {SInvalidBitmap, "Bitmap image is not valid"},
      {SReadError, "Stream read error"},
      {SWriteError, "Stream write error"},
      {SFOpenError, "Cannot open file %s"},
      {SFCreateError, "Cannot create file %s"},
      {SRegCreateFailed, "Failed to create key %s"},
      {SRegSetDataFailed, "Failed to set data for '%s'"},
      {SIniFileWriteError, "Unable to write to %s"},
      {SNoCanvasHandle, "Canvas does not allow drawing"},
      {SInvalidIcon, "Invalid icon"},
      {SChangeIconSize, "Cannot change the size of an icon"},
      {SInvalidMetafile, "Metafile is not valid"},
      {SNoDefaultPrinter, "There is no default printer currently selected"},
      {SPrinting, "Printing in progress"},
      {SNotPrinting, "Printer is not currently printing"},
      {SAddNewShellItemFailed, "Exception in AddNewShellItem"},
      {SRecursiveSortPidls, "Recursive call to SortPidls"},
      {SPngIconNotDrawable, "This icon image is stored as PNG, which cannot be drawn without the system's imaging component"},
      {SImagingFailed, "The picture cannot be decoded (imaging component error %.8x)"},
      {SImagingUnknownFormat, "No imaging decoder reads this picture: its format is unknown or its header is not valid"},
  };
  return table;
}

#ifdef _WIN32
std::string ToSystemCodePage(const char* utf8) {
  int wide_len = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::vector<wchar_t> wide(wide_len);
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), wide_len);
  int len = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(len, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), len, nullptr, nullptr);
  text.resize(len > 0 ? len - 1 : 0);
  return text;
}
#else
std::string ToSystemCodePage(const char* utf8) { return utf8; }
#endif

}  // namespace

std::string LoadStr(int id) {
  auto it = Table().find(id);
  return it == Table().end() ? std::string() : ToSystemCodePage(it->second);
}

namespace detail {
std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int len = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(len > 0 ? len : 0, '\0');
  if (len > 0) std::vsnprintf(text.data(), len + 1, format, args);
  va_end(args);
  return text;
}
}  // namespace detail

}  // namespace tw
