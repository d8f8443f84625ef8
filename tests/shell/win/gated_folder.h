#pragma once
// A shell folder object that hands out the real folder's items, but whose enumeration can stop
// at an item until the test opens its gate, or fail at an item: a folder slow to answer, or one
// whose medium goes midway, made of a real one. Safe to use from a reading thread.

#include <shlobj.h>

#include <atomic>
#include <memory>

#include "framework/win/com_ptr.h"

namespace tw::test {

struct TEnumerationGate {
  TEnumerationGate()
      : open(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        reached(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~TEnumerationGate() {
    CloseHandle(open);
    CloseHandle(reached);
    CloseHandle(done);
  }
  TEnumerationGate(const TEnumerationGate&) = delete;
  TEnumerationGate& operator=(const TEnumerationGate&) = delete;

  // The enumeration waits before item STOP_AT (0-based) until OPEN is set; REACHED is set
  // when it gets there. From item FAIL_AT on it fails with FAILURE (EnumObjects itself at 0).
  int stop_at = -1;
  int fail_at = -1;
  HRESULT failure = E_FAIL;
  HANDLE open;
  HANDLE reached;
  // Set when an enumerator of the gated folder has been released.
  HANDLE done;
  std::atomic<int> handed{0};
};

// Hands every call to INNER; only the enumeration passes the gate.
class TGatedFolder final : public IShellFolder {
public:
  TGatedFolder(IShellFolder* inner, std::shared_ptr<TEnumerationGate> gate);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* b, LPWSTR name, ULONG* eaten,
                                             LPITEMIDLIST* id, ULONG* attributes) override {
    return inner_->ParseDisplayName(w, b, name, eaten, id, attributes);
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF flags, IEnumIDList** out) override;
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

private:
  ComPtr<IShellFolder> inner_;
  std::shared_ptr<TEnumerationGate> gate_;
  std::atomic<ULONG> count_{0};
};

}  // namespace tw::test
