#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "framework/exception.h"
#include "framework/win/com_ptr.h"
#include "shell/id_list_array.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_id_list_format.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_process.h"
#include "shell/win/wide_text.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

bool SamePath(std::string a, std::string b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

ShellItemId IdOf(const std::string& path) {
  ShellItemId id;
  EXPECT_EQ(PathToIdList(path, id), S_OK) << path;
  return id;
}

SFGAOF AttributesOf(const ItemIdList* abs_id, SFGAOF request) {
  ComPtr<IShellFolder> parent;
  ShellItemId parent_id, last;
  EXPECT_EQ(SplitIdList(abs_id, parent, parent_id, last), S_OK);
  LPCITEMIDLIST item = Pidl(last);
  EXPECT_EQ(parent->GetAttributesOf(1, &item, &request), S_OK);
  return request;
}

class ShellFoldersTest : public ::testing::Test {
protected:
  test::TempFolder temp;
  const std::string folder = temp.MakeFolder("Sub Folder");
  const std::string file = temp.Write("Sub Folder\\notes.txt", "hello");
};

TEST_F(ShellFoldersTest, PathToIdAndBackGivesTheSamePath) {
  for (const std::string& path : {folder, file, temp.Path().string()}) {
    ShellItemId id = IdOf(path);
    ASSERT_TRUE(id);
    EXPECT_GE(TPTIdListArray(id.Get()).Count(), 2) << "a drive and at least one folder";
    EXPECT_TRUE(SamePath(IdListToPath(id.Get()), path)) << IdListToPath(id.Get());
  }
}

TEST_F(ShellFoldersTest, PathToIdFailsForMissingAndOverlongPaths) {
  ShellItemId id;
  EXPECT_TRUE(FAILED(PathToIdList(temp.File("no such file"), id)));
  EXPECT_FALSE(id);
  // A path beyond the shell's buffers fails instead of naming a cut-off path.
  const std::string longer = folder + "\\" + std::string(300, 'x');
  EXPECT_EQ(PathToIdList(longer, id), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_FALSE(id);
}

TEST_F(ShellFoldersTest, ChildIdIsParentConcatenatedWithItsLastItem) {
  ShellItemId parent = IdOf(folder);
  ShellItemId child = IdOf(file);
  TPTIdListArray items(child.Get());
  EXPECT_EQ(CompareIdLists(items.Ancestor(1), parent.Get()), 0);
  ShellItemId joined = ConcatIdLists(parent.Get(), items.Items(items.Count() - 1));
  EXPECT_EQ(CompareIdLists(joined.Get(), child.Get()), 0);
  EXPECT_NE(CompareIdLists(parent.Get(), child.Get()), 0);
  EXPECT_TRUE(SamePath(IdListToPath(joined.Get()), file));
}

TEST_F(ShellFoldersTest, CompareOrdersRealIdsByTheDesktopFolder) {
  temp.Write("a.txt", "");
  temp.Write("b.txt", "");
  ShellItemId a = IdOf(temp.File("a.txt"));
  ShellItemId b = IdOf(temp.File("b.txt"));
  ShellItemId a_again = IdOf(temp.File("a.txt"));
  EXPECT_EQ(CompareIdLists(a.Get(), a_again.Get()), 0);
  const int ab = CompareIdLists(a.Get(), b.Get());
  const int ba = CompareIdLists(b.Get(), a.Get());
  EXPECT_LT(ab, 0);
  EXPECT_GT(ba, 0);
}

TEST_F(ShellFoldersTest, BindToFolderEnumeratesTheFolder) {
  ShellItemId id = IdOf(folder);
  ComPtr<IShellFolder> shell_folder;
  ASSERT_EQ(BindToFolder(id.Get(), shell_folder), S_OK);
  ComPtr<IEnumIDList> items;
  ASSERT_EQ(shell_folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS,
                                      items.Receive()),
            S_OK);
  ShellItemId item;
  ASSERT_EQ(items->Next(1, PidlOut(item), nullptr), S_OK);
  EXPECT_EQ(GetDisplayName(shell_folder.Get(), item.Get(), dnkForParsing), file);
  EXPECT_EQ(items->Next(1, PidlOut(item), nullptr), S_FALSE);

  ComPtr<IShellFolder> desktop;
  EXPECT_EQ(BindToFolder(nullptr, desktop), S_OK);
  EXPECT_TRUE(desktop);
  ShellItemId missing = IdOf(file);
  ComPtr<IShellFolder> not_a_folder;
  EXPECT_TRUE(FAILED(BindToFolder(missing.Get(), not_a_folder)));
  EXPECT_FALSE(not_a_folder);
}

// A plain folder's object is made directly; it must answer as the one bound through the
// desktop does, and only a plain folder below the desktop's items is made so.
TEST_F(ShellFoldersTest, APlainFolderIsMadeDirectlyAndAnswersAsTheBoundOne) {
  ShellItemId id = IdOf(folder);
  ComPtr<IShellFolder> made, bound, desktop;
  ASSERT_EQ(BindPlainFolder(id.Get(), made), S_OK);
  ASSERT_EQ(SHGetDesktopFolder(desktop.Receive()), S_OK);
  ASSERT_EQ(desktop->BindToObject(Pidl(id.Get()), nullptr, IID_IShellFolder, bound.ReceiveVoid()),
            S_OK);
  ShellItemId made_item, bound_item;
  ComPtr<IEnumIDList> items;
  ASSERT_EQ(made->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.Receive()), S_OK);
  ASSERT_EQ(items->Next(1, PidlOut(made_item), nullptr), S_OK);
  ASSERT_EQ(bound->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.Receive()), S_OK);
  ASSERT_EQ(items->Next(1, PidlOut(bound_item), nullptr), S_OK);
  EXPECT_EQ(bound->CompareIDs(0, Pidl(made_item.Get()), Pidl(bound_item.Get())), S_OK);
  for (const TDisplayNameKind kind : {dnkNormal, dnkInFolder, dnkForParsing})
    EXPECT_EQ(GetDisplayName(made.Get(), made_item.Get(), kind),
              GetDisplayName(bound.Get(), bound_item.Get(), kind));

  const std::string system_folder = temp.MakeFolder("System");
  ASSERT_TRUE(SetFileAttributesA(system_folder.c_str(), FILE_ATTRIBUTE_SYSTEM));
  ComPtr<IShellFolder> other;
  for (const std::string& path : {system_folder, file, std::string("C:\\")})
    EXPECT_TRUE(FAILED(BindPlainFolder(IdOf(path).Get(), other))) << path;
  EXPECT_EQ(BindToFolder(IdOf(system_folder).Get(), other), S_OK) << "bound through the desktop";
  SetFileAttributesA(system_folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ShellFoldersTest, DisplayNamesOfEachKind) {
  ShellItemId id = IdOf(file);
  ComPtr<IShellFolder> parent;
  ShellItemId parent_id, last;
  ASSERT_EQ(SplitIdList(id.Get(), parent, parent_id, last), S_OK);
  EXPECT_TRUE(SamePath(GetDisplayName(parent.Get(), last.Get(), dnkForParsing), file));
  const std::string in_folder = GetDisplayName(parent.Get(), last.Get(), dnkInFolder);
  EXPECT_TRUE(in_folder == "notes.txt" || in_folder == "notes") << in_folder;
  EXPECT_EQ(DisplayNameOfAbsIdList(id.Get()), in_folder);
  EXPECT_EQ(DisplayNameOfAbsIdList(IdOf(folder).Get()), "Sub Folder");
  EXPECT_EQ(GetDisplayNameOrShowError(parent.Get(), last.Get(), SHGDN_INFOLDER), in_folder);
  // The desktop's own name for the empty list, and a name from the desktop for a null folder.
  ShellItemId desktop = CopyIdList(nullptr);
  EXPECT_FALSE(DisplayNameOfAbsIdList(desktop.Get()).empty());
  EXPECT_TRUE(SamePath(GetDisplayName(nullptr, id.Get(), dnkForParsing), file));
}

