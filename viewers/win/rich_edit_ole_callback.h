#pragma once
// TRichEditOleCallback: the container callback that a text page editor gives its rich edit
// control, so that the control can hold embedded objects: it makes the objects' storage,
// decides which objects may come in and closes the ones that go.
//
// A text read into the control may come from any file the user merely looked at, and an
// object created from it would load its server's code. So while the editor reads a text it
// did not write itself, the callback refuses every object but the OLE library's own static
// pictures, which have no server; pasted and dropped objects, which the user brings in, are
// accepted.
//
// An object that becomes active in place inside the editor is given its form's in-place frame,
// as its document window too, and an accelerator table of the form's menu shortcuts; while it
// is active the editor is its form's in-place active control.

#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <atomic>

#include "framework/win/com_ptr.h"
#include "framework/win/ole_in_place_frame.h"

namespace tw {

class TTwCustomRichEdit;

class TRichEditOleCallback : public IRichEditOleCallback {
public:
  explicit TRichEditOleCallback(TTwCustomRichEdit& editor) : editor_(editor) {}
  TRichEditOleCallback(const TRichEditOleCallback&) = delete;
  TRichEditOleCallback& operator=(const TRichEditOleCallback&) = delete;
  virtual ~TRichEditOleCallback();

  // The editor owns this object: the count is kept but never frees it.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetNewStorage(LPSTORAGE* storage) override;
  STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                 LPOLEINPLACEFRAMEINFO frame_info) override;
  STDMETHODIMP ShowContainerUI(BOOL show) override;
  STDMETHODIMP QueryInsertObject(LPCLSID clsid, LPSTORAGE storage, LONG cp) override;
  STDMETHODIMP DeleteObject(LPOLEOBJECT object) override;
  STDMETHODIMP QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD operation, BOOL really,
                               HGLOBAL metafile_picture) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter_mode) override;
  STDMETHODIMP GetClipboardData(CHARRANGE* range, DWORD operation, LPDATAOBJECT* data) override;
  STDMETHODIMP GetDragDropEffect(BOOL drag, DWORD key_state, LPDWORD effect) override;
  STDMETHODIMP GetContextMenu(WORD selection_type, LPOLEOBJECT object, CHARRANGE* range,
                              HMENU* menu) override;

private:
  // Takes the parent form's frame when none is held and in-place activation is allowed; true
  // when a frame is held.
  bool FindFrames();
  void DropFrames();

  TTwCustomRichEdit& editor_;
  ComPtr<TOleInPlaceFrame> frame_;
  HACCEL accelerators_ = nullptr;
  int accelerator_count_ = 0;
  bool accelerators_made_ = false;
  std::atomic<ULONG> references_{0};
};

}  // namespace tw
