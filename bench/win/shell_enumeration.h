#pragma once
// The shell's own work for a folder, the floor the views' timings stand beside: EnumObjects with
// FLAGS, then GetAttributesOf for each item with the REQUEST mask. Returns the item count; with
// FIRST_ITEM, also the milliseconds until the shell handed over the first item (the earliest any
// view of the folder can show something).

#include <windows.h>
#include <shlobj.h>

#include "framework/win/com_ptr.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"

inline int EnumerateWithAttributes(const tw::ItemIdList* id, SHCONTF flags, SFGAOF request,
                                   double* first_item = nullptr) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  tw::ComPtr<IShellFolder> folder;
  if (FAILED(tw::BindToFolder(id, folder))) return 0;
  tw::ComPtr<IEnumIDList> items;
  if (folder->EnumObjects(nullptr, flags, items.Receive()) != S_OK) return 0;
  int count = 0;
  for (;;) {
    tw::ShellItemId item;
    if (items->Next(1, tw::PidlOut(item), nullptr) != S_OK) break;
    if (first_item && count == 0) {
      QueryPerformanceCounter(&now);
      *first_item = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    SFGAOF attributes = request;
    LPCITEMIDLIST ids[] = {item.Get()};
    folder->GetAttributesOf(1, ids, &attributes);
    ++count;
  }
  return count;
}
