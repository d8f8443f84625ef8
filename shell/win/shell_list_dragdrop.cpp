// Dragging the list's items out through OLE, and drags over the list handed on to the shell's
// own drop targets: the list moves, copies or links nothing itself.
#include "shell/win/data_object_shlv.h"
#include "shell/win/drop_source_shlvtv.h"
#include "shell/win/drop_targets.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

POINTL AsPointL(POINT point) { return POINTL{point.x, point.y}; }

}  // namespace

void TPTCustomShellList::BeginItemDrag(TMouseButton button, int) {
  if (options_.Contains(ptsloOleDrag) && !Designing()) StartOleDrag(button);
}

void TPTCustomShellList::StartOleDrag(TMouseButton button) {
  std::vector<TPTShListData*> records = SelectedRecords();
  if (records.empty() || !folder_object_) return;
  ComPtr<IDataObject> data(new TDataObject_shlv(*this));
  std::vector<LPCITEMIDLIST> ids;
  for (TPTShListData* record : records) ids.push_back(record->RelativeId());
  // SFGAO_CANCOPY, SFGAO_CANMOVE and SFGAO_CANLINK are the drop effects' own bits.
  SFGAOF attributes = kAllEffects;
  const DWORD allowed =
      SUCCEEDED(folder_object_->GetAttributesOf(static_cast<UINT>(ids.size()), ids.data(),
                                                &attributes))
          ? attributes & kAllEffects
          : kAllEffects;
  ComPtr<IDropSource> source(new TDropSource_shlvtv(button == mbRight ? 1 : 0));
  SetDragging(true);
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.Get(), source.Get(), allowed, &effect);
  // Runs what was asked for meanwhile, a fill first.
  SetDragging(false);
}

void TPTCustomShellList::RegisterDropTarget() {
  if (!HandleAllocated() || Designing()) return;
  if (!drop_target_) drop_target_ = ComPtr<TDropTarget_shlv>(new TDropTarget_shlv(this));
  RegisterDragDrop(Handle(), drop_target_.Get());
}

void TPTCustomShellList::RevokeDropTarget() {
  if (!drop_target_) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  drop_target_->Detach();
  drop_target_.Reset();
}

IDropTarget* TPTCustomShellList::DropTarget() const { return drop_target_.Get(); }

// Over an item with a record: the item's drop target. Over empty space: the shown folder's own,
// except during the list's own drag, where a left-button drop would put the items back where
// they are (no target) and a right-button one may only copy (answered by the list itself).
ComPtr<IDropTarget> TPTCustomShellList::DropTargetAt(POINT client_point, DWORD key_state,
                                                     bool& self_answer, DWORD& effect) {
  self_answer = false;
  ComPtr<IDropTarget> target;
  if (TListItem* item = GetItemAt(client_point.x, client_point.y)) {
    TPTShListData* data = DataOf(item);
    if (!data || !folder_object_) return target;
    return ItemDropTarget(OwnerWindow(), folder_object_.Get(), data->RelativeId());
  }
  if (dragging_) {
    if (key_state & MK_RBUTTON) {
      self_answer = true;
      effect = DROPEFFECT_COPY;
    }
    return target;
  }
  return FolderDropTarget(OwnerWindow(), folder_object_.Get(), folder_id_.Get());
}

void TPTCustomShellList::HighlightDropItem(int index) {
  if (index == drop_highlight_) return;
  if (drop_highlight_ >= 0 && drop_highlight_ < Items().Count())
    Items().Item(drop_highlight_)->SetDropTarget(false);
  drop_highlight_ = index >= 0 && index < Items().Count() ? index : -1;
  if (drop_highlight_ >= 0) Items().Item(drop_highlight_)->SetDropTarget(true);
}

HRESULT TPTCustomShellList::OleDragEnter(IDataObject* data, DWORD key_state, POINT point,
                                         DWORD& effect) {
  try {
    last_auto_scroll_ = GetTickCount();
    drag_data_ = ComPtr<IDataObject>(data);
    drag_enter_keys_ = key_state;
    const POINT client = ScreenToClient(point);
    bool self_answer = false;
    ComPtr<IDropTarget> target = DropTargetAt(client, key_state, self_answer, effect);
    if (!target) {
      HighlightDropItem(-1);
      if (!self_answer) effect = DROPEFFECT_NONE;
      return S_OK;
    }
    const HRESULT hr = ForwardDragEnter(target.Get(), data, key_state, AsPointL(point), effect);
    TListItem* item = GetItemAt(client.x, client.y);
    HighlightDropItem(effect != DROPEFFECT_NONE && item ? item->Index() : -1);
    return hr;
  } catch (...) {
    return FailedDropStep(this, effect);
  }
}

HRESULT TPTCustomShellList::OleDragOver(DWORD key_state, POINT point, DWORD& effect) {
  try {
    const int highlighted = drop_highlight_;
    const POINT client = ScreenToClient(point);
    TListItem* item = GetItemAt(client.x, client.y);
    HRESULT hr = S_OK;
    if (item && !DataOf(item)) {
      effect = DROPEFFECT_COPY;
      HighlightDropItem(-1);
      return S_OK;
    }
    bool self_answer = false;
    ComPtr<IDropTarget> target = DropTargetAt(client, key_state, self_answer, effect);
    if (target) {
      hr = ForwardDragOver(target.Get(), drag_data_.Get(), key_state, AsPointL(point), effect);
      HighlightDropItem(effect != DROPEFFECT_NONE && item ? item->Index() : -1);
    } else {
      if (!self_answer) effect = DROPEFFECT_NONE;
      HighlightDropItem(-1);
    }
    DragAutoScroll(Handle(), client, last_auto_scroll_);
    effect |= DROPEFFECT_SCROLL;
    if (drop_highlight_ != highlighted) UpdateWindow(Handle());
    return hr;
  } catch (...) {
    return FailedDropStep(this, effect);
  }
}

void TPTCustomShellList::OleDragLeave() {
  drag_data_.Reset();
  HighlightDropItem(-1);
}

HRESULT TPTCustomShellList::OleDrop(IDataObject* data, DWORD key_state, POINT point,
                                    DWORD& effect) {
  HRESULT hr = S_OK;
  try {
    const POINT client = ScreenToClient(point);
    ComPtr<IDropTarget> target;
    if (dragging_ && !GetItemAt(client.x, client.y)) {
      // Empty space of the list its own items came from: a right-button drop may copy them
      // here (the shell asks how), a left-button one does nothing.
      if (drag_enter_keys_ & MK_RBUTTON) {
        effect &= ~DROPEFFECT_MOVE;
        target = FolderDropTarget(OwnerWindow(), folder_object_.Get(), folder_id_.Get());
      }
    } else {
      bool self_answer = false;
      DWORD scratch = effect;
      target = DropTargetAt(client, key_state, self_answer, scratch);
    }
    if (target) {
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
