// Dragging a node out through OLE, and drags over the tree handed on to the shell's own drop
// target of the node under the mouse: the tree moves, copies or links nothing itself.
#include "shell/win/data_object_shtv.h"
#include "shell/win/drop_source_shlvtv.h"
#include "shell/win/drop_targets.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_tree.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

POINTL AsPointL(POINT point) { return POINTL{point.x, point.y}; }

// The effects among the three that item REL_ID of FOLDER allows; all three when it cannot say.
DWORD ItemEffects(IShellFolder* folder, const ItemIdList* rel_id) {
  if (!folder || !rel_id) return kAllEffects;
  LPCITEMIDLIST ids[] = {rel_id};
  // SFGAO_CANCOPY, SFGAO_CANMOVE and SFGAO_CANLINK are the drop effects' own bits.
  SFGAOF attributes = kAllEffects;
  return SUCCEEDED(folder->GetAttributesOf(1, ids, &attributes)) ? attributes & kAllEffects
                                                                  : kAllEffects;
}

}  // namespace

DWORD TPTCustomShellTree::NodeDragEffects(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return kAllEffects;
  if (node->Parent()) return ItemEffects(data->ParentFolder(), data->RelativeId());
  ShellItemId parent_id;
  ShellItemId item;
  DesktopDirectoryParentAndItem(parent_id, item);
  ComPtr<IShellFolder> parent;
  if (!item || FAILED(BindToFolder(parent_id.Get(), parent))) return kAllEffects;
  return ItemEffects(parent.Get(), item.Get());
}

ComPtr<IDataObject> TPTCustomShellTree::CreateNodeDataObject(TTreeNode* node) {
  return TDataObject_shtv::Create(GetNodeData(node));
}

void TPTCustomShellTree::StartNodeDrag(TTreeNode* node, bool right_button) {
  drag_node_ = node;
  SetDropTarget(node);
  // The root has no folder holding it and no data object: it is not dragged.
  ComPtr<IDataObject> data = CreateNodeDataObject(node);
  if (data) {
    const DWORD allowed = NodeDragEffects(node);
    ComPtr<IDropSource> source(new TDropSource_shlvtv(right_button ? 1 : 0));
    SetDragging(true);
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.Get(), source.Get(), allowed, &effect);
  }
  data.Reset();
  drag_node_ = nullptr;
  SetDropTarget(nullptr);
  // Runs a refresh asked for meanwhile.
  SetDragging(false);
}

void TPTCustomShellTree::UpdateDropTarget(bool register_it) {
  if (register_it) {
    if (!HandleAllocated() || Designing()) return;
    if (!drop_target_) drop_target_ = ComPtr<TDropTarget_shtv>(new TDropTarget_shtv(this));
    RegisterDragDrop(Handle(), drop_target_.Get());
    return;
  }
  if (!drop_target_) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  drop_target_->Detach();
  drop_target_.Reset();
}

IDropTarget* TPTCustomShellTree::OleDropTarget() const { return drop_target_.Get(); }

ComPtr<IDropTarget> TPTCustomShellTree::NodeDropTargetAt(POINT client_point) {
  ComPtr<IDropTarget> target;
  if (TPTShTreeData* data = GetNodeData(GetNodeAt(client_point.x, client_point.y)))
    data->GetDropTarget(OwnerWindow(), target);
  return target;
}

HRESULT TPTCustomShellTree::OleDragEnter(IDataObject* data, DWORD key_state, POINT point,
                                         DWORD& effect) {
  try {
    last_auto_scroll_ = GetTickCount();
    drag_data_ = ComPtr<IDataObject>(data);
    drag_enter_keys_ = key_state;
    const POINT client = ScreenToClient(point);
    TTreeNode* node = GetNodeAt(client.x, client.y);
    // A drag coming in over the root is not offered to it yet.
    ComPtr<IDropTarget> target =
        node && node->Parent() ? NodeDropTargetAt(client) : ComPtr<IDropTarget>();
    if (!target) {
      SetDropTarget(drag_node_);
      effect = DROPEFFECT_NONE;
      return S_OK;
    }
    SetDropTarget(node);
    return ForwardDragEnter(target.Get(), data, key_state, AsPointL(point), effect);
  } catch (...) {
    return FailedDropStep(this, effect);
  }
}

HRESULT TPTCustomShellTree::OleDragOver(DWORD key_state, POINT point, DWORD& effect) {
  try {
    TTreeNode* highlighted = DropTarget();
    const POINT client = ScreenToClient(point);
    HRESULT hr = S_OK;
    if (ComPtr<IDropTarget> target = NodeDropTargetAt(client)) {
      SetDropTarget(GetNodeAt(client.x, client.y));
      hr = ForwardDragOver(target.Get(), drag_data_.Get(), key_state, AsPointL(point), effect);
    } else {
      effect = DROPEFFECT_NONE;
      SetDropTarget(drag_node_);
    }
    DragAutoScroll(Handle(), client, last_auto_scroll_);
    effect |= DROPEFFECT_SCROLL;
    if (DropTarget() != highlighted) UpdateWindow(Handle());
    return hr;
  } catch (...) {
    return FailedDropStep(this, effect);
  }
}

void TPTCustomShellTree::OleDragLeave() {
  drag_data_.Reset();
  SetDropTarget(nullptr);
}

HRESULT TPTCustomShellTree::OleDrop(IDataObject* data, DWORD key_state, POINT point,
                                    DWORD& effect) {
  HRESULT hr = S_OK;
  try {
    if (ComPtr<IDropTarget> target = NodeDropTargetAt(ScreenToClient(point))) {
      // The shell learns which button dragged, so that a right-button drop shows its menu.
      key_state |= drag_enter_keys_ & (MK_LBUTTON | MK_RBUTTON);
      hr = ForwardDrop(target.Get(), data, key_state, AsPointL(point), effect);
    } else {
      effect = DROPEFFECT_NONE;
    }
  } catch (...) {
    hr = FailedDropStep(this, effect);
  }
  OleDragLeave();
  return hr;
}

}  // namespace tw
