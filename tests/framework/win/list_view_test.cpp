#include "framework/win/list_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/form.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

// A view that supplies captions on demand, the way the shell list does, and counts the asks.
class OnDemandListView : public TCustomListView {
public:
  using TCustomListView::TCustomListView;
  int text_asks = 0;

protected:
  void DoGetDispInfo(NMLVDISPINFOA& info) override {
    TCustomListView::DoGetDispInfo(info);
    if ((info.item.mask & LVIF_TEXT) && info.item.iSubItem == 0) {
      ++text_asks;
      CopyDispText(info, "item #" + std::to_string(info.item.iItem));
    }
  }
};

// Every test runs twice: with items inserted into the control, and with OwnerData, where the
// control holds only their number.
class ListViewTest : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { shown.push_back(e.Message()); };
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 500, 400);
    list = new OnDemandListView(form);
    list->SetOwnerData(GetParam());
    list->SetParent(form);
    list->SetBounds(0, 0, 400, 300);
    form->Show();
  }
  void TearDown() override {
    // The tests' handlers capture their locals, gone by now; the items still go.
    list->OnDeletion = nullptr;
    list->OnChange = nullptr;
    list->OnChanging = nullptr;
    delete form;
    Application->OnException = nullptr;
    EXPECT_TRUE(shown.empty()) << shown.front();
  }
  std::string TextOf(int index, int sub_item, int buffer = 64) {
    std::string text(buffer, '\0');
    ListView_GetItemText(list->Handle(), index, sub_item, text.data(), buffer);
    return text.c_str();
  }
  void AddReportColumns() {
    list->SetViewStyle(vsReport);
    for (const char* caption : {"Name", "Size", "Type"}) {
      TListColumn* column = list->Columns().Add();
      column->SetCaption(caption);
      column->SetWidth(100);
    }
  }
  // The centre of a header item, in the header's client co-ordinates.
  LPARAM HeaderPoint(int column) {
    RECT r{};
    SendMessageA(ListView_GetHeader(list->Handle()), HDM_GETITEMRECT, column,
                 reinterpret_cast<LPARAM>(&r));
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  std::vector<std::string> shown;
  TForm* form = nullptr;
  OnDemandListView* list = nullptr;
};

TEST_P(ListViewTest, TextsAndImagesAreSuppliedOnlyWhenAsked) {
  list->Items().SetCountHint(1000);
  list->Items().BeginUpdate();
  for (int i = 0; i < 1000; ++i) list->Items().Add();
  list->Items().EndUpdate();
  EXPECT_EQ(list->Items().Count(), 1000);
  list->text_asks = 0;
  EXPECT_EQ(TextOf(417, 0), "item #417");
  EXPECT_EQ(list->text_asks, 1);
  // Sub-item texts and images still come from the items through the base step.
  TListItem* item = list->Items()[3];
  item->SubItems() = {"12 KB", "Text"};
  list->OnGetImageIndex = [](TObject*, TListItem* asked) { asked->SetImageIndex(4); };
  EXPECT_EQ(TextOf(3, 2), "Text");
  EXPECT_EQ(TextOf(3, 3), "") << "a missing sub-item is empty";
  LVITEMA query{};
  query.mask = LVIF_IMAGE;
  query.iItem = 3;
  ASSERT_TRUE(ListView_GetItem(list->Handle(), &query));
  EXPECT_EQ(query.iImage, 4);
}

