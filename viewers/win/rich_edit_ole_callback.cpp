#include "viewers/win/rich_edit_ole_callback.h"

#include <cguid.h>

#include "framework/win/com_ptr.h"
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

// Objects open in windows of their own: the program's forms offer no in-place frame.
STDMETHODIMP TRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                                     LPOLEINPLACEFRAMEINFO) {
  return E_NOTIMPL;
}

STDMETHODIMP TRichEditOleCallback::ShowContainerUI(BOOL) { return E_NOTIMPL; }

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
