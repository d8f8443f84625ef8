#pragma once
// The shell's own drop targets the views hand a drag on to.

#include <shlobj.h>

#include "framework/object.h"
#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"

namespace tw {

// The drop target of item REL_ID of PARENT; null when it has none. A folder's target is asked of
// the folder itself: Wine's GetUIObjectOf hands every item the target of the folder holding it,
// which would drop into the parent.
ComPtr<IDropTarget> ItemDropTarget(HWND owner, IShellFolder* parent, const ItemIdList* rel_id);

// The drop target of FOLDER itself (absolute id ABS_ID), for drops on a view's empty space; null
// when it has none.
ComPtr<IDropTarget> FolderDropTarget(HWND owner, IShellFolder* folder, const ItemIdList* abs_id);

// The views ask for the shell's target under the mouse afresh at every step of a drag and hand
// the step on to it as a whole drag of its own:
// entering: DragEnter then DragLeave; DragEnter's answer, EFFECT as it left it.
HRESULT ForwardDragEnter(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                         DWORD& effect);
// moving: DragEnter (on a scratch copy of EFFECT), DragOver, DragLeave; DragOver's answer.
HRESULT ForwardDragOver(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                        DWORD& effect);
// dropping: DragEnter and DragOver on scratch copies of EFFECT, which is then limited to the
// effects the dragged shell items allow, and Drop; Drop's answer. Raises, before the target is
// entered, when those effects cannot be learnt.
HRESULT ForwardDrop(IDropTarget* target, IDataObject* data, DWORD key_state, POINTL point,
                    DWORD& effect);

// DATA dropped on TARGET in one go, as a Send To entry is given it: DragEnter, DragOver and Drop,
// each with KEY_STATE, the point (0, 0) and EFFECT; the first failure, else Drop's answer. A
// target that was entered is left when the next step fails.
HRESULT DropAtOnce(IDropTarget* target, IDataObject* data, DWORD key_state, DWORD effect);

// The answer of a view's drag step that raised, called from its catch block: nothing can be
// dropped, and the application shows the exception on behalf of VIEW.
HRESULT FailedDropStep(TObject* view, DWORD& effect);

}  // namespace tw
