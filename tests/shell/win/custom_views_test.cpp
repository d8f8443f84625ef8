#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/popup_menu.h"
#include "shell/win/custom_list_view.h"
#include "shell/win/custom_tree_view.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

// Records where popup menus are shown instead of showing them.
class PopupRecorder {
public:
  PopupRecorder() {
    TPopupMenu::SetTrackFunction([this](HMENU, UINT, int x, int y, HWND) -> UINT {
      shown.push_back({x, y});
      return 0;
    });
  }
  ~PopupRecorder() { TPopupMenu::SetTrackFunction(nullptr); }
  std::vector<POINT> shown;
};

// Holds the given modifier keys down in the thread's keyboard state while it lives.
class HeldKeys {
public:
  explicit HeldKeys(std::vector<BYTE> keys) {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::copy(std::begin(saved_), std::end(saved_), state);
    for (BYTE key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~HeldKeys() { SetKeyboardState(saved_); }

private:
  BYTE saved_[256];
};

class CustomViewsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = new TForm(nullptr);
    form->SetBounds(40, 40, 500, 400);
    list = new TPTCustomListView(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 240, 300);
    tree = new TPTCustomTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(250, 0, 240, 300);
    form->Show();
    for (const char* caption : {"alpha", "beta", "gamma"}) list->Items().Add()->SetCaption(caption);
    TTreeNode* root = tree->Items().AddChild(nullptr, "root");
    tree->Items().AddChild(root, "child");
    root->Expand(false);
  }
  void TearDown() override {
    delete form;
    Application->OnException = nullptr;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }

  // Sends CONTROL's parent a custom-draw notification of STAGE for ITEM, as the control would,
  // and returns the answer. RECORD receives the colours the view wrote.
  template <class Record>
  LRESULT CustomDraw(TWinControl* control, DWORD stage, DWORD_PTR item, Record& record) {
    record = Record{};
    record.nmcd.hdr.hwndFrom = control->Handle();
    record.nmcd.hdr.idFrom = GetDlgCtrlID(control->Handle());
    record.nmcd.hdr.code = NM_CUSTOMDRAW;
    record.nmcd.dwDrawStage = stage;
    record.nmcd.hdc = dc;
    record.nmcd.dwItemSpec = item;
    record.clrText = CLR_DEFAULT;
    record.clrTextBk = CLR_DEFAULT;
    return SendMessageA(form->Handle(), WM_NOTIFY, record.nmcd.hdr.idFrom,
                        reinterpret_cast<LPARAM>(&record));
  }
  DWORD_PTR NodeSpec(int index) {
    return reinterpret_cast<DWORD_PTR>(tree->Items().Item(index)->ItemId());
  }

  std::vector<std::string> errors;
  TForm* form = nullptr;
  TPTCustomListView* list = nullptr;
  TPTCustomTreeView* tree = nullptr;
  HDC dc = GetDC(nullptr);
  ~CustomViewsTest() override { ReleaseDC(nullptr, dc); }
};

