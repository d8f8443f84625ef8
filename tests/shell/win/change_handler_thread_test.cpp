#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "framework/win/messages.h"
#include "shell/win/change_handler_thread.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

bool RunningOnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

constexpr DWORD kNameChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return threads;
}

// Runs START and opens the one thread it started, so that a test can stall it.
HANDLE OpenThreadStartedBy(const std::function<void()>& start) {
  const std::set<DWORD> before = ThreadsOfThisProcess();
  start();
  for (DWORD id : ThreadsOfThisProcess())
    if (!before.count(id)) return OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, id);
  return nullptr;
}

// A hidden window standing in for a view: it records the slot of every change message.
class TViewWindow {
public:
  TViewWindow() {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "TwWatcherTestView";
      return RegisterClassA(&wc);
    }();
    (void)atom;
    handle = CreateWindowExA(0, "TwWatcherTestView", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                             nullptr, GetModuleHandleA(nullptr), this);
  }
  ~TViewWindow() { DestroyWindow(handle); }

  // Waits until a message for SLOT arrives; false after the time-out.
  bool WaitForSlot(int slot, unsigned timeout_ms = 5000) {
    return test::PumpUntil(
        [&] { return std::find(slots.begin(), slots.end(), slot) != slots.end(); }, timeout_ms);
  }
  // Lets pending notifications arrive, then forgets them.
  void Settle() {
    test::PumpUntil([] { return false; }, 300);
    slots.clear();
  }

  HWND handle = nullptr;
  std::vector<int> slots;

private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    } else if (message == WM_TW_FOLDER_CHANGED) {
      auto* self = reinterpret_cast<TViewWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      self->slots.push_back(static_cast<int>(wparam));
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
};

class ChangeHandlerThreadTest : public ::testing::Test {
protected:
  test::TempFolder temp;
  TViewWindow view;
  std::unique_ptr<TChangeHandlerThread> watcher =
      std::make_unique<TChangeHandlerThread>(view.handle, WM_TW_FOLDER_CHANGED);
};

TEST_F(ChangeHandlerThreadTest, RenameInTheWatchedFolderIsReportedAndTheWatchKeepsWorking) {
  const std::string old_name = temp.Write("before.txt", "x");
  int slot = -1;
  ASSERT_TRUE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  EXPECT_EQ(slot, 0);
  ASSERT_TRUE(MoveFileA(old_name.c_str(), temp.File("after.txt").c_str()));
  ASSERT_TRUE(view.WaitForSlot(0));
  view.Settle();
  // Re-armed: a second change is reported too.
  temp.Write("another.txt", "y");
  EXPECT_TRUE(view.WaitForSlot(0));
}

TEST_F(ChangeHandlerThreadTest, RemovingOneWatchKeepsTheOthersOnTheirSlots) {
  std::vector<std::string> folders;
  for (const char* name : {"a", "b", "c"}) folders.push_back(temp.MakeFolder(name));
  int slots[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(watcher->AddWatch(folders[i], kNameChanges, slots[i], false));
    EXPECT_EQ(slots[i], i);
  }
  watcher->RemoveWatch(slots[1]);
  temp.Write("c\\new.txt", "");
  ASSERT_TRUE(view.WaitForSlot(2));
  temp.Write("b\\new.txt", "");
  temp.Write("a\\new.txt", "");
  ASSERT_TRUE(view.WaitForSlot(0));
  view.Settle();
  EXPECT_EQ(std::count(view.slots.begin(), view.slots.end(), 1), 0);
  // The freed slot is the first one a new watch takes.
  int again = -1;
  ASSERT_TRUE(watcher->AddWatch(folders[1], kNameChanges, again, false));
  EXPECT_EQ(again, 1);
  temp.Write("b\\newer.txt", "");
  EXPECT_TRUE(view.WaitForSlot(1));
  // Removing a free or unknown slot changes nothing.
  watcher->RemoveWatch(-1);
  watcher->RemoveWatch(TChangeHandlerThread::kSlotCount);
  watcher->RemoveWatch(40);
  view.Settle();
  temp.Write("c\\last.txt", "");
  EXPECT_TRUE(view.WaitForSlot(2));
}

TEST_F(ChangeHandlerThreadTest, RemoveAllStopsEveryReport) {
  int slot = -1;
  ASSERT_TRUE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  watcher->RemoveAllWatches();
  temp.Write("ignored.txt", "");
  view.Settle();
  EXPECT_TRUE(view.slots.empty());
  ASSERT_TRUE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  EXPECT_EQ(slot, 0);
}

TEST_F(ChangeHandlerThreadTest, PathsThatCannotBeWatchedFail) {
  int slot = 5;
  EXPECT_FALSE(watcher->AddWatch("", kNameChanges, slot, false));
  EXPECT_EQ(slot, -1);
  EXPECT_FALSE(watcher->AddWatch(temp.File("missing"), kNameChanges, slot, false));
  EXPECT_EQ(slot, -1);
}

TEST_F(ChangeHandlerThreadTest, SubtreeWatchSeesChangesBelow) {
  temp.MakeFolder("deep\\er");
  int slot = -1;
  ASSERT_TRUE(watcher->AddWatch(temp.Path().string(), FILE_NOTIFY_CHANGE_DIR_NAME, slot, true));
  temp.MakeFolder("top");
  EXPECT_TRUE(view.WaitForSlot(slot));
  view.Settle();
  temp.MakeFolder("deep\\er\\est");
  // Wine reports a subtree watch's changes only in the watched folder itself.
  if (!RunningOnWine()) {
    EXPECT_TRUE(view.WaitForSlot(slot)) << "two levels down";
  }
}

