#include "shell/win/data_object_shlv.h"

#include "shell/win/shell_list.h"

namespace tw {
namespace {

std::vector<const ItemIdList*> SelectedIds(TPTCustomShellList& list) {
  std::vector<const ItemIdList*> ids;
  for (TPTShListData* data : list.SelectedRecords()) ids.push_back(data->RelativeId());
  return ids;
}

}  // namespace

TDataObject_shlv::TDataObject_shlv(TPTCustomShellList& list)
    : TShellItemsDataObject(list.FolderObject(), list.FolderId(), SelectedIds(list)) {}

}  // namespace tw
