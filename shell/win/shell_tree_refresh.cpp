// Bringing the nodes up to date with the shell: items gone are removed (a gone selection goes to
// its parent), new ones are added in their folder's order.
#include <string_view>
#include <unordered_map>
#include <vector>

#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_list_hourglass.h"
#include "shell/win/shell_tree.h"

namespace tw {

class TPTCustomShellTree::TRefreshPass {
public:
  TRefreshPass(TTreeNodes& nodes, TTreeNode* selected) : selected(selected), nodes_(nodes) {}
  ~TRefreshPass() {
    if (suspended_) nodes_.EndUpdate();
  }
  TRefreshPass(const TRefreshPass&) = delete;
  TRefreshPass& operator=(const TRefreshPass&) = delete;

  // Each insert or deletion under an open node would make the control update its scroll bars
  // and repaint: a refresh that changes nodes does that once, at its end. One that changes
  // nothing leaves the drawing alone, since resuming it makes the control measure every node.
  void BeforeChange() {
    if (!suspended_) nodes_.BeginUpdate();
    suspended_ = true;
  }

  TTreeNode* selected;

private:
  TTreeNodes& nodes_;
  bool suspended_ = false;
};

void TPTCustomShellTree::RefreshTree() {
  if (dragging_ || IsEditing()) {
    refresh_pending_ = true;
    return;
  }
  if (!Items().GetFirstNode()) {
    FillTree();
    return;
  }
  RefreshNow();
}

void TPTCustomShellTree::RefreshNow() {
  refresh_pending_ = false;
  TShellListHourglass hourglass;
  TTreeNode* selected = nullptr;
  {
    TRefreshPass pass(Items(), Selected());
    TBusy busy(busy_);
    SetSelected(nullptr);
    if (TTreeNode* root = Items().GetFirstNode()) RefreshNode(root, pass);
    selected = pass.selected;
  }
  if (selected) SelectNow(selected);
}

void TPTCustomShellTree::RefreshNode(TTreeNode* node, TRefreshPass& pass) {
  TTreeNode*& selected = pass.selected;
  if (!node->GetFirstChild() && node != selected) return;
  TPTShTreeData* data = GetNodeData(node);
  // When the tree fills in the background, each folder is read on a thread of its own: it may
  // hold 100,000 files, which Wine reads whole. The nodes below follow once it is read.
  if (data && fills_in_background_ && !Designing() && StartNodeRead(node, false)) return;
  IShellFolder* folder = data ? data->Folder() : nullptr;
  if (!folder) return;

  // What the folder holds now, enumerated as a fill does, so that what a fill would show
  // appears. Most items are byte for byte the ids the nodes hold; only the others need the
  // folder's comparison.
  std::vector<ShellItemId> present;
  ComPtr<IEnumIDList> items;
  const bool enumerated =
      SUCCEEDED(folder->EnumObjects(OwnerWindow(), EnumerationFlags(), items.Receive())) && items;
  if (enumerated) {
    for (;;) {
      ShellItemId item;
      if (items->Next(1, PidlOut(item), nullptr) != S_OK) break;
      present.push_back(std::move(item));
    }
  }
  MergeChildren(node, folder, present, enumerated, pass);
  RefreshChildren(node, pass);
}

void TPTCustomShellTree::MergeChildren(TTreeNode* node, IShellFolder* folder,
                                       std::vector<ShellItemId>& present, bool enumerated,
                                       TRefreshPass& pass) {
  TTreeNode*& selected = pass.selected;
  // Which children the enumeration still holds: byte for byte first; then the folder compares
  // only what is left on both sides (an item whose id reads differently now).
  std::vector<TTreeNode*> children;
  for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (IsShellNode(child)) children.push_back(child);
  std::vector<bool> listed(children.size(), !enumerated);
  std::vector<bool> has_node(present.size(), false);
  if (enumerated) {
    std::unordered_map<std::string_view, std::size_t> by_bytes;
    for (std::size_t i = 0; i < present.size(); ++i)
      by_bytes.emplace(IdByteView(present[i].Get()), i);
    std::vector<std::size_t> unmatched;
    for (std::size_t i = 0; i < children.size(); ++i) {
      const auto it = by_bytes.find(IdByteView(GetNodeData(children[i])->RelativeId()));
      if (it == by_bytes.end()) {
        unmatched.push_back(i);
      } else {
        has_node[it->second] = true;
        listed[i] = true;
      }
    }
    for (std::size_t i : unmatched)
      for (std::size_t j = 0; j < present.size() && !listed[i]; ++j)
        if (!has_node[j] &&
            folder->CompareIDs(0, GetNodeData(children[i])->RelativeId(), present[j].Get()) == 0)
          has_node[j] = listed[i] = true;
  }

  for (std::size_t i = 0; i < children.size(); ++i) {
    TTreeNode* child = children[i];
    SFGAOF attributes = kValidateAttributeRequest;
    LPCITEMIDLIST ids[] = {GetNodeData(child)->RelativeId()};
    // The folder may not look the item up again: an item missing from the enumeration is
    // gone too.
    if (SUCCEEDED(folder->GetAttributesOf(1, ids, &attributes)) && listed[i]) {
      constexpr SFGAOF kSubfolders = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
      if (!child->GetFirstChild() && !child->HasChildren() &&
          (attributes & kSubfolders) == kSubfolders)
        child->SetHasChildren(true);
      continue;
    }
    // The item is gone, and every node below it; a selection among them goes to this node.
    if (child == selected || (selected && selected->HasAsParent(child))) selected = node;
    pass.BeforeChange();
    if (node->GetFirstChild() == child && !child->GetNextSibling()) {
      node->Collapse(false);
      node->DeleteChildren();
      node->SetHasChildren(false);
    } else {
      child->Delete();
    }
  }

  // A new item the filters refuse, or one gone again, adds no node.
  std::vector<TNewNode> found;
  for (std::size_t i = 0; i < present.size(); ++i)
    if (!has_node[i])
      CollectShellNode(folder, std::move(present[i]), GetNodeData(node)->AbsoluteId(), found);
  if (!found.empty()) {
    pass.BeforeChange();
    AddShellNodes(folder, node, found);
    SortChildren(node);
  }
}

void TPTCustomShellTree::RefreshChildren(TTreeNode* node, TRefreshPass& pass) {
  TTreeNode* next = nullptr;
  for (TTreeNode* child = node->GetFirstChild(); child; child = next) {
    next = child->GetNextSibling();
    RefreshNode(child, pass);
  }
}

void TPTCustomShellTree::RefreshReadNode(TTreeNode* node, std::vector<TReadItem>& items) {
  TPTShTreeData* data = GetNodeData(node);
  IShellFolder* folder = data ? data->Folder() : nullptr;
  if (!folder) return;
  std::vector<ShellItemId> present;
  present.reserve(items.size());
  for (TReadItem& item : items) present.push_back(std::move(item.id));
  TTreeNode* selected = nullptr;
  {
    TRefreshPass pass(Items(), Selected());
    TBusy busy(busy_);
    MergeChildren(node, folder, present, true, pass);
    RefreshChildren(node, pass);
    selected = pass.selected;
  }
  // A selection among the nodes gone goes to this node.
  if (selected && selected != Selected()) SelectNow(selected);
}

}  // namespace tw
