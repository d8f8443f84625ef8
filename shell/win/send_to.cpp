#include "shell/win/send_to.h"

#include <algorithm>
#include <memory>

#include "framework/win/com_ptr.h"
#include "framework/win/handles.h"
#include "shell/win/drop_targets.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_names.h"
#include "shell/win/wide_text.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

std::unique_ptr<TSendToList>& ProcessList() {
  static std::unique_ptr<TSendToList> list;
  return list;
}

char UpperChar(char ch) {
  char text[2] = {ch, '\0'};
  CharUpperBuffA(text, 1);
  return text[0];
}

// The Send To position of a menu item: its item data.
int EntryOfItem(HMENU menu, int position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return -1;
  return static_cast<int>(info.dwItemData);
}

}  // namespace

int TSendToList::Add(const std::string& name, int image_index) {
  auto less = [](const TSendToEntry& entry, const std::string& key) {
    return lstrcmpiA(entry.Name.c_str(), key.c_str()) < 0;
  };
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name, less);
  if (it != entries_.end() && lstrcmpiA(it->Name.c_str(), name.c_str()) == 0)
    return static_cast<int>(it - entries_.begin());
  it = entries_.insert(it, TSendToEntry{name, image_index});
  return static_cast<int>(it - entries_.begin());
}

void TSendToList::Collect(const std::string& folder, const std::string& pattern) {
  const std::string base = IncludeTrailingChar(folder, '\\');
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW(ToWide(base + pattern).c_str(), &found));
  if (!find) return;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    const std::string name = FromWide(found.cFileName);
    ShellItemId id;
    const int image =
        SUCCEEDED(PathToIdList(base + name, id)) && id ? SystemIconIndex(id.Get(), SHGFI_SMALLICON) : -1;
    Add(name, image);
  } while (FindNextFileW(find.Get(), &found));
}

TSendToList& SendToList() {
  auto& list = ProcessList();
  if (!list) list = std::make_unique<TSendToList>();
  return *list;
}

bool SendToListExists() { return ProcessList() != nullptr; }

void FreeSendToList() { ProcessList().reset(); }

std::string SendToCaption(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void FillSendToMenu(HMENU submenu) {
  TSendToList& list = SendToList();
  DeleteMenu(submenu, 0, MF_BYPOSITION);
  const std::string folder = SpecialFolderPath(nullptr, CSIDL_SENDTO);
  if (!folder.empty()) list.Collect(folder, "*");
  AppendSendToItems(submenu);
}

void AppendSendToItems(HMENU menu) {
  const int shown = std::min(SendToList().Count(), kMaxSendToItems);
  for (int i = 0; i < shown; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    info.wID = static_cast<UINT>(i + 1);
    info.dwItemData = static_cast<ULONG_PTR>(i);
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &info);
  }
}

void MeasureSendToItem(MEASUREITEMSTRUCT& measure) {
  const int entry = static_cast<int>(measure.itemData);
  std::wstring text;
  if (entry >= 0 && entry < SendToList().Count()) text = ToWide(SendToCaption(SendToList().Entry(entry).Name));
  ScopedWindowDC screen(nullptr);
  SIZE size{};
  GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  measure.itemWidth = static_cast<UINT>(size.cx + 32);
  measure.itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU) + 2);
}

void DrawSendToItem(const DRAWITEMSTRUCT& draw, HIMAGELIST small_images) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  ScopedFont font(CreateFontIndirectA(&metrics.lfMenuFont));
  ScopedSelectObject select_font(draw.hDC, font.Get());

  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  const COLORREF fore = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  ScopedBrush brush(CreateSolidBrush(back));
  FillRect(draw.hDC, &draw.rcItem, brush.Get());
  const int entry = static_cast<int>(draw.itemData);
  if (static_cast<int>(draw.itemID) < 0 || entry < 0 || entry >= SendToList().Count()) return;

  const TSendToEntry& item = SendToList().Entry(entry);
  const std::wstring text = ToWide(SendToCaption(item.Name));
  const int old_mode = SetBkMode(draw.hDC, TRANSPARENT);
  const COLORREF old_color = SetTextColor(draw.hDC, fore);
  RECT clip = draw.rcItem;
  ExtTextOutW(draw.hDC, clip.left + 32, clip.top + 2, ETO_CLIPPED, &clip, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  SetTextColor(draw.hDC, old_color);
  SetBkMode(draw.hDC, old_mode);
  if (item.ImageIndex >= 0 && small_images)
    ImageList_Draw(small_images, item.ImageIndex, draw.hDC, clip.left + 8, clip.top + 2,
                   ILD_TRANSPARENT);
}

LRESULT SendToMenuChar(char ch, HMENU menu) {
  const TSendToList& list = SendToList();
  const int count = std::min(GetMenuItemCount(menu), list.Count());
  const char wanted = UpperChar(ch);
  // With nothing highlighted the search starts at the first item, not after it.
  int start = -1;
  for (int i = 0; i < count; ++i)
    if (GetMenuState(menu, i, MF_BYPOSITION) & MFS_HILITE) {
      start = i;
      break;
    }
  auto first_char = [&](int position) {
    const int entry = EntryOfItem(menu, position);
    if (entry < 0 || entry >= list.Count() || list.Entry(entry).Name.empty()) return '\0';
    return list.Entry(entry).Name[0];
  };
  int found = -1;
  for (int i = start + 1; i < count && found < 0; ++i)
    if (UpperChar(first_char(i)) == wanted) found = i;
  for (int i = 0; i <= start && i < count && found < 0; ++i)
    if (UpperChar(first_char(i)) == wanted) found = i;
  if (found < 0) return MAKELRESULT(0, MNC_CLOSE);
  int matches = 0;
  for (int i = 0; i < count; ++i)
    if (UpperChar(first_char(i)) == wanted) ++matches;
  return MAKELRESULT(found, matches > 1 ? MNC_SELECT : MNC_EXECUTE);
}

void SendToTarget(int index, IDataObject* data) {
  const TSendToEntry& entry = SendToList().Entry(index);
  ShellItemId folder_id;
  CheckResult(GetSpecialFolderIdList(nullptr, CSIDL_SENDTO, folder_id));
  ComPtr<IShellFolder> folder;
  CheckResult(BindToFolder(folder_id.Get(), folder));
  std::wstring name;
  if (!ToWidePath(entry.Name, name)) RaiseShellError(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  ShellItemId item;
  ULONG eaten = 0;
  CheckResult(folder->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, PidlOut(item),
                                       nullptr));
  LPCITEMIDLIST items[] = {item.Get()};
  ComPtr<IDropTarget> target;
  CheckResult(folder->GetUIObjectOf(nullptr, 1, items, IID_IDropTarget, nullptr,
                                    target.ReceiveVoid()));
  CheckResult(DropAtOnce(target.Get(), data, MK_LBUTTON, DROPEFFECT_COPY));
}

}  // namespace tw
