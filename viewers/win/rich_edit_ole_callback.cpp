#include "viewers/win/rich_edit_ole_callback.h"

#include <cguid.h>

#include "framework/win/application.h"
#include "framework/win/com_ptr.h"
#include "framework/win/form.h"
#include "framework/win/main_menu.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

// The OLE library's static picture classes: drawn from their own data, they have no server.
bool IsStaticPictureClass(const CLSID& clsid) {
  return IsEqualCLSID(clsid, CLSID_Picture_Metafile) || IsEqualCLSID(clsid, CLSID_Picture_Dib) ||
         IsEqualCLSID(clsid, CLSID_Picture_EnhMetafile);
}

}  // namespace

STDMETHODIMP TRichEditOleCallback::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
    *object = static_cast<IRichEditOleCallback*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TRichEditOleCallback::AddRef() { return ++references_; }
STDMETHODIMP_(ULONG) TRichEditOleCallback::Release() { return --references_; }

// Each object gets a compound file in memory; the document is saved as rich text, not as one.
STDMETHODIMP TRichEditOleCallback::GetNewStorage(LPSTORAGE* storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  ComPtr<ILockBytes> bytes;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Receive()))) return E_OUTOFMEMORY;
  if (FAILED(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                          storage)))
    return E_OUTOFMEMORY;
  return S_OK;
}

TRichEditOleCallback::~TRichEditOleCallback() { DropFrames(); }

// The program's forms are never MDI children: the parent form's frame is the outer one too.
bool TRichEditOleCallback::FindFrames() {
  if (!frame_ && editor_.AllowInPlace()) {
    if (TForm* form = editor_.GetParentForm()) frame_ = ComPtr<TOleInPlaceFrame>(form->OleInPlaceFrame());
  }
  return frame_ != nullptr;
}

void TRichEditOleCallback::DropFrames() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  accelerators_ = nullptr;
  accelerator_count_ = 0;
  accelerators_made_ = false;
  frame_ = nullptr;
}

STDMETHODIMP TRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                                     LPOLEINPLACEFRAMEINFO frame_info) {
  if (!frame || !document || !frame_info) return E_INVALIDARG;
  *frame = nullptr;
  *document = nullptr;
  if (!FindFrames() || !editor_.AllowInPlace() || !frame_->Form()) return E_NOTIMPL;
  TForm& form = *frame_->Form();
  try {
    if (!accelerators_made_ && form.Menu()) accelerators_ = form.Menu()->CreateAccelTable(accelerator_count_);
    accelerators_made_ = true;
    frame_info->fMDIApp = FALSE;
    frame_info->hwndFrame = form.Handle();
    frame_info->haccel = accelerators_;
    frame_info->cAccelEntries = static_cast<UINT>(accelerator_count_);
  } catch (...) {
    Application->HandleException(&editor_);
    return E_UNEXPECTED;
  }
  *frame = ComPtr<IOleInPlaceFrame>(frame_.Get()).Detach();
  *document = ComPtr<IOleInPlaceUIWindow>(frame_.Get()).Detach();
  return S_OK;
}

STDMETHODIMP TRichEditOleCallback::ShowContainerUI(BOOL show) {
  try {
    if (!show) {
      // An object becomes active in place: the editor holds it for the form.
      if (!FindFrames() || !frame_->Form()) return E_NOTIMPL;
      frame_->Form()->SetActiveOleControl(&editor_);
      if (editor_.AllowInPlace() && editor_.CanFocus()) editor_.SetFocus();
      return S_OK;
    }
    if (!frame_) return E_NOTIMPL;
    frame_->SetMenu(nullptr, nullptr, nullptr);
    frame_->SetBorderSpace(nullptr);
    if (TForm* form = frame_->Form(); form && form->ActiveOleControl() == &editor_) form->SetActiveOleControl(nullptr);
    DropFrames();
    return S_OK;
  } catch (...) {
    Application->HandleException(&editor_);
    return E_UNEXPECTED;
  }
}

STDMETHODIMP TRichEditOleCallback::QueryInsertObject(LPCLSID clsid, LPSTORAGE, LONG) {
  if (editor_.ReadingForeignText() && !(clsid && IsStaticPictureClass(*clsid))) return S_FALSE;
  return S_OK;
}

STDMETHODIMP TRichEditOleCallback::DeleteObject(LPOLEOBJECT object) {
  if (object) object->Close(OLECLOSE_NOSAVE);
  return S_OK;
}

STDMETHODIMP TRichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) {
  return S_OK;
}

STDMETHODIMP TRichEditOleCallback::ContextSensitiveHelp(BOOL) { return S_OK; }

STDMETHODIMP TRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TRichEditOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD) { return E_NOTIMPL; }

// The editor shows its own context menu with the object's verbs.
STDMETHODIMP TRichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) {
  if (menu) *menu = nullptr;
  return E_NOTIMPL;
}

}  // namespace tw
