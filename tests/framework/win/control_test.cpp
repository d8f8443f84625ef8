#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/messages.h"
#include "framework/win/panel.h"
#include "framework/win/popup_menu.h"
#include "framework/win/splitter.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

// Collects what the exception display is given instead of showing a message box.
class ControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { shown_.push_back(e.Message()); };
    form_ = new TForm(nullptr);
    form_->SetBounds(100, 100, 500, 400);
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    Application->OnException = nullptr;
  }
  std::vector<std::string> shown_;
  TForm* form_ = nullptr;
};

// A child that answers every reflected notification it receives.
class NotifiedPanel : public TPanel {
public:
  using TPanel::TPanel;
  UINT last_code = 0;
  HWND last_from = nullptr;

protected:
  void CNNotify(TMessage& message) override {
    auto* header = reinterpret_cast<NMHDR*>(message.LParam);
    last_code = header->code;
    last_from = header->hwndFrom;
    message.Result = 42;
  }
};

TEST_F(ControlTest, AlignedPanelsFillTheClientAreaInOrder) {
  auto* top = new TPanel(form_);
  top->SetParent(form_);
  top->SetHeight(30);
  top->SetAlign(alTop);
  auto* left = new TPanel(form_);
  left->SetParent(form_);
  left->SetWidth(120);
  left->SetAlign(alLeft);
  auto* bottom = new TPanel(form_);
  bottom->SetParent(form_);
  bottom->SetHeight(20);
  bottom->SetAlign(alBottom);
  auto* client = new TPanel(form_);
  client->SetParent(form_);
  client->SetAlign(alClient);

  RECT c = form_->ClientRect();
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(top->Width(), c.right);
  EXPECT_EQ(bottom->Top(), c.bottom - 20);
  EXPECT_EQ(left->Top(), 30);
  EXPECT_EQ(left->Height(), c.bottom - 50);
  EXPECT_EQ(client->Left(), 120);
  EXPECT_EQ(client->Width(), c.right - 120);
  EXPECT_EQ(client->Height(), c.bottom - 50);

  // Resizing the form realigns; hiding a panel gives its room to the client panel.
  form_->SetWidth(form_->Width() + 60);
  EXPECT_EQ(client->Width(), form_->ClientRect().right - 120);
  left->SetVisible(false);
  EXPECT_EQ(client->Left(), 0);
  // The window agrees with the object.
  RECT r;
  GetWindowRect(client->Handle(), &r);
  MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, client->Left());
  EXPECT_EQ(r.right - r.left, client->Width());
}

TEST_F(ControlTest, SplitterDragByMouseResizesTheNeighbourWithinLimits) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetWidth(201);
  panel->SetAlign(alLeft);
  int resizes = 0;
  panel->OnResize = [&](TObject*) { ++resizes; };
  auto* splitter = new TSplitter(form_);
  splitter->SetParent(form_);
  splitter->SetLeft(300);
  auto* rest = new TPanel(form_);
  rest->SetParent(form_);
  rest->SetAlign(alClient);
  ASSERT_EQ(splitter->Left(), 201);
  ASSERT_EQ(splitter->FindNeighbour(), panel);

  HWND bar = splitter->Handle();
  POINT start = splitter->ClientToScreen({1, 10});
  // Mouse positions are sent in the splitter's client co-ordinates of the moment, as the
  // system would while the bar moves under the mouse.
  auto send = [&](UINT msg, WPARAM keys, int screen_dx) {
    POINT p = splitter->ScreenToClient({start.x + screen_dx, start.y});
    SendMessageA(bar, msg, keys, MAKELPARAM(p.x, p.y));
  };
  send(WM_LBUTTONDOWN, MK_LBUTTON, 0);
  send(WM_MOUSEMOVE, MK_LBUTTON, 50);
  EXPECT_EQ(panel->Width(), 251);
  EXPECT_EQ(splitter->Left(), 251);
  EXPECT_EQ(rest->Left(), 254);
  send(WM_MOUSEMOVE, MK_LBUTTON, -500);
  EXPECT_EQ(panel->Width(), splitter->MinSize());
  send(WM_MOUSEMOVE, MK_LBUTTON, 5000);
  EXPECT_EQ(rest->Width(), splitter->MinSize());
  bool moved = false;
  splitter->OnMoved = [&](TObject*) { moved = true; };
  send(WM_LBUTTONUP, 0, -40);
  EXPECT_TRUE(moved);
  // Moves after the button is released change nothing.
  int width = panel->Width();
  send(WM_MOUSEMOVE, 0, -100);
  EXPECT_EQ(panel->Width(), width);
  EXPECT_GT(resizes, 2);
}

