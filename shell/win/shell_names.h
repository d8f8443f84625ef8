#pragma once
// Display names of shell items, their system icon indexes and the system's shared image lists.

#include <shlobj.h>
#include <commctrl.h>

#include <string>

#include "shell/shell_item_id.h"

namespace tw {

// Display name kinds: SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING.
enum TDisplayNameKind : int { dnkNormal = 0, dnkInFolder = 1, dnkForParsing = 2 };

// The name of REL_ID in FOLDER (the desktop when null); empty when the folder cannot tell.
std::string GetDisplayName(IShellFolder* folder, const ItemIdList* rel_id, TDisplayNameKind kind);
// The same name as the folder gives it in UTF-16, whatever the process's code page holds.
std::wstring GetWideDisplayName(IShellFolder* folder, const ItemIdList* rel_id, TDisplayNameKind kind);
// The same with raw SHGDN flags; a failure is shown in a message box and gives an empty name.
std::string GetDisplayNameOrShowError(IShellFolder* folder, const ItemIdList* rel_id,
                                      DWORD flags);
// The text of a STRRET in any of its three forms; a STRRET_WSTR string is freed.
std::string StrRetToString(const ItemIdList* rel_id, STRRET& strret);
// The in-folder name of the last item of an absolute id (the desktop's own name for an empty
// list). Raises EOSError when the parent cannot be bound.
std::string DisplayNameOfAbsIdList(const ItemIdList* abs_id);

// The index of ABS_ID's icon in the system image list; 0 when it cannot be had.
int SystemIconIndex(const ItemIdList* abs_id, UINT extra_flags);
// The same for ABS_ID known to be a plain folder (IsPlainFileFolder).
int PlainFolderIconIndex(const ItemIdList* abs_id, UINT extra_flags);

enum TSystemImageListKind : int { silSmall = 0, silLarge = 1 };
// The system's shared image list (never destroy it). The first call on NT with common controls
// 4.71 puts the shell's share and shortcut overlays into both lists.
HIMAGELIST SystemImageList(TSystemImageListKind kind);

}  // namespace tw
