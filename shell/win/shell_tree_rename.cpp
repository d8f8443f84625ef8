// Renaming a folder in place through its parent folder's SetNameOf.
#include <utility>

#include "shell/win/pidl.h"
#include "shell/win/shell_list_hourglass.h"
#include "shell/win/shell_tree.h"
#include "shell/win/wide_text.h"

namespace tw {

bool TPTCustomShellTree::CanEdit(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return TPTCustomTreeView::CanEdit(node);
  return data->CanRename() && TPTCustomTreeView::CanEdit(node) && !Designing();
}

bool TPTCustomShellTree::Edit(TTreeNode* node, const char* text) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return TPTCustomTreeView::Edit(node, text);
  edited_node_ = node;
  if (text) Rename(node, *data, text);
  // The edit is over, also when it was cancelled, even while the control still holds its edit
  // window: what was asked for meanwhile runs now. It may take the node away.
  RunPostponedWork();
  TTreeNode* live_node = std::exchange(edited_node_, nullptr);
  if (!text) return false;
  std::string new_text = text;
  if (OnEdited) OnEdited(this, live_node, new_text);
  return false;
}

void TPTCustomShellTree::Rename(TTreeNode* node, TPTShTreeData& data, const std::string& text) {
  TShellListHourglass hourglass;
  TBusy busy(busy_);
  IShellFolder* parent = data.ParentFolder();
  std::wstring name;
  ShellItemId renamed;
  // A name the shell's buffers cannot hold is refused whole, never cut to another name.
  if (!parent || !ToWidePath(text, name) ||
      FAILED(parent->SetNameOf(OwnerWindow(), data.RelativeId(), name.c_str(), 0x20,
                               PidlOut(renamed))))
    return;
  // The change notice of this rename is not to refresh the tree.
  ExpectRenameNotice(node);
  if (!renamed) {
    // The folder renamed the item without handing out its new id: find it again.
    refresh_pending_ = true;
    return;
  }
  ResetDescendantCaches(node);
  data.SetRelativeId(renamed.Get());
  node->SetText(text);
  ShellItemId id = CopyIdList(data.AbsoluteId());
  current_folder_.SetIdList(id.Get());
  if (shell_list_) shell_list_->Folder().SetIdList(id.Get());
  if (combo_) combo_->CurrentFolderLocator().SetIdList(id.Get());
}

void TPTCustomShellTree::ResetDescendantCaches(TTreeNode* node) {
  for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
    if (TPTShTreeData* data = GetNodeData(child)) data->ResetCaches();
    ResetDescendantCaches(child);
  }
}

}  // namespace tw