TEST_F(CustomViewsTest, WithoutHandlersTheListAsksForItemsAndTheTreeDoesNot) {
  NMLVCUSTOMDRAW lv;
  EXPECT_EQ(CustomDraw(list, CDDS_PREPAINT, 0, lv), CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(CustomDraw(list, CDDS_ITEMPREPAINT, 0, lv), CDRF_DODEFAULT);
  NMTVCUSTOMDRAW tv;
  EXPECT_EQ(CustomDraw(tree, CDDS_PREPAINT, 0, tv), CDRF_DODEFAULT);
  // One assigned handler makes the tree ask for its items as well.
  tree->OnCustomDrawItem = [](TObject*, TPTTvCustomDraw&, TTreeNode*) {};
  EXPECT_EQ(CustomDraw(tree, CDDS_PREPAINT, 0, tv), CDRF_NOTIFYITEMDRAW);
}

TEST_F(CustomViewsTest, HandlersSeeTheStageAndTheItemTheNotificationNames) {
  std::vector<std::pair<int, TListItem*>> list_calls;
  list->OnCustomDrawStage = [&](TObject* sender, TPTLvCustomDraw& draw, TListItem* item) {
    EXPECT_EQ(sender, list);
    list_calls.push_back({draw.Stage(), item});
  };
  int item_calls = 0;
  list->OnCustomDrawItem = [&](TObject*, TPTLvCustomDraw& draw, TListItem* item) {
    EXPECT_TRUE(draw.Notification().dwDrawStage & CDDS_ITEMPREPAINT);
    EXPECT_EQ(item, list->Items().Item(2));
    ++item_calls;
  };
  NMLVCUSTOMDRAW lv;
  CustomDraw(list, CDDS_PREPAINT, 0, lv);
  CustomDraw(list, CDDS_ITEMPREPAINT, 2, lv);
  CustomDraw(list, CDDS_ITEMPOSTPAINT, 2, lv);
  CustomDraw(list, CDDS_POSTPAINT, 0, lv);
  CustomDraw(list, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 2, lv);
  ASSERT_EQ(list_calls.size(), 5u);
  EXPECT_EQ(list_calls[0], (std::pair<int, TListItem*>{1, nullptr}));
  EXPECT_EQ(list_calls[1], (std::pair<int, TListItem*>{4, list->Items().Item(2)}));
  EXPECT_EQ(list_calls[2], (std::pair<int, TListItem*>{5, list->Items().Item(2)}));
  EXPECT_EQ(list_calls[3], (std::pair<int, TListItem*>{2, nullptr}));
  EXPECT_EQ(list_calls[4].first, 0) << "sub-item stages have no number of their own";
  EXPECT_EQ(item_calls, 2) << "item pre-paint, plain and of a sub-item";

  TTreeNode* seen = nullptr;
  tree->OnCustomDrawItem = [&](TObject*, TPTTvCustomDraw& draw, TTreeNode* node) {
    EXPECT_TRUE(draw.NotifyItems);
    seen = node;
  };
  NMTVCUSTOMDRAW tv;
  CustomDraw(tree, CDDS_ITEMPREPAINT, NodeSpec(1), tv);
  EXPECT_EQ(seen, tree->Items().Item(1));
}

TEST_F(CustomViewsTest, AFontColourChangeIsWrittenIntoTheRecord) {
  TPTCustomDraw* object = nullptr;
  list->OnCustomDrawItem = [&](TObject*, TPTLvCustomDraw& draw, TListItem*) {
    object = &draw;
    EXPECT_FALSE(draw.FontChanged());
    draw.Font().SetColor(clRed);
  };
  HFONT before = static_cast<HFONT>(SelectObject(dc, list->Font().Handle()));
  NMLVCUSTOMDRAW lv;
  const LRESULT answer = CustomDraw(list, CDDS_ITEMPREPAINT, 0, lv);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(lv.clrText, RGB(255, 0, 0));
  EXPECT_EQ(lv.clrTextBk, CLR_DEFAULT) << "the brush was left alone";
  // A new font is selected only when the copy's handle is not the context's font already.
  HFONT current = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  EXPECT_EQ(current, object->Font().Handle()) << "the view keeps the object, and its font";
  EXPECT_EQ(answer, object->Font().Handle() != list->Font().Handle() ? CDRF_NEWFONT : 0);
  SelectObject(dc, before);
}

TEST_F(CustomViewsTest, ABrushChangeSetsTheTextBackground) {
  tree->OnCustomDrawStage = [&](TObject*, TPTTvCustomDraw& draw, TTreeNode*) {
    if (draw.Stage() == TPTCustomDraw::cdsItemPrePaint) draw.Brush().SetColor(clBlue);
  };
  NMTVCUSTOMDRAW tv;
  EXPECT_EQ(CustomDraw(tree, CDDS_ITEMPREPAINT, NodeSpec(0), tv), CDRF_DODEFAULT);
  EXPECT_EQ(tv.clrTextBk, RGB(0, 0, 255));
  EXPECT_EQ(tv.clrText, CLR_DEFAULT);
}

TEST_F(CustomViewsTest, SkipDefaultIsTheWholeAnswer) {
  list->OnCustomDrawItem = [&](TObject*, TPTLvCustomDraw& draw, TListItem*) {
    draw.Font().SetColor(clRed);
    draw.Font().SetHeight(-20);
    draw.SkipDefault = true;
  };
  NMLVCUSTOMDRAW lv;
  EXPECT_EQ(CustomDraw(list, CDDS_ITEMPREPAINT, 1, lv), CDRF_SKIPDEFAULT);
  EXPECT_EQ(lv.clrText, CLR_DEFAULT);
}

TEST_F(CustomViewsTest, RealPaintingReachesTheItemHandlers) {
  std::vector<TListItem*> items;
  list->OnCustomDrawItem = [&](TObject*, TPTLvCustomDraw&, TListItem* item) { items.push_back(item); };
  std::vector<TTreeNode*> nodes;
  tree->OnCustomDrawItem = [&](TObject*, TPTTvCustomDraw&, TTreeNode* node) { nodes.push_back(node); };
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  RedrawWindow(tree->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  test::PumpPending();
  for (int i = 0; i < 3; ++i)
    EXPECT_NE(std::find(items.begin(), items.end(), list->Items().Item(i)), items.end()) << i;
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), tree->Items().Item(1)), nodes.end());
}