TEST_P(ListViewTest, LongTextsAreCutToTheAskersBuffer) {
  TCustomListView* plain = new TCustomListView(form);
  plain->SetOwnerData(GetParam());
  plain->SetParent(form);
  TListItem* item = plain->Items().AddItem(std::string(300, 'x') + "end", nullptr);
  char buffer[16];
  std::memset(buffer, '#', sizeof(buffer));
  ListView_GetItemText(plain->Handle(), item->Index(), 0, buffer, 8);
  EXPECT_STREQ(buffer, "xxxxxxx");
  EXPECT_EQ(buffer[8], '#') << "nothing is written past the buffer";

  // A text in any script reaches a wide asker whole, however many bytes its UTF-8 takes, and a
  // short buffer gets whole characters.
  std::string greek;
  for (int i = 0; i < 200; ++i) greek += "\xCE\xA9";  // Ω
  TListItem* wide_item = plain->Items().AddItem(greek + "\xF0\x9F\x98\x80", nullptr);
  wchar_t wide[512] = {};
  LVITEMW query{};
  query.pszText = wide;
  query.cchTextMax = 512;
  SendMessageW(plain->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(wide_item->Index()), reinterpret_cast<LPARAM>(&query));
  EXPECT_EQ(std::wstring(wide), std::wstring(200, L'\x03A9') + L"\xD83D\xDE00");
  query.cchTextMax = 202;
  SendMessageW(plain->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(wide_item->Index()), reinterpret_cast<LPARAM>(&query));
  EXPECT_EQ(std::wstring(wide), std::wstring(200, L'\x03A9')) << "never half a pair";
}

// Items keep their indexes right when others are inserted before them or the list is sorted.
TEST_P(ListViewTest, ItemIndexesFollowInsertsAndSorts) {
  std::vector<int> inserted_at;
  list->OnInsert = [&](TObject*, TListItem* item) {
    inserted_at.push_back(item->Index());
    item->SetCut(item->Caption() == "b");
  };
  TListItem* b = list->Items().AddItem("b", nullptr);
  TListItem* a = list->Items().AddItem("a", nullptr);
  EXPECT_EQ(inserted_at, (std::vector<int>{0, 1}));
  EXPECT_TRUE(b->Cut()) << "state set while the item is being inserted sticks";
  TListItem* first = list->Items().Insert(0);
  EXPECT_EQ(first->Index(), 0);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(a->Index(), 2);
  list->AlphaSort();
  EXPECT_EQ(first->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(b->Index(), 2);
  EXPECT_TRUE(b->Cut());
  EXPECT_FALSE(a->Cut());
}

TEST_P(ListViewTest, ItemsAreObjectsTheControlKeepsInItsOrder) {
  std::vector<std::string> inserted;
  list->OnInsert = [&](TObject*, TListItem* item) { inserted.push_back(item->Caption()); };
  int payload = 0;
  TListItem* first = list->Items().AddItem("first", &payload);
  TListItem* third = list->Items().AddItem("third", nullptr);
  TListItem* second = list->Items().Insert(1);
  EXPECT_EQ(inserted, (std::vector<std::string>{"first", "third", ""}));
  EXPECT_EQ(list->Items()[0], first);
  EXPECT_EQ(list->Items()[1], second);
  EXPECT_EQ(third->Index(), 2);
  EXPECT_EQ(list->Items().IndexOf(third), 2);
  EXPECT_EQ(first->Data(), &payload);
  std::vector<TListItem*> deleted;
  list->OnDeletion = [&](TObject*, TListItem* item) {
    deleted.push_back(item);
    EXPECT_GE(item->Index(), 0) << "the item is still there while its deletion is reported";
  };
  second->Delete();
  EXPECT_EQ(deleted, std::vector<TListItem*>{second});
  EXPECT_EQ(third->Index(), 1);
  list->Items().Clear();
  EXPECT_EQ(deleted.size(), 3u);
  EXPECT_EQ(list->Items().Count(), 0);
}

TEST_P(ListViewTest, ColumnClicksRaiseOnColumnClickWithTheColumn) {
  AddReportColumns();
  std::vector<int> clicked;
  list->OnColumnClick = [&](TObject* sender, TListColumn* column) {
    EXPECT_EQ(sender, list);
    clicked.push_back(column->Index());
  };
  HWND header = ListView_GetHeader(list->Handle());
  ASSERT_NE(header, nullptr);
  for (int column : {1, 2}) {
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, HeaderPoint(column));
    SendMessageA(header, WM_LBUTTONUP, 0, HeaderPoint(column));
  }
  EXPECT_EQ(clicked, (std::vector<int>{1, 2}));
  EXPECT_EQ(list->Columns()[1]->Width(), 100);
  list->Columns()[1]->SetWidth(60);
  EXPECT_EQ(ListView_GetColumnWidth(list->Handle(), 1), 60);
  list->Columns()[2]->SetAlignment(taRightJustify);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT;
  ListView_GetColumn(list->Handle(), 2, &column);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
}

