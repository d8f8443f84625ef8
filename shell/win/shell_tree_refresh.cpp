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
namespace {

std::string_view BytesOf(const ItemIdList* id) {
  return {reinterpret_cast<const char*>(id), IdListSize(id)};
}

}  // namespace

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
  TShellListHourglass hourglass;
  TTreeNode* selected = Selected();
  {
    TBusy busy(busy_);
    SetSelected(nullptr);
    if (TTreeNode* root = Items().GetFirstNode()) RefreshNode(root, selected);
  }
  if (selected) SelectNow(selected);
}

void TPTCustomShellTree::RefreshNode(TTreeNode* node, TTreeNode*& selected) {
  if (!node->GetFirstChild() && node != selected) return;
  TPTShTreeData* data = GetNodeData(node);
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
  std::unordered_map<std::string_view, std::size_t> by_bytes;
  for (std::size_t i = 0; i < present.size(); ++i) by_bytes.emplace(BytesOf(present[i].Get()), i);
  std::vector<bool> has_node(present.size(), false);
  auto find_present = [&](const ItemIdList* id) -> bool {
    if (auto it = by_bytes.find(BytesOf(id)); it != by_bytes.end()) {
      has_node[it->second] = true;
      return true;
    }
    for (std::size_t i = 0; i < present.size(); ++i)
      if (!has_node[i] && folder->CompareIDs(0, id, present[i].Get()) == 0) {
        has_node[i] = true;
        return true;
      }
    return false;
  };

  TTreeNode* next = nullptr;
  for (TTreeNode* child = node->GetFirstChild(); child; child = next) {
    next = child->GetNextSibling();
    TPTShTreeData* child_data = GetNodeData(child);
    if (!child_data) continue;
    SFGAOF attributes = kValidateAttributeRequest;
    LPCITEMIDLIST ids[] = {child_data->RelativeId()};
    // The folder may not look the item up again: an item missing from the enumeration is
    // gone too.
    if (SUCCEEDED(folder->GetAttributesOf(1, ids, &attributes)) &&
        (!enumerated || find_present(child_data->RelativeId()))) {
      constexpr SFGAOF kSubfolders = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
      if (!child->GetFirstChild() && !child->HasChildren() &&
          (attributes & kSubfolders) == kSubfolders)
        child->SetHasChildren(true);
      continue;
    }
    // The item is gone, and every node below it; a selection among them goes to this node.
    if (child == selected || (selected && selected->HasAsParent(child))) selected = node;
    if (node->GetFirstChild() == child && !next) {
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
    if (!has_node[i]) CollectShellNode(folder, std::move(present[i]), data->AbsoluteId(), found);
  if (!found.empty()) {
    AddShellNodes(folder, node, found);
    SortChildren(node);
  }

  for (TTreeNode* child = node->GetFirstChild(); child; child = next) {
    next = child->GetNextSibling();
    RefreshNode(child, selected);
  }
}

}  // namespace tw
