#include "app/win/archive_libraries.h"

#include <utility>

namespace tw {

namespace {

// The do-nothing entries of a missing cabinet library: every call fails as "cabinet not found".
HFDI DIAMONDAPI NoFDICreate(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, PERF perf) {
  if (perf) {
    perf->erfOper = FDIERROR_CABINET_NOT_FOUND;
    perf->erfType = 0;
    perf->fError = TRUE;
  }
  return nullptr;
}
BOOL DIAMONDAPI NoFDIIsCabinet(HFDI, INT_PTR, PFDICABINETINFO) { return FALSE; }
BOOL DIAMONDAPI NoFDICopy(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*) { return FALSE; }
BOOL DIAMONDAPI NoFDIDestroy(HFDI) { return FALSE; }

HANDLE WINAPI NoRAROpenArchive(RAROpenArchiveData*) { return nullptr; }
int WINAPI NoRARCloseArchive(HANDLE) { return 0; }
int WINAPI NoRARReadHeader(HANDLE, RARHeaderData*) { return ERAR_END_ARCHIVE; }
int WINAPI NoRARProcessFile(HANDLE, int, char*, char*) { return ERAR_EOPEN; }
void WINAPI NoRARSetPassword(HANDLE, char*) {}
int WINAPI NoRARGetDllVersion() { return 0; }

}  // namespace

TOptionalLibrary::TOptionalLibrary(std::string file_name) : file_name_(std::move(file_name)) {}

TOptionalLibrary::~TOptionalLibrary() { Release(); }

bool TOptionalLibrary::Load() {
  if (module_) return true;
  // Without this the system may ask the user to insert a disk or show that the file is missing.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  module_ = LoadLibraryA(file_name_.c_str());
  SetErrorMode(previous);
  return module_ != nullptr;
}

void TOptionalLibrary::Release() {
  if (!module_) return;
  FreeLibrary(module_);
  module_ = nullptr;
}

TCabinetLibrary::TCabinetLibrary(std::string file_name) : library_(std::move(file_name)) { UseFallbacks(); }

void TCabinetLibrary::UseFallbacks() {
  FDICreate = &NoFDICreate;
  FDIIsCabinet = &NoFDIIsCabinet;
  FDICopy = &NoFDICopy;
  FDIDestroy = &NoFDIDestroy;
}

void TCabinetLibrary::Bind() {
  library_.Load();
  FDICreate = library_.Entry("FDICreate", &NoFDICreate);
  FDIIsCabinet = library_.Entry("FDIIsCabinet", &NoFDIIsCabinet);
  FDICopy = library_.Entry("FDICopy", &NoFDICopy);
  FDIDestroy = library_.Entry("FDIDestroy", &NoFDIDestroy);
}

void TCabinetLibrary::Release() {
  UseFallbacks();
  library_.Release();
}

TUnRarLibrary::TUnRarLibrary(std::string file_name) : library_(std::move(file_name)) { UseFallbacks(); }

void TUnRarLibrary::UseFallbacks() {
  RAROpenArchive = &NoRAROpenArchive;
  RARCloseArchive = &NoRARCloseArchive;
  RARReadHeader = &NoRARReadHeader;
  RARProcessFile = &NoRARProcessFile;
  RARSetPassword = &NoRARSetPassword;
  RARGetDllVersion = &NoRARGetDllVersion;
}

void TUnRarLibrary::Bind() {
  library_.Load();
  RAROpenArchive = library_.Entry("RAROpenArchive", &NoRAROpenArchive);
  RARCloseArchive = library_.Entry("RARCloseArchive", &NoRARCloseArchive);
  RARReadHeader = library_.Entry("RARReadHeader", &NoRARReadHeader);
  RARProcessFile = library_.Entry("RARProcessFile", &NoRARProcessFile);
  RARSetPassword = library_.Entry("RARSetPassword", &NoRARSetPassword);
  RARGetDllVersion = library_.Entry("RARGetDllVersion", &NoRARGetDllVersion);
}

void TUnRarLibrary::Release() {
  UseFallbacks();
  library_.Release();
}

}  // namespace tw