TEST_P(ListViewTest, ColumnsRebuiltInABracketKeepDraggedWidths) {
  AddReportColumns();
  ListView_SetColumnWidth(list->Handle(), 0, 140);  // as if the user dragged the divider
  list->Columns().BeginUpdate();
  EXPECT_EQ(list->Columns()[0]->Width(), 140);
  list->Columns().Delete(2);
  list->Columns().Add()->SetCaption("Modified");
  list->Columns().EndUpdate();
  ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list->Handle())), 3);
  EXPECT_EQ(ListView_GetColumnWidth(list->Handle(), 0), 140);
  char text[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = sizeof(text);
  ListView_GetColumn(list->Handle(), 2, &column);
  EXPECT_STREQ(text, "Modified");
}

TEST_P(ListViewTest, ViewStylesSwitchTheWindowsView) {
  list->Items().Add();
  for (auto [style, bits] : {std::pair{vsReport, LVS_REPORT}, {vsList, LVS_LIST},
                             {vsSmallIcon, LVS_SMALLICON}, {vsIcon, LVS_ICON}}) {
    list->SetViewStyle(style);
    EXPECT_EQ(list->ViewStyle(), style);
    EXPECT_EQ(GetWindowLongPtrA(list->Handle(), GWL_STYLE) & LVS_TYPEMASK, bits);
  }
  EXPECT_EQ(list->Items().Count(), 1) << "switching views keeps the items";
}

