#pragma once
// The framework's own window messages and the program's private messages, in one place.
//
// CN_*: a parent reflects the notifications it receives from a child (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, ...) back to that child's object as CN_BASE + the original message, with the
// original wParam and lParam; the child's answer becomes the parent's answer.
// CM_*: notifications between controls of the framework (property changes, key and hit-test
// questions). Their range ends below the window hook's messages at 0xB052.

#include <windows.h>

namespace tw {

inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 2;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 3;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 4;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 5;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 6;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 7;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 9;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 10;
// wParam 0, lParam the WM_KEYDOWN's virtual key in its low word: answer 1 to receive the key
// (Tab, arrows, Enter, Escape) instead of letting the form use it for navigation.
inline constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 11;
// lParam the client point (MAKELPARAM x, y): answer 1 when the control takes the mouse there
// while it is being designed.
inline constexpr UINT CM_DESIGNHITTEST = CM_BASE + 12;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 13;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 14;
// Posted to the application window with a form in lParam: free that form.
inline constexpr UINT CM_RELEASE = CM_BASE + 15;
// Sent to the control whose embedded object is active in place when another control of its
// form takes that role: the control deactivates its object.
inline constexpr UINT CM_UIDEACTIVATE = CM_BASE + 16;

inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
inline constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;

// Private messages between the program's parts.
// Posted by a folder change watcher to its view, the watch slot in wParam.
inline constexpr UINT WM_TW_FOLDER_CHANGED = WM_USER + 101;  // 1125
// Posted by the list to itself to start renaming a folder it has just created.
inline constexpr UINT WM_TW_START_RENAME = WM_USER + 102;  // 1126
// Posted by a background folder read to its list when items wait, the read's tag in wParam.
inline constexpr UINT WM_TW_FOLDER_READ = WM_USER + 103;  // 1127
// Sent by shell extensions to a view's window: answered with the process's IShellBrowser.
inline constexpr UINT WM_TW_GET_SHELL_BROWSER = WM_USER + 7;  // 1031
// Posted to the window hook's window: subclass a hooked control again / free an unused hook.
inline constexpr UINT WM_TW_REHOOK = 0xB052;
inline constexpr UINT WM_TW_RELEASE_HOOK = 0xB053;

}  // namespace tw
