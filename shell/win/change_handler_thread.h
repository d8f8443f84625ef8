#pragma once
// TChangeHandlerThread: a worker thread that waits on file-system change notifications for up
// to 63 watched paths and posts one window a message (the views use WM_TW_FOLDER_CHANGED) with
// the watch's slot number in wParam each time one fires, then re-arms it.
//
// The owner hands the worker commands through one auto-reset event and waits (at most 2000 ms)
// for a second one that the worker signals when the command is done; the events and the atomic
// command and answer words order every access to the shared fields, so no lock is needed. The
// slot table belongs to the worker while it runs.
//
// A worker may be slow to answer. Every command carries a number, and the owner only takes the
// answer that carries it. A new watch's handle passes from owner to worker by an atomic swap, so
// after a timed-out add exactly one of them holds it: the owner closes what it takes back. The
// state the worker uses lives apart from this object and goes with whichever of the two is the
// last to let go of it, so a worker that outlives the 30 s wait at destruction never touches
// freed memory and closes the handles itself when it finally ends.
//
// Capacity: the platform's wait takes at most 64 handles and the command event is one of them,
// so only 63 watches can be waited on at once. AddWatch therefore fills slots 0 to 62 only and
// fails (closing the new notification handle) when all 63 are taken; the 64th slot stays free.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
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
  // MESSAGE for every change. The owner waits at most COMMAND_TIMEOUT ms for a command and
  // QUIT_TIMEOUT ms for the worker's end at destruction.
  TChangeHandlerThread(HWND window, UINT message, DWORD command_timeout = kCommandTimeout,
                       DWORD quit_timeout = kQuitTimeout);
  // Stops the worker (waiting at most the quit time-out) and closes every notification handle,
  // or leaves that to a worker that is still running.
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
  struct TShared;

  static DWORD WINAPI ThreadProc(void* shared);
  // Hands COMMAND (with the slot argument of a remove) to the worker and returns its answer (the
  // slot an add filled, else -1); nothing when it does not answer within the time-out.
  std::optional<int> RunCommand(TCommand command, int slot = 0);
  // Hands COMMAND to the worker without waiting; returns the command's number.
  std::uint32_t Send(TCommand command, int slot);

  std::shared_ptr<TShared> shared_;
  ScopedKernelHandle thread_;
  DWORD command_timeout_;
  DWORD quit_timeout_;
  std::uint32_t last_number_ = 0;
};

}  // namespace tw
