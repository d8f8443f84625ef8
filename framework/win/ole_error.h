#pragma once
// The class library's OLE error: a failing OLE call's code with the system's text for it, or
// "OLE error %.8x" when the system has none.

#include <windows.h>

#include "framework/exception.h"

namespace tw {

TW_EXCEPTION_KIND(EOleError, Exception);

class EOleSysError : public EOleError {
public:
  explicit EOleSysError(HRESULT code);
  HRESULT ErrorCode() const { return code_; }

private:
  HRESULT code_;
};

// Raises EOleSysError when RESULT is a failure code.
void OleCheck(HRESULT result);

}  // namespace tw
