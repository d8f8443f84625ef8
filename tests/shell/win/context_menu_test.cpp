#include "shell/win/context_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "shell/win/pidl.h"
#include "shell/win/send_to.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

// Answers the first dialog box this process opens (with ANSWER) from a second thread and
// records its texts, so that a shell command asking for confirmation never blocks a test.
class TDialogAnswerer {
public:
  explicit TDialogAnswerer(int answer) : thread_([this, answer] { Run(answer); }) {}
  ~TDialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
  bool Seen() const { return seen_; }
  const std::string& Texts() const { return texts_; }

private:
  struct Search {
    HWND found = nullptr;
  };
  // Enumeration callbacks are stdcall on 32-bit Windows, which lambdas cannot be.
  static BOOL CALLBACK FindOwnDialog(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0) {
      reinterpret_cast<Search*>(param)->found = window;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK CollectText(HWND child, LPARAM param) {
    char text[512] = {};
    GetWindowTextA(child, text, sizeof(text));
    *reinterpret_cast<std::string*>(param) += std::string(text) + "\n";
    return TRUE;
  }

  void Run(int answer) {
    for (int waited = 0; waited < 10000 && !stop_; waited += 20) {
      Search search;
      EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        EnumChildWindows(search.found, CollectText, reinterpret_cast<LPARAM>(&texts_));
        seen_ = true;
        PostMessageA(search.found, WM_COMMAND, answer, 0);
        return;
      }
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::string texts_;
  std::thread thread_;
};

class ContextMenuTest : public ShellListTest {
protected:
  // The context menu of the item NAME of the temporary folder.
  void MenuOf(const std::string& name, ComPtr<IContextMenu>& context_menu, ScopedMenu& menu) {
    ComPtr<IShellFolder> folder;
    ShellItemId id;
    ASSERT_EQ(PathToIdList(temp.Path().string(), id), S_OK);
    ASSERT_EQ(BindToFolder(id.Get(), folder), S_OK);
    ShellItemId item;
    std::wstring wide(name.begin(), name.end());
    ULONG eaten = 0;
    ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, PidlOut(item),
                                       nullptr),
              S_OK);
    LPCITEMIDLIST items[] = {item.Get()};
    // QueryContextMenu's success code carries the number of ids it used.
    ASSERT_TRUE(SUCCEEDED(CreateItemsMenu(nullptr, folder.Get(), 1, items, CMF_EXPLORE,
                                          kFirstShellCommand, context_menu, menu)));
    ASSERT_TRUE(context_menu && menu);
  }
  static bool ClipboardHasFiles() {
    return IsClipboardFormatAvailable(CF_HDROP) ||
           IsClipboardFormatAvailable(RegisterClipboardFormatA("Shell IDList Array"));
  }
  static void EmptyTheClipboard() {
    OleSetClipboard(nullptr);
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
};

TEST_F(ContextMenuTest, VerbsAreFoundRegardlessOfCase) {
  temp.Write("a.txt", "x");
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  MenuOf("a.txt", context_menu, menu);
  const auto lower = FindVerbCommand(context_menu.Get(), "delete");
  ASSERT_TRUE(lower.has_value());
  EXPECT_EQ(FindVerbCommand(context_menu.Get(), "DELETE"), lower);
  EXPECT_EQ(FindVerbCommand(context_menu.Get(), "Delete"), lower);
  EXPECT_TRUE(FindVerbCommand(context_menu.Get(), "copy").has_value());
  EXPECT_NE(FindVerbCommand(context_menu.Get(), "copy"), lower);
  // Wine offers no "paste" for items (Windows does); no menu offers "connect" for a file.
  EXPECT_FALSE(FindVerbCommand(context_menu.Get(), "paste").has_value());
  EXPECT_FALSE(FindVerbCommand(context_menu.Get(), "connect").has_value());
  // The built menu's commands lie in the shell's id range.
  const int count = GetMenuItemCount(menu.Get());
  ASSERT_GT(count, 0);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(menu.Get(), i);
    if (id != 0 && id != static_cast<UINT>(-1)) {
      EXPECT_GE(id, kFirstShellCommand);
    }
  }
  // A verb nobody offers runs nothing.
  EXPECT_EQ(InvokeMenuCommand(nullptr, context_menu.Get(), std::string("connect")), S_FALSE);
}

