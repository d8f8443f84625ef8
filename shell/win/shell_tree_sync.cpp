// The selection and the linked views: moving the list and combo to the selected node (at once,
// or after the keyboard has rested), following the current folder, and going up.
#include "shell/id_list_array.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_tree.h"

namespace tw {
namespace {

// The time the keyboard must rest on a node before the linked views follow it.
constexpr unsigned kKeyboardSyncDelay = 500;

}  // namespace

void TPTCustomShellTree::Change(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (busy_ > 0 || Loading()) {
    if (data) current_folder_.SetIdList(data->AbsoluteId());
    return;
  }
  TPTCustomTreeView::Change(node);
  if (!data) return;
  if (immediate_sync_ || !shell_list_) {
    SyncViewsTo(node);
    immediate_sync_ = false;
  } else {
    sync_timer_.SetEnabled(false);
    sync_job_ = sjSyncViews;
    sync_timer_.SetInterval(kKeyboardSyncDelay);
    sync_timer_.SetEnabled(true);
  }
}

void TPTCustomShellTree::SyncViewsTo(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return;
  TBusy busy(busy_);
  // The id is copied: moving the list may take nodes away.
  ShellItemId id = CopyIdList(data->AbsoluteId());
  current_folder_.SetIdList(id.Get());
  const bool selected = node == Selected();
  if (shell_list_ && selected) shell_list_->SyncToIdList(id.Get());
  if (combo_ && selected) combo_->SyncToIdList(id.Get());
}

void TPTCustomShellTree::SelectNow(TTreeNode* node) {
  immediate_sync_ = true;
  SetSelected(node);
  // A node selected already raises no change: the flag must not carry over to a later move.
  immediate_sync_ = false;
}

void TPTCustomShellTree::SyncTimerFired() {
  sync_timer_.SetEnabled(false);
  const int job = sync_job_;
  sync_job_ = sjNone;
  RunSyncJob(job);
}

void TPTCustomShellTree::RunSyncJob(int job) {
  if (job == sjSyncViews) {
    if (TTreeNode* node = Selected(); IsShellNode(node)) SyncViewsTo(node);
  } else if (job == sjRefresh) {
    RefreshTree();
  }
}

void TPTCustomShellTree::FlushPendingSync(bool flushOthers) {
  if (flushOthers) {
    if (shell_list_) shell_list_->FlushPendingSync(false);
    if (combo_) combo_->FlushPendingSync(false);
  }
  if (sync_timer_.Enabled()) SyncTimerFired();
}

void TPTCustomShellTree::SetCurrentFolder(const TPTShellLocator& locator) {
  if (Loading() || busy_ > 0) {
    if (shell_list_) shell_list_->SetFolder(current_folder_);
    return;
  }
  current_folder_.Assign(locator);
}

TTreeNode* TPTCustomShellTree::FindChildNode(TTreeNode* parent, const ItemIdList* rel_id) {
  if (!parent) return FirstShellRoot();
  for (TTreeNode* child = parent->GetFirstChild(); child; child = child->GetNextSibling()) {
    TPTShTreeData* data = GetNodeData(child);
    IShellFolder* folder = data ? data->ParentFolder() : nullptr;
    if (folder && folder->CompareIDs(0, data->RelativeId(), rel_id) == 0) return child;
  }
  // A virtual folder reached by another route may carry an id of another form that its folder
  // does not compare equal (Wine's Control Panel): its parsing name still names it.
  TPTShTreeData* parent_data = GetNodeData(parent);
  IShellFolder* folder = parent_data ? parent_data->Folder() : nullptr;
  if (!folder) return nullptr;
  const std::string name = GetDisplayName(folder, rel_id, dnkForParsing);
  if (name.empty()) return nullptr;
  for (TTreeNode* child = parent->GetFirstChild(); child; child = child->GetNextSibling())
    if (TPTShTreeData* data = GetNodeData(child);
        data && GetDisplayName(folder, data->RelativeId(), dnkForParsing) == name)
      return child;
  return nullptr;
}

// Asked again to expand an expanded node, Wine's control lays out and repaints the tree, 5 to 30
// ms a node on the way to a folder: a node expanded with its children already there is left.
void TPTCustomShellTree::ExpandOnce(TTreeNode* node) {
  if (!node->Expanded() || !node->GetFirstChild()) node->Expand(false);
}

void TPTCustomShellTree::ExpandToIdList(const ItemIdList* abs_id) {
  if (busy_ > 0) return;
  TPTIdListArray base(base_folder_.GetIdList());
  TPTIdListArray target(abs_id);
  const int depth = base.Count();
  if (target.Count() == 0) {
    if (TTreeNode* first = Items().GetFirstNode()) SelectNow(first);
    return;
  }
  if (target.Count() <= depth) {
    if (TTreeNode* root = Items().GetFirstNode()) {
      SelectNow(root);
      root->Expand(false);
    }
    return;
  }
  TTreeNode* node = FirstShellRoot();
  if (!node) return;
  ExpandOnce(node);
  const bool list_hides_folders =
      shell_list_ && shell_list_->Options().Contains(ptsloHideFoldersWhenLinkedToTree);
  for (int i = depth; i < target.Count(); ++i) {
    TTreeNode* child = FindChildNode(node, target.Items(i));
    if (!child) break;
    if (i < target.Count() - 1 || list_hides_folders) ExpandOnce(child);
    node = child;
  }
  SelectNow(node);
  node->MakeVisible();
}

void TPTCustomShellTree::GoUp(int Levels) {
  TTreeNode* node = Selected();
  if (!node || !node->Parent()) return;
  for (int i = 0; i < Levels && node->Parent(); ++i) node = node->Parent();
  SelectNow(node);
}

}  // namespace tw
