#include "shell/win/drop_targets.h"

#include "framework/win/application.h"

#include "shell/win/shell_folders.h"

namespace tw {

ComPtr<IDropTarget> ItemDropTarget(HWND owner, IShellFolder* parent, const ItemIdList* rel_id) {
  ComPtr<IDropTarget> target;
  if (!parent || !rel_id) return target;
  LPCITEMIDLIST ids[] = {rel_id};
  SFGAOF attributes = SFGAO_FOLDER;
  ComPtr<IShellFolder> folder;
  if (SUCCEEDED(parent->GetAttributesOf(1, ids, &attributes)) && (attributes & SFGAO_FOLDER) &&
      SUCCEEDED(parent->BindToObject(rel_id, nullptr, IID_IShellFolder, folder.ReceiveVoid())) &&
      folder &&
      SUCCEEDED(folder->CreateViewObject(owner, IID_IDropTarget, target.ReceiveVoid())) && target)
    return target;
  parent->GetUIObjectOf(owner, 1, ids, IID_IDropTarget, nullptr, target.ReceiveVoid());
  return target;
}

ComPtr<IDropTarget> FolderDropTarget(HWND owner, IShellFolder* folder, const ItemIdList* abs_id) {
  ComPtr<IDropTarget> target;
  if (folder && SUCCEEDED(folder->CreateViewObject(owner, IID_IDropTarget, target.ReceiveVoid())) &&
      target)
    return target;
  GetFolderUIObject(abs_id, IID_IDropTarget, target.ReceiveVoid());
  return target;
}

HRESULT ForwardDragEnter(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                         DWORD& effect) {
  const HRESULT hr = target->DragEnter(data, key_state, point, &effect);
  target->DragLeave();
  return hr;
}

HRESULT ForwardDragOver(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                        DWORD& effect) {
  DWORD scratch = effect;
  target->DragEnter(data, key_state, point, &scratch);
  const HRESULT hr = target->DragOver(key_state, point, &effect);
  target->DragLeave();
  return hr;
}

HRESULT ForwardDrop(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                    DWORD& effect) {
  // Asked before the target hears of the drag: it may raise, and a target that was entered must
  // always be left or dropped on.
  const DWORD allowed = effect & DataObjectCapabilities(data);
  DWORD scratch = effect;
  target->DragEnter(data, key_state, point, &scratch);
  scratch = effect;
  target->DragOver(key_state, point, &scratch);
  effect = allowed;
  return target->Drop(data, key_state, point, &effect);
}

HRESULT DropAtOnce(IDropTarget* target, IDataObject* data, DWORD key_state, DWORD effect) {
  const POINTL point{0, 0};
  DWORD answer = effect;
  HRESULT hr = target->DragEnter(data, key_state, point, &answer);
  if (FAILED(hr)) return hr;
  answer = effect;
  hr = target->DragOver(key_state, point, &answer);
  if (FAILED(hr)) {
    target->DragLeave();
    return hr;
  }
  answer = effect;
  return target->Drop(data, key_state, point, &answer);
}

HRESULT FailedDropStep(TObject* view, DWORD& effect) {
  effect = DROPEFFECT_NONE;
  if (Application) Application->HandleException(view);
  return E_UNEXPECTED;
}

}  // namespace tw