TEST_F(ContextMenuTest, CopyVerbOnTheSelectionPutsTheItemsOnTheClipboard) {
  temp.Write("a.txt", "x");
  temp.Write("b.txt", "x");
  list->SetMultiSelect(true);
  ShowTemp();
  EmptyTheClipboard();
  list->InvokeVerb("copy");
  EXPECT_FALSE(ClipboardHasFiles()) << "nothing selected, nothing copied";
  Select({"a.txt", "b.txt"});
  list->InvokeVerb("COPY");
  EXPECT_TRUE(ClipboardHasFiles());
  EmptyTheClipboard();
}

TEST_F(ContextMenuTest, CtrlCCopiesTheSelection) {
  temp.Write("a.txt", "x");
  ShowTemp();
  EmptyTheClipboard();
  Select({"a.txt"});
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(list->Handle(), WM_KEYDOWN, 'C', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_TRUE(ClipboardHasFiles());
  EmptyTheClipboard();
}

TEST_F(ContextMenuTest, DeleteVerbRunsTheShellsDeleteOnTheSelection) {
  temp.Write("keep.txt", "x");
  temp.Write("doomed.txt", "x");
  ShowTemp();
  Select({"doomed.txt"});
  // Wine's delete asks for confirmation (Yes, Yes to all, No, Cancel); the answerer says Yes.
  // The test run's private home takes what Wine moves to the trash.
  TDialogAnswerer answerer(IDYES);
  list->InvokeVerb("delete");
  EXPECT_TRUE(PumpUntil(
      [&] { return GetFileAttributesA(temp.File("doomed.txt").c_str()) == INVALID_FILE_ATTRIBUTES; },
      5000));
  EXPECT_TRUE(answerer.Seen());
  EXPECT_NE(answerer.Texts().find("&No"), std::string::npos) << answerer.Texts();
  EXPECT_NE(GetFileAttributesA(temp.File("keep.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ContextMenuTest, DelWithNothingSelectedDoesNothing) {
  temp.Write("a.txt", "x");
  ShowTemp();
  list->ClearSelection();
  TDialogAnswerer answerer(IDNO);
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  PumpUntil([&] { return answerer.Seen(); }, 800);
  EXPECT_FALSE(answerer.Seen());
  EXPECT_EQ(list->Items().Count(), 1);
}

TEST_F(ContextMenuTest, PasteGoesToTheFolderItself) {
  TempFolder source;
  const std::string file = source.Write("pasted.txt", "x");
  // A file list on the clipboard, as a program that copies files leaves it (Wine's paste of the
  // shell's own item lists binds the wrong source folder).
  std::string block(sizeof(DROPFILES), '\0');
  block += file + '\0' + '\0';
  reinterpret_cast<DROPFILES*>(block.data())->pFiles = sizeof(DROPFILES);
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(global), block.data(), block.size());
  GlobalUnlock(global);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, global);
  CloseClipboard();
  ShowTemp();
  list->ClearSelection();
  list->InvokeFolderVerb("paste");
  EXPECT_NE(GetFileAttributesA(temp.File("pasted.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "copied, not moved";
  EmptyTheClipboard();
}

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

TEST_F(ContextMenuTest, PopupShowsOnlyWithASelectionAndNotDuringADrag) {
  temp.Write("a.txt", "x");
  ShowTemp();
  list->ClearSelection();
  EXPECT_FALSE(list->ShowShellPopup({5, 5}));
  Select({"a.txt"});
  list->SetDragging(true);
  EXPECT_FALSE(list->ShowShellPopup({5, 5}));
  list->SetDragging(false);
  SetTimer(nullptr, 0, 100, &EndMenuSoon);
  EXPECT_TRUE(list->ShowShellPopup({5, 5}));
}

bool g_menu_seen = false;

void CALLBACK NoteMenuAndEnd(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_menu_seen = true;
  EndMenu();
}

TEST_F(ContextMenuTest, RightClickShowsTheShellMenuInsteadOfTheOrdinaryOne) {
  temp.Write("a.txt", "x");
  ShowTemp();
  TPopupMenu ordinary(form);
  int ordinary_shown = 0;
  ordinary.OnPopup = [&](TObject*) { ++ordinary_shown; };
  list->SetPopupMenu(&ordinary);
  Select({"a.txt"});
  list->Items().Item(0)->SetFocused(true);
  g_menu_seen = false;
  SetTimer(nullptr, 0, 100, &NoteMenuAndEnd);
  list->PopupForSelection({1, 1});
  EXPECT_TRUE(g_menu_seen) << "the shell's menu was tracked";
  EXPECT_EQ(ordinary_shown, 0);
  // Without the option the ordinary menu comes back.
  list->SetOptions(list->Options().Without(ptsloContextMenus));
  TPopupMenu::SetTrackFunction([](HMENU, UINT, int, int, HWND) -> UINT { return 0; });
  list->PopupForSelection({1, 1});
  TPopupMenu::SetTrackFunction(nullptr);
  EXPECT_EQ(ordinary_shown, 1);
  list->SetPopupMenu(nullptr);
}

std::vector<std::string>* g_hints = nullptr;
HWND g_list = nullptr;
UINT g_delete_id = 0;

void CALLBACK SelectThenEnd(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  SendMessageA(g_list, WM_MENUSELECT, MAKEWPARAM(g_delete_id, MF_STRING), 0);
  SendMessageA(g_list, WM_MENUSELECT, MAKEWPARAM(3, MF_STRING | MF_OWNERDRAW), 0);
  EndMenu();
}

TEST_F(ContextMenuTest, MenuSelectRaisesPopupHintWhileThePopupIsOpen) {
  temp.Write("a.txt", "x");
  ShowTemp();
  Select({"a.txt"});
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  MenuOf("a.txt", context_menu, menu);
  g_delete_id = kFirstShellCommand + FindVerbCommand(context_menu.Get(), "delete").value();
  std::vector<std::string> hints;
  g_hints = &hints;
  g_list = list->Handle();
  list->OnPopupHint = [&](TObject* sender, const std::string& hint) {
    EXPECT_EQ(sender, list);
    hints.push_back(hint);
  };
  // No popup open: no hint.
  SendMessageA(list->Handle(), WM_MENUSELECT, MAKEWPARAM(g_delete_id, MF_STRING), 0);
  EXPECT_TRUE(hints.empty());
  SetTimer(nullptr, 0, 100, &SelectThenEnd);
  list->ShowShellPopup({5, 5});
  ASSERT_GE(hints.size(), 2u);
  // Wine gives no help texts for its commands; a Send To id always gets an empty hint.
  EXPECT_EQ(hints[1], "");
}

TEST(SendToListTest, CollectsVisibleFilesSortedAndOnce) {
  TempFolder folder;
  folder.Write("report.doc.lnk", "x");
  folder.Write("Beta.txt", "x");
  folder.Write("alpha.txt", "x");
  const std::string hidden = folder.Write("hidden.txt", "x");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  folder.MakeFolder("sub");
  TSendToList list;
  list.Collect(folder.Path().string(), "*");
  list.Collect(folder.Path().string(), "*");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Entry(0).Name, "alpha.txt");
  EXPECT_EQ(list.Entry(1).Name, "Beta.txt");
  EXPECT_EQ(list.Entry(2).Name, "report.doc.lnk");
  EXPECT_GE(list.Entry(0).ImageIndex, 0);
  // Entries stay once found.
  std::filesystem::remove(folder.Path() / "alpha.txt");
  list.Collect(folder.Path().string(), "*");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(SendToCaption("report.doc.lnk"), "report.doc");
  EXPECT_EQ(SendToCaption("plain"), "plain");
  EXPECT_EQ(SendToCaption(".hidden"), ".hidden");
}

TEST(SendToListTest, MenuCharSelectsAmongSeveralAndRunsASingleMatch) {
  TSendToList& list = SendToList();
  const int first = list.Add("qqa_first.lnk", -1);
  const int second = list.Add("QQb_second.lnk", -1);
  const int only = list.Add("xqz_only.lnk", -1);
  ScopedMenu menu(CreatePopupMenu());
  AppendSendToItems(menu.Get());
  // Two entries start with q (in either case): the next one is selected, not run.
  LRESULT answer = SendToMenuChar('q', menu.Get());
  EXPECT_EQ(HIWORD(answer), MNC_SELECT);
  EXPECT_EQ(LOWORD(answer), first);
  MENUITEMINFOA hilite{};
  hilite.cbSize = sizeof(hilite);
  hilite.fMask = MIIM_STATE;
  hilite.fState = MFS_HILITE;
  SetMenuItemInfoA(menu.Get(), first, TRUE, &hilite);
  answer = SendToMenuChar('Q', menu.Get());
  EXPECT_EQ(HIWORD(answer), MNC_SELECT);
  EXPECT_EQ(LOWORD(answer), second) << "the search starts after the highlighted item";
  answer = SendToMenuChar('x', menu.Get());
  EXPECT_EQ(HIWORD(answer), MNC_EXECUTE);
  EXPECT_EQ(LOWORD(answer), only);
  EXPECT_EQ(HIWORD(SendToMenuChar('\x01', menu.Get())), MNC_CLOSE);
}

TEST_F(ContextMenuTest, SendToSubmenuFillsOnceFromTheSendToFolder) {
  const std::string send_to = SpecialFolderPath(nullptr, CSIDL_SENDTO);
  ASSERT_FALSE(send_to.empty());
  CreateDirectoryA(send_to.c_str(), nullptr);
  const std::string target = send_to + "\\tw target.txt";
  {
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  temp.Write("a.txt", "x");
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  MenuOf("a.txt", context_menu, menu);
  auto open_submenu = [&](HMENU submenu) {
    TMessage message{WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), 0, 0};
    HandleShellMenuMessage(message, context_menu.Get(), nullptr, nullptr, {});
  };
  auto count_target = [&](HMENU submenu) {
    int found = 0;
    for (int i = 0; i < GetMenuItemCount(submenu); ++i) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_DATA | MIIM_ID;
      GetMenuItemInfoA(submenu, i, TRUE, &info);
      EXPECT_EQ(info.wID, static_cast<UINT>(i + 1));
      if (SendToList().Entry(static_cast<int>(info.dwItemData)).Name == "tw target.txt") ++found;
    }
    return found;
  };
  ScopedMenu submenu(CreatePopupMenu());
  AppendMenuA(submenu.Get(), MF_STRING | MF_GRAYED, kSendToMarkerId, kSendToMarkerText);
  open_submenu(submenu.Get());
  EXPECT_EQ(count_target(submenu.Get()), 1);
  const int entries = GetMenuItemCount(submenu.Get());
  // Opened again (now without the marker item) it is left as it is: each entry once.
  open_submenu(submenu.Get());
  EXPECT_EQ(GetMenuItemCount(submenu.Get()), entries);
  EXPECT_EQ(count_target(submenu.Get()), 1);
  DeleteFileA(target.c_str());
}

TEST_F(ContextMenuTest, SendToEntriesStopBeforeTheShellsCommandIds) {
  const std::string send_to = SpecialFolderPath(nullptr, CSIDL_SENDTO);
  ASSERT_FALSE(send_to.empty());
  CreateDirectoryA(send_to.c_str(), nullptr);
  std::vector<std::string> entries;
  for (int i = 0; i < 60; ++i) {
    entries.push_back(send_to + "\\zz entry " + std::to_string(100 + i) + ".lnk");
    HANDLE file = CreateFileA(entries.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  temp.Write("a.txt", "x");
  ShowTemp();
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  MenuOf("a.txt", context_menu, menu);
  ScopedMenu submenu(CreatePopupMenu());
  AppendMenuA(submenu.Get(), MF_STRING | MF_GRAYED, kSendToMarkerId, kSendToMarkerText);
  TMessage init{WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu.Get()), 0, 0};
  HandleShellMenuMessage(init, context_menu.Get(), nullptr, nullptr, {});
  const int shown = GetMenuItemCount(submenu.Get());
  EXPECT_EQ(shown, std::min(SendToList().Count(), 49));
  ScopedWindowDC screen(list->Handle());
  for (int i = 0; i < shown; ++i) {
    const UINT id = GetMenuItemID(submenu.Get(), i);
    EXPECT_GE(id, 1u);
    EXPECT_LT(id, kFirstShellCommand) << "a Send To entry would run a shell command";
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, id, 0, 0, static_cast<ULONG_PTR>(id - 1)};
    TMessage measure_message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
    HandleShellMenuMessage(measure_message, context_menu.Get(), nullptr, nullptr, {});
    EXPECT_EQ(measure_message.Result, TRUE) << id;
    DRAWITEMSTRUCT draw{ODT_MENU, 0, id, ODA_DRAWENTIRE, 0, nullptr, screen.Get(), {0, 0, 100, 20},
                        static_cast<ULONG_PTR>(id - 1)};
    TMessage draw_message{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
    HandleShellMenuMessage(draw_message, context_menu.Get(), nullptr, nullptr, {});
    EXPECT_EQ(draw_message.Result, TRUE) << id;
  }
  for (const std::string& entry : entries) DeleteFileA(entry.c_str());
}

}  // namespace
}  // namespace tw::test
