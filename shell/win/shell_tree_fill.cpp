// Building the tree, filling a node's children at its first expansion, sorting them in their
// folder's order, and the icons the control asks for when it first paints a node.
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

void TPTCustomShellTree::FillTree() {
  if (!HandleAllocated()) return;
  if (dragging_ || IsEditing()) {
    refresh_pending_ = true;
    return;
  }
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
  if (items) {
    for (;;) {
      ShellItemId item;
      next = items->Next(1, PidlOut(item), nullptr);
      if (next != S_OK) break;
      CheckResult(AddShellNode(folder, item.Get(), node, parent_abs_id.Get()));
    }
  }
  if (!node->GetFirstChild()) node->SetHasChildren(false);
  if (next != S_FALSE) RaiseShellError(next);
  SortChildren(node);
  if (!node->Parent()) node->Expand(false);
  DoFillComplete();
}

HRESULT TPTCustomShellTree::AddShellNode(IShellFolder* folder, const ItemIdList* rel_id,
                                         TTreeNode* parent, const ItemIdList* parent_abs_id) {
  SFGAOF attributes = kAddItemAttributeRequest;
  LPCITEMIDLIST ids[] = {rel_id};
  if (const HRESULT hr = folder->GetAttributesOf(1, ids, &attributes); FAILED(hr)) return hr;
  const bool candidate = options_.Contains(ptstoVirtualFolders) ||
                         (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
  if (!candidate || !DoAddItem(folder, parent_abs_id, attributes, rel_id)) return S_OK;
  const std::string text = GetDisplayNameOrShowError(folder, rel_id, SHGDN_INFOLDER);
  auto data = std::make_unique<TPTShTreeData>(this, GetNodeData(parent), rel_id);
  TTreeNode* node = Items().AddChildObject(parent, text, data.get());
  records_.insert(data.release());
  const bool has_children =
      options_.Contains(ptstoIncludeNonFolders)
          ? (attributes & (SFGAO_HASSUBFOLDER | SFGAO_FOLDER)) != 0
          : (attributes & (SFGAO_HASSUBFOLDER | SFGAO_FOLDER)) ==
                (SFGAO_HASSUBFOLDER | SFGAO_FOLDER);
  if (has_children) node->SetHasChildren(true);
  if (attributes & SFGAO_SHARE)
    node->SetOverlayIndex(0);
  else if (attributes & SFGAO_LINK)
    node->SetOverlayIndex(1);
  if (attributes & SFGAO_GHOSTED) node->SetCut(true);
  return S_OK;
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
  if (Loading() || !TPTCustomTreeView::CanExpand(node)) return false;
  try {
    DoFillNode(node);
  } catch (const EAbort&) {
    // A folder that refuses enumeration (a drive without a medium) just does not open.
    return false;
  }
  return true;
}

void TPTCustomShellTree::DoFillNode(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data || node->GetFirstChild() || !node->HasChildren()) return;
  TShellListHourglass hourglass;
  FillChildren(data->Folder(), node);
}

bool TPTCustomShellTree::SortsAfter(TTreeNode* first, TTreeNode* second) {
  return CompareNodes(reinterpret_cast<LPARAM>(first), reinterpret_cast<LPARAM>(second),
                      reinterpret_cast<LPARAM>(this)) > 0;
}

void TPTCustomShellTree::SortChildren(TTreeNode* node) {
  // Children already in order (as many folders enumerate) cost one comparison each.
  TTreeNode* child = node ? node->GetFirstChild() : Items().GetFirstNode();
  bool sorted = true;
  for (TTreeNode* next = child ? child->GetNextSibling() : nullptr; next && sorted;
       child = next, next = next->GetNextSibling())
    sorted = !SortsAfter(child, next);
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
  if (!folder) return 0;
  const HRESULT hr = folder->CompareIDs(0, first->RelativeId(), second->RelativeId());
  return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
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
