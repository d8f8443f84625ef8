#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "framework/win/messages.h"
#include "shell/win/shell_errors.h"
#include "tests/shell/win/gated_folder.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

constexpr UINT kProbeMessage = WM_APP + 30;

// A list whose background reads go through a gated folder while GATE is set, and which notes
// whether it was still filling when a probe message reached it.
class TGatedShellList : public TQuietShellList {
public:
  using TQuietShellList::TQuietShellList;
  std::shared_ptr<TEnumerationGate> gate;
  int probes = 0;
  bool probe_while_filling = false;

protected:
  TFolderRead::TBinder ReadBinder() override {
    return gate ? GatedBinder(TQuietShellList::ReadBinder(), gate) : TQuietShellList::ReadBinder();
  }
  void WndProc(TMessage& message) override {
    if (message.Msg == kProbeMessage) {
      ++probes;
      probe_while_filling = Filling();
      return;
    }
    TQuietShellList::WndProc(message);
  }
};

class ShellListReadTest : public ShellListTest {
protected:
  void SetUp() override {
    ShellListTest::SetUp();
    delete list;
    gated = new TGatedShellList(form);
    list = gated;
    list->SetBounds(0, 0, 600, 440);
    list->OnFillComplete = [this](TObject*) { ++fills; };
  }
  // COUNT files in FOLDER, made in another order than their names sort in, of sizes that sort
  // them otherwise again.
  void MakeFiles(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
      char name[64];
      std::snprintf(name, sizeof(name), "%s\\f%03d.txt", folder.c_str(), (i * 7919) % count);
      temp.Write(name, std::string(static_cast<std::size_t>(i % 13), 'x'));
    }
  }
  static bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }
  // Waits until the gated read stands at its gate with its first items shown.
  void AwaitGate() {
    ASSERT_TRUE(PumpUntil([&] { return Signalled(gate->reached) && list->Items().Count() > 0; }));
  }
  void AwaitFills(int count) { ASSERT_TRUE(PumpUntil([&] { return fills >= count; })); }

  TGatedShellList* gated = nullptr;
  std::shared_ptr<TEnumerationGate> gate = std::make_shared<TEnumerationGate>();
};

TEST_F(ShellListReadTest, ItemsArriveWhileTheLoopRunsAndEndInTheOrderOfASynchronousFill) {
  MakeFiles("many", 300);
  ShowFolder(temp.File("many"));
  std::vector<std::vector<std::string>> synchronous;
  for (int code : {1, -2}) {
    list->SetSortColumn(code);
    list->FillList();
    ASSERT_EQ(list->Items().Count(), 300);
    synchronous.push_back(Names());
  }
  const int before = fills;

  list->SetFillsInBackground(true);
  list->SetSortColumn(1);
  gate->stop_at = 100;
  gated->gate = gate;
  // Waiting before the fill starts: the loop answers it while the folder is still being read.
  PostMessageA(list->Handle(), kProbeMessage, 0, 0);
  list->FillList();
  // The thread reads only once the loop is back, so that what follows a folder change on the
  // loop is not held up behind the read's file-system calls.
  Sleep(200);
  EXPECT_EQ(gate->handed, 0);
  AwaitGate();
  EXPECT_EQ(gated->probes, 1);
  EXPECT_TRUE(gated->probe_while_filling);
  EXPECT_TRUE(list->Filling());
  EXPECT_LT(list->Items().Count(), 100);
  EXPECT_EQ(fills, before);
  SetEvent(gate->open);
  AwaitFills(before + 1);
  EXPECT_FALSE(list->Filling());
  EXPECT_EQ(Names(), synchronous[0]);

  gated->gate = nullptr;
  list->SetSortColumn(-2);
  list->FillList();
  AwaitFills(before + 2);
  EXPECT_EQ(Names(), synchronous[1]);
}

TEST_F(ShellListReadTest, AFolderChosenOrTheListDestroyedDuringAFillLeavesNothingOfIt) {
  MakeFiles("A", 200);
  temp.Write("B\\b1.txt", "x");
  temp.Write("B\\b2.txt", "x");
  list->SetFillsInBackground(true);
  gate->stop_at = 100;
  gated->gate = gate;
  ShowFolder(temp.File("A"));
  AwaitGate();
  gated->gate = nullptr;
  ShellItemId b;
  ASSERT_EQ(PathToIdList(temp.File("B"), b), S_OK);
  list->Folder().SetIdList(b.Get());
  // The read of A goes on at once and ends; what it still hands over is dropped.
  SetEvent(gate->open);
  AwaitFills(1);
  ASSERT_TRUE(PumpUntil([&] { return Signalled(gate->done); }));
  PumpPending();
  EXPECT_LT(gate->handed, 200) << "the read of A stops at once";
  EXPECT_EQ(Names(), (std::vector<std::string>{"b1.txt", "b2.txt"}));
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("B"));
  EXPECT_EQ(fills, 1);

  // A list destroyed while its read waits: the read ends later without it.
  auto other_gate = std::make_shared<TEnumerationGate>();
  other_gate->stop_at = 10;
  auto* doomed = new TGatedShellList(form);
  doomed->SetFillsInBackground(true);
  doomed->gate = other_gate;
  doomed->SetParent(form);
  ShellItemId a;
  ASSERT_EQ(PathToIdList(temp.File("A"), a), S_OK);
  doomed->Folder().SetIdList(a.Get());
  ASSERT_TRUE(PumpUntil([&] { return Signalled(other_gate->reached); }));
  delete doomed;
  SetEvent(other_gate->open);
  ASSERT_TRUE(PumpUntil([&] { return Signalled(other_gate->done); }));
  PumpPending();
}

