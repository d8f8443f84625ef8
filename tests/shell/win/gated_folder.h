#pragma once
// A shell folder object that hands out the real folder's items, but whose enumeration can stop
// at an item until the test opens its gate, or fail at an item: a folder slow to answer, or one
// whose medium goes midway, made of a real one. Safe to use from a reading thread.

#include <shlobj.h>

#include <atomic>
#include <memory>

#include "framework/win/com_ptr.h"
#include "shell/win/folder_read.h"
#include "tests/shell/win/forwarding_folder.h"

namespace tw::test {

struct TEnumerationGate {
  TEnumerationGate()
      : open(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        reached(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~TEnumerationGate() {
    CloseHandle(open);
    CloseHandle(reached);
    CloseHandle(done);
  }
  TEnumerationGate(const TEnumerationGate&) = delete;
  TEnumerationGate& operator=(const TEnumerationGate&) = delete;

  // The enumeration waits before item STOP_AT (0-based) until OPEN is set; REACHED is set
  // when it gets there. From item FAIL_AT on it fails with FAILURE (EnumObjects itself at 0).
  int stop_at = -1;
  int fail_at = -1;
  HRESULT failure = E_FAIL;
  HANDLE open;
  HANDLE reached;
  // Set when an enumerator of the gated folder has been released.
  HANDLE done;
  std::atomic<int> handed{0};
};

// Hands every call to INNER; only the enumeration passes the gate.
class TGatedFolder final : public TForwardingFolder {
public:
  TGatedFolder(IShellFolder* inner, std::shared_ptr<TEnumerationGate> gate);

  HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF flags, IEnumIDList** out) override;

private:
  std::shared_ptr<TEnumerationGate> gate_;
};

// BINDER with the folder it binds wrapped in a gated folder: a reading thread's folder.
TFolderRead::TBinder GatedBinder(TFolderRead::TBinder binder,
                                 std::shared_ptr<TEnumerationGate> gate);

}  // namespace tw::test
