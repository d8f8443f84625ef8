// Filling the shell list with a folder of 10,000 files, against the raw floor of the same work
// done straight on the shell: enumerating the folder and asking each item's attributes.
// Prints both times (best of several runs) and their ratio, and the same for the fill read on a
// thread of its own, timed until the list reports the whole folder there.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/win/shell_enumeration.h"
#include "framework/win/application.h"
#include "framework/win/form.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_process.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kRuns = 30;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::string MakeFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof(temp), temp);
  const std::string folder = std::string(temp) + "tw_bench_shell_list_fill";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\file%05d.txt", i);
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return folder;
}

void RemoveFolder(const std::string& folder) {
  for (int i = 0; i < kFiles; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\file%05d.txt", i);
    DeleteFileA((folder + name).c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main() {
  tw::InitShellUtilities();
  tw::InitShellControls();
  const std::string path = MakeFolder();
  tw::ShellItemId id;
  if (FAILED(tw::PathToIdList(path, id))) {
    std::printf("cannot reach %s\n", path.c_str());
    return 1;
  }
  auto* form = new tw::TForm(nullptr);
  form->SetBounds(0, 0, 800, 600);
  auto* list = new tw::TPTShellList(form);
  list->SetBounds(0, 0, 780, 560);
  list->SetViewStyle(tw::vsReport);
  list->Folder().SetIdList(id.Get());
  list->SetParent(form);
  form->Show();

  double raw = 1e9, fill = 1e9, background = 1e9;
  int raw_count = 0;
  bool complete = false;
  list->OnFillComplete = [&](tw::TObject*) { complete = true; };
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    raw_count = EnumerateWithAttributes(
        id.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, 0xF20B0000);
    raw = std::min(raw, Seconds(std::chrono::steady_clock::now() - start));
    start = std::chrono::steady_clock::now();
    list->FillList();
    fill = std::min(fill, Seconds(std::chrono::steady_clock::now() - start));

    list->SetFillsInBackground(true);
    complete = false;
    start = std::chrono::steady_clock::now();
    list->FillList();
    MSG msg;
    while (!complete && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    background = std::min(background, Seconds(std::chrono::steady_clock::now() - start));
    list->SetFillsInBackground(false);
  }
  std::printf("items: raw %d, list %d\n", raw_count, list->Items().Count());
  std::printf("a (EnumObjects + GetAttributesOf): %.1f ms\n", raw * 1000);
  std::printf("b (FillList):                      %.1f ms\n", fill * 1000);
  std::printf("b/a: %.2f\n", fill / raw);
  std::printf("c (FillList in the background):    %.1f ms\n", background * 1000);
  std::printf("c/a: %.2f\n", background / raw);
  delete form;
  RemoveFolder(path);
  tw::DoneShellControls();
  return 0;
}
