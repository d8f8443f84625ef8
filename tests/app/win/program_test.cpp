// The built program started as a user starts it: its windows appear with their titles, and
// closing the main window ends the process cleanly through the whole shutdown.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Found {
  DWORD process;
  const char* caption;
  HWND window;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* f = reinterpret_cast<Found*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char text[64] = {};
  GetWindowTextA(window, text, sizeof(text));
  if (owner != f->process || std::string(text) != f->caption) return TRUE;
  f->window = window;
  return FALSE;
}

HWND FindProcessWindow(DWORD process, const char* caption) {
  Found found{process, caption, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

TEST(ProgramTest, TheReadmeThatAboutOpensLiesBesideTheProgram) {
  std::string program = TW_PROGRAM_FILE;
  std::string readme = program.substr(0, program.find_last_of("\\/:") + 1) + "README.txt";
  DWORD attributes = GetFileAttributesA(readme.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << readme;
  HANDLE file = CreateFileA(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char head[10] = {};
  DWORD read = 0;
  ReadFile(file, head, 9, &read, nullptr);
  CloseHandle(file);
  EXPECT_STREQ(head, "# Tarnwic");
}

TEST(ProgramTest, OpensItsWindowAndEndsCleanlyWhenItCloses) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::string command = std::string("\"") + TW_PROGRAM_FILE + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process))
      << TW_PROGRAM_FILE << " error " << GetLastError();

  HWND main_window = nullptr;
  HWND application_window = nullptr;
  for (int i = 0; i < 300 && !(main_window && IsWindowVisible(main_window)); ++i) {
    main_window = FindProcessWindow(process.dwProcessId, "Tarnwick 1.1");
    application_window = FindProcessWindow(process.dwProcessId, "Tarnwick 1.0");
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  EXPECT_NE(main_window, nullptr);
  EXPECT_NE(application_window, nullptr);
  if (main_window) {
    EXPECT_TRUE(IsWindowVisible(main_window));
    EXPECT_TRUE(IsZoomed(main_window));
    PostMessageA(main_window, WM_CLOSE, 0, 0);
  }

  DWORD waited = WaitForSingleObject(process.hProcess, 30000);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  DWORD exit_code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &exit_code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  EXPECT_EQ(exit_code, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