TEST_F(ControlTest, NotificationsAreReflectedToTheChildThatSentThem) {
  auto* child = new NotifiedPanel(form_);
  child->SetParent(form_);
  NMHDR header{child->Handle(), 7, NM_CLICK};
  LRESULT result = SendMessageA(form_->Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(result, 42);
  EXPECT_EQ(child->last_code, static_cast<UINT>(NM_CLICK));
  EXPECT_EQ(child->last_from, child->Handle());
  // A notification from a window without an object goes to the default handling.
  NMHDR stray{form_->Handle(), 0, NM_RCLICK};
  child->last_code = 0;
  SendMessageA(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&stray));
  EXPECT_EQ(child->last_code, 0u);
}

TEST_F(ControlTest, ExceptionInAnEventHandlerReachesTheDisplayNotTheCaller) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetBounds(0, 0, 50, 50);
  panel->OnClick = [](TObject*) { throw EInvalidOperation("clicked wrong"); };
  SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0], "clicked wrong");
  // A silent abort shows nothing.
  panel->OnClick = [](TObject*) { throw EAbort(); };
  SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(shown_.size(), 1u);
}

TEST_F(ControlTest, RecreatingAWindowKeepsTextStateAndChildren) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetBounds(10, 20, 80, 40);
  auto* inner = new TPanel(form_);
  inner->SetParent(panel);
  inner->SetBounds(5, 5, 30, 20);
  SetWindowTextA(inner->Handle(), "typed by the user");
  inner->SetEnabled(false);
  HWND old_window = panel->Handle();
  HWND old_inner = inner->Handle();
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), old_window);
  EXPECT_FALSE(IsWindow(old_inner));
  EXPECT_TRUE(IsWindow(inner->Handle()));
  EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
  EXPECT_EQ(inner->Caption(), "typed by the user");
  EXPECT_FALSE(IsWindowEnabled(inner->Handle()));
  EXPECT_EQ(panel->Left(), 10);
  EXPECT_EQ(inner->Width(), 30);
  EXPECT_EQ(TWinControl::FindControl(inner->Handle()), inner);
}

LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
WNDPROC g_previous = nullptr;
int g_seen = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_SETTEXT) ++g_seen;
  return CallWindowProcA(g_previous, window, msg, wparam, lparam);
}

TEST_F(ControlTest, SubclassedWindowStillReachesItsObject) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  HWND window = panel->Handle();
  g_seen = 0;
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
  SetWindowTextA(window, "through the chain");
  EXPECT_EQ(g_seen, 1);
  EXPECT_EQ(panel->Caption(), "through the chain");
  int clicks = 0;
  panel->OnClick = [&](TObject*) { ++clicks; };
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 1);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
}

TEST_F(ControlTest, ParentColorAndShowHintFollowTheParentUntilSetOwn) {
  auto* outer = new TPanel(form_);
  outer->SetParent(form_);
  auto* inner = new TPanel(form_);
  inner->SetParent(outer);
  outer->SetColor(clRed);
  EXPECT_EQ(inner->Color(), clRed);
  inner->SetColor(clBlue);
  outer->SetColor(clLime);
  EXPECT_EQ(inner->Color(), clBlue);
  EXPECT_FALSE(inner->ParentColor());
  form_->SetShowHint(true);
  EXPECT_TRUE(inner->ShowHint());
  inner->SetShowHint(false);
  form_->SetShowHint(false);
  form_->SetShowHint(true);
  EXPECT_FALSE(inner->ShowHint());
}