// Stored settings reach the view style by name, as the text of its enumeration.
TEST_P(ListViewTest, ViewStyleIsAPublishedEnumeration) {
  const TPropInfo* prop = GetPropInfo(*list, "ViewStyle");
  ASSERT_NE(prop, nullptr);
  SetOrdProp(*list, *prop, GetEnumValue(*prop->PropType, "vsReport"));
  EXPECT_EQ(list->ViewStyle(), vsReport);
  EXPECT_EQ(GetWindowLongPtrA(list->Handle(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  list->SetViewStyle(vsList);
  EXPECT_EQ(GetEnumName(*prop->PropType, GetOrdProp(*list, *prop)), "vsList");
  EXPECT_NE(GetPropInfo(*list, "Width"), nullptr) << "the control's own properties are inherited";
}

TEST_P(ListViewTest, MultiSelectAllowsSeveralSelectedItems) {
  for (int i = 0; i < 4; ++i) list->Items().Add();
  std::vector<int> changes;
  list->OnChange = [&](TObject*, TListItem* item, TItemChange change) {
    if (change == ctState) changes.push_back(item->Index());
  };
  list->Items()[0]->SetSelected(true);
  list->Items()[2]->SetSelected(true);
  EXPECT_EQ(list->SelCount(), 1) << "single selection by default";
  EXPECT_EQ(list->Selected(), list->Items()[2]);
  EXPECT_FALSE(changes.empty());
  list->SetMultiSelect(true);
  list->Items()[0]->SetSelected(true);
  list->Items()[3]->SetSelected(true);
  EXPECT_EQ(list->SelCount(), 3);
  EXPECT_EQ(list->GetNextItem(list->Items()[0], LVNI_SELECTED), list->Items()[2]);
  // The control asks before a change only when it holds the items.
  bool refuse = true;
  if (!GetParam()) {
    list->OnChanging = [&](TObject*, TListItem*, TItemChange, bool& allow) { allow = !refuse; };
    list->Items()[1]->SetSelected(true);
    EXPECT_FALSE(list->Items()[1]->Selected()) << "OnChanging refused the change";
    refuse = false;
  }
  list->ClearSelection();
  EXPECT_EQ(list->SelCount(), 0);
}

TEST_P(ListViewTest, InPlaceEditingEndsThroughTheEditedStep) {
  TListItem* item = list->Items().AddItem("old", nullptr);
  list->Items().AddItem("locked", nullptr);
  std::vector<std::string> edits;
  list->OnEditing = [&](TObject*, TListItem* edited, bool& allow) {
    allow = edited->Caption() != "locked";
  };
  list->OnEdited = [&](TObject*, TListItem* edited, std::string& s) {
    edits.push_back(edited->Caption() + "->" + s);
    s = "[" + s + "]";
  };
  ASSERT_TRUE(item->EditCaption());
  HWND edit = ListView_GetEditControl(list->Handle());
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "new");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  test::PumpPending();
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(edits, std::vector<std::string>{"old->new"});
  EXPECT_EQ(item->Caption(), "[new]");
  EXPECT_EQ(TextOf(0, 0), "item #0") << "the control still asks the view for the caption";
  // A cancelled edit changes nothing.
  ASSERT_TRUE(item->EditCaption());
  SetWindowTextA(ListView_GetEditControl(list->Handle()), "ignored");
  item->CancelEdit();
  test::PumpPending();
  EXPECT_EQ(item->Caption(), "[new]");
  EXPECT_EQ(edits.size(), 1u);
  EXPECT_FALSE(list->Items()[1]->EditCaption()) << "OnEditing refused";
  list->SetReadOnly(true);
  EXPECT_FALSE(item->EditCaption());
}

int CALLBACK ByDataDescending(LPARAM first, LPARAM second, LPARAM) {
  const auto a = reinterpret_cast<std::intptr_t>(reinterpret_cast<TListItem*>(first)->Data());
  const auto b = reinterpret_cast<std::intptr_t>(reinterpret_cast<TListItem*>(second)->Data());
  return a < b ? 1 : a > b ? -1 : 0;
}

TEST_P(ListViewTest, CustomSortReordersTheItems) {
  for (std::intptr_t v : {3, 1, 4, 2})
    list->Items().AddItem("c" + std::to_string(v), reinterpret_cast<void*>(v));
  ASSERT_TRUE(list->CustomSort(&ByDataDescending, 0));
  std::string order;
  for (int i = 0; i < 4; ++i) order += list->Items()[i]->Caption();
  EXPECT_EQ(order, "c4c3c2c1");
  list->AlphaSort();
  order.clear();
  for (int i = 0; i < 4; ++i) order += list->Items()[i]->Caption();
  EXPECT_EQ(order, "c1c2c3c4");
}

TEST_P(ListViewTest, KeysAndDoubleClicksRaiseTheirEvents) {
  AddReportColumns();
  list->Items().Add();
  std::vector<WORD> keys;
  std::string typed;
  int double_clicks = 0;
  list->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys.push_back(key); };
  list->OnKeyPress = [&](TObject*, char& key) { typed += key; };
  list->OnDblClick = [&](TObject*) { ++double_clicks; };
  list->SetFocus();
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_F2, 0);
  SendMessageA(list->Handle(), WM_CHAR, 'q', 0);
  EXPECT_EQ(keys, std::vector<WORD>{VK_F2});
  EXPECT_EQ(typed, "q");
  RECT r = list->Items()[0]->DisplayRect(drLabel);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageA(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
  test::PumpPending();
  EXPECT_EQ(double_clicks, 1);
  EXPECT_EQ(list->GetItemAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), list->Items()[0]);
}

TEST_P(ListViewTest, RecreatingTheWindowKeepsItemsColumnsAndSelection) {
  AddReportColumns();
  int payload = 0;
  TListItem* a = list->Items().AddItem("a", &payload);
  TListItem* b = list->Items().AddItem("b", nullptr);
  b->SubItems() = {"1"};
  b->SetCut(true);
  b->SetSelected(true);
  b->SetFocused(true);
  int deletions = 0;
  list->OnDeletion = [&](TObject*, TListItem*) { ++deletions; };
  list->SetCheckboxes(true);
  list->SetGridLines(true);
  list->RecreateWnd();
  EXPECT_EQ(deletions, 0);
  ASSERT_EQ(list->Items().Count(), 2);
  EXPECT_EQ(list->Items()[0], a);
  EXPECT_EQ(a->Data(), &payload);
  EXPECT_EQ(list->Selected(), b);
  EXPECT_EQ(list->ItemFocused(), b);
  EXPECT_TRUE(b->Cut());
  EXPECT_EQ(TextOf(1, 1), "1");
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list->Handle())), 3);
  const DWORD ex = ListView_GetExtendedListViewStyle(list->Handle());
  EXPECT_NE(ex & LVS_EX_CHECKBOXES, 0u);
  EXPECT_NE(ex & LVS_EX_GRIDLINES, 0u);
  a->SetChecked(true);
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
}