TEST_F(CustomViewsTest, ColoursFollowTheControls) {
  list->SetColor(clYellow);
  EXPECT_EQ(ListView_GetBkColor(list->Handle()), RGB(255, 255, 0));
  EXPECT_EQ(ListView_GetTextBkColor(list->Handle()), RGB(255, 255, 0));
  tree->SetColor(clLime);
  EXPECT_EQ(TreeView_GetBkColor(tree->Handle()), RGB(0, 255, 0));
  tree->SetColor(clNone);
  EXPECT_EQ(TreeView_GetBkColor(tree->Handle()), static_cast<COLORREF>(-1));
  tree->Font().SetColor(clMaroon);
  EXPECT_EQ(TreeView_GetTextColor(tree->Handle()), RGB(128, 0, 0));
}

TEST_F(CustomViewsTest, ShiftF10OpensTheMenuAtTheFocusedSelectedIcon) {
  auto* menu = new TPopupMenu(form);
  list->SetPopupMenu(menu);
  TListItem* item = list->Items().Item(1);
  item->SetSelected(true);
  item->SetFocused(true);
  TListItem* asked_for = nullptr;
  POINT asked_at{};
  list->OnPopupRequest = [&](TObject*, TListItem* it, POINT p, TPopupMenu*& m) {
    asked_for = it;
    asked_at = p;
    EXPECT_EQ(m, menu);
  };
  PopupRecorder recorder;
  {
    HeldKeys shift({VK_SHIFT});
    SendMessageA(list->Handle(), WM_SYSKEYDOWN, VK_F10, 0);
  }
  const POINT centre = CentreOf(item->DisplayRect(drIcon));
  EXPECT_EQ(asked_for, item);
  EXPECT_EQ(asked_at.x, centre.x);
  EXPECT_EQ(asked_at.y, centre.y);
  ASSERT_EQ(recorder.shown.size(), 1u);
  const POINT screen = list->ClientToScreen(centre);
  EXPECT_EQ(recorder.shown[0].x, screen.x);
  EXPECT_EQ(recorder.shown[0].y, screen.y);
  // The Applications key does the same; with Ctrl held it is not the menu key.
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_APPS, 0);
  EXPECT_EQ(recorder.shown.size(), 2u);
  {
    HeldKeys ctrl({VK_CONTROL});
    SendMessageA(list->Handle(), WM_KEYDOWN, VK_APPS, 0);
  }
  EXPECT_EQ(recorder.shown.size(), 2u);
}

