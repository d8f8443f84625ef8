#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <utility>

#include "framework/type_info.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_names.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST_F(ShellListTest, FillsWithEveryItemOfTheFolderAndRaisesFillComplete) {
  temp.Write("b.txt", "bb");
  temp.Write("a.log", "a");
  temp.MakeFolder("sub");
  ShowTemp();
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(Sorted(Names()), (std::vector<std::string>{"a.log", "b.txt", "sub"}));
  EXPECT_TRUE(list->Items().Item(0)->Focused()) << "the first item gets the focus";
  // Names are fetched as the control asks for them.
  EXPECT_EQ(ShownText(IndexOfName("sub"), 0), "sub");
  EXPECT_EQ(list->Columns().Count(), 4);
  EXPECT_EQ(list->Columns()[0]->Caption(), "Name");
  EXPECT_EQ(list->Columns()[1]->Alignment(), taRightJustify);
  EXPECT_EQ(list->Columns()[3]->Caption(), "Modified");
}

TEST_F(ShellListTest, EmptyFolderGivesNoItemsAndStillCompletes) {
  ShowTemp();
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(list->ItemFocused(), nullptr);
}

TEST_F(ShellListTest, FilterShowsFoldersAndMatchingFilesOnly) {
  for (const char* name : {"one.txt", "two.log", "three.doc", "four.TXT"}) temp.Write(name, "x");
  temp.MakeFolder("folder.doc");
  list->SetFileFilter("*.txt;;*.log");
  ShowTemp();
  EXPECT_EQ(Sorted(Names()), (std::vector<std::string>{"folder.doc", "four.TXT", "one.txt",
                                                       "two.log"}));
  // Changing the filter refills at once.
  list->SetFileFilter("*.*");
  EXPECT_EQ(list->Items().Count(), 5);
  list->SetFileFilter("*.doc");
  EXPECT_EQ(Sorted(Names()), (std::vector<std::string>{"folder.doc", "three.doc"}));
  list->SetFileFilter("*");
  EXPECT_EQ(list->Items().Count(), 5);
}

TEST_F(ShellListTest, OnAddItemDecidesWhetherAnItemIsShown) {
  temp.Write("keep.txt", "x");
  temp.Write("drop.txt", "x");
  int asked = 0;
  list->OnAddItem = [&](TObject*, IShellFolder* folder, const ItemIdList* parent,
                        const ItemIdList* item, int, BOOL& allow) {
    ++asked;
    EXPECT_NE(folder, nullptr);
    EXPECT_NE(parent, nullptr);
    allow = GetDisplayName(folder, item, dnkInFolder).rfind("drop", 0) != 0;
  };
  ShowTemp();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.txt"}));
}

TEST_F(ShellListTest, SizeTypeAndDateTexts) {
  temp.Write("empty.bin", "");
  temp.Write("one.bin", "x");
  temp.Write("big.bin", std::string(1536001, 'b'));
  temp.MakeFolder("folder");
  ShowTemp();
  const int empty = IndexOfName("empty.bin"), one = IndexOfName("one.bin");
  const int big = IndexOfName("big.bin"), folder = IndexOfName("folder");
  EXPECT_EQ(ShownText(empty, 1), "0KB");
  EXPECT_EQ(ShownText(one, 1), "1KB");
  char separator[8] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof(separator));
  EXPECT_EQ(ShownText(big, 1), std::string("1") + separator + "501KB");
  EXPECT_EQ(ShownText(folder, 1), "") << "a folder shows no size";

  // The date is the last write time in the system's short date and time formats.
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  ASSERT_TRUE(GetFileAttributesExA(temp.File("one.bin").c_str(), GetFileExInfoStandard,
                                   &attributes));
  FILETIME local{};
  SYSTEMTIME time{};
  FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &time);
  char date[80] = {}, clock[80] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof(date));
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof(clock));
  EXPECT_EQ(ShownText(one, 3), std::string(date) + " " + clock);
  EXPECT_FALSE(ShownText(folder, 3).empty()) << "a folder shows its date";

  SHFILEINFOA info{};
  SHGetFileInfoA(temp.File("one.bin").c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
  EXPECT_EQ(ShownText(one, 2), info.szTypeName);
  EXPECT_EQ(ShownText(one, 4), "") << "no fifth column";
}

