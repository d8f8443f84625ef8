#include "shell/win/shell_errors.h"

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/os_error.h"

namespace tw {

std::string SysErrorMessage(DWORD code) {
  std::string message = SystemErrorText(code);
  if (message.empty()) message = Format("System error 0x%.8x", static_cast<unsigned>(code));
  return message;
}

void RaiseShellError(HRESULT hr) { throw EOSError(SysErrorMessage(static_cast<DWORD>(hr))); }

void CheckResult(HRESULT hr) {
  if (FAILED(hr)) RaiseShellError(hr);
}

}  // namespace tw
