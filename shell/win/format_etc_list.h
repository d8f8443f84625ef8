#pragma once
// The clipboard formats a data object offers (TPTFormatEtcList) and the enumerator that
// IDataObject::EnumFormatEtc hands out over them (TPTFormatEtcList_IEnumFormatEtc).

#include <objidl.h>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

#include "framework/win/com_object.h"

namespace tw {

// One record per clipboard format: no target device, DVASPECT_CONTENT, index -1, TYMED_HGLOBAL.
class TPTFormatEtcList {
public:
  explicit TPTFormatEtcList(std::initializer_list<CLIPFORMAT> formats);
  std::size_t Count() const { return records_.size(); }
  const FORMATETC& Item(std::size_t index) const { return records_.at(index); }

private:
  std::vector<FORMATETC> records_;
};

// Enumerates a shared format list from a position; the list stays alive while an enumerator
// (or a clone of it) holds it, also after its data object is gone.
class TPTFormatEtcList_IEnumFormatEtc : public TComObject<IEnumFORMATETC> {
public:
  TPTFormatEtcList_IEnumFormatEtc(std::shared_ptr<const TPTFormatEtcList> list,
                                  std::size_t position);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* records, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** copy) override;

private:
  std::shared_ptr<const TPTFormatEtcList> list_;
  std::size_t position_;
};

}  // namespace tw