TEST_F(ShellListTest, DriveRootsShowNeitherSizeNorDate) {
  ShellItemId drives;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, drives), S_OK);
  list->Folder().SetIdList(drives.Get());
  list->SetParent(form);
  form->Show();
  // Wine's My Computer holds the drives C: and Z:.
  int root = -1;
  for (int i = 0; i < list->Items().Count(); ++i)
    if (list->ItemData(i)->Path() == "C:\\") root = i;
  ASSERT_GE(root, 0);
  EXPECT_EQ(ShownText(root, 1), "");
  EXPECT_EQ(ShownText(root, 3), "");
  EXPECT_FALSE(list->ItemData(root)->CanRename() && list->ItemData(root)->IsLink());
}

TEST_F(ShellListTest, SortCodesAndHeaderClicks) {
  temp.Write("b_large.txt", std::string(9000, 'x'));
  temp.Write("a_middle.txt", std::string(5000, 'x'));
  temp.Write("c_small.txt", std::string(3000, 'x'));
  temp.Write("d_tiny.txt", std::string(1, 'x'));
  ShowTemp();
  const std::vector<std::string> by_name = {"a_middle.txt", "b_large.txt", "c_small.txt",
                                            "d_tiny.txt"};
  EXPECT_EQ(list->SortColumn(), 1);
  EXPECT_EQ(Names(), by_name);

  auto click = [&](int column) {
    NMLISTVIEW notify{};
    notify.hdr.hwndFrom = list->Handle();
    notify.hdr.idFrom = GetDlgCtrlID(list->Handle());
    notify.hdr.code = LVN_COLUMNCLICK;
    notify.iItem = -1;
    notify.iSubItem = column;
    SendMessageA(form->Handle(), WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
  };
  // The order is the folder's own for the column: each neighbour pair is in order by its
  // CompareIDs (Wine's size column does not order by size as Windows does).
  auto ordered_by_folder = [&](int column, int sign) {
    for (int i = 0; i + 1 < list->Items().Count(); ++i) {
      const HRESULT hr = list->FolderObject()->CompareIDs(column, list->ItemData(i)->RelativeId(),
                                                         list->ItemData(i + 1)->RelativeId());
      if (sign * static_cast<short>(HRESULT_CODE(hr)) > 0) return false;
    }
    return true;
  };
  // Clicking "Size" twice sorts by the size column and then reverses.
  click(1);
  EXPECT_EQ(list->SortColumn(), 2);
  EXPECT_TRUE(ordered_by_folder(1, 1));
  std::vector<std::string> by_size = Names();
  click(1);
  EXPECT_EQ(list->SortColumn(), -2);
  EXPECT_TRUE(ordered_by_folder(1, -1));
  std::vector<std::string> reversed = Names();
  std::reverse(reversed.begin(), reversed.end());
  EXPECT_EQ(reversed, by_size);
  // Then "Name" sorts by name ascending.
  click(0);
  EXPECT_EQ(list->SortColumn(), 1);
  EXPECT_EQ(Names(), by_name);
  list->SetSortColumn(-1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"d_tiny.txt", "c_small.txt", "b_large.txt",
                                               "a_middle.txt"}));
}

TEST_F(ShellListTest, FoldersAndFilesFollowTheFoldersOwnOrder) {
  temp.Write("a.txt", "x");
  temp.MakeFolder("z_folder");
  ShowTemp();
  // Wine's file-system folder puts folders before files, as Windows does.
  EXPECT_EQ(Names(), (std::vector<std::string>{"z_folder", "a.txt"}));
}

