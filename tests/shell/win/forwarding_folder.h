#pragma once
// A shell folder object that hands every call to the real one it wraps: the base of the tests'
// folders that change one answer of a real folder. Its count is safe across threads.

#include <shlobj.h>

#include <atomic>

#include "framework/win/com_ptr.h"

namespace tw::test {

class TForwardingFolder : public IShellFolder {
public:
  explicit TForwardingFolder(IShellFolder* inner) : inner_(inner) {}
  virtual ~TForwardingFolder() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IShellFolder) {
      *out = static_cast<IShellFolder*>(this);
      AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* b, LPWSTR name, ULONG* eaten,
                                             LPITEMIDLIST* id, ULONG* attributes) override {
    return inner_->ParseDisplayName(w, b, name, eaten, id, attributes);
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF flags, IEnumIDList** out) override {
    return inner_->EnumObjects(w, flags, out);
  }
  HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST id, IBindCtx* b, REFIID iid,
                                         void** out) override {
    return inner_->BindToObject(id, b, iid, out);
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST id, IBindCtx* b, REFIID iid,
                                          void** out) override {
    return inner_->BindToStorage(id, b, iid, out);
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override {
    return inner_->CompareIDs(column, a, b);
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID iid, void** out) override {
    return inner_->CreateViewObject(w, iid, out);
  }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, LPCITEMIDLIST* ids,
                                            SFGAOF* attributes) override {
    return inner_->GetAttributesOf(count, ids, attributes);
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT count, LPCITEMIDLIST* ids, REFIID iid,
                                          UINT* reserved, void** out) override {
    return inner_->GetUIObjectOf(w, count, ids, iid, reserved, out);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST id, SHGDNF flags,
                                             STRRET* name) override {
    return inner_->GetDisplayNameOf(id, flags, name);
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, LPCITEMIDLIST id, LPCWSTR name, SHGDNF flags,
                                      LPITEMIDLIST* new_id) override {
    return inner_->SetNameOf(w, id, name, flags, new_id);
  }

protected:
  IShellFolder* Inner() const { return inner_.Get(); }

private:
  ComPtr<IShellFolder> inner_;
  std::atomic<ULONG> count_{0};
};

}  // namespace tw::test
