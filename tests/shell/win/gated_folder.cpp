#include "tests/shell/win/gated_folder.h"

#include <utility>

namespace tw::test {
namespace {

class TGatedEnumerator final : public IEnumIDList {
public:
  TGatedEnumerator(IEnumIDList* inner, std::shared_ptr<TEnumerationGate> gate)
      : inner_(inner), gate_(std::move(gate)) {}
  ~TGatedEnumerator() { SetEvent(gate_->done); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumIDList) return E_NOINTERFACE;
    *out = static_cast<IEnumIDList*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, LPITEMIDLIST* ids, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (wanted != 1) return E_INVALIDARG;
    const int at = gate_->handed;
    if (at == gate_->stop_at) {
      SetEvent(gate_->reached);
      WaitForSingleObject(gate_->open, INFINITE);
    }
    if (at == gate_->fail_at) return gate_->failure;
    const HRESULT hr = inner_->Next(1, ids, fetched);
    if (hr == S_OK) ++gate_->handed;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return inner_->Skip(count); }
  HRESULT STDMETHODCALLTYPE Reset() override { return inner_->Reset(); }
  HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }

private:
  ComPtr<IEnumIDList> inner_;
  std::shared_ptr<TEnumerationGate> gate_;
  std::atomic<ULONG> count_{0};
};

}  // namespace

TGatedFolder::TGatedFolder(IShellFolder* inner, std::shared_ptr<TEnumerationGate> gate)
    : TForwardingFolder(inner), gate_(std::move(gate)) {}

HRESULT TGatedFolder::EnumObjects(HWND w, SHCONTF flags, IEnumIDList** out) {
  *out = nullptr;
  if (gate_->fail_at == 0) return gate_->failure;
  ComPtr<IEnumIDList> inner;
  const HRESULT hr = Inner()->EnumObjects(w, flags, inner.Receive());
  if (hr != S_OK || !inner) return hr;
  ComPtr<IEnumIDList> gated(new TGatedEnumerator(inner.Get(), gate_));
  *out = gated.Detach();
  return S_OK;
}

TFolderRead::TBinder GatedBinder(TFolderRead::TBinder binder,
                                 std::shared_ptr<TEnumerationGate> gate) {
  return [binder = std::move(binder), gate = std::move(gate)](const ItemIdList* id,
                                                               ComPtr<IShellFolder>& folder) {
    const HRESULT hr = binder(id, folder);
    if (SUCCEEDED(hr)) folder = ComPtr<IShellFolder>(new TGatedFolder(folder.Get(), gate));
    return hr;
  };
}

}  // namespace tw::test
