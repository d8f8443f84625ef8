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
  if (!text) return false;
  std::string new_text = text;
  {
    TShellListHourglass hourglass;
    // The change notice of this rename is not to refresh the tree.
    ignore_next_change_ = true;
    TBusy busy(busy_);
    IShellFolder* parent = data->ParentFolder();
    std::wstring name;
    ShellItemId renamed;
    // A name the shell's buffers cannot hold is refused whole, never cut to another name.
    if (parent && ToWidePath(new_text, name) &&
        SUCCEEDED(parent->SetNameOf(OwnerWindow(), data->RelativeId(), name.c_str(), 0x20,
                                    PidlOut(renamed)))) {
      if (renamed) {
        ResetDescendantCaches(node);
        data->SetRelativeId(renamed.Get());
        node->SetText(new_text);
        ShellItemId id = CopyIdList(data->AbsoluteId());
        current_folder_.SetIdList(id.Get());
        if (shell_list_) shell_list_->Folder().SetIdList(id.Get());
        if (combo_) combo_->CurrentFolderLocator().SetIdList(id.Get());
      } else {
        // The folder renamed the item without handing out its new id: find it again.
        refresh_pending_ = true;
      }
    }
  }
  // The edit is over even while the control still holds its edit window.
  if (std::exchange(refresh_pending_, false)) RefreshNow();
  if (OnEdited) OnEdited(this, node, new_text);
  return false;
}

void TPTCustomShellTree::ResetDescendantCaches(TTreeNode* node) {
  for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
    if (TPTShTreeData* data = GetNodeData(child)) data->ResetCaches();
    ResetDescendantCaches(child);
  }
}

}  // namespace tw
