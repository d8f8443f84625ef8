#pragma once
// Sorting the relative ids of one folder's items in the folder's own order.

#include <shlobj.h>

#include <vector>

#include "shell/shell_item_id.h"

namespace tw {

// Sorts ITEMS by FOLDER's CompareIDs (column 0), taking a failed comparison as equal. One sort
// runs at a time in the process: starting another while one runs (from inside a comparison)
// raises EInvalidOperation "Recursive call to SortPidls".
void SortPidls(IShellFolder* folder, std::vector<ShellItemId>& items);

}  // namespace tw