TEST_F(CustomViewsTest, ARequestHandlerCanReplaceTheListMenu) {
  list->Items().Item(0)->SetSelected(true);
  list->Items().Item(0)->SetFocused(true);
  list->OnPopupRequest = [&](TObject*, TListItem*, POINT, TPopupMenu*& m) { m = nullptr; };
  PopupRecorder recorder;
  SendMessageA(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()), -1);
  EXPECT_TRUE(recorder.shown.empty());
  // While this click's popup counts as handled a context-menu message shows nothing more.
  list->SetPopupMenu(new TPopupMenu(form));
  list->OnPopupRequest = nullptr;
  SendMessageA(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()), -1);
  EXPECT_TRUE(recorder.shown.empty());
  SendMessageA(list->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(recorder.shown.empty()) << "the release does not bring up a second menu";
  SendMessageA(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()), -1);
  EXPECT_EQ(recorder.shown.size(), 1u);
}

TEST_F(CustomViewsTest, TreeRightClickWithoutMenuShowsNothingAndTheMarkClearsOnRelease) {
  PopupRecorder recorder;
  TTreeNode* node = tree->Items().Item(0);
  const POINT at = CentreOf(node->DisplayRect(true));
  const POINT screen = tree->ClientToScreen(at);
  SetCursorPos(screen.x, screen.y);
  POINT cursor;
  GetCursorPos(&cursor);
  ASSERT_EQ(tree->GetNodeAt(tree->ScreenToClient(cursor).x, tree->ScreenToClient(cursor).y), node)
      << "the cursor could not be placed";
  TTreeNode* asked = nullptr;
  tree->OnPopupRequest = [&](TObject*, TTreeNode* n, POINT, TPopupMenu*&) { asked = n; };
  NMHDR click{tree->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(tree->Handle())),
              static_cast<UINT>(NM_RCLICK)};
  SendMessageA(form->Handle(), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(asked, node);
  EXPECT_TRUE(recorder.shown.empty());
  // Marked as handled: a context-menu message is ignored until the button comes up.
  tree->SetPopupMenu(new TPopupMenu(form));
  SendMessageA(tree->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->Handle()), -1);
  EXPECT_TRUE(recorder.shown.empty());
  SendMessageA(tree->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(recorder.shown.empty()) << "the release does not bring up the ordinary menu";
  EXPECT_TRUE(tree->PopupMenu()->AutoPopup()) << "automatic popup is given back";
  // Cleared: with no node selected the keyboard popup shows the menu at the top-left corner.
  ASSERT_EQ(tree->Selected(), nullptr);
  SendMessageA(tree->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->Handle()), -1);
  ASSERT_EQ(recorder.shown.size(), 1u);
  const POINT corner = tree->ClientToScreen({0, 0});
  EXPECT_EQ(recorder.shown[0].x, corner.x);
  EXPECT_EQ(recorder.shown[0].y, corner.y);
}

TEST_F(CustomViewsTest, TreeMenuKeyPopsUpAtTheSelectedNodeText) {
  tree->SetPopupMenu(new TPopupMenu(form));
  TTreeNode* node = tree->Items().Item(1);
  tree->SetSelected(node);
  PopupRecorder recorder;
  SendMessageA(tree->Handle(), WM_KEYDOWN, VK_APPS, 0);
  ASSERT_EQ(recorder.shown.size(), 1u);
  const POINT expected = tree->ClientToScreen(CentreOf(node->DisplayRect(true)));
  EXPECT_EQ(recorder.shown[0].x, expected.x);
  EXPECT_EQ(recorder.shown[0].y, expected.y);
}

TEST_F(CustomViewsTest, TreeHasNoToolTipsOnNT) {
  const bool nt = (GetVersion() & 0x80000000u) == 0;
  EXPECT_EQ((GetWindowLongPtrA(tree->Handle(), GWL_STYLE) & TVS_NOTOOLTIPS) != 0, nt);
}

}  // namespace
}  // namespace tw