TEST_F(ShellFoldersTest, AttributesTellFoldersFromFiles) {
  const SFGAOF request = SFGAO_FOLDER | SFGAO_FILESYSTEM;
  // Wine answers more bits than were asked for; only the requested ones count.
  EXPECT_EQ(AttributesOf(IdOf(folder).Get(), request) & request, request);
  EXPECT_EQ(AttributesOf(IdOf(file).Get(), request) & request, SFGAOF{SFGAO_FILESYSTEM});
}

TEST(ShellRoutines, StrRetToStringReadsAllThreeForms) {
  STRRET wide{};
  wide.uType = STRRET_WSTR;
  const wchar_t name[] = L"wide name";
  wide.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(name)));
  std::memcpy(wide.pOleStr, name, sizeof(name));
  EXPECT_EQ(StrRetToString(nullptr, wide), "wide name");

  const std::uint8_t item[] = {9, 0, 'x', 'i', 't', 'e', 'm', 0, 'y', 0, 0};
  STRRET offset{};
  offset.uType = STRRET_OFFSET;
  offset.uOffset = 3;
  EXPECT_EQ(StrRetToString(AsIdList(item), offset), "item");
  EXPECT_EQ(StrRetToString(nullptr, offset), "");
  // An offset outside the item list gives nothing rather than reading past the block.
  offset.uOffset = 200;
  EXPECT_EQ(StrRetToString(AsIdList(item), offset), "");

  STRRET narrow{};
  narrow.uType = STRRET_CSTR;
  std::strcpy(narrow.cStr, "c string");
  EXPECT_EQ(StrRetToString(nullptr, narrow), "c string");
}

