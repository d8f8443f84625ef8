#pragma once
// The Send To submenu the shell views add to their context menus: the process-wide list of the
// user's Send To entries, the owner-drawn menu items that show them, and dropping the chosen
// items on an entry.

#include <shlobj.h>

#include <string>
#include <vector>

namespace tw {

// The disabled item a context menu's Send To submenu holds until it is opened.
inline constexpr UINT kSendToMarkerId = 99;
inline constexpr char kSendToMarkerText[] = "xxx";
// Send To items take the menu ids 1 to 49; the shell's commands begin at 50, so further entries
// are left out of the submenu rather than given the id of a shell command.
inline constexpr int kMaxSendToItems = 49;

struct TSendToEntry {
  std::string Name;     // file name with extension
  int ImageIndex = -1;  // in the system's small image list; -1 when unknown
};

// Sorted by name without regard to case, without duplicates. Entries are only ever added, so a
// name once found stays in the list.
class TSendToList {
public:
  int Count() const { return static_cast<int>(entries_.size()); }
  const TSendToEntry& Entry(int index) const { return entries_.at(index); }
  // Adds NAME unless the list has it; returns its position.
  int Add(const std::string& name, int image_index);
  // Adds every file (not folders, not hidden files) of FOLDER matching PATTERN.
  void Collect(const std::string& folder, const std::string& pattern);

private:
  std::vector<TSendToEntry> entries_;
};

// The process's list, made on first use.
TSendToList& SendToList();
// Whether the process's list was made yet.
bool SendToListExists();
// Frees the process's list (at shutdown).
void FreeSendToList();

// The text an entry shows: its name without the last extension ("report.doc.lnk" shows as
// "report.doc").
std::string SendToCaption(const std::string& name);

// Fills SUBMENU (holding only the disabled marker item) with one owner-drawn item per entry of
// the user's Send To folder, up to kMaxSendToItems: ids 1, 2, 3 ... in list order, the entry's
// position as item data.
void FillSendToMenu(HMENU submenu);
// Appends those items to MENU for the first kMaxSendToItems entries the Send To list holds now.
void AppendSendToItems(HMENU menu);

void MeasureSendToItem(MEASUREITEMSTRUCT& measure);
void DrawSendToItem(const DRAWITEMSTRUCT& draw, HIMAGELIST small_images);
// The answer to WM_MENUCHAR for CH typed in the Send To submenu MENU.
LRESULT SendToMenuChar(char ch, HMENU menu);

// Drops DATA on Send To entry INDEX as a left-button copy. Raises EOSError when a step fails.
void SendToTarget(int index, IDataObject* data);

}  // namespace tw
