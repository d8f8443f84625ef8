#include "shell/win/change_handler_thread.h"

#include <array>
#include <atomic>
#include <optional>

namespace tw {

// What owner and worker share. The command word holds the command's number (high 16 bits), the
// slot argument of a remove (8 bits) and the command (low 8 bits); the answer word holds the
// number of the last command carried out (high 16 bits) and its slot result (low 16 bits, -1 for
// none).
struct TChangeHandlerThread::TShared {
  TShared(HWND window_, UINT message_)
      : window(window_),
        message(message_),
        command_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
        done_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    slots.fill(INVALID_HANDLE_VALUE);
  }
  ~TShared() {
    for (int s = 0; s < kSlotCount; ++s) CloseSlot(s);
    const HANDLE left = pending.exchange(INVALID_HANDLE_VALUE);
    if (left != INVALID_HANDLE_VALUE) FindCloseChangeNotification(left);
  }
  TShared(const TShared&) = delete;
  TShared& operator=(const TShared&) = delete;

  void Execute();
  // Carries out COMMAND; returns the slot an add filled, else -1.
  int CarryOut(TCommand command, int slot);
  void CloseSlot(int slot) {
    if (slots[slot] == INVALID_HANDLE_VALUE) return;
    FindCloseChangeNotification(slots[slot]);
    slots[slot] = INVALID_HANDLE_VALUE;
  }

  const HWND window;
  const UINT message;
  ScopedKernelHandle command_event;
  ScopedKernelHandle done_event;
  std::atomic<std::uint32_t> command{0};
  std::atomic<std::uint32_t> answer{0};
  // A new watch's handle on its way to the worker: whoever swaps it out owns it.
  std::atomic<HANDLE> pending{INVALID_HANDLE_VALUE};
  // The worker's own while it runs.
  std::array<HANDLE, kSlotCount> slots;
};

TChangeHandlerThread::TChangeHandlerThread(HWND window, UINT message, DWORD command_timeout,
                                           DWORD quit_timeout)
    : shared_(std::make_shared<TShared>(window, message)),
      command_timeout_(command_timeout),
      quit_timeout_(quit_timeout) {
  if (!shared_->command_event || !shared_->done_event) return;
  auto* worker_share = new std::shared_ptr<TShared>(shared_);
  thread_.Reset(CreateThread(nullptr, 0, &ThreadProc, worker_share, 0, nullptr));
  if (!thread_) delete worker_share;
}

TChangeHandlerThread::~TChangeHandlerThread() {
  if (!thread_) return;
  Send(cmdQuit, 0);
  // Past the wait, a worker that still runs keeps the shared state and frees it when it ends.
  WaitForSingleObject(thread_.Get(), quit_timeout_);
}

bool TChangeHandlerThread::AddWatch(const std::string& path, DWORD filter, int& slot,
                                    bool subtree) {
  slot = -1;
  if (path.empty() || !thread_) return false;
  HANDLE handle = FindFirstChangeNotificationA(path.c_str(), subtree, filter);
  if (handle == INVALID_HANDLE_VALUE) return false;
  shared_->pending.store(handle);
  const std::optional<int> result = RunCommand(cmdAdd);
  if (!result) {
    // Taken back unless the worker got to it first; then the watch is the worker's.
    const HANDLE back = shared_->pending.exchange(INVALID_HANDLE_VALUE);
    if (back != INVALID_HANDLE_VALUE) FindCloseChangeNotification(back);
    return false;
  }
  slot = *result;
  return slot != -1;
}

void TChangeHandlerThread::RemoveWatch(int slot) { RunCommand(cmdRemoveOne, slot); }

void TChangeHandlerThread::RemoveAllWatches() { RunCommand(cmdRemoveAll); }