TEST(ShellRoutines, SpecialFoldersResolveAndMaskTheirNumber) {
  ShellItemId computer;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, computer), S_OK);
  EXPECT_EQ(TPTIdListArray(computer.Get()).Count(), 1);
  EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_DRIVES), "") << "My Computer has no path";
  ShellItemId flagged;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES | CSIDL_FLAG_CREATE, flagged), S_OK);
  EXPECT_EQ(CompareIdLists(flagged.Get(), computer.Get()), 0);
  ShellItemId desktop;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DESKTOP, desktop), S_OK);
  EXPECT_EQ(IdListSize(desktop.Get()), 2u) << "the desktop is the empty list";
  const std::string directory = SpecialFolderPath(nullptr, CSIDL_DESKTOP);
  EXPECT_FALSE(directory.empty());
  EXPECT_EQ(IdListToPath(nullptr), directory);
}

TEST(ShellRoutines, SplittingTheDesktopGivesTheDesktopDirectoryInItsParent) {
  ComPtr<IShellFolder> parent;
  ShellItemId parent_id, last;
  ASSERT_EQ(SplitIdList(nullptr, parent, parent_id, last), S_OK);
  ASSERT_TRUE(parent);
  const std::string directory = SpecialFolderPath(nullptr, CSIDL_DESKTOP);
  EXPECT_TRUE(SamePath(GetDisplayName(parent.Get(), last.Get(), dnkForParsing), directory));
  EXPECT_EQ(TPTIdListArray(last.Get()).Count(), 1);
  ShellItemId whole = ConcatIdLists(parent_id.Get(), last.Get());
  EXPECT_TRUE(SamePath(IdListToPath(whole.Get()), directory));

  ShellItemId empty = CopyIdList(nullptr);
  ShellItemId parent_again, last_again;
  ASSERT_EQ(SplitIdList(empty.Get(), parent, parent_again, last_again), S_OK);
  EXPECT_EQ(CompareIdLists(parent_again.Get(), parent_id.Get()), 0);

  ShellItemId dir_parent, dir_item;
  DesktopDirectoryParentAndItem(dir_parent, dir_item);
  EXPECT_EQ(CompareIdLists(dir_parent.Get(), parent_id.Get()), 0);
  EXPECT_EQ(IdListSize(dir_item.Get()), IdListSize(last.Get()));
}

