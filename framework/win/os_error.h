#pragma once
// Failures of Win32 calls as exceptions carrying the system's text for the error code.

#include <windows.h>

namespace tw {

// Raises EOSError with the system's text for GetLastError().
[[noreturn]] void RaiseLastOSError();

}  // namespace tw