TEST_F(ChangeHandlerThreadTest, AtMostSixtyThreeWatchesAreTakenAndAllAreWaitedOn) {
  std::vector<std::string> folders;
  for (int i = 0; i < TChangeHandlerThread::kMaxWatches; ++i) {
    folders.push_back(temp.MakeFolder("f" + std::to_string(i)));
    int slot = -1;
    ASSERT_TRUE(watcher->AddWatch(folders.back(), kNameChanges, slot, false)) << i;
    ASSERT_EQ(slot, i);
  }
  int slot = -1;
  EXPECT_FALSE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  EXPECT_EQ(slot, -1);
  // The last watch is really waited on, and a refused add leaves the others working.
  temp.Write("f62\\x.txt", "");
  EXPECT_TRUE(view.WaitForSlot(62));
  temp.Write("f0\\x.txt", "");
  EXPECT_TRUE(view.WaitForSlot(0));
  // Freeing one makes room again.
  watcher->RemoveWatch(30);
  EXPECT_TRUE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  EXPECT_EQ(slot, 30);
}

TEST_F(ChangeHandlerThreadTest, WithoutAWindowChangesAreReArmedSilently) {
  TChangeHandlerThread silent(nullptr, WM_TW_FOLDER_CHANGED);
  int slot = -1;
  ASSERT_TRUE(silent.AddWatch(temp.Path().string(), kNameChanges, slot, false));
  temp.Write("one.txt", "");
  temp.Write("two.txt", "");
  view.Settle();
  EXPECT_TRUE(view.slots.empty());
  // The worker still answers commands after the changes.
  silent.RemoveWatch(slot);
  EXPECT_TRUE(silent.AddWatch(temp.Path().string(), kNameChanges, slot, false));
  EXPECT_EQ(slot, 0);
}

TEST_F(ChangeHandlerThreadTest, DestroyingWhileWaitingEndsTheThreadAndItsReports) {
  int slot = -1;
  ASSERT_TRUE(watcher->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  ASSERT_TRUE(watcher->AddWatch(temp.MakeFolder("sub"), kNameChanges, slot, false));
  const DWORD threads_before = [] {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
  }();
  const DWORD start = GetTickCount();
  watcher.reset();
  EXPECT_LT(GetTickCount() - start, TChangeHandlerThread::kQuitTimeout);
  DWORD handles_after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles_after);
  // Wine does not count handles (both figures are 0); on Windows the thread, both events and
  // both notification handles are gone.
  EXPECT_LE(handles_after + 5, threads_before + (threads_before == 0 ? 5 : 0));
  temp.Write("after.txt", "");
  temp.Write("sub\\after.txt", "");
  view.Settle();
  EXPECT_TRUE(view.slots.empty());
  // The watched folders are no longer held open and can go.
  EXPECT_TRUE(RemoveDirectoryA(temp.File("sub").c_str()) ||
              (DeleteFileA(temp.File("sub\\after.txt").c_str()) &&
               RemoveDirectoryA(temp.File("sub").c_str())));
}

TEST_F(ChangeHandlerThreadTest, AnAddThatTimesOutLeavesNoWatchBehind) {
  std::unique_ptr<TChangeHandlerThread> slow;
  HANDLE worker = OpenThreadStartedBy([&] {
    slow = std::make_unique<TChangeHandlerThread>(view.handle, WM_TW_FOLDER_CHANGED, 200);
  });
  ASSERT_NE(worker, nullptr);
  const std::string stalled = temp.MakeFolder("stalled");
  int slot = -1;
  SuspendThread(worker);
  EXPECT_FALSE(slow->AddWatch(stalled, kNameChanges, slot, false));
  EXPECT_EQ(slot, -1);
  ResumeThread(worker);
  // The failed add is undone: its folder is not watched and its slot is the next add's.
  ASSERT_TRUE(slow->AddWatch(temp.MakeFolder("next"), kNameChanges, slot, false));
  EXPECT_EQ(slot, 0);
  view.Settle();
  temp.Write("stalled\\x.txt", "");
  view.Settle();
  EXPECT_TRUE(view.slots.empty());
  CloseHandle(worker);
}

TEST_F(ChangeHandlerThreadTest, AWorkerOutlivingTheQuitWaitNeverTouchesTheDestroyedWatcher) {
  // The watcher lives in storage that is overwritten once it is destroyed, as a heap block
  // taken by someone else would be.
  alignas(TChangeHandlerThread) unsigned char storage[sizeof(TChangeHandlerThread)];
  TChangeHandlerThread* late = nullptr;
  HANDLE worker = OpenThreadStartedBy([&] {
    late = new (storage) TChangeHandlerThread(view.handle, WM_TW_FOLDER_CHANGED, 200, 200);
  });
  ASSERT_NE(worker, nullptr);
  int slot = -1;
  ASSERT_TRUE(late->AddWatch(temp.Path().string(), kNameChanges, slot, false));
  SuspendThread(worker);
  late->~TChangeHandlerThread();
  std::memset(storage, 0xFF, sizeof(storage));
  ResumeThread(worker);
  EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0) << "the worker did not end";
  temp.Write("after.txt", "");
  view.Settle();
  EXPECT_TRUE(view.slots.empty());
  CloseHandle(worker);
}

}  // namespace
}  // namespace tw
