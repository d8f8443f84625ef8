#include "shell/win/shell_errors.h"

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {

std::string SysErrorMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' '))
    message.pop_back();
  if (message.empty()) message = Format("System error 0x%.8x", static_cast<unsigned>(code));
  return message;
}

void RaiseShellError(HRESULT hr) { throw EOSError(SysErrorMessage(static_cast<DWORD>(hr))); }

void CheckResult(HRESULT hr) {
  if (FAILED(hr)) RaiseShellError(hr);
}

}  // namespace tw