TEST_F(ShellListTest, RefreshAfterOutsideChangesDropsAndAddsOnlyWhatChanged) {
  temp.Write("stays.txt", "x");
  temp.Write("goes.txt", "x");
  ShowTemp();
  TPTShListData* stays = list->ItemData(IndexOfName("stays.txt"));
  std::vector<std::string> deleted;
  list->OnDeleteItem = [&](TObject*, TListItem*, TPTShListData* data) {
    deleted.push_back(data->DisplayName());
  };
  ASSERT_TRUE(DeleteFileA(temp.File("goes.txt").c_str()));
  temp.Write("comes.txt", "x");
  temp.Write("stays.txt", "now longer");
  list->RefreshItems();
  EXPECT_EQ(Sorted(Names()), (std::vector<std::string>{"comes.txt", "stays.txt"}));
  EXPECT_EQ(list->ItemData(IndexOfName("stays.txt")), stays) << "an unchanged item is kept";
  EXPECT_EQ(deleted, (std::vector<std::string>{"goes.txt"}));
  EXPECT_EQ(ShownText(IndexOfName("stays.txt"), 1), "1KB");
  EXPECT_EQ(fills, 1) << "a refresh is no fill";
}

TEST_F(ShellListTest, HiddenItemsFollowTheOption) {
  temp.Write("shown.txt", "x");
  const std::string hidden = temp.Write("hidden.txt", "x");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ShowTemp();
  EXPECT_EQ(list->Items().Count(), 2);
  list->SetOptions(list->Options().Without(ptsloShowHidden));
  EXPECT_EQ(Names(), (std::vector<std::string>{"shown.txt"}));
  list->SetOptions(list->Options().With(ptsloShowHidden));
  EXPECT_EQ(list->Items().Count(), 2);
}

TEST_F(ShellListTest, NavigationIntoFoldersUpAndDontChangeFolder) {
  temp.MakeFolder("inner");
  temp.Write("inner/deep.txt", "x");
  ShowTemp();
  const std::string top = temp.Path().string();
  list->OpenItem(list->Items().Item(IndexOfName("inner")));
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("inner"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"deep.txt"}));
  // Backspace goes up one level.
  SendMessageA(list->Handle(), WM_CHAR, '\b', 0);
  EXPECT_EQ(IdListToPath(list->FolderId()), top);

  list->SetOptions(list->Options().With(ptsloDontChangeFolder));
  list->Items().Item(IndexOfName("inner"))->SetSelected(true);
  SendMessageA(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  list->OpenItem(list->Items().Item(IndexOfName("inner")));
  list->GoUp(1);
  EXPECT_EQ(IdListToPath(list->FolderId()), top) << "the folder stays";
  EXPECT_EQ(list->Items().Count(), 1);
}

TEST_F(ShellListTest, DoubleClickAndEnterOpenTheSelectedFolder) {
  temp.MakeFolder("inner");
  ShowTemp();
  list->Items().Item(0)->SetSelected(true);
  const RECT r = list->Items().Item(0)->DisplayRect(drIcon);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("inner"));
  list->GoUp(1);
  list->Items().Item(0)->SetSelected(true);
  SendMessageA(list->Handle(), WM_CHAR, '\r', 0);
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("inner"));
}

TEST_F(ShellListTest, OpeningAFileAsksOnDblClickOpenFirst) {
  temp.Write("doc.unknownext", "x");
  ShowTemp();
  int asked = 0;
  list->OnDblClickOpen = [&](TObject*, bool& handled) {
    ++asked;
    handled = true;
  };
  list->Items().Item(0)->SetSelected(true);
  list->OpenSelection();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.Path().string()) << "a file opens no folder";
}

TEST_F(ShellListTest, BackspaceAtTheDesktopIsIgnored) {
  list->SetParent(form);
  form->Show();
  ASSERT_EQ(IdListSize(list->FolderId()), 2u) << "the list shows the desktop";
  const int count = list->Items().Count();
  SendMessageA(list->Handle(), WM_CHAR, '\b', 0);
  list->GoUp(3);
  EXPECT_EQ(IdListSize(list->FolderId()), 2u);
  EXPECT_EQ(list->Items().Count(), count);
  EXPECT_EQ(fills, 1);
}

