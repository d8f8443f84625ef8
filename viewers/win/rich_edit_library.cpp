// The process-wide part of the text page editor: the control library chosen at start, the
// clipboard formats it registers and the file formats by extension.
#include <windows.h>
#include <richedit.h>

#include "framework/win/handles.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

constexpr UINT kNoOpenFileErrorBox = 0x8000;

struct RichEditLibrary {
  int level = 1;
  ScopedLibrary library;
  UINT formats[4] = {};
};

// A handle below 32 is how the loader reported failure to old callers; take it as failure too.
HMODULE LoadLibraryChecked(const char* name) {
  HMODULE module = LoadLibraryA(name);
  if (reinterpret_cast<UINT_PTR>(module) < 32) return nullptr;
  return module;
}

RichEditLibrary& Library() {
  static RichEditLibrary library = [] {
    RichEditLibrary lib;
    UINT old_mode = SetErrorMode(kNoOpenFileErrorBox);
    if (HMODULE module = LoadLibraryChecked("RICHED20.DLL")) {
      lib.library.Reset(module);
      lib.level = 2;
      OSVERSIONINFOA version{};
      version.dwOSVersionInfoSize = sizeof(version);
      if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
          version.dwMajorVersion >= 5) {
        lib.level = 3;
      }
    } else if (HMODULE old = LoadLibraryChecked("RICHED32.DLL")) {
      lib.library.Reset(old);
    }
    SetErrorMode(old_mode);
    lib.formats[0] = RegisterClipboardFormatA("Embedded Object");
    lib.formats[1] = RegisterClipboardFormatA("Link Source");
    lib.formats[2] = RegisterClipboardFormatA(CF_RTF);
    lib.formats[3] = RegisterClipboardFormatA(CF_RTFNOOBJS);
    return lib;
  }();
  return library;
}

std::vector<TConversionFormat>& FormatList() {
  static std::vector<TConversionFormat> list = {
      {[] { return std::make_unique<TConversion>(); }, "txt", true},
      {[] { return std::make_unique<TConversion>(); }, "rtf", false},
  };
  return list;
}

}  // namespace

void InitRichEdit() { Library(); }
int RichEditLevel() { return Library().level; }
UINT CFEmbeddedObject() { return Library().formats[0]; }
UINT CFLinkSource() { return Library().formats[1]; }
UINT CFRtf() { return Library().formats[2]; }
UINT CFRtfNoObjs() { return Library().formats[3]; }

const std::vector<TConversionFormat>& ConversionFormatList() { return FormatList(); }

void RegisterConversionFormat(const std::string& extension, bool plain_text, TConversionClass conversion) {
  auto& list = FormatList();
  list.insert(list.begin(), TConversionFormat{std::move(conversion), extension, plain_text});
}

}  // namespace tw
