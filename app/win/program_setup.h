#pragma once
// The process around the main window. Start-up, in this order: the shell routines (system
// version, task allocator, common controls version), the shell controls (clipboard format, OLE),
// COM, the rich edit library with its clipboard formats, the picture formats (the platform's,
// JPEG, GIF), then the optional archive libraries. Shutdown undoes it in reverse, after the
// main window is gone: archive libraries, GIF registration, COM, the shell controls' state and
// OLE. The program holds one TProgramSetup for its whole run; the window tests hold one too.

#include <memory>

namespace tw {

class TArchiveLibraries;

class TProgramSetup {
public:
  TProgramSetup();
  ~TProgramSetup();
  TProgramSetup(const TProgramSetup&) = delete;
  TProgramSetup& operator=(const TProgramSetup&) = delete;

  TArchiveLibraries& ArchiveLibraries() { return *archives_; }

private:
  bool com_initialised_ = false;
  std::unique_ptr<TArchiveLibraries> archives_;
};

}  // namespace tw