TEST_F(ShellListTest, GoingUpMoreLevelsThanThereAreReachesTheDesktop) {
  ShowTemp();
  list->GoUp(100);
  EXPECT_EQ(IdListSize(list->FolderId()), 2u);
}

TEST_F(ShellListTest, AFolderThatVanishesWhileShownEmptiesTheList) {
  temp.MakeFolder("doomed");
  temp.Write("doomed/a.txt", "x");
  ShowFolder(temp.File("doomed"));
  ASSERT_EQ(list->Items().Count(), 1);
  // A watched folder only goes once its watch lets go of it.
  list->SetOptions(list->Options().Without(ptsloDynamicRefresh));
  std::filesystem::remove_all(temp.Path() / "doomed");
  ASSERT_EQ(GetFileAttributesA(temp.File("doomed").c_str()), INVALID_FILE_ATTRIBUTES);
  list->RefreshItems();
  EXPECT_EQ(list->Items().Count(), 0);
  // A full fill of a folder that is gone either fails with the system's text (Windows) or finds
  // nothing in it (Wine); the list stays empty and keeps its folder either way.
  try {
    list->FillList();
  } catch (const Exception& e) {
    EXPECT_FALSE(e.Message().empty());
  }
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.File("doomed"));
}

TEST_F(ShellListTest, UnreachableFolderReportsInsteadOfCrashing) {
  temp.Write("kept.txt", "x");
  ShowTemp();
  // An id the shell cannot open as a folder (a file's); a drive without a medium fails the same
  // way on Windows, while Wine shows such a drive empty.
  ShellItemId unreachable;
  ASSERT_EQ(PathToIdList(temp.Write("not a folder.txt", "x"), unreachable), S_OK);
  ComPtr<IShellFolder> probe;
  const HRESULT bind = BindToFolder(unreachable.Get(), probe);
  ASSERT_TRUE(FAILED(bind));
  std::string reported;
  try {
    list->Folder().SetIdList(unreachable.Get());
  } catch (const Exception& e) {
    reported = e.Message();
  }
  EXPECT_EQ(reported, SysErrorMessage(static_cast<DWORD>(bind)));
  EXPECT_EQ(IdListToPath(list->FolderId()), temp.Path().string()) << "the shown folder stays";
  EXPECT_TRUE(list->HandleAllocated());
}

TEST_F(ShellListTest, SelectAllAndSelectedData) {
  temp.Write("a.txt", "x");
  temp.Write("b.txt", "x");
  list->SetMultiSelect(true);
  ShowTemp();
  EXPECT_EQ(list->SelectedData(), nullptr);
  SendMessageA(list->Handle(), WM_KEYDOWN, 'A', 0);  // without Ctrl: no shortcut
  EXPECT_EQ(list->SelCount(), 0);
  list->SelectAllItems();
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_EQ(list->SelectedData(), list->ItemData(0));
  EXPECT_EQ(list->SelectedData()->Path(), temp.File(list->SelectedData()->DisplayName()));
}

TEST_F(ShellListTest, ItemsWithoutARecordAreLeftAlone) {
  temp.Write("a.txt", "x");
  ShowTemp();
  int foreign = 42;
  TListItem* item = list->Items().AddItem("plain", &foreign);
  EXPECT_EQ(list->DataOf(item), nullptr);
  EXPECT_EQ(ShownText(item->Index(), 0), "plain");
  bool asked = false;
  list->OnDblClickOpen = [&](TObject*, bool&) { asked = true; };
  list->OpenItem(item);
  EXPECT_TRUE(asked);
  list->SetSortColumn(2);  // compares as equal, no crash
  list->RefreshItems();
  EXPECT_EQ(list->Items().Count(), 2);
}

