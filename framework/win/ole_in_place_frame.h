#pragma once
// TOleInPlaceFrame: the in-place frame a form offers to an embedded object that becomes active
// in place inside it. It is the form's window, lends the form's menu bar to the object's shared
// menu, gives up border space of the form's client area for the object's tools, keeps the
// object that is active in place (and the form's in-place active control with it) and runs the
// form's menu commands for the object's keyboard accelerators.
//
// The form holds one reference and detaches the frame when it goes; an object still holding the
// frame then finds every call failing instead of reaching a freed form.

#include <windows.h>
#include <ole2.h>

#include "framework/win/com_object.h"
#include "framework/win/com_ptr.h"

namespace tw {

class TForm;

class TOleInPlaceFrame : public TComObject<IOleInPlaceFrame> {
public:
  explicit TOleInPlaceFrame(TForm& form) : form_(&form) {}

  // The frame is also its own in-place user-interface window and OLE window.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter_mode) override;
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor, HWND object_window) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD command) override;

  // The form whose frame this is; null once the form has gone.
  TForm* Form() const { return form_; }
  // The object active in place inside the form, or null.
  IOleInPlaceActiveObject* ActiveObject() const { return active_object_.Get(); }
  // The form goes: later calls fail and the active object is let go.
  void Detach();

private:
  TForm* form_;
  ComPtr<IOleInPlaceActiveObject> active_object_;
};

}  // namespace tw
