#pragma once
// TDataObject_shlv: the data object of the shell list's selection, for a drag out of the list
// and for its Send To entries.

#include "shell/win/shell_items_data_object.h"

namespace tw {

class TPTCustomShellList;

class TDataObject_shlv : public TShellItemsDataObject {
public:
  // The selected items of LIST that have a record, in list order, in the list's folder. Raises
  // EOSError when there is none.
  explicit TDataObject_shlv(TPTCustomShellList& list);
};

}  // namespace tw