TEST_F(ShellListTest, CustomDrawHandsOutTheItemsRecord) {
  temp.Write("a.txt", "x");
  temp.Write("b.txt", "x");
  list->SetViewStyle(vsReport);
  int items = 0, stages = 0, prepaint = 0;
  list->OnCustomDrawSh = [&](TObject*, TPTLvCustomDraw& draw, TListItem* item,
                             TPTShListData* data) {
    ++items;
    EXPECT_EQ(draw.Stage(), TPTCustomDraw::cdsItemPrePaint);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(data, list->DataOf(item));
    EXPECT_NE(data, nullptr);
  };
  list->OnCustomDrawShEx = [&](TObject*, TPTLvCustomDraw& draw, TListItem*, TPTShListData*) {
    ++stages;
    if (draw.Stage() == TPTCustomDraw::cdsPrePaint) ++prepaint;
  };
  ShowTemp();
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(prepaint, 1);
  EXPECT_GE(items, 2);
  EXPECT_GT(stages, items);
}

TEST_F(ShellListTest, NamesAreFetchedOnlyForShownItems) {
  for (int i = 0; i < 400; ++i) temp.Write("f" + std::to_string(1000 + i) + ".txt", "");
  list->SetViewStyle(vsReport);
  list->SetBounds(0, 0, 300, 120);
  std::vector<int> painted;
  list->OnCustomDrawSh = [&](TObject*, TPTLvCustomDraw&, TListItem* item, TPTShListData*) {
    painted.push_back(item->Index());
  };
  ShowTemp();
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_EQ(list->Items().Count(), 400);
  EXPECT_FALSE(painted.empty());
  EXPECT_LT(painted.size(), 100u) << "only the rows that fit are drawn and named";
}

TEST_F(ShellListTest, PublishedPropertiesReachTheListByName) {
  const TPropInfo* options = GetPropInfo(*list, "Options");
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(GetOrdProp(*list, *options), 7835);
  EXPECT_EQ(options->Default, 7835);
  SetOrdProp(*list, *options, list->Options().Without(ptsloShowHidden).Bits());
  EXPECT_FALSE(list->Options().Contains(ptsloShowHidden));
  const TPropInfo* filter = GetPropInfo(*list, "FileFilter");
  ASSERT_NE(filter, nullptr);
  SetStrProp(*list, *filter, "*.txt");
  EXPECT_EQ(list->FileFilter(), "*.txt");
  const TPropInfo* folder = GetPropInfo(*list, "Folder");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(GetObjectProp(*list, *folder), &list->Folder());
  const TPropInfo* fill_complete = GetPropInfo(*list, "OnFillComplete");
  ASSERT_NE(fill_complete, nullptr);
  EXPECT_TRUE(fill_complete->IsAssigned(*list));
  EXPECT_FALSE(GetPropInfo(*list, "OnAddItem")->IsAssigned(*list));
  EXPECT_NE(GetPropInfo(*list, "ViewStyle"), nullptr) << "the list view's own properties too";
}

// Typing a name in the list: the control asks the view for the item, which answers from the
// names it shows.
TEST_F(ShellListTest, TheControlsFindRequestMatchesShownNames) {
  for (const char* name : {"apple.txt", "banana.txt", "berry.txt"}) temp.Write(name, "");
  list->SetViewStyle(vsReport);
  ShowTemp();
  NMLVFINDITEMA find{};
  find.hdr.hwndFrom = list->Handle();
  find.hdr.idFrom = GetDlgCtrlID(list->Handle());
  find.hdr.code = LVN_ODFINDITEMA;
  find.iStart = IndexOfName("banana.txt") + 1;
  find.lvfi.flags = LVFI_PARTIAL | LVFI_WRAP;
  find.lvfi.psz = "B";
  const LRESULT found = SendMessageA(form->Handle(), WM_NOTIFY, find.hdr.idFrom,
                                     reinterpret_cast<LPARAM>(&find));
  EXPECT_EQ(found, IndexOfName("berry.txt"));
  // A key typed into the list, whichever form of the request the control sends.
  list->Items().Item(IndexOfName("apple.txt"))->SetFocused(true);
  SendMessageA(list->Handle(), WM_CHAR, 'b', 1);  // a repeat count of 1, as typed
  ASSERT_NE(list->SelectedData(), nullptr);
  EXPECT_EQ(list->SelectedData()->DisplayName(), "banana.txt");
}

