// Sorting through the folder's own comparison, and the header clicks that choose the order.
#include "shell/win/shell_list.h"

namespace tw {

int CALLBACK TPTCustomShellList::CompareItems(LPARAM item1, LPARAM item2, LPARAM list) {
  auto* self = reinterpret_cast<TPTCustomShellList*>(list);
  const TPTShListData* first = self->DataOf(reinterpret_cast<TListItem*>(item1));
  const TPTShListData* second = self->DataOf(reinterpret_cast<TListItem*>(item2));
  IShellFolder* folder = self->folder_object_.Get();
  if (!first || !second || !folder) return 0;
  const int column = self->sort_column_ < 0 ? -self->sort_column_ : self->sort_column_;
  const HRESULT hr = folder->CompareIDs(static_cast<LPARAM>(column - 1), first->RelativeId(),
                                        second->RelativeId());
  if (FAILED(hr)) return 0;
  const int order = static_cast<short>(HRESULT_CODE(hr));
  return self->sort_column_ < 0 ? -order : order;
}

void TPTCustomShellList::Sort() {
  if (!HandleAllocated() || !folder_object_ || sort_column_ == 0) return;
  CustomSort(&CompareItems, reinterpret_cast<LPARAM>(this));
}

void TPTCustomShellList::ColClick(TListColumn* column) {
  TPTCustomListView::ColClick(column);
  const int code = column->Index() + 1;
  sort_column_ = sort_column_ == code ? -code : code;
  Sort();
}

}  // namespace tw
