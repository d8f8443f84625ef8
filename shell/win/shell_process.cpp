#include "shell/win/shell_process.h"

#include <shlobj.h>

#include <memory>
#include <vector>

#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"
#include "shell/shell_namespace.h"
#include "shell/shell_shortcuts.h"
#include "shell/win/send_to.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_id_list_format.h"

namespace tw {
namespace {

// Item identifier lists are blocks of the shell's task allocator.
class TShellTaskAllocator final : public TItemIdAllocator {
public:
  explicit TShellTaskAllocator(ComPtr<IMalloc> malloc) : malloc_(std::move(malloc)) {}
  void* Alloc(std::size_t size) override { return malloc_->Alloc(size); }
  void Free(void* block) override { malloc_->Free(block); }

private:
  ComPtr<IMalloc> malloc_;
};

struct TShellProcessState {
  TOsVersionInfo os_version;
  TFileVersionPair comctl_version;
  bool overlays_fixed = false;
  std::unique_ptr<TShellTaskAllocator> allocator;
  std::unique_ptr<TMemoryStream> column_stream;
  bool ole_initialized = false;
};

TShellProcessState& State() {
  static TShellProcessState state;
  return state;
}

}  // namespace

void InitShellUtilities() {
  TShellProcessState& state = State();
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info))
    state.os_version = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                        info.dwBuildNumber};
  if (!state.allocator) {
    ComPtr<IMalloc> malloc;
    if (SUCCEEDED(SHGetMalloc(malloc.Receive()))) {
      state.allocator = std::make_unique<TShellTaskAllocator>(std::move(malloc));
      SetShellAllocator(state.allocator.get());
    }
  }
  SetShellNamespace(&DesktopNamespace());
  if (!GetFileVersionPair("comctl32.dll", state.comctl_version)) state.comctl_version = {};
}

void InitShellControls() {
  TShellProcessState& state = State();
  RegisterShellIdListFormat();
  if (!state.column_stream) state.column_stream = std::make_unique<TMemoryStream>();
  if (!state.ole_initialized) state.ole_initialized = SUCCEEDED(OleInitialize(nullptr));
}

void DoneShellControls() {
  TShellProcessState& state = State();
  FreeSendToList();
  state.column_stream.reset();
  if (state.ole_initialized) {
    OleUninitialize();
    state.ole_initialized = false;
  }
  ReleaseShellShortcuts();
}

const TOsVersionInfo& ShellOsVersion() { return State().os_version; }
const TFileVersionPair& CommonControlsVersion() { return State().comctl_version; }
bool& OverlaysFixed() { return State().overlays_fixed; }

TMemoryStream& ShellColumnStream() {
  TShellProcessState& state = State();
  if (!state.column_stream) state.column_stream = std::make_unique<TMemoryStream>();
  return *state.column_stream;
}

bool GetFileVersionPair(const std::string& file_name, TFileVersionPair& version) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file_name.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file_name.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  version = {fixed->dwFileVersionMS, fixed->dwFileVersionLS};
  return true;
}

}  // namespace tw
