#pragma once
// Paths, special folders and item identifier lists turned into one another and into the shell's
// folder objects, shortcut files read through the shell's link object, and the drop effects a
// dragged set of shell items allows. Every ShellItemId these routines fill is a new block the
// caller owns; on failure it is left null.

#include <shlobj.h>

#include <string>

#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"
#include "shell/shell_namespace.h"

namespace tw {

// The desktop folder's answers for the portable code (installed by InitShellUtilities).
TShellNamespace& DesktopNamespace();

// Whether ABS_ID is a plain folder of the file system: neither read-only nor system (the marks
// that let its desktop.ini make it something else or give it an icon of its own), nor a drive's
// root.
bool IsPlainFileFolder(const ItemIdList* abs_id);

// The file system's folder object for ABS_ID, made directly, when ABS_ID is a plain folder below
// the desktop's own items (its desktop.ini cannot make it anything else); else E_FAIL. Binding
// such a folder through its parent, Wine looks for that file, which in a folder of 100,000
// names takes it about 40 ms.
HRESULT BindPlainFolder(const ItemIdList* abs_id, ComPtr<IShellFolder>& folder);

// The folder object of ABS_ID; the desktop itself for a null or empty id.
HRESULT BindToFolder(const ItemIdList* abs_id, ComPtr<IShellFolder>& folder);

// The absolute id of a path, parsed by the desktop folder. A path longer than MAX_PATH
// characters fails with the system's "file name too long" code rather than being cut short.
HRESULT PathToIdList(const std::string& path, ShellItemId& abs_id);

// The file-system path of an absolute id (null = the desktop); empty when it has none.
std::string IdListToPath(const ItemIdList* abs_id);

// The absolute id of special folder CSIDL (masked to its low 7 bits).
HRESULT GetSpecialFolderIdList(HWND owner, int csidl, ShellItemId& abs_id);
// The file-system path of special folder CSIDL; empty when it has none.
std::string SpecialFolderPath(HWND owner, int csidl);

// Splits an absolute id into its parent's folder object and id and its last item. A one-item id
// has the desktop as parent and a null parent id. The desktop itself (null or empty) is reached
// as the desktop directory, the last item of its file-system parent.
HRESULT SplitIdList(const ItemIdList* abs_id, ComPtr<IShellFolder>& parent_folder,
                    ShellItemId& parent_id, ShellItemId& last_item);

// The parent folder's UI object (context menu, drop target, ...) for the item ABS_ID.
HRESULT GetFolderUIObject(const ItemIdList* abs_id, REFIID iid, void** object);
// The drop target of the desktop directory.
HRESULT GetDesktopDropTarget(ComPtr<IDropTarget>& target);

// The desktop directory's parent id and last item; both null on failure.
void DesktopDirectoryParentAndItem(ShellItemId& parent_id, ShellItemId& last_item);

struct TShortcutInfo {
  std::string Path;
  WIN32_FIND_DATAW FindData{};
  std::string Arguments;
  std::string Description;
  std::string IconLocation;
  int IconIndex = 0;
  std::string WorkingDirectory;
  int ShowCmd = 0;
  WORD HotKey = 0;
  ShellItemId IdList;  // the target's absolute id, only when asked for
};

// Loads and resolves a shortcut file; returns the first failing HRESULT, else S_OK.
HRESULT ReadShortcut(const std::string& file_name, TShortcutInfo& info, bool want_id_list);

// The drop effects (DROPEFFECT_COPY | MOVE | LINK) that the shell items in DATA allow: 7 when
// the object offers no "Shell IDList Array", 0 when the one it offers is damaged. Failing shell
// calls raise EOSError.
DWORD DataObjectCapabilities(IDataObject* data);

}  // namespace tw
