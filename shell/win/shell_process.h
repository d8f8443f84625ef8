#pragma once
// The process-wide state of the shell controls and its start-up and shutdown steps.
//
// Start-up, once per process and before any shell control exists:
//   InitShellUtilities(): the operating system version, the shell's task allocator (which then
//     owns every item identifier list), the common controls' file version;
//   InitShellControls(): the "Shell IDList Array" clipboard format, the list's process-wide
//     memory stream, OLE.
// Shutdown: DoneShellControls() frees the Send To list and the memory stream, uninitialises OLE
// and releases the shortcut table.

#include <windows.h>

#include <string>

#include "framework/stream.h"

namespace tw {

struct TOsVersionInfo {
  DWORD PlatformId = 0;
  DWORD Major = 0;
  DWORD Minor = 0;
  DWORD Build = 0;
};

// A file's fixed version: most and least significant 32-bit words.
struct TFileVersionPair {
  DWORD Ms = 0;
  DWORD Ls = 0;
};

void InitShellUtilities();
void InitShellControls();
void DoneShellControls();

const TOsVersionInfo& ShellOsVersion();
// The version of "comctl32.dll"; both words are zero when it could not be read.
const TFileVersionPair& CommonControlsVersion();
// The memory stream the shell list keeps its column state in (exists between
// InitShellControls and DoneShellControls).
TMemoryStream& ShellColumnStream();

// Set once the system image lists' overlay images have been put right (see SystemImageList).
bool& OverlaysFixed();

// Reads the fixed file version of FILE_NAME.
bool GetFileVersionPair(const std::string& file_name, TFileVersionPair& version);

}  // namespace tw
