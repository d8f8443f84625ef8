// What watching every fixed, remote and RAM drive with its whole subtree costs, as the folder
// tree does: the time each AddWatch takes, against watching one folder alone, and the process's
// CPU time while it then sits idle with the watches. Under Wine the notifications are kept by
// the wineserver, whose CPU time shows in /proc on the host. Run:
//   cmake/wine-run build/win64 build/win64/bench/bench_drive_watch.exe [idle seconds [off]]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/win/change_handler_thread.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMilliseconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto ms = [](FILETIME t) {
    return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

// Times one AddWatch of PATH.
double TimedWatch(tw::TChangeHandlerThread& watcher, const std::string& path, bool subtree,
                  bool& added) {
  int slot = -1;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  added = watcher.AddWatch(path, FILE_NOTIFY_CHANGE_DIR_NAME, slot, subtree);
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

}  // namespace

int main(int argc, char** argv) {
  const int idle_seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  // "off" watches the one folder only, for the figures without drive watching.
  const bool drives_on = argc <= 2 || std::string(argv[2]) != "off";
  tw::TChangeHandlerThread watcher(nullptr, 0);
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof(temp), temp);
  bool added = false;
  const double anchor = TimedWatch(watcher, temp, false, added);
  std::printf("anchor: one folder %s, %.2f ms\n", temp, anchor);
  const DWORD drives = drives_on ? GetLogicalDrives() : 0;
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter))) continue;
    const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) continue;
    const double ms = TimedWatch(watcher, root, true, added);
    std::printf("drive %s with subtree: %s, %.2f ms (%.1f x anchor)\n", root.c_str(),
                added ? "watched" : "not watched", ms, anchor > 0 ? ms / anchor : 0.0);
  }
  std::fflush(stdout);
  const double before = ProcessCpuMilliseconds();
  Sleep(static_cast<DWORD>(idle_seconds) * 1000);
  const double used = ProcessCpuMilliseconds() - before;
  std::printf("idle %d s with the watches: process CPU %.1f ms (%.2f %% of a core)\n",
              idle_seconds, used, used / (10.0 * idle_seconds));
  return 0;
}
