#pragma once
// Every message and caption text of the program, by string id. LoadStr returns the text in the
// program's 8-bit text encoding (the system code page on Windows, UTF-8 elsewhere).

#include <cstdio>
#include <string>
#include <type_traits>

namespace tw {

enum StringId : int {
  // GIF codec
  SGIFUnknownVersion = 61092,
  SGIFEncodeError = 61093,
  SGIFBadData = 61094,
  SGIFCodeSizeRange = 61095,
  SGIFBadColorCount = 61096,
  SGIFUnknownExtension = 61097,
  SGIFNoDataToWrite = 61098,
  SGIFCannotResize = 61099,
  SGIFImageDescription = 61100,
  SNotImplemented = 61257,
  // shell views
  SShortcutPaste = 65296,
  SShortcutRefresh = 65297,
  SShortcutRename = 65298,
  SJPEGCannotResize = 65306,
  SJPEGError = 65307,
  SSizeKB = 65316,
  SNewFolder = 65317,
  SCreateFolderFailed = 65318,
  SColumnName = 65319,
  SColumnSize = 65320,
  SColumnType = 65321,
  SColumnModified = 65322,
  SSystemFolder = 65323,
  SShortcutSelectAll = 65324,
  SShortcutDelete = 65325,
  SShortcutCopy = 65326,
  SShortcutCut = 65327,
  // class library
  SIdListIndexOutOfRange = 65400,
  SUnknownPictureExtension = 65401,
  SAssignError = 65402,
  SListIndexError = 65403,
  SDuplicateString = 65404,
  SSortedListError = 65405,
  SInvalidPropertyValue = 65406,
  SInvalidPropertyPath = 65407,
  SUnknownProperty = 65408,
  SOutOfResources = 65409,
  SInvalidImage = 65410,
  SLoadStreamFailed = 65411,
  SSaveStreamFailed = 65412,
  SRichEditInsertError = 65413,
  SSaveTruncatedText = 65423,
  STextTruncated = 65424,
  STextLoading = 65425,
  SInvalidDataType = 65414,
  SOleError = 65415,
  SDuplicateName = 65416,
  SInvalidName = 65417,
  SJPEGImageDescription = 65418,
  SInvalidBitmapFormat = 65419,
  SCannotFocus = 65420,
  SBitmapTooLarge = 65421,
  SInvalidGraphicOperation = 65422,
  SInvalidBitmap = 65437,
  SReadError = 65448,
  SWriteError = 65449,
  SFOpenError = 65450,
  SFCreateError = 65451,
  SRegCreateFailed = 65460,
  SRegSetDataFailed = 65461,
  SIniFileWriteError = 65462,
  SNoCanvasHandle = 65463,
  SInvalidIcon = 65464,
  SChangeIconSize = 65465,
  SInvalidMetafile = 65466,
  SNoDefaultPrinter = 65470,
  SPrinting = 65471,
  SNotPrinting = 65472,
  SAddNewShellItemFailed = 65480,
  SRecursiveSortPidls = 65481,
  // embedded objects of the text page
  SObjectPropertiesCaption = 65490,
  SLinkPropertiesCaption = 65491,
  SInvalidLinkSource = 65492,
  SBreakLinkNotSupported = 65493,
  // pictures
  SPngIconNotDrawable = 65494,
  SImagingFailed = 65495,
  SImagingUnknownFormat = 65496,
  STextUnrepresentable = 65497,
  STextSaveAsUtf8 = 65498,
  // the main window's status bar
  SFolderReading = 65499,
};

// The text of a string id; an unknown id gives an empty string.
std::string LoadStr(int id);

namespace detail {
std::string FormatText(const char* format, ...);
}  // namespace detail

// printf-style formatting for the table's texts (%s with std::string or char*, %d, %x, %.2x,
// %.8x, ...). Each std::string argument stays alive for the whole call.
template <class... Args>
std::string Format(const std::string& format, const Args&... args) {
  return detail::FormatText(format.c_str(), [](const auto& a) -> decltype(auto) {
    if constexpr (std::is_same_v<std::decay_t<decltype(a)>, std::string>)
      return a.c_str();
    else
      return a;
  }(args)...);
}

// LoadStr and Format in one call: FmtLoadStr(SFOpenError, path).
template <class... Args>
std::string FmtLoadStr(int id, const Args&... args) {
  return Format(LoadStr(id), args...);
}

}  // namespace tw