TEST_P(ListViewTest, ColoursFollowColorAndFont) {
  list->SetColor(clYellow);
  EXPECT_EQ(ListView_GetBkColor(list->Handle()), RGB(255, 255, 0));
  EXPECT_EQ(ListView_GetTextBkColor(list->Handle()), RGB(255, 255, 0));
  list->Font().SetColor(clNavy);
  EXPECT_EQ(ListView_GetTextColor(list->Handle()), RGB(0, 0, 128));
  list->RecreateWnd();
  EXPECT_EQ(ListView_GetBkColor(list->Handle()), RGB(255, 255, 0));
  EXPECT_EQ(ListView_GetTextColor(list->Handle()), RGB(0, 0, 128));
}

TEST_P(ListViewTest, FindCaptionSearchesTheShownTextsIgnoringCase) {
  for (int i = 0; i < 12; ++i) list->Items().Add();
  EXPECT_EQ(list->FindCaption(0, "ITEM #7", false, true, false), list->Items()[7]);
  EXPECT_EQ(list->FindCaption(0, "item #1", true, true, false), list->Items()[1]);
  EXPECT_EQ(list->FindCaption(1, "item #1", true, false, false), list->Items()[10])
      << "not inclusive: the search starts after the start item";
  EXPECT_EQ(list->FindCaption(11, "item #2", false, true, false), nullptr);
  EXPECT_EQ(list->FindCaption(11, "item #2", false, true, true), list->Items()[2]) << "wrapped";
  EXPECT_EQ(list->FindCaption(0, "item #77", true, true, true), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Modes, ListViewTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "OwnerData" : "ItemsInControl";
                         });

// Owner-data lists only: the control knows positions, the items are ours.
class OwnerDataListViewTest : public ListViewTest {};

TEST_P(OwnerDataListViewTest, ManyItemsCostOneCountAndNoTexts) {
  list->Items().BeginUpdate();
  for (int i = 0; i < 10000; ++i) list->Items().Add();
  EXPECT_EQ(list->Items().Count(), 10000);
  list->Items().EndUpdate();
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 10000);
  EXPECT_EQ(list->text_asks, 0);
  EXPECT_EQ(list->Items()[9999]->Index(), 9999);
  EXPECT_NE(GetWindowLongPtrA(list->Handle(), GWL_STYLE) & LVS_OWNERDATA, 0);
  // An item added inside a bracket is usable at once.
  list->Items().BeginUpdate();
  TListItem* late = list->Items().Add();
  late->SetSelected(true);
  list->Items().EndUpdate();
  EXPECT_EQ(list->Selected(), late);
}

TEST_P(OwnerDataListViewTest, SelectionFollowsItemsThroughSortsInsertsAndDeletes) {
  list->SetMultiSelect(true);
  std::vector<TListItem*> items;
  for (std::intptr_t v : {5, 1, 4, 2, 3})
    items.push_back(list->Items().AddItem("c" + std::to_string(v), reinterpret_cast<void*>(v)));
  items[0]->SetSelected(true);  // c5
  items[3]->SetSelected(true);  // c2
  items[3]->SetFocused(true);
  int changes = 0;
  list->OnChange = [&](TObject*, TListItem*, TItemChange) { ++changes; };
  list->CustomSort(&ByDataDescending, 0);
  EXPECT_EQ(changes, 0) << "moving the selection along is no change of the user's";
  EXPECT_EQ(items[0]->Index(), 0);
  EXPECT_EQ(items[3]->Index(), 3);
  EXPECT_TRUE(items[0]->Selected());
  EXPECT_TRUE(items[3]->Selected());
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_EQ(list->ItemFocused(), items[3]);
  TListItem* first = list->Items().Insert(0);
  EXPECT_FALSE(first->Selected());
  EXPECT_TRUE(items[0]->Selected());
  EXPECT_TRUE(items[3]->Selected());
  EXPECT_EQ(list->ItemFocused(), items[3]);
  items[0]->Delete();
  EXPECT_EQ(items[3]->Index(), 3);
  EXPECT_TRUE(items[3]->Selected());
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_EQ(list->Selected(), items[3]);
}