TEST_F(ShellListReadTest, AFolderFailingAtTheStartOrMidwayReportsOnceAndShowsNothingOfIt) {
  MakeFiles("A", 200);
  ShowTemp();
  list->SetFillsInBackground(true);
  ShellItemId a;
  ASSERT_EQ(PathToIdList(temp.File("A"), a), S_OK);
  const HRESULT failure = HRESULT_FROM_WIN32(ERROR_NETNAME_DELETED);
  for (int fail_at : {0, 100}) {
    SCOPED_TRACE(fail_at);
    gated->gate = std::make_shared<TEnumerationGate>();
    gated->gate->fail_at = fail_at;
    gated->gate->failure = failure;
    const int before = fills;
    // The locator keeps naming A after a failed fill.
    if (fail_at == 0)
      list->Folder().SetIdList(a.Get());
    else
      list->FillList();
    ASSERT_TRUE(PumpUntil([&] { return !list->Filling(); }));
    PumpPending();
    EXPECT_EQ(shown, std::vector<std::string>{SysErrorMessage(static_cast<DWORD>(failure))});
    shown.clear();
    EXPECT_EQ(list->Items().Count(), 0);
    EXPECT_EQ(IdListToPath(list->FolderId()), temp.Path().string()) << "the shown folder stays";
    EXPECT_EQ(fills, before);
  }
}

TEST_F(ShellListReadTest, ARefreshInTheBackgroundDropsAndAddsOnlyWhatChanged) {
  temp.Write("stays.txt", "x");
  temp.Write("goes.txt", "x");
  list->SetFillsInBackground(true);
  ShowTemp();
  AwaitFills(1);
  TPTShListData* stays = list->ItemData(IndexOfName("stays.txt"));
  std::vector<std::string> deleted;
  list->OnDeleteItem = [&](TObject*, TListItem*, TPTShListData* data) {
    deleted.push_back(data->DisplayName());
  };
  ASSERT_TRUE(DeleteFileA(temp.File("goes.txt").c_str()));
  temp.Write("comes.txt", "x");
  temp.Write("stays.txt", "now longer");
  list->RefreshItems();
  ASSERT_TRUE(PumpUntil([&] { return !deleted.empty() && list->Items().Count() == 2; }));
  EXPECT_EQ(list->ItemData(IndexOfName("stays.txt")), stays) << "a changed item is kept";
  EXPECT_GE(IndexOfName("comes.txt"), 0);
  EXPECT_EQ(deleted, (std::vector<std::string>{"goes.txt"}));
  EXPECT_EQ(fills, 1) << "a refresh is no fill";
}

// The read matches the shown items itself and hands over only the others; the list sorted
// another way meanwhile must still keep every item the read met.
TEST_F(ShellListReadTest, ARefreshKeepsWhatItsReadMetThoughTheListWasSortedMeanwhile) {
  MakeFiles("A", 60);
  list->SetFillsInBackground(true);
  ShowFolder(temp.File("A"));
  AwaitFills(1);
  std::vector<TPTShListData*> before;
  for (int i = 0; i < list->Items().Count(); ++i) before.push_back(list->ItemData(i));
  TPTShListData* gone = list->ItemData(IndexOfName("f010.txt"));
  ASSERT_TRUE(DeleteFileA(temp.File("A\\f010.txt").c_str()));
  temp.Write("A\\new.txt", "x");
  gate->stop_at = 30;
  gated->gate = gate;
  list->RefreshItems();
  ASSERT_TRUE(PumpUntil([&] { return Signalled(gate->reached); }));
  list->SetSortColumn(-1);  // by name, backwards
  SetEvent(gate->open);
  ASSERT_TRUE(PumpUntil([&] { return IndexOfName("new.txt") >= 0; }));
  PumpPending();
  std::vector<TPTShListData*> after;
  for (int i = 0; i < list->Items().Count(); ++i) after.push_back(list->ItemData(i));
  std::erase(before, gone);
  std::erase(after, list->ItemData(IndexOfName("new.txt")));
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before) << "every other item keeps its record";
  EXPECT_LT(IndexOfName("f010.txt"), 0);
}

}  // namespace
}  // namespace tw::test
