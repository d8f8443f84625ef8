#include "shell/win/sort_pidls.h"

#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {
namespace {

// The folder of the sort that is running.
IShellFolder* g_sorting_folder = nullptr;

class TSortSlot {
public:
  explicit TSortSlot(IShellFolder* folder) {
    if (g_sorting_folder) throw EInvalidOperation(LoadStr(SRecursiveSortPidls));
    g_sorting_folder = folder;
  }
  ~TSortSlot() { g_sorting_folder = nullptr; }
  TSortSlot(const TSortSlot&) = delete;
  TSortSlot& operator=(const TSortSlot&) = delete;
};

}  // namespace

void SortPidls(IShellFolder* folder, std::vector<ShellItemId>& items) {
  TSortSlot slot(folder);
  std::stable_sort(items.begin(), items.end(), [](const ShellItemId& a, const ShellItemId& b) {
    const HRESULT hr = g_sorting_folder->CompareIDs(0, a.Get(), b.Get());
    return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
  });
}

}  // namespace tw
