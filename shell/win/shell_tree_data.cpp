#include "shell/win/shell_tree_data.h"

#include "shell/shell_attribute_masks.h"
#include "shell/win/drop_targets.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"

namespace tw {

TPTShTreeData::TPTShTreeData(TPTCustomShellTree* tree, TPTShTreeData* parent,
                             const ItemIdList* relative_id)
    : tree_(tree), parent_(parent), relative_id_(CopyIdList(relative_id)) {}

TPTShTreeData::TPTShTreeData(TPTCustomShellTree* tree, TPTShTreeData* parent,
                             ShellItemId relative_id)
    : tree_(tree), parent_(parent), relative_id_(std::move(relative_id)) {}

const ItemIdList* TPTShTreeData::AbsoluteId() {
  if (!absolute_id_)
    absolute_id_ = parent_ ? ConcatIdLists(parent_->AbsoluteId(), relative_id_.Get())
                           : CopyIdList(relative_id_.Get());
  return absolute_id_.Get();
}

IShellFolder* TPTShTreeData::Folder() {
  if (folder_) return folder_.Get();
  if (IShellFolder* parent = ParentFolder()) {
    if (FAILED(BindPlainFolder(AbsoluteId(), folder_)))
      parent->BindToObject(relative_id_.Get(), nullptr, IID_IShellFolder, folder_.ReceiveVoid());
  } else if (!parent_) {
    CheckResult(BindToFolder(AbsoluteId(), folder_));
  }
  return folder_.Get();
}

IShellFolder* TPTShTreeData::ParentFolder() { return parent_ ? parent_->Folder() : nullptr; }

bool TPTShTreeData::CanRename() {
  const ItemIdList* id = AbsoluteId();
  IShellFolder* parent = ParentFolder();
  if (!parent_ || !id || IdListSize(id) <= 2 || !parent) return false;
  SFGAOF attributes = kItemAttributeRequest;
  LPCITEMIDLIST items[] = {relative_id_.Get()};
  if (FAILED(parent->GetAttributesOf(1, items, &attributes))) return false;
  constexpr SFGAOF kWanted = SFGAO_FILESYSTEM | SFGAO_CANRENAME;
  return (attributes & kWanted) == kWanted;
}

void TPTShTreeData::SetRelativeId(const ItemIdList* id) {
  ShellItemId copy = CopyIdList(id);
  relative_id_ = std::move(copy);
  ResetCaches();
  AbsoluteId();
}

void TPTShTreeData::ResetCaches() {
  absolute_id_.Reset();
  folder_.Reset();
}

HRESULT TPTShTreeData::GetDropTarget(HWND owner, ComPtr<IDropTarget>& target) {
  target.Reset();
  if (parent_) {
    target = ItemDropTarget(owner, ParentFolder(), relative_id_.Get());
    return target ? S_OK : E_FAIL;
  }
  const ItemIdList* id = AbsoluteId();
  if (!id || id->mkid.cb == 0) return GetDesktopDropTarget(target);
  target = FolderDropTarget(owner, Folder(), id);
  return target ? S_OK : E_FAIL;
}

}  // namespace tw
