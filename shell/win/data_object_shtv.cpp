#include "shell/win/data_object_shtv.h"

#include "shell/win/shell_tree_data.h"

namespace tw {

TDataObject_shtv::TDataObject_shtv(IShellFolder* parent, const ItemIdList* parent_id,
                                   const ItemIdList* item)
    : TShellItemsDataObject(parent, parent_id, {item}) {}

ComPtr<IDataObject> TDataObject_shtv::Create(TPTShTreeData* data) {
  if (!data || !data->Parent()) return {};
  IShellFolder* parent = data->ParentFolder();
  if (!parent) return {};
  return ComPtr<IDataObject>(
      new TDataObject_shtv(parent, data->Parent()->AbsoluteId(), data->RelativeId()));
}

}  // namespace tw
