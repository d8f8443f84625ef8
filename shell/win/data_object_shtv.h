#pragma once
// TDataObject_shtv: the data object of one node of the shell tree, for a drag out of the tree
// and for its Send To entries: the node's item in its parent node's folder.

#include "framework/win/com_ptr.h"
#include "shell/win/shell_items_data_object.h"

namespace tw {

class TPTShTreeData;

class TDataObject_shtv : public TShellItemsDataObject {
public:
  // The object of the node whose record is DATA, handed out with one reference; null for the
  // root node (nothing holds it) or when its parent folder cannot be bound.
  static ComPtr<IDataObject> Create(TPTShTreeData* data);

private:
  TDataObject_shtv(IShellFolder* parent, const ItemIdList* parent_id, const ItemIdList* item);
};

}  // namespace tw
