#pragma once
// The clipboard format "Shell IDList Array", in which the shell and the views hand dragged and
// copied items to one another. Registered once per process by InitShellControls.

#include <windows.h>

namespace tw {

// Registers the format with the system (again is harmless: the number stays the same).
void RegisterShellIdListFormat();
// The format's registered number; 0 before it is registered.
UINT ShellIdListFormat();

}  // namespace tw