TEST(ShellRoutines, SplittingAOneItemIdHasTheDesktopAsParent) {
  ShellItemId computer;
  ASSERT_EQ(GetSpecialFolderIdList(nullptr, CSIDL_DRIVES, computer), S_OK);
  ComPtr<IShellFolder> parent;
  ShellItemId parent_id, last;
  ASSERT_EQ(SplitIdList(computer.Get(), parent, parent_id, last), S_OK);
  EXPECT_FALSE(parent_id);
  EXPECT_EQ(CompareIdLists(last.Get(), computer.Get()), 0);
  EXPECT_EQ(GetDisplayName(parent.Get(), last.Get(), dnkNormal),
            DisplayNameOfAbsIdList(computer.Get()));
}

TEST_F(ShellFoldersTest, FolderUIObjectsComeFromTheParent) {
  ShellItemId id = IdOf(file);
  ComPtr<IContextMenu> menu;
  ASSERT_EQ(GetFolderUIObject(id.Get(), IID_IContextMenu, menu.ReceiveVoid()), S_OK);
  EXPECT_TRUE(menu);
  ComPtr<IDropTarget> target;
  EXPECT_EQ(GetFolderUIObject(IdOf(folder).Get(), IID_IDropTarget, target.ReceiveVoid()), S_OK);
  EXPECT_TRUE(target);
  ComPtr<IDropTarget> desktop_target;
  EXPECT_EQ(GetDesktopDropTarget(desktop_target), S_OK);
  EXPECT_TRUE(desktop_target);
}

// Writes a shortcut to TARGET with the shell's link object.
// A description in Greek, longer in UTF-8 than MAX_PATH bytes.
std::string LongDescription() {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "\xCE\xA9";  // Ω
  return text;
}

void WriteShortcut(const std::string& link_path, const std::string& target) {
  ComPtr<IShellLinkA> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             link.ReceiveVoid()),
            S_OK);
  link->SetPath(target.c_str());
  link->SetArguments("-x 1");
  link->SetDescription(LongDescription().c_str());
  link->SetWorkingDirectory(target.c_str());
  link->SetShowCmd(SW_SHOWMAXIMIZED);
  link->SetHotkey(MAKEWORD('T', HOTKEYF_CONTROL));
  ComPtr<IPersistFile> file = link.As<IPersistFile>();
  ASSERT_TRUE(file);
  ASSERT_EQ(file->Save(ToWide(link_path).c_str(), TRUE), S_OK);
}

