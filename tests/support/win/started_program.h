#pragma once
// A program started as a user starts it, for tests that wait for its windows and close it.

#include <windows.h>

#include <string>

namespace tw::test {

class StartedProgram {
public:
  // Starts the executable at PATH without arguments; Started() tells whether it runs.
  explicit StartedProgram(const std::string& path);
  // Ends the process if it still runs, so a failed test leaves nothing behind.
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  HANDLE Process() const { return process_.hProcess; }
  // GetLastError of the failed start.
  DWORD StartError() const { return start_error_; }

  // The process's top-level window with the caption CAPTION, or null.
  HWND TopLevelWindow(const char* caption) const;
  // Waits until that window is visible; null when it is not within TIMEOUT_MS or the process
  // ended first.
  HWND WaitForVisibleWindow(const char* caption, DWORD timeout_ms = 30000) const;
  // Posts WM_CLOSE to WINDOW and waits for the process to end: its exit code, or STILL_ACTIVE
  // when it did not end within TIMEOUT_MS.
  DWORD CloseAndWait(HWND window, DWORD timeout_ms = 30000) const;

private:
  PROCESS_INFORMATION process_{};
  DWORD start_error_ = 0;
};

}  // namespace tw::test
