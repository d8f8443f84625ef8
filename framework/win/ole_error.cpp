#include "framework/win/ole_error.h"

#include "framework/string_table.h"
#include "framework/win/os_error.h"

namespace tw {

namespace {

std::string OleErrorMessage(HRESULT code) {
  std::string message = SystemErrorText(static_cast<DWORD>(code));
  return message.empty() ? FmtLoadStr(SOleError, static_cast<unsigned>(code)) : message;
}

}  // namespace

EOleSysError::EOleSysError(HRESULT code) : EOleError(OleErrorMessage(code)), code_(code) {}

void OleCheck(HRESULT result) {
  if (FAILED(result)) throw EOleSysError(result);
}

}  // namespace tw