TEST_F(ControlTest, RightClickShowsThePopupMenuAndRunsTheChosenItem) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetBounds(0, 0, 100, 100);
  auto* menu = new TPopupMenu(form_);
  auto* first = new TMenuItem(menu);
  first->SetCaption("First");
  auto* second = new TMenuItem(menu);
  second->SetCaption("Second");
  menu->Items()->Add(first);
  menu->Items()->Add(second);
  bool clicked = false;
  second->OnClick = [&](TObject*) { clicked = true; };
  panel->SetPopupMenu(menu);
  POINT shown_at{};
  TPopupMenu::SetTrackFunction([&](HMENU m, UINT, int x, int y, HWND) -> UINT {
    shown_at = {x, y};
    return GetMenuItemID(m, 1);
  });
  SendMessageA(panel->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(10, 20));
  TPopupMenu::SetTrackFunction(nullptr);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(menu->PopupComponent(), panel);
  POINT expected = panel->ClientToScreen({10, 20});
  EXPECT_EQ(shown_at.x, expected.x);
  EXPECT_EQ(shown_at.y, expected.y);
  // Freeing the menu clears the control's reference to it.
  delete menu;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
}

TEST_F(ControlTest, CloseQueryCanRefuseAndOnCloseChoosesTheAction) {
  auto* other = new TForm(nullptr);
  other->Show();
  bool allow = false;
  other->OnCloseQuery = [&](TObject*, bool& can_close) { can_close = allow; };
  SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
  allow = true;
  TCloseAction seen = caNone;
  other->OnClose = [&](TObject*, TCloseAction& action) { seen = action; };
  SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(seen, caHide);
  EXPECT_FALSE(IsWindowVisible(other->Handle()));
  bool destroyed = false;
  other->OnDestroy = [&](TObject*) { destroyed = true; };
  other->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  other->Show();
  SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(test::PumpUntil([&] { return destroyed; }));
}

TEST_F(ControlTest, FocusMovesInTabOrderAndFiresEnterAndExit) {
  auto* a = new TPanel(form_);
  a->SetParent(form_);
  a->SetTabStop(true);
  auto* b = new TPanel(form_);
  b->SetParent(form_);
  b->SetTabStop(true);
  b->SetTabOrder(0);
  std::string trace;
  a->OnEnter = [&](TObject*) { trace += "+a"; };
  a->OnExit = [&](TObject*) { trace += "-a"; };
  b->OnEnter = [&](TObject*) { trace += "+b"; };
  b->OnExit = [&](TObject*) { trace += "-b"; };
  form_->SelectNext(nullptr, true, true);
  EXPECT_EQ(form_->ActiveControl(), b);
  form_->SelectNext(b, true, true);
  EXPECT_EQ(form_->ActiveControl(), a);
  EXPECT_EQ(trace, "+b-b+a");
  delete a;
  EXPECT_EQ(form_->ActiveControl(), nullptr);
}

TEST_F(ControlTest, StoredPropertiesReachAPanelByName) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetAlign(alLeft);
  const TPropInfo* width = GetPropInfo(*panel, "Width");
  ASSERT_NE(width, nullptr);
  width->SetOrd(*panel, 150);
  EXPECT_EQ(panel->Width(), 150);
  RECT r;
  GetWindowRect(panel->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 150);
  const TPropInfo* align = GetPropInfo(*panel, "Align");
  ASSERT_NE(align, nullptr);
  EXPECT_EQ(GetEnumName(*align->PropType, align->GetOrd(*panel)), "alLeft");
}

}  // namespace
}  // namespace tw
