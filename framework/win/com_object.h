#pragma once
// The base of the program's own COM objects that implement one interface: QueryInterface
// answers IUnknown and that interface only, and the object keeps its own reference count, which
// starts at 0 (the first holder adds the first reference) and frees the object when Release
// brings it back to 0.

#include <objbase.h>
#include <unknwn.h>

namespace tw {

template <class Interface>
class TComObject : public Interface {
public:
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

protected:
  TComObject() = default;
  virtual ~TComObject() = default;

private:
  LONG references_ = 0;
};

}  // namespace tw
