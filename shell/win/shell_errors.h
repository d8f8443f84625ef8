#pragma once
// Failures of shell calls as exceptions carrying the system's text for the code.

#include <windows.h>

#include <string>

namespace tw {

// The system's message text for an error or HRESULT code, without the trailing line break.
std::string SysErrorMessage(DWORD code);

// Raises EOSError with the system's text for HR.
[[noreturn]] void RaiseShellError(HRESULT hr);

// Raises EOSError with the system's text for HR when HR is negative.
void CheckResult(HRESULT hr);

}  // namespace tw
