#include "framework/win/os_error.h"

#include <string>

#include "framework/exception.h"

namespace tw {

std::string SystemErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

void RaiseLastOSError() {
  const DWORD code = GetLastError();
  std::string message = SystemErrorText(code);
  if (message.empty()) throw EOSError("System error " + std::to_string(code));
  throw EOSError(message);
}

}  // namespace tw
