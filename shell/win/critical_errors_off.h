#pragma once
// Adds SEM_FAILCRITICALERRORS to the process error mode, so that an empty floppy or CD drive
// brings up no system dialog while a view enumerates it, and restores the old mode afterwards.

#include <windows.h>

namespace tw {

class TCriticalErrorsOff {
public:
  TCriticalErrorsOff() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
    SetErrorMode(old_ | SEM_FAILCRITICALERRORS);
  }
  ~TCriticalErrorsOff() { SetErrorMode(old_); }
  TCriticalErrorsOff(const TCriticalErrorsOff&) = delete;
  TCriticalErrorsOff& operator=(const TCriticalErrorsOff&) = delete;

private:
  UINT old_;
};

}  // namespace tw
