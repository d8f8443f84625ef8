#pragma once
// TPTShTreeData: the record behind one node of a shell tree. It owns the node's id relative to
// its parent folder (for the root node, the base folder's absolute id) and caches the node's
// absolute id and its own folder object, each made the first time it is asked for.

#include <shlobj.h>

#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"

namespace tw {

class TPTCustomShellTree;

class TPTShTreeData {
public:
  // PARENT is the parent node's record (null for the root); RELATIVE_ID is copied.
  TPTShTreeData(TPTCustomShellTree* tree, TPTShTreeData* parent, const ItemIdList* relative_id);
  // Takes RELATIVE_ID over (an id the enumeration made, kept without a copy).
  TPTShTreeData(TPTCustomShellTree* tree, TPTShTreeData* parent, ShellItemId relative_id);
  TPTShTreeData(const TPTShTreeData&) = delete;
  TPTShTreeData& operator=(const TPTShTreeData&) = delete;

  TPTCustomShellTree* Tree() const { return tree_; }
  TPTShTreeData* Parent() const { return parent_; }
  const ItemIdList* RelativeId() const { return relative_id_.Get(); }
  // The parent's absolute id joined with the relative id (the root: its relative id); borrowed.
  const ItemIdList* AbsoluteId();
  // The node's own folder object, bound through the parent folder; null when it cannot be
  // bound. The root's folder is the desktop's when nothing was preset (a failure raises).
  IShellFolder* Folder();
  // The parent node's folder; null for the root.
  IShellFolder* ParentFolder();
  // Presets the folder object (the root's, bound by the fill).
  void SetFolder(IShellFolder* folder) { folder_ = ComPtr<IShellFolder>(folder); }
  // Whether the parent folder lets the item be renamed in the file system.
  bool CanRename();
  // Takes a copy of ID as the new relative id and forgets the cached absolute id and folder.
  void SetRelativeId(const ItemIdList* id);
  // Forgets the absolute id and the folder, so both are made again on demand.
  void ResetCaches();
  // The shell's drop target of the item (a folder's asked of the folder itself, the root's
  // through its own id); E_FAIL when there is none.
  HRESULT GetDropTarget(HWND owner, ComPtr<IDropTarget>& target);

private:
  TPTCustomShellTree* tree_;
  TPTShTreeData* parent_;
  ShellItemId relative_id_;
  ShellItemId absolute_id_;
  ComPtr<IShellFolder> folder_;
};

}  // namespace tw
