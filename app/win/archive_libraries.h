#pragma once
// The optional archive libraries the program binds at start-up and releases at exit: the
// system's cabinet decompressor "cabinet.dll" and the RAR extraction library "unrar.dll".
// Each is loaded with the system's "file not found" message box suppressed; an entry the library
// lacks, or every entry of a library that is missing, is a do-nothing function that answers
// failure, so a caller never has to test for null. Releasing puts the do-nothing entries back
// before the library is unloaded, so no entry points into an unloaded module.

#include <windows.h>
#include <fdi.h>

#include <string>

namespace tw {

// A library loaded if present, freed by the owner.
class TOptionalLibrary {
public:
  explicit TOptionalLibrary(std::string file_name);
  ~TOptionalLibrary();
  TOptionalLibrary(const TOptionalLibrary&) = delete;
  TOptionalLibrary& operator=(const TOptionalLibrary&) = delete;

  const std::string& FileName() const { return file_name_; }
  bool Loaded() const { return module_ != nullptr; }
  // Loads the library unless it is loaded; false when it is not there.
  bool Load();
  void Release();

  // The entry NAME of the library, or FALLBACK when the library or the entry is missing.
  template <class Function>
  Function Entry(const char* name, Function fallback) const {
    FARPROC found = module_ ? GetProcAddress(module_, name) : nullptr;
    return found ? reinterpret_cast<Function>(reinterpret_cast<void*>(found)) : fallback;
  }

private:
  std::string file_name_;
  HMODULE module_ = nullptr;
};

// The cabinet decompressor's entries.
class TCabinetLibrary {
public:
  explicit TCabinetLibrary(std::string file_name = "cabinet.dll");
  ~TCabinetLibrary() { Release(); }

  bool Loaded() const { return library_.Loaded(); }
  void Bind();
  void Release();

  decltype(&::FDICreate) FDICreate;
  decltype(&::FDIIsCabinet) FDIIsCabinet;
  decltype(&::FDICopy) FDICopy;
  decltype(&::FDIDestroy) FDIDestroy;

private:
  void UseFallbacks();
  TOptionalLibrary library_;
};

// The RAR extraction library's entries, with its own calling convention. The archive records are
// the library's own structures; they are passed through untouched.
struct RAROpenArchiveData;
struct RARHeaderData;
using TRAROpenArchive = HANDLE(WINAPI*)(RAROpenArchiveData* archive_data);
using TRARCloseArchive = int(WINAPI*)(HANDLE archive);
using TRARReadHeader = int(WINAPI*)(HANDLE archive, RARHeaderData* header_data);
using TRARProcessFile = int(WINAPI*)(HANDLE archive, int operation, char* dest_path, char* dest_name);
using TRARSetPassword = void(WINAPI*)(HANDLE archive, char* password);
using TRARGetDllVersion = int(WINAPI*)();

// The library's answers that the do-nothing entries give.
inline constexpr int ERAR_END_ARCHIVE = 10;
inline constexpr int ERAR_EOPEN = 15;

class TUnRarLibrary {
public:
  explicit TUnRarLibrary(std::string file_name = "unrar.dll");
  ~TUnRarLibrary() { Release(); }

  bool Loaded() const { return library_.Loaded(); }
  void Bind();
  void Release();

  TRAROpenArchive RAROpenArchive;
  TRARCloseArchive RARCloseArchive;
  TRARReadHeader RARReadHeader;
  TRARProcessFile RARProcessFile;
  TRARSetPassword RARSetPassword;
  // 0 without the library.
  TRARGetDllVersion RARGetDllVersion;

private:
  void UseFallbacks();
  TOptionalLibrary library_;
};

// Both libraries, bound for the life of the object (the program holds one from start-up to exit).
class TArchiveLibraries {
public:
  TArchiveLibraries() {
    Cabinet.Bind();
    UnRar.Bind();
  }
  ~TArchiveLibraries() {
    UnRar.Release();
    Cabinet.Release();
  }
  TArchiveLibraries(const TArchiveLibraries&) = delete;
  TArchiveLibraries& operator=(const TArchiveLibraries&) = delete;

  TCabinetLibrary Cabinet;
  TUnRarLibrary UnRar;
};

}  // namespace tw
