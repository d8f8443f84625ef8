#pragma once
// TChangeHandlerThread: a worker thread that waits on file-system change notifications for up
// to 63 watched paths and posts one window a message (the views use WM_TW_FOLDER_CHANGED) with
// the watch's slot number in wParam each time one fires, then re-arms it.
//
// The owner hands the worker commands through one auto-reset event and waits (at most 2000 ms)
// for a second one that the worker signals when the command is done; the events order every
// access to the shared fields, so no lock is needed. The slot table belongs to the worker while
// it runs.
//
// Capacity: the platform's wait takes at most 64 handles and the command event is one of them,
// so only 63 watches can be waited on at once. AddWatch therefore fills slots 0 to 62 only and
// fails (closing the new notification handle) when all 63 are taken; the 64th slot stays free.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "framework/win/handles.h"

namespace tw {

class TChangeHandlerThread {
public:
  static constexpr int kSlotCount = 64;
  static constexpr int kMaxWatches = MAXIMUM_WAIT_OBJECTS - 1;
  static constexpr DWORD kCommandTimeout = 2000;
  static constexpr DWORD kQuitTimeout = 30000;

  // Starts the worker; WINDOW (may be null: changes are then re-armed but not reported) gets
  // MESSAGE for every change.
  TChangeHandlerThread(HWND window, UINT message);
  // Stops the worker (waiting at most 30 s) and closes every notification handle.
  ~TChangeHandlerThread();
  TChangeHandlerThread(const TChangeHandlerThread&) = delete;
  TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

  // Watches PATH for the changes in FILTER (FILE_NOTIFY_CHANGE_*), with its subtree when asked.
  // Fails for an empty or unwatchable path, a worker that does not answer in time, or when no
  // slot is free; on success SLOT is the slot number the messages will carry.
  bool AddWatch(const std::string& path, DWORD filter, int& slot, bool subtree);
  // Closes the watch in SLOT (a free or unknown slot is left alone).
  void RemoveWatch(int slot);
  void RemoveAllWatches();

private:
  enum TCommand : std::uint8_t { cmdAdd, cmdRemoveOne, cmdRemoveAll, cmdQuit };

  static DWORD WINAPI ThreadProc(void* self);
  void Execute();
  // Hands COMMAND to the worker; false when it does not answer within the time-out.
  bool RunCommand(TCommand command);
  void CarryOut(TCommand command);
  void CloseSlot(int slot);

  HWND window_;
  UINT message_;
  ScopedKernelHandle command_event_;
  ScopedKernelHandle done_event_;
  ScopedKernelHandle thread_;
  // Written by the owner before it signals the command event, read by the worker after.
  TCommand command_ = cmdAdd;
  HANDLE pending_ = INVALID_HANDLE_VALUE;
  int slot_to_remove_ = -1;
  // Written by the worker before it signals the done event.
  int slot_result_ = -1;
  std::array<HANDLE, kSlotCount> slots_;
};

}  // namespace tw
