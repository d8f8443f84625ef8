#include "tests/support/win/started_program.h"

namespace tw::test {

namespace {

struct WindowSearch {
  DWORD process;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char text[64] = {};
  GetWindowTextA(window, text, sizeof(text));
  if (owner != search->process || std::string(text) != search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

StartedProgram::StartedProgram(const std::string& path) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::string command = "\"" + path + "\"";
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    start_error_ = GetLastError();
    process_ = {};
  }
}

StartedProgram::~StartedProgram() {
  if (!Started()) return;
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND StartedProgram::TopLevelWindow(const char* caption) const {
  WindowSearch search{process_.dwProcessId, caption, nullptr};
  if (Started()) EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND StartedProgram::WaitForVisibleWindow(const char* caption, DWORD timeout_ms) const {
  if (!Started()) return nullptr;
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = TopLevelWindow(caption);
    if (window && IsWindowVisible(window)) return window;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    // The wait doubles as the poll interval and notices a process that ended early.
    if (WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
  }
}

DWORD StartedProgram::CloseAndWait(HWND window, DWORD timeout_ms) const {
  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD exit_code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &exit_code);
  return exit_code;
}

}  // namespace tw::test
