#include "framework/win/os_error.h"

#include <string>

#include "framework/exception.h"

namespace tw {

void RaiseLastOSError() {
  DWORD code = GetLastError();
  char buffer[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, buffer, sizeof(buffer), nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' ||
                        buffer[length - 1] == ' ')) {
    --length;
  }
  if (length == 0) throw EOSError("System error " + std::to_string(code));
  throw EOSError(std::string(buffer, length));
}

}  // namespace tw
