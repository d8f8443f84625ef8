#pragma once
// Failures of Win32 calls as exceptions carrying the system's text for the error code.

#include <windows.h>

#include <string>

namespace tw {

// The system's message text for an error or HRESULT code without its trailing line break;
// empty when the system has none.
std::string SystemErrorText(DWORD code);

// Raises EOSError with the system's text for GetLastError().
[[noreturn]] void RaiseLastOSError();

}  // namespace tw