TEST_P(OwnerDataListViewTest, StatesTheControlDoesNotKeepComeFromTheItems) {
  TListItem* a = list->Items().Add();
  TListItem* b = list->Items().Add();
  b->SetCut(true);
  b->SetOverlayIndex(1);
  a->SetDropTarget(true);
  EXPECT_EQ(ListView_GetItemState(list->Handle(), 1, LVIS_CUT | LVIS_OVERLAYMASK),
            LVIS_CUT | INDEXTOOVERLAYMASK(2));
  EXPECT_EQ(ListView_GetItemState(list->Handle(), 0, LVIS_DROPHILITED | LVIS_CUT),
            LVIS_DROPHILITED);
  a->SetDropTarget(false);
  EXPECT_FALSE(a->DropTarget());
}

TEST_P(OwnerDataListViewTest, TheControlsFindRequestIsAnsweredFromTheItems) {
  for (int i = 0; i < 5; ++i) list->Items().Add();
  NMLVFINDITEMA find{};
  find.hdr.hwndFrom = list->Handle();
  find.hdr.idFrom = GetDlgCtrlID(list->Handle());
  find.hdr.code = LVN_ODFINDITEMA;
  find.iStart = 3;
  find.lvfi.flags = LVFI_PARTIAL | LVFI_WRAP;
  find.lvfi.psz = "item #1";
  EXPECT_EQ(SendMessageA(form->Handle(), WM_NOTIFY, find.hdr.idFrom,
                         reinterpret_cast<LPARAM>(&find)),
            1);
  find.lvfi.flags = LVFI_PARAM;
  find.lvfi.lParam = reinterpret_cast<LPARAM>(list->Items()[4]);
  EXPECT_EQ(SendMessageA(form->Handle(), WM_NOTIFY, find.hdr.idFrom,
                         reinterpret_cast<LPARAM>(&find)),
            4);
}

TEST_P(OwnerDataListViewTest, SwitchingModesDropsTheItemsAndRemakesTheWindow) {
  list->Items().Add();
  int deletions = 0;
  list->OnDeletion = [&](TObject*, TListItem*) { ++deletions; };
  list->SetOwnerData(false);
  EXPECT_EQ(deletions, 1);
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(GetWindowLongPtrA(list->Handle(), GWL_STYLE) & LVS_OWNERDATA, 0);
  list->Items().Add();
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 1);
}

TEST_P(OwnerDataListViewTest, ClearingAndRefillingInOneBracketStartsAfresh) {
  list->SetViewStyle(vsReport);
  list->Columns().Add()->SetWidth(100);
  list->SetMultiSelect(true);
  auto fill = [&](int count) {
    list->Items().BeginUpdate();
    list->Items().Clear();
    for (int i = 0; i < count; ++i) list->Items().Add();
    list->Items().EndUpdate();
  };
  fill(200);
  list->Items()[150]->SetSelected(true);
  list->Items()[150]->SetFocused(true);
  list->Items()[199]->MakeVisible(false);
  ASSERT_GT(ListView_GetTopIndex(list->Handle()), 0);
  int deletions = 0;
  list->OnDeletion = [&](TObject*, TListItem*) { ++deletions; };
  fill(200);
  EXPECT_EQ(deletions, 200);
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 200);
  EXPECT_EQ(list->SelCount(), 0) << "the old selection does not pass to the new items";
  EXPECT_EQ(list->ItemFocused(), nullptr);
  EXPECT_EQ(ListView_GetTopIndex(list->Handle()), 0) << "new items are shown from the top";
  EXPECT_EQ(TextOf(199, 0), "item #199");
  fill(50);
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 50);
  EXPECT_EQ(list->Items()[49]->Index(), 49);
  fill(0);
  EXPECT_EQ(ListView_GetItemCount(list->Handle()), 0);
  EXPECT_EQ(list->Items().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Only, OwnerDataListViewTest, ::testing::Values(true));

}  // namespace
}  // namespace tw
