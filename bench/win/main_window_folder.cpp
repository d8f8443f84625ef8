// Opening a folder of many empty files in the real main window (tree, combo and list linked as
// the window builds them) and leaving it again with "Go Up", against the shell's own enumeration
// of the same folder (EnumObjects plus GetAttributesOf per item) timed in the same run. Reports,
// best of the runs: the time to the first screenful, the longest time the message loop left a
// message unanswered, the time until the whole sorted list is there and the loop answers again,
// the time to leave, the private memory the listed folder costs per item, and a refresh that
// finds one file more; then the folder's node expanded in the tree as a click expands it. Run:
//   cmake/wine-run build/win64 build/win64/bench/bench_main_window_folder.exe [FILES [RUNS]] [--keep]
// FILES defaults to 100000 and RUNS to 3; --keep leaves the made folder for the next run.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/win/main_form.h"
#include "app/win/program_setup.h"
#include "bench/win/shell_enumeration.h"
#include "framework/win/application.h"
#include "framework/win/registry.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string FileName(const std::string& folder, int i) {
  char name[32];
  std::snprintf(name, sizeof(name), "\\file%06d.txt", i);
  return folder + name;
}

// The folder with FILES empty files under a parent that holds nothing else; files already there
// from a kept run are not made again.
std::string MakeFolder(const std::string& parent, int files) {
  CreateDirectoryA(parent.c_str(), nullptr);
  const std::string folder = parent + "\\files";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < files; ++i) {
    HANDLE file = CreateFileA(FileName(folder, i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return folder;
}

void RemoveFolder(const std::string& parent, int files) {
  const std::string folder = parent + "\\files";
  for (int i = 0; i < files; ++i) DeleteFileA(FileName(folder, i).c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(parent.c_str());
}

// The process's committed private memory (Wine reports no private usage in its counters).
double PrivateBytes() {
  double total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr;
       VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
      total += static_cast<double>(region.RegionSize);
    if (region.RegionSize == 0) break;
  }
  return total;
}

// How many items the list shows at once in its present view.
int Screenful(tw::TPTShellList* list, int files) {
  HWND handle = list->Handle();
  int shown = static_cast<int>(SendMessageA(handle, LVM_GETCOUNTPERPAGE, 0, 0));
  const tw::TViewStyle view = list->ViewStyle();
  if (view == tw::vsIcon || view == tw::vsSmallIcon) {
    // The icon views count every item as on the page: the grid that fits the window is a page.
    RECT client{};
    GetClientRect(handle, &client);
    const DWORD spacing = static_cast<DWORD>(
        SendMessageA(handle, LVM_GETITEMSPACING, view == tw::vsSmallIcon, 0));
    const int across = std::max(1, static_cast<int>(client.right / std::max<int>(1, LOWORD(spacing))));
    const int down = std::max(1, static_cast<int>(client.bottom / std::max<int>(1, HIWORD(spacing))));
    shown = across * down;
  }
  return std::max(1, std::min(files, shown));
}

// A second thread keeps asking the list for its item count, as a sent message that only the
// main thread's message loop answers: the longest wait for an answer is the longest time the
// loop was blocked, and the first answer of a screenful of items is when the user sees one.
class TLoopProbe {
public:
  explicit TLoopProbe(HWND list) : list_(list), thread_([this] { Run(); }) {}
  ~TLoopProbe() {
    stop_ = true;
    thread_.join();
  }

  // Starts a phase at START: the screenful it waits for is SCREENFUL items.
  void Begin(double start, int screenful) {
    start_ = start;
    screenful_ = screenful;
    longest_ = 0;
    longest_at_ = 0;
    first_screen_ = -1;
    active_ = true;
  }
  void End() { active_ = false; }
  double Longest() const { return longest_; }
  double FirstScreen() const { return first_screen_; }
  // When the longest block began, from the phase's start.
  double LongestAt() const { return longest_at_; }

private:
  void Run() {
    while (!stop_) {
      const double asked = Now();
      DWORD_PTR count = 0;
      SendMessageTimeoutA(list_, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 600000, &count);
      const double answered = Now();
      if (active_) {
        if (answered - asked > longest_) {
          longest_ = answered - asked;
          longest_at_ = asked - start_;
        }
        if (first_screen_ < 0 && static_cast<int>(count) >= screenful_)
          first_screen_ = answered - start_;
      }
      Sleep(1);
    }
  }

  HWND list_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> active_{false};
  std::atomic<double> start_{0};
  std::atomic<int> screenful_{0};
  std::atomic<double> longest_{0};
  std::atomic<double> longest_at_{0};
  std::atomic<double> first_screen_{-1};
  std::thread thread_;
};

// Dispatches messages until DONE holds (checked after each one) and the loop is idle, or until
// TIMEOUT_MS; true when DONE held.
template <class Done>
bool PumpUntil(Done done, double timeout_ms) {
  const double end = Now() + timeout_ms;
  while (Now() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      const double began = Now();
      DispatchMessageA(&msg);
      if (Now() - began > 100) {
        char name[64] = {};
        GetClassNameA(msg.hwnd, name, sizeof(name));
        std::printf("  a message 0x%04x to %s took %.0f ms\n", msg.message, name, Now() - began);
      }
      if (done()) return true;
    }
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return false;
}

// Keeps the loop answering for MS, so that work the window left for later is counted.
void Settle(double ms) {
  PumpUntil([] { return false; }, ms);
}

struct TRun {
  double enumeration = 0;
  double first_item = 0;
  double first_screen = 0;
  double open_block = 0;
  double whole = 0;
  double leave = 0;
  double leave_block = 0;
  double open_block_at = 0;
  double leave_block_at = 0;
  double bytes_per_item = 0;
  double refresh = 0;
  double refresh_block = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int files = 100000, runs = 3;
  bool keep = false;
  int plain = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep")
      keep = true;
    else if (plain++ == 0)
      files = std::atoi(argv[i]);
    else
      runs = std::atoi(argv[i]);
  }
  using namespace tw;
  TProgramSetup setup;
  // A first start: no stored layout.
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Tarn_Wick");

  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof(temp), temp);
  const std::string parent = std::string(temp) + "tw_bench_main_window_folder_" + std::to_string(files);
  const double made_at = Now();
  const std::string folder = MakeFolder(parent, files);
  std::printf("%d files made in %.1f s\n", files, (Now() - made_at) / 1000);
  ShellItemId parent_id, folder_id;
  if (FAILED(PathToIdList(parent, parent_id)) || FAILED(PathToIdList(folder, folder_id))) {
    std::printf("cannot reach %s\n", folder.c_str());
    return 1;
  }

  auto* form = new TMainForm(nullptr);
  form->Show();
  TPTShellList* list = form->PTShellList1;
  bool filled = false;
  list->OnFillComplete = [&](TObject*) { filled = true; };
  form->PTShellTree1->CurrentFolderLocator().SetIdList(parent_id.Get());
  if (!PumpUntil([&] { return list->Items().Count() == 1; }, 60000)) {
    std::printf("the window did not show the parent folder\n");
    return 1;
  }
  Settle(2000);
  const int screenful = Screenful(list, files);
  std::printf("a screenful: %d items\n", screenful);
  TLoopProbe probe(list->Handle());

  TRun best{1e18, 1e18, 1e18, 1e18, 1e18, 1e18, 1e18, 1e18};
  best.refresh = best.refresh_block = 1e18;
  int listed = 0, enumerated = 0;
  for (int run = 0; run < runs; ++run) {
    TRun r;
    double start = Now();
    enumerated = EnumerateWithAttributes(folder_id.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS,
                                         tw::kAddItemAttributeRequest, &r.first_item);
    r.enumeration = Now() - start;

    const double before = PrivateBytes();
    // Enter on the folder, the list's one item.
    list->Items().Item(0)->SetFocused(true);
    list->Items().Item(0)->SetSelected(true);
    Settle(500);
    filled = false;
    start = Now();
    probe.Begin(start, screenful);
    list->OpenSelection();
    PumpUntil([&] { return filled; }, 600000);
    r.whole = Now() - start;
    listed = list->Items().Count();
    Settle(1000);
    probe.End();
    r.first_screen = probe.FirstScreen();
    r.open_block = probe.Longest();
    r.open_block_at = probe.LongestAt();
    r.bytes_per_item = (PrivateBytes() - before) / std::max(listed, 1);

    // One file more, and the list refreshed as after a change notice.
    const std::string extra = FileName(folder, files);
    CloseHandle(CreateFileA(extra.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    start = Now();
    probe.Begin(start, 1);
    list->RefreshItems();
    PumpUntil([&] { return list->Items().Count() == listed + 1; }, 600000);
    r.refresh = Now() - start;
    Settle(500);
    probe.End();
    r.refresh_block = probe.Longest();
    DeleteFileA(extra.c_str());
    list->RefreshItems();
    PumpUntil([&] { return list->Items().Count() == listed; }, 600000);
    Settle(500);

    filled = false;
    start = Now();
    probe.Begin(start, 1);
    form->ToolButton14Click(nullptr);
    PumpUntil([&] { return filled; }, 600000);
    r.leave = Now() - start;
    Settle(1000);
    probe.End();
    r.leave_block = probe.Longest();
    r.leave_block_at = probe.LongestAt();

    std::printf("run %d: enumeration %.0f ms (first item %.0f ms); open: first screenful %.0f ms, longest block %.0f ms "
                "(from %.0f ms), whole sorted list %.0f ms (%.2f x enumeration); leave %.0f ms "
                "(longest block %.0f ms from %.0f ms); %.0f bytes per item; refresh with one file "
                "more %.0f ms (longest block %.0f ms)\n",
                run + 1, r.enumeration, r.first_item, r.first_screen, r.open_block, r.open_block_at, r.whole,
                r.whole / r.enumeration, r.leave, r.leave_block, r.leave_block_at,
                r.bytes_per_item, r.refresh, r.refresh_block);
    std::fflush(stdout);
    best.enumeration = std::min(best.enumeration, r.enumeration);
    best.first_item = std::min(best.first_item, r.first_item);
    best.first_screen = std::min(best.first_screen, r.first_screen);
    best.open_block = std::min(best.open_block, r.open_block);
    best.whole = std::min(best.whole, r.whole);
    best.leave = std::min(best.leave, r.leave);
    best.leave_block = std::min(best.leave_block, r.leave_block);
    best.refresh = std::min(best.refresh, r.refresh);
    best.refresh_block = std::min(best.refresh_block, r.refresh_block);
    // Later runs reuse the heap the first one left: only the first shows what a folder costs.
    if (run == 0) best.bytes_per_item = r.bytes_per_item;
  }
  // The user expands the folder's node in the tree (the window shows its parent again): its
  // children are read once, and the node loses its button, as the folder holds no folder.
  TTreeNode* parent_node = form->PTShellTree1->Selected();
  if (TTreeNode* node = parent_node ? parent_node->GetFirstChild() : nullptr) {
    const double start = Now();
    probe.Begin(start, 0);
    SendMessageA(form->PTShellTree1->Handle(), TVM_EXPAND, TVE_EXPAND,
                 reinterpret_cast<LPARAM>(node->ItemId()));
    const double answered = Now() - start;
    PumpUntil([&] { return !node->HasChildren() || node->GetFirstChild(); }, 600000);
    const double read = Now() - start;
    Settle(500);
    probe.End();
    std::printf("tree: expanding the folder's node answered after %.0f ms, its children read after "
                "%.0f ms, longest block %.0f ms\n",
                answered, read, probe.Longest());
  }
  std::printf("items: enumerated %d, listed %d\n", enumerated, listed);
  std::printf("best of %d: enumeration %.0f ms (first item %.0f ms); first screenful %.0f ms; longest block opening "
              "%.0f ms; whole sorted list %.0f ms (%.2f x enumeration); leave %.0f ms (longest "
              "block %.0f ms); %.0f bytes per item (first run); refresh with one file more %.0f ms "
              "(longest block %.0f ms)\n",
              runs, best.enumeration, best.first_item, best.first_screen, best.open_block, best.whole,
              best.whole / best.enumeration, best.leave, best.leave_block, best.bytes_per_item,
              best.refresh, best.refresh_block);
  delete form;
  if (!keep) RemoveFolder(parent, files);
  return 0;
}