TEST_F(ShellFoldersTest, ShortcutFileResolvesToItsTarget) {
  const std::string link_path = temp.File("to folder.lnk");
  WriteShortcut(link_path, folder);
  TShortcutInfo info;
  ASSERT_EQ(ReadShortcut(link_path, info, true), S_OK);
  EXPECT_TRUE(SamePath(info.Path, folder));
  EXPECT_TRUE(info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(info.Arguments, "-x 1");
  EXPECT_EQ(info.Description, LongDescription());
  EXPECT_TRUE(SamePath(info.WorkingDirectory, folder));
  // Wine's link object does not keep the show command and reads back SW_SHOWNORMAL.
  EXPECT_TRUE(info.ShowCmd == SW_SHOWMAXIMIZED || info.ShowCmd == SW_SHOWNORMAL) << info.ShowCmd;
  EXPECT_EQ(info.HotKey, MAKEWORD('T', HOTKEYF_CONTROL));
  ASSERT_TRUE(info.IdList);
  EXPECT_TRUE(SamePath(IdListToPath(info.IdList.Get()), folder)) << IdListToPath(info.IdList.Get());
  // Wine's desktop does not compare a link's stored id equal to a freshly parsed one (Windows
  // does); the path it designates is the same.

  TShortcutInfo without;
  ASSERT_EQ(ReadShortcut(link_path, without, false), S_OK);
  EXPECT_FALSE(without.IdList);
}

TEST_F(ShellFoldersTest, ReadShortcutReportsAFileThatIsNoShortcut) {
  TShortcutInfo info;
  EXPECT_TRUE(FAILED(ReadShortcut(file, info, true)));
  EXPECT_TRUE(FAILED(ReadShortcut(temp.File("missing.lnk"), info, true)));
  EXPECT_FALSE(info.IdList);
}

TEST_F(ShellFoldersTest, IconsAndSystemImageLists) {
  ShellItemId id = IdOf(folder);
  // A plain folder's icons, kept from the first such folder, are the ones the shell gives its id;
  // a folder marked system is asked by its id, as its desktop.ini may name another.
  auto by_id = [&](UINT flags) {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(id.Get()), 0, &info, sizeof(info), flags | SHGFI_SYSICONINDEX | SHGFI_PIDL);
    return info.iIcon;
  };
  for (UINT flags : {UINT{SHGFI_SMALLICON}, UINT{SHGFI_SMALLICON | SHGFI_OPENICON}, UINT{0}}) {
    EXPECT_EQ(SystemIconIndex(id.Get(), flags), by_id(flags)) << flags;
    ASSERT_TRUE(SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(SystemIconIndex(id.Get(), flags), by_id(flags)) << flags;
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  ShellItemId drive = IdOf("C:\\");
  EXPECT_NE(SystemIconIndex(drive.Get(), SHGFI_SMALLICON), SystemIconIndex(id.Get(), SHGFI_SMALLICON))
      << "a drive keeps its own icon";
  HIMAGELIST small = SystemImageList(silSmall);
  HIMAGELIST large = SystemImageList(silLarge);
  ASSERT_TRUE(small);
  ASSERT_TRUE(large);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(small, &cx, &cy);
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  ImageList_GetIconSize(large, &cx, &cy);
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
  EXPECT_LT(SystemIconIndex(id.Get(), SHGFI_SMALLICON), ImageList_GetImageCount(small));
  // The overlay repair belongs to one old common controls release only.
  EXPECT_EQ(OverlaysFixed(), ShellOsVersion().PlatformId == VER_PLATFORM_WIN32_NT &&
                                 CommonControlsVersion().Ms == 0x00040047);
}

TEST(ShellRoutines, CheckResultRaisesTheSystemTextForFailures) {
  EXPECT_NO_THROW(CheckResult(S_OK));
  EXPECT_NO_THROW(CheckResult(S_FALSE));
  try {
    CheckResult(E_ACCESSDENIED);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message(), SysErrorMessage(static_cast<DWORD>(E_ACCESSDENIED)));
    EXPECT_FALSE(e.Message().empty());
    EXPECT_NE(e.Message().back(), '\n');
  }
}

TEST(ShellRoutines, ProcessStateIsSetAtStartUp) {
  EXPECT_NE(ShellIdListFormat(), 0u);
  EXPECT_EQ(ShellIdListFormat(), RegisterClipboardFormatA(CFSTR_SHELLIDLIST));
  EXPECT_NE(ShellOsVersion().Major, 0u);
  TFileVersionPair version;
  ASSERT_TRUE(GetFileVersionPair("comctl32.dll", version));
  EXPECT_EQ(version.Ms, CommonControlsVersion().Ms);
  EXPECT_EQ(version.Ls, CommonControlsVersion().Ls);
  EXPECT_FALSE(GetFileVersionPair("no-such-library-here.dll", version));
}

}  // namespace
}  // namespace tw
