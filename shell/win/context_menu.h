#pragma once
// The shell's context menus as the views use them: building the menu of some items of a folder,
// finding a command by its verb, invoking a command, and keeping the menu's own submenus and the
// views' Send To entries working while it is open.
//
// Every shell menu is built with the command ids 50 to 0x7FFF; a command's offset is its id
// minus 50. Ids 1 to 49 are the views' own Send To entries, 0 means nothing was chosen.

#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/object.h"
#include "framework/win/com_ptr.h"
#include "framework/win/control.h"
#include "framework/win/handles.h"
#include "shell/shell_item_id.h"

namespace tw {

inline constexpr UINT kFirstShellCommand = 50;
inline constexpr UINT kLastShellCommand = 0x7FFF;

using TPTShPopupHintEvent = std::function<void(TObject* aSender, const std::string& hint)>;

// The context menu of COUNT items (relative ids of FOLDER) filled into a new popup menu. On
// success both are the caller's; a failing GetUIObjectOf is returned, a failing
// QueryContextMenu raises EOSError with both released.
HRESULT CreateItemsMenu(HWND owner, IShellFolder* folder, UINT count, LPCITEMIDLIST* ids,
                        UINT flags, UINT first_id, ComPtr<IContextMenu>& context_menu,
                        ScopedMenu& menu);

// The offset of the command whose verb equals VERB without regard to case; nothing when no
// command offers it. A failing QueryContextMenu raises EOSError.
std::optional<UINT> FindVerbCommand(IContextMenu* context_menu, const std::string& verb);

// Runs the command at OFFSET and returns the shell's result.
HRESULT InvokeMenuCommand(HWND owner, IContextMenu* context_menu, UINT offset);
// Runs the command that offers VERB (found by FindVerbCommand, never handed to the shell as a
// string); S_FALSE without running anything when no command offers it.
HRESULT InvokeMenuCommand(HWND owner, IContextMenu* context_menu, const std::string& verb);

// Runs the default command of MENU (built with first id 50) when it has one; S_FALSE otherwise.
HRESULT InvokeDefaultCommand(HWND owner, IContextMenu* context_menu, HMENU menu);

// The handling of the menu messages that arrive at a view while its shell popup is open
// (WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM, WM_MENUCHAR, WM_MENUSELECT), after the view's
// own handling. CONTEXT_MENU is the popup's interface (null when none is open), SMALL_IMAGES the
// view's small image list for the Send To icons.
void HandleShellMenuMessage(TMessage& message, IContextMenu* context_menu,
                            HIMAGELIST small_images, TObject* sender,
                            const TPTShPopupHintEvent& on_popup_hint);

// Whether MSG is one of the messages HandleShellMenuMessage looks at.
bool IsShellMenuMessage(UINT msg);

// Answers WM_USER + 7 with the IShellBrowser of the process's shell instance (0 when none).
LRESULT ShellBrowserOfProcess();

}  // namespace tw
