// Reading a node's children on a thread of their own (TFolderRead) when the user expands it:
// the thread only enumerates and asks attributes; the filter, OnAddItem, the names and the
// nodes are made here, on the message loop, as a fill makes them, and then the node opens.
#include <algorithm>
#include <system_error>
#include <utility>

#include "framework/win/messages.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_tree.h"

namespace tw {

// A read already running goes on; the code's own expansions fill at once either way.
void TPTCustomShellTree::SetFillsInBackground(bool value) { fills_in_background_ = value; }

TFolderRead::TBinder TPTCustomShellTree::ReadBinder() { return &BindToFolder; }

bool TPTCustomShellTree::StartNodeRead(TTreeNode* node, bool open) {
  // A second click while the children are read changes nothing; a click during a refresh's
  // read opens the node once it is read.
  if (const auto running = FindNodeRead(node); running != node_reads_.end()) {
    running->second.open = running->second.open || open;
    running->second.refresh = running->second.refresh || !open;
    return true;
  }
  TFolderRead::TRequest request{Handle(), WM_TW_FOLDER_READ, ++read_tag_, EnumerationFlags(),
                                kAddItemAttributeRequest, ReadBinder()};
  const WPARAM tag = request.tag;
  std::shared_ptr<TFolderRead> read;
  try {
    read = TFolderRead::Start(GetNodeData(node)->AbsoluteId(), std::move(request));
  } catch (const std::system_error&) {
    return false;
  }
  if (node_reads_.empty()) cursor_before_reads_ = Cursor();
  node_reads_[tag] = {node, read, {}, open, !open};
  // Nothing of this expansion runs on after it that the read's file-system calls could delay.
  read->Go();
  ShowReadCursor();
  return true;
}

TPTCustomShellTree::TNodeReads::iterator TPTCustomShellTree::FindNodeRead(const TTreeNode* node) {
  return std::find_if(node_reads_.begin(), node_reads_.end(),
                      [node](const auto& read) { return read.second.node == node; });
}

void TPTCustomShellTree::EndNodeRead(TNodeReads::iterator read) {
  read->second.read->Cancel();
  node_reads_.erase(read);
  if (node_reads_.empty()) ShowReadCursor();
}

void TPTCustomShellTree::CancelNodeRead(const TTreeNode* node) {
  if (node_reads_.empty()) return;
  if (const auto read = FindNodeRead(node); read != node_reads_.end()) EndNodeRead(read);
}

void TPTCustomShellTree::CancelNodeReads() {
  if (node_reads_.empty()) return;
  for (auto& read : node_reads_) read.second.read->Cancel();
  node_reads_.clear();
  // The window may be on its way out: the shape shows again at the next mouse move.
  SetCursor(cursor_before_reads_);
}

void TPTCustomShellTree::NodeReadArrived(WPARAM tag) {
  auto found = node_reads_.find(tag);
  // A message of a read cancelled since.
  if (found == node_reads_.end()) return;
  TNodeRead& read = found->second;
  bool finished = false;
  read.read->Take(read.items, finished);
  if (!finished) return;
  TTreeNode* node = read.node;
  // As a refused enumeration: the node keeps its button, so that expanding tries again (a
  // drive may get a medium), and nothing is shown.
  if (FAILED(read.read->Result())) {
    EndNodeRead(found);
    return;
  }
  std::vector<TReadItem> items = std::move(read.items);
  const bool open = read.open;
  const bool refresh = read.refresh;
  // A drag or edit of the tree's own began meanwhile: its nodes stay as they are, and the
  // refresh runs again when it ends.
  if (refresh && node->GetFirstChild() && (dragging_ || IsEditing())) {
    refresh_pending_ = true;
    EndNodeRead(found);
    if (open) node->Expand(false);
    return;
  }
  try {
    // A synchronous refresh may have filled the node meanwhile.
    if (!node->GetFirstChild()) {
      AddReadNodes(node, items);
      if (open) DoFillComplete();
    } else if (refresh) {
      RefreshReadNode(node, items);
    }
  } catch (...) {
    // The node is not left waiting for a read that is over.
    if (found = node_reads_.find(tag); found != node_reads_.end()) EndNodeRead(found);
    throw;
  }
  // The fill's event handlers may have deleted the node, which ended its read.
  found = node_reads_.find(tag);
  if (found == node_reads_.end()) return;
  EndNodeRead(found);
  if (open) node->Expand(false);
}

void TPTCustomShellTree::AddReadNodes(TTreeNode* node, std::vector<TReadItem>& items) {
  TPTShTreeData* data = GetNodeData(node);
  IShellFolder* folder = data ? data->Folder() : nullptr;
  if (!folder) return;
  ShellItemId parent_abs_id = CopyIdList(data->AbsoluteId());
  std::vector<TNewNode> found;
  for (TReadItem& item : items)
    AcceptShellNode(folder, std::move(item.id), item.attributes, parent_abs_id.Get(), found);
  AddShellNodes(folder, node, found);
  if (!node->GetFirstChild()) node->SetHasChildren(false);
}

void TPTCustomShellTree::ShowReadCursor() {
  SetCursor(node_reads_.empty() ? cursor_before_reads_ : crAppStart);
  // A mouse resting on the tree takes the new shape at once.
  POINT point;
  if (HandleAllocated() && GetCursorPos(&point) && WindowFromPoint(point) == Handle())
    SendMessageA(Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

}  // namespace tw
