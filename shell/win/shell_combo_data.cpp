#include "shell/win/shell_combo_data.h"

namespace tw {

void TPTShComboData::Init(IShellFolder* folder, const ItemIdList* parent_id,
                          const ItemIdList* relative_id) {
  folder_ = ComPtr<IShellFolder>(folder);
  parent_id_ = parent_id ? CopyIdList(parent_id) : ShellItemId();
  relative_id_ = relative_id ? CopyIdList(relative_id) : ShellItemId();
  absolute_id_ = ConcatIdLists(parent_id, relative_id);
}

}  // namespace tw
