// Building the tree, filling a node's children at its first expansion, sorting them in their
// folder's order, and the icons the control asks for when it first paints a node.
#include <algorithm>
#include <utility>

#include "framework/exception.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/critical_errors_off.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list_hourglass.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_tree.h"

namespace tw {
namespace {

// FOLDER's order of two of its items; a failed comparison makes them equal.
int CompareIds(IShellFolder* folder, const ItemIdList* first, const ItemIdList* second) {
  const HRESULT hr = folder->CompareIDs(0, first, second);
  return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}

}  // namespace

void TPTCustomShellTree::FillTree() {
  if (!HandleAllocated()) return;
  if (dragging_ || IsEditing()) {
    fill_pending_ = true;
    return;
  }
  FillNow();
}

void TPTCustomShellTree::FillNow() {
  if (!HandleAllocated()) return;
  fill_pending_ = false;
  refresh_pending_ = false;
  TShellListHourglass hourglass;
  {
    TBusy busy(busy_);
    SetSelected(nullptr);
    Items().Clear();
  }
  ComPtr<IShellFolder> root;
  CheckResult(BindToFolder(base_folder_.GetIdList(), root));
  FillChildren(root.Get(), nullptr);
  root.Reset();
  if (const ItemIdList* current = current_folder_.GetIdList())
    ExpandToIdList(current);
  else if (TTreeNode* first = Items().GetFirstNode())
    SelectNow(first);
  if (options_.Contains(ptstoDynamicRefresh) && !Designing()) StartChangeWatch();
}

DWORD TPTCustomShellTree::EnumerationFlags() const {
  DWORD flags = SHCONTF_FOLDERS;
  if (options_.Contains(ptstoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
  if (options_.Contains(ptstoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  return flags;
}

void TPTCustomShellTree::FillChildren(IShellFolder* folder, TTreeNode* node) {
  ShellItemId parent_abs_id;
  if (node) {
    TPTShTreeData* data = GetNodeData(node);
    if (!data) return;
    parent_abs_id = CopyIdList(data->AbsoluteId());
  } else {
    ShellItemId root_id = CopyIdList(base_folder_.GetIdList());
    auto data = std::make_unique<TPTShTreeData>(this, nullptr, root_id.Get());
    data->SetFolder(folder);
    node = Items().AddChildObject(nullptr, DisplayNameOfAbsIdList(root_id.Get()), data.get());
    records_.insert(data.release());
    node->SetImageIndex(SystemIconIndex(root_id.Get(), SHGFI_SMALLICON));
    node->SetSelectedIndex(SystemIconIndex(root_id.Get(), SHGFI_SMALLICON | SHGFI_OPENICON));
    parent_abs_id = std::move(root_id);
  }

  TCriticalErrorsOff critical_errors_off;
  ComPtr<IEnumIDList> items;
  const HRESULT enumerated =
      folder ? folder->EnumObjects(GetActiveWindow(), EnumerationFlags(), items.Receive())
             : E_FAIL;
  if (FAILED(enumerated)) {
    // Keeps the expand button, so that expanding tries again later (a drive may get a medium).
    node->SetHasChildren(true);
    throw EAbort();
  }
  HRESULT next = S_FALSE;
  HRESULT collected = S_OK;
  std::vector<TNewNode> found;
  if (items) {
    for (;;) {
      ShellItemId item;
      next = items->Next(1, PidlOut(item), nullptr);
      if (next != S_OK) break;
      collected = CollectShellNode(folder, std::move(item), parent_abs_id.Get(), found);
      if (FAILED(collected)) break;
    }
  }
  // The children come in their final order, so the control never sorts them.
  AddShellNodes(folder, node, found);
  CheckResult(collected);
  if (!node->GetFirstChild()) node->SetHasChildren(false);
  if (next != S_FALSE) RaiseShellError(next);
  if (!node->Parent()) node->Expand(false);
  DoFillComplete();
}

HRESULT TPTCustomShellTree::CollectShellNode(IShellFolder* folder, ShellItemId rel_id,
                                             const ItemIdList* parent_abs_id,
                                             std::vector<TNewNode>& nodes) {
  SFGAOF attributes = kAddItemAttributeRequest;
  LPCITEMIDLIST ids[] = {rel_id.Get()};
  if (const HRESULT hr = folder->GetAttributesOf(1, ids, &attributes); FAILED(hr)) return hr;
  AcceptShellNode(folder, std::move(rel_id), attributes, parent_abs_id, nodes);
  return S_OK;
}

void TPTCustomShellTree::AcceptShellNode(IShellFolder* folder, ShellItemId rel_id,
                                         SFGAOF attributes, const ItemIdList* parent_abs_id,
                                         std::vector<TNewNode>& nodes) {
  const bool candidate = options_.Contains(ptstoVirtualFolders) ||
                         (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
  if (!candidate || !DoAddItem(folder, parent_abs_id, attributes, rel_id.Get())) return;
  std::string text = GetDisplayNameOrShowError(folder, rel_id.Get(), SHGDN_INFOLDER);
  nodes.push_back({std::move(rel_id), std::move(text), attributes});
}

void TPTCustomShellTree::AddShellNodes(IShellFolder* folder, TTreeNode* parent,
                                       std::vector<TNewNode>& nodes) {
  auto before = [folder](const TNewNode& first, const TNewNode& second) {
    return CompareIds(folder, first.id.Get(), second.id.Get()) < 0;
  };
  // Most folders enumerate in their own order already: then one comparison per item.
  if (!std::is_sorted(nodes.begin(), nodes.end(), before))
    std::stable_sort(nodes.begin(), nodes.end(), before);
  TPTShTreeData* parent_data = GetNodeData(parent);
  // Each goes after the children that do not sort after it, so that among children in order
  // the new ones take their places (after a fill's empty start, each is simply the last).
  TTreeNode* after = nullptr;
  TTreeNode* next = parent ? parent->GetFirstChild() : Items().GetFirstNode();
  for (TNewNode& item : nodes) {
    for (; next; after = next, next = next->GetNextSibling()) {
      TPTShTreeData* next_data = GetNodeData(next);
      if (next_data && CompareIds(folder, next_data->RelativeId(), item.id.Get()) > 0) break;
    }
    auto data = std::make_unique<TPTShTreeData>(this, parent_data, std::move(item.id));
    after = Items().AddChildObjectAfter(parent, after, item.text, data.get(),
                                        NodeMarks(item.attributes));
    records_.insert(data.release());
  }
}

TTreeNodeMarks TPTCustomShellTree::NodeMarks(SFGAOF attributes) const {
  constexpr SFGAOF kSubfolders = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
  TTreeNodeMarks marks;
  marks.has_children = options_.Contains(ptstoIncludeNonFolders)
                           ? (attributes & kSubfolders) != 0
                           : (attributes & kSubfolders) == kSubfolders;
  if (attributes & SFGAO_SHARE)
    marks.overlay_index = 0;
  else if (attributes & SFGAO_LINK)
    marks.overlay_index = 1;
  marks.cut = (attributes & SFGAO_GHOSTED) != 0;
  return marks;
}

bool TPTCustomShellTree::DoAddItem(IShellFolder* folder, const ItemIdList* parent_abs_id,
                                   DWORD attributes, const ItemIdList* rel_id) {
  BOOL allow = TRUE;
  if (OnAddItem)
    OnAddItem(this, folder, parent_abs_id, rel_id, static_cast<int>(attributes), allow);
  return allow != FALSE;
}

void TPTCustomShellTree::DoFillComplete() {
  if (OnFillComplete) OnFillComplete(this);
}

bool TPTCustomShellTree::CanExpand(TTreeNode* node) {
  // Whatever this expansion leads to (an OnExpanding handler's own moves) is the code's.
  const bool by_user = std::exchange(user_expansion_, false);
  if (Loading() || !TPTCustomTreeView::CanExpand(node)) return false;
  // The node opens when its children have been read.
  if (by_user && fills_in_background_ && !Designing() && NeedsFill(node) && StartNodeRead(node))
    return false;
  // The code expands to look at the children at once: a read of them gives way to a fill. A
  // node with children has them already; a refresh's read of it goes on.
  if (NeedsFill(node)) CancelNodeRead(node);
  try {
    DoFillNode(node);
  } catch (const EAbort&) {
    // A folder that refuses enumeration (a drive without a medium) just does not open.
    return false;
  }
  return true;
}

void TPTCustomShellTree::DoFillNode(TTreeNode* node) {
  if (!NeedsFill(node)) return;
  TShellListHourglass hourglass;
  FillChildren(GetNodeData(node)->Folder(), node);
}

bool TPTCustomShellTree::NeedsFill(TTreeNode* node) {
  return GetNodeData(node) && !node->GetFirstChild() && node->HasChildren();
}

void TPTCustomShellTree::SortChildren(TTreeNode* node) {
  // Children already in order cost one comparison each.
  TTreeNode* child = node ? node->GetFirstChild() : Items().GetFirstNode();
  bool sorted = true;
  for (TTreeNode* next = child ? child->GetNextSibling() : nullptr; next && sorted;
       child = next, next = next->GetNextSibling())
    sorted = CompareNodes(reinterpret_cast<LPARAM>(child), reinterpret_cast<LPARAM>(next),
                          reinterpret_cast<LPARAM>(this)) <= 0;
  if (sorted) return;
  if (node)
    node->CustomSort(&CompareNodes, reinterpret_cast<LPARAM>(this));
  else
    CustomSort(&CompareNodes, reinterpret_cast<LPARAM>(this), false);
}

int CALLBACK TPTCustomShellTree::CompareNodes(LPARAM node1, LPARAM node2, LPARAM tree) {
  auto* self = reinterpret_cast<TPTCustomShellTree*>(tree);
  TPTShTreeData* first = self->GetNodeData(reinterpret_cast<TTreeNode*>(node1));
  TPTShTreeData* second = self->GetNodeData(reinterpret_cast<TTreeNode*>(node2));
  if (!first || !second) return 0;
  IShellFolder* folder = first->ParentFolder();
  return folder ? CompareIds(folder, first->RelativeId(), second->RelativeId()) : 0;
}

void TPTCustomShellTree::GetImageIndex(TTreeNode* node) {
  // The framework's nodes start without an image (-1): the first paint works it out.
  if (TPTShTreeData* data = GetNodeData(node); data && node->ImageIndex() < 0)
    node->SetImageIndex(SystemIconIndex(data->AbsoluteId(), SHGFI_SMALLICON));
  TPTCustomTreeView::GetImageIndex(node);
}

void TPTCustomShellTree::GetSelectedIndex(TTreeNode* node) {
  if (TPTShTreeData* data = GetNodeData(node); data && node->SelectedIndex() < 0)
    node->SetSelectedIndex(SystemIconIndex(data->AbsoluteId(), SHGFI_SMALLICON | SHGFI_OPENICON));
  TPTCustomTreeView::GetSelectedIndex(node);
}

}  // namespace tw