TEST_F(ShellListTest, SelectionStaysWithItsItemThroughSortsAndRefreshes) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) temp.Write(name, "");
  list->SetViewStyle(vsReport);
  ShowTemp();
  list->Items().Item(IndexOfName("b.txt"))->SetSelected(true);
  list->SetSortColumn(-1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));
  ASSERT_NE(list->SelectedData(), nullptr);
  EXPECT_EQ(list->SelectedData()->DisplayName(), "b.txt");
  ASSERT_TRUE(DeleteFileA(temp.File("c.txt").c_str()));
  temp.Write("d.txt", "");
  list->RefreshItems();
  ASSERT_NE(list->SelectedData(), nullptr);
  EXPECT_EQ(list->SelectedData()->DisplayName(), "b.txt");
  EXPECT_EQ(list->SelCount(), 1);
}

// Icon views show each item at a place of its own: also when the next folder holds more items
// than the last, when a refresh adds some, and after a switch of the view. An item that goes
// leaves no gap.
TEST_F(ShellListTest, IconViewsGiveEveryItemAPlaceOfItsOwn) {
  temp.MakeFolder("inner");
  for (const char* name : {"inner/a.txt", "inner/b.txt", "inner/c.txt"}) temp.Write(name, "");
  auto positions = [&] {
    std::vector<std::pair<LONG, LONG>> shown;
    for (int i = 0; i < list->Items().Count(); ++i) {
      const POINT p = list->Items().Item(i)->Position();
      shown.emplace_back(p.x, p.y);
    }
    return shown;
  };
  auto places = [&] {
    const std::vector<std::pair<LONG, LONG>> shown = positions();
    return std::set<std::pair<LONG, LONG>>(shown.begin(), shown.end()).size();
  };
  ASSERT_EQ(list->ViewStyle(), vsIcon);
  ShowTemp();
  list->OpenItem(list->Items().Item(IndexOfName("inner")));
  EXPECT_EQ(places(), 3u) << "a fill with more items than the last";
  temp.Write("inner/d.txt", "");
  list->RefreshItems();
  EXPECT_EQ(places(), 4u) << "a refresh that adds an item";
  list->SetViewStyle(vsSmallIcon);
  EXPECT_EQ(places(), 4u) << "a switch of the view";
  temp.Write("inner/e.txt", "");
  list->GoUp(1);
  list->OpenItem(list->Items().Item(IndexOfName("inner")));
  EXPECT_EQ(places(), 5u) << "a fill in the small-icon view";

  std::vector<std::pair<LONG, LONG>> before = positions();
  ASSERT_TRUE(DeleteFileA(temp.File("inner/b.txt").c_str()));
  list->RefreshItems();
  before.pop_back();
  EXPECT_EQ(positions(), before) << "the items after a deleted one move up";
}

// The big folder comes after a smaller one, as when the user opens it.
TEST_F(ShellListTest, AFillTooBigForTheIconViewBringsAScrollBar) {
  for (int i = 0; i < 30; ++i) temp.Write("big/file" + std::to_string(i) + ".txt", "");
  list->SetBounds(0, 0, 200, 150);
  ASSERT_EQ(list->ViewStyle(), vsIcon);
  ShowTemp();
  list->OpenItem(list->Items().Item(IndexOfName("big")));
  ASSERT_EQ(list->Items().Count(), 30);
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE};
  ASSERT_TRUE(GetScrollInfo(list->Handle(), SB_VERT, &info));
  EXPECT_GT(info.nMax - info.nMin + 1, static_cast<int>(info.nPage))
      << "the items below the window can be scrolled to";
}

}  // namespace
}  // namespace tw::test