std::uint32_t TChangeHandlerThread::Send(TCommand command, int slot) {
  // Numbers run from 1 to 65535: the answer word starts at 0, which no command carries.
  last_number_ = last_number_ % 0xFFFF + 1;
  shared_->command.store(last_number_ << 16 | static_cast<std::uint32_t>(slot & 0xFF) << 8 |
                         command);
  SetEvent(shared_->command_event.Get());
  return last_number_;
}

std::optional<int> TChangeHandlerThread::RunCommand(TCommand command, int slot) {
  if (!thread_) return std::nullopt;
  const std::uint32_t number = Send(command, slot);
  const DWORD start = GetTickCount();
  for (;;) {
    // A late answer to an earlier command may have signalled the event: only ours counts.
    const std::uint32_t answer = shared_->answer.load();
    if (answer >> 16 == number) return static_cast<std::int16_t>(answer & 0xFFFF);
    const DWORD waited = GetTickCount() - start;
    if (waited >= command_timeout_) return std::nullopt;
    WaitForSingleObject(shared_->done_event.Get(), command_timeout_ - waited);
  }
}

DWORD WINAPI TChangeHandlerThread::ThreadProc(void* shared) {
  const std::unique_ptr<std::shared_ptr<TShared>> own(static_cast<std::shared_ptr<TShared>*>(shared));
  (*own)->Execute();
  return 0;
}

void TChangeHandlerThread::TShared::Execute() {
  std::array<HANDLE, MAXIMUM_WAIT_OBJECTS> waits;
  std::array<int, MAXIMUM_WAIT_OBJECTS> slot_of;
  std::uint32_t last_done = 0;
  for (;;) {
    DWORD count = 0;
    waits[count++] = command_event.Get();
    for (int s = 0; s < kSlotCount && count < MAXIMUM_WAIT_OBJECTS; ++s) {
      if (slots[s] == INVALID_HANDLE_VALUE) continue;
      slot_of[count] = s;
      waits[count++] = slots[s];
    }
    DWORD result = WaitForMultipleObjects(count, waits.data(), FALSE, INFINITE);
    // Should a change handle go bad, keep answering commands rather than spin on the failure.
    if (result == WAIT_FAILED) result = WaitForSingleObject(command_event.Get(), INFINITE);
    const DWORD k = result - WAIT_OBJECT_0;
    if (k >= 1 && k < count) {
      const int s = slot_of[k];
      if (window) PostMessageA(window, message, static_cast<WPARAM>(s), 0);
      if (!FindNextChangeNotification(slots[s])) CloseSlot(s);
      continue;
    }
    if (k != 0) continue;
    const std::uint32_t word = command.load();
    const auto what = static_cast<TCommand>(word & 0xFF);
    if (what == cmdQuit) return;
    // The event of a command already read along with an earlier wake-up: done once is enough.
    if (word >> 16 == last_done) continue;
    last_done = word >> 16;
    const int slot = CarryOut(what, static_cast<int>(word >> 8 & 0xFF));
    answer.store((word & 0xFFFF0000u) | (static_cast<std::uint32_t>(slot) & 0xFFFF));
    SetEvent(done_event.Get());
  }
}

int TChangeHandlerThread::TShared::CarryOut(TCommand what, int slot) {
  switch (what) {
    case cmdAdd: {
      const HANDLE handle = pending.exchange(INVALID_HANDLE_VALUE);
      // Nothing left to take: the owner gave up waiting and took the handle back.
      if (handle == INVALID_HANDLE_VALUE) return -1;
      for (int s = 0; s < kMaxWatches; ++s) {
        if (slots[s] == INVALID_HANDLE_VALUE) {
          slots[s] = handle;
          return s;
        }
      }
      FindCloseChangeNotification(handle);
      return -1;
    }
    case cmdRemoveOne:
      if (slot >= 0 && slot < kSlotCount) CloseSlot(slot);
      return -1;
    case cmdRemoveAll:
      for (int s = 0; s < kSlotCount; ++s) CloseSlot(s);
      return -1;
    case cmdQuit:
      break;
  }
  return -1;
}

}  // namespace tw
