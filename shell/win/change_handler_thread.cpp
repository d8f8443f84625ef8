#include "shell/win/change_handler_thread.h"

#include <utility>
#include <vector>

namespace tw {

TChangeHandlerThread::TChangeHandlerThread(HWND window, UINT message)
    : window_(window), message_(message) {
  slots_.fill(INVALID_HANDLE_VALUE);
  command_event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  done_event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!command_event_ || !done_event_) return;
  DWORD id = 0;
  thread_.Reset(CreateThread(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &id));
  if (thread_) ResumeThread(thread_.Get());
}

TChangeHandlerThread::~TChangeHandlerThread() {
  if (thread_) {
    command_ = cmdQuit;
    SetEvent(command_event_.Get());
    if (WaitForSingleObject(thread_.Get(), kQuitTimeout) != WAIT_OBJECT_0) {
      // A worker that is still running may yet touch the slots and events: leave them to it
      // rather than free them under its feet.
      (void)thread_.Take();
      (void)command_event_.Take();
      (void)done_event_.Take();
      return;
    }
  }
  std::vector<HANDLE> handles;
  for (HANDLE& slot : slots_)
    if (slot != INVALID_HANDLE_VALUE) handles.push_back(std::exchange(slot, INVALID_HANDLE_VALUE));
  if (pending_ != INVALID_HANDLE_VALUE) handles.push_back(std::exchange(pending_, INVALID_HANDLE_VALUE));
  thread_.Reset();
  command_event_.Reset();
  done_event_.Reset();
  for (HANDLE handle : handles) FindCloseChangeNotification(handle);
}

bool TChangeHandlerThread::AddWatch(const std::string& path, DWORD filter, int& slot,
                                    bool subtree) {
  slot = -1;
  if (path.empty() || !thread_) return false;
  HANDLE handle = FindFirstChangeNotificationA(path.c_str(), subtree, filter);
  if (handle == INVALID_HANDLE_VALUE) return false;
  pending_ = handle;
  if (!RunCommand(cmdAdd)) return false;
  slot = slot_result_;
  if (slot == -1 && pending_ != INVALID_HANDLE_VALUE) {
    // The worker is done with the command and found no slot: the handle is ours again, and
    // closing it now keeps the next add from losing it.
    FindCloseChangeNotification(std::exchange(pending_, INVALID_HANDLE_VALUE));
  }
  return slot != -1;
}

void TChangeHandlerThread::RemoveWatch(int slot) {
  slot_to_remove_ = slot;
  RunCommand(cmdRemoveOne);
}

void TChangeHandlerThread::RemoveAllWatches() { RunCommand(cmdRemoveAll); }

bool TChangeHandlerThread::RunCommand(TCommand command) {
  if (!thread_) return false;
  command_ = command;
  ResetEvent(done_event_.Get());
  SetEvent(command_event_.Get());
  return WaitForSingleObject(done_event_.Get(), kCommandTimeout) == WAIT_OBJECT_0;
}

DWORD WINAPI TChangeHandlerThread::ThreadProc(void* self) {
  static_cast<TChangeHandlerThread*>(self)->Execute();
  return 0;
}

void TChangeHandlerThread::Execute() {
  std::array<HANDLE, MAXIMUM_WAIT_OBJECTS> waits;
  std::array<int, MAXIMUM_WAIT_OBJECTS> slot_of;
  for (;;) {
    DWORD count = 0;
    waits[count++] = command_event_.Get();
    for (int s = 0; s < kSlotCount && count < MAXIMUM_WAIT_OBJECTS; ++s) {
      if (slots_[s] == INVALID_HANDLE_VALUE) continue;
      slot_of[count] = s;
      waits[count++] = slots_[s];
    }
    DWORD result = WaitForMultipleObjects(count, waits.data(), FALSE, INFINITE);
    // Should a change handle go bad, keep answering commands rather than spin on the failure.
    if (result == WAIT_FAILED) result = WaitForSingleObject(command_event_.Get(), INFINITE);
    const DWORD k = result - WAIT_OBJECT_0;
    if (k >= 1 && k < count) {
      const int s = slot_of[k];
      if (window_) PostMessageA(window_, message_, static_cast<WPARAM>(s), 0);
      if (!FindNextChangeNotification(slots_[s])) CloseSlot(s);
      continue;
    }
    if (k != 0) continue;
    if (command_ == cmdQuit) return;
    CarryOut(command_);
    SetEvent(done_event_.Get());
  }
}

void TChangeHandlerThread::CarryOut(TCommand command) {
  switch (command) {
    case cmdAdd:
      slot_result_ = -1;
      for (int s = 0; s < kMaxWatches; ++s) {
        if (slots_[s] == INVALID_HANDLE_VALUE) {
          slots_[s] = std::exchange(pending_, INVALID_HANDLE_VALUE);
          slot_result_ = s;
          break;
        }
      }
      break;
    case cmdRemoveOne:
      if (slot_to_remove_ >= 0 && slot_to_remove_ < kSlotCount) CloseSlot(slot_to_remove_);
      break;
    case cmdRemoveAll:
      for (int s = 0; s < kSlotCount; ++s) CloseSlot(s);
      break;
    case cmdQuit:
      break;
  }
}

void TChangeHandlerThread::CloseSlot(int slot) {
  if (slots_[slot] == INVALID_HANDLE_VALUE) return;
  FindCloseChangeNotification(std::exchange(slots_[slot], INVALID_HANDLE_VALUE));
}

}  // namespace tw
