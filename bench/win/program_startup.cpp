// How long the program takes to show its main window and answer messages, and what it and the
// wineserver cost while the program then sits idle (the folder tree watching the drives keeps
// its notifications in the wineserver under Wine; its CPU time is read from the host's /proc
// through drive Z:). The anchor is a bare process that shows one window. Run:
//   cmake/wine-run build/win64 build/win64/bench/bench_program_startup.exe PROGRAM [idle seconds]
// PROGRAM is the program's Windows path (Z:/.../build/win64/app/tarnwick.exe under Wine).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct TWindowSearch {
  DWORD process = 0;
  HWND window = nullptr;
};

// Enumeration callbacks are stdcall on 32-bit Windows, which lambdas cannot be.
BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TWindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  search->window = window;
  return FALSE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMilliseconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  auto ms = [](FILETIME t) {
    return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

// Whether the environment block in ENVIRONMENT_FILE names the Wine prefix this process runs in.
bool SameWinePrefix(const std::string& environment_file) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix) return true;
  std::ifstream file(environment_file, std::ios::binary);
  const std::string wanted = std::string("WINEPREFIX=") + prefix;
  std::string entry;
  while (std::getline(file, entry, '\0'))
    if (entry == wanted) return true;
  return false;
}

// The host's wineserver CPU time in clock ticks (utime + stime); -1 when it cannot be read.
long long WineserverTicks() {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return -1;
  long long ticks = -1;
  do {
    const std::string dir = std::string("Z:\\proc\\") + found.cFileName;
    if (found.cFileName[0] < '0' || found.cFileName[0] > '9') continue;
    std::ifstream comm(dir + "\\comm");
    std::string name;
    // "wineserver", or "wineserver64" where the build is named by its width.
    if (!std::getline(comm, name) || name.rfind("wineserver", 0) != 0) continue;
    // Each prefix has its own server: this one's environment names this process's prefix.
    if (!SameWinePrefix(dir + "\\environ")) continue;
    std::ifstream stat(dir + "\\stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::atoll(field.c_str());
      if (i == 15) stime = std::atoll(field.c_str());
    }
    ticks = utime + stime;
    break;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return ticks;
}

// Starts COMMAND and waits until it shows a window and answers a message; its start-up time in
// ms, or a negative value when it did not show one within 60 s.
double StartAndWait(const std::string& command, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::string line = command;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  TWindowSearch search{process.dwProcessId, nullptr};
  for (int waited = 0; waited < 60000 && !search.window; waited += 5) {
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.window) Sleep(5);
  }
  if (!search.window) return -1;
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(search.window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

void Close(PROCESS_INFORMATION& process) {
  TWindowSearch search{process.dwProcessId, nullptr};
  EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
  if (search.window) PostMessageA(search.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// The anchor's process: one shown window until it is closed.
int RunAnchorWindow() {
  HWND window = CreateWindowA("STATIC", "anchor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  MSG msg;
  while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_CLOSE) break;
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--anchor-window") return RunAnchorWindow();
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_program_startup PROGRAM [idle seconds]\n");
    return 2;
  }
  const int idle_seconds = argc > 2 ? std::atoi(argv[2]) : 30;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof(self));

  PROCESS_INFORMATION anchor_process{};
  const double anchor = StartAndWait(std::string("\"") + self + "\" --anchor-window", anchor_process);
  Close(anchor_process);
  std::printf("anchor: a bare process with one window, %.0f ms\n", anchor);

  PROCESS_INFORMATION program{};
  const double startup = StartAndWait(std::string("\"") + argv[1] + "\"", program);
  if (startup < 0) {
    std::printf("the program showed no window\n");
    return 1;
  }
  std::printf("program: main window shown and answering after %.0f ms (%.1f x anchor)\n", startup,
              anchor > 0 ? startup / anchor : 0.0);
  std::fflush(stdout);
  // The program's own deferred start-up work settles first.
  Sleep(3000);
  const double cpu_before = ProcessCpuMilliseconds(program.hProcess);
  const long long server_before = WineserverTicks();
  Sleep(static_cast<DWORD>(idle_seconds) * 1000);
  const double used = ProcessCpuMilliseconds(program.hProcess) - cpu_before;
  const long long server_after = WineserverTicks();
  std::printf("idle %d s: program CPU %.1f ms (%.2f %% of a core)\n", idle_seconds, used,
              used / (10.0 * idle_seconds));
  if (server_before >= 0 && server_after >= 0) {
    // Clock ticks are 1/100 s on the hosts Wine runs on.
    const double server_ms = 10.0 * static_cast<double>(server_after - server_before);
    std::printf("idle %d s: wineserver CPU %.0f ms (%.2f %% of a core)\n", idle_seconds, server_ms,
                server_ms / (10.0 * idle_seconds));
  }
  Close(program);
  return 0;
}
