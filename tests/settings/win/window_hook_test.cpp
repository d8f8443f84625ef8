#include "settings/win/window_hook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "settings/win/control_hook.h"
#include "settings/win/hook_list.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

constexpr UINT kProbe = WM_APP + 17;

// A form that records which probe messages its own procedure received.
class RecordingForm : public TForm {
public:
  using TForm::TForm;
  std::vector<UINT> seen;
  void WndProc(TMessage& message) override {
    if (message.Msg == kProbe || message.Msg == WM_DESTROY) seen.push_back(message.Msg);
    TForm::WndProc(message);
    if (message.Msg == kProbe) message.Result = 7;
  }
};

class WindowHookTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { shown.push_back(e.Message()); };
    form = new RecordingForm(nullptr);
  }
  void TearDown() override {
    delete form;
    test::PumpPending();
    Application->OnException = nullptr;
  }
  TTwWindowHook* NewHook(const std::string& tag) {
    auto* hook = new TTwWindowHook(form);
    hook->BeforeMessage = [this, tag](TObject*, TMessage& m, bool&) {
      if (m.Msg == kProbe) calls.push_back("before " + tag);
    };
    hook->AfterMessage = [this, tag](TObject*, TMessage& m, bool&) {
      if (m.Msg == kProbe) calls.push_back("after " + tag + " " + std::to_string(m.Result));
    };
    hook->SetWinControl(form);
    return hook;
  }
  LRESULT Probe() { return SendMessageA(form->Handle(), kProbe, 0, 0); }

  RecordingForm* form = nullptr;
  std::vector<std::string> calls;
  std::vector<std::string> shown;
};

TEST_F(WindowHookTest, LaterHookIsAskedFirstAndSeesTheControlsResult) {
  NewHook("first");
  NewHook("second");
  EXPECT_EQ(Probe(), 7);
  EXPECT_EQ(calls, (std::vector<std::string>{"before second", "before first", "after second 7", "after first 7"}));
  EXPECT_EQ(form->seen, std::vector<UINT>{kProbe});
}

TEST_F(WindowHookTest, SwallowingBeforeHandlerKeepsTheMessageFromEveryoneElse) {
  NewHook("first");
  TTwWindowHook* second = NewHook("second");
  second->BeforeMessage = [this](TObject*, TMessage& m, bool& handled) {
    if (m.Msg != kProbe) return;
    calls.push_back("swallowed");
    m.Result = 99;
    handled = true;
  };
  EXPECT_EQ(Probe(), 99);
  EXPECT_EQ(calls, std::vector<std::string>{"swallowed"});
  EXPECT_TRUE(form->seen.empty());
}

TEST_F(WindowHookTest, DestroyAlwaysReachesTheControl) {
  TTwWindowHook* hook = NewHook("only");
  int destroys_after = 0;
  hook->BeforeMessage = [](TObject*, TMessage& m, bool& handled) { handled = handled || m.Msg == WM_DESTROY; };
  hook->AfterMessage = [&](TObject*, TMessage& m, bool&) { destroys_after += m.Msg == WM_DESTROY; };
  form->HandleNeeded();
  form->DestroyHandle();
  EXPECT_EQ(form->seen, std::vector<UINT>{WM_DESTROY});
  EXPECT_EQ(destroys_after, 1);
}

TEST_F(WindowHookTest, RecreatedWindowIsHookedAgainAfterTheRehook) {
  NewHook("only");
  HWND old_window = form->Handle();
  form->RecreateWnd();
  ASSERT_NE(form->Handle(), old_window);
  test::PumpPending();
  calls.clear();
  EXPECT_EQ(Probe(), 7);
  EXPECT_EQ(calls, (std::vector<std::string>{"before only", "after only 7"}));
}

TEST_F(WindowHookTest, LeavingTheOnlyHookFreesTheSharedObjectLater) {
  TTwWindowHook* hook = NewHook("only");
  TControlHook* shared = THookList::Get().FindControlHook(form);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(hook->ControlHook(), shared);
  hook->SetWinControl(nullptr);
  EXPECT_TRUE(THookList::Get().Contains(shared));
  test::PumpPending();
  EXPECT_FALSE(THookList::Get().Contains(shared));
  EXPECT_EQ(THookList::Get().FindControlHook(form), nullptr);
  // The window runs its own procedure again.
  calls.clear();
  EXPECT_EQ(Probe(), 7);
  EXPECT_TRUE(calls.empty());
}

TEST_F(WindowHookTest, InactiveAndActiveAgainReattachesToTheSameControl) {
  TTwWindowHook* hook = NewHook("only");
  hook->SetActive(false);
  EXPECT_EQ(hook->WinControl(), form);
  Probe();
  EXPECT_TRUE(calls.empty());
  hook->SetActive(true);
  Probe();
  EXPECT_EQ(calls, (std::vector<std::string>{"before only", "after only 7"}));
}

TEST_F(WindowHookTest, HandlerExceptionIsShownAndTheWalkGoesOn) {
  NewHook("first");
  TTwWindowHook* second = NewHook("second");
  second->BeforeMessage = [](TObject*, TMessage& m, bool&) {
    if (m.Msg == kProbe) throw EInvalidOperation("handler failed");
  };
  EXPECT_EQ(Probe(), 7);
  EXPECT_EQ(shown, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(calls, (std::vector<std::string>{"before first", "after second 7", "after first 7"}));
}

// A party that subclasses the window after the hook keeps its chain when the hook leaves, and a
// hook attached again does not end up calling itself.
WNDPROC g_party_next = nullptr;
int g_party_probes = 0;
LRESULT CALLBACK PartyProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kProbe) ++g_party_probes;
  return CallWindowProcA(g_party_next, window, msg, wparam, lparam);
}

TEST_F(WindowHookTest, LaterSubclassByAnotherPartyStaysIntact) {
  TTwWindowHook* hook = NewHook("only");
  HWND window = form->Handle();
  g_party_probes = 0;
  g_party_next = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PartyProc)));
  hook->SetActive(false);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), &PartyProc);
  calls.clear();
  EXPECT_EQ(Probe(), 7);
  EXPECT_EQ(g_party_probes, 1);
  EXPECT_TRUE(calls.empty());

  hook->SetActive(true);
  EXPECT_EQ(Probe(), 7);
  EXPECT_EQ(g_party_probes, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"before only", "after only 7"}));
  EXPECT_EQ(form->seen, (std::vector<UINT>{kProbe, kProbe}));
  hook->SetActive(false);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_party_next));
}

TEST_F(WindowHookTest, DestroyingTheControlDetachesItsHooks) {
  TTwWindowHook* hook = new TTwWindowHook(nullptr);
  auto* other = new RecordingForm(nullptr);
  hook->SetWinControl(other);
  other->HandleNeeded();
  const int shared_before = THookList::Get().Count();
  delete other;
  EXPECT_EQ(hook->WinControl(), nullptr);
  EXPECT_EQ(hook->ControlHook(), nullptr);
  test::PumpPending();
  EXPECT_EQ(THookList::Get().Count(), shared_before - 1);
  delete hook;
}

}  // namespace
}  // namespace tw
