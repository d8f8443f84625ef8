#include "shell/win/format_etc_list.h"

#include <utility>

namespace tw {

TPTFormatEtcList::TPTFormatEtcList(std::initializer_list<CLIPFORMAT> formats) {
  for (CLIPFORMAT format : formats)
    records_.push_back(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

TPTFormatEtcList_IEnumFormatEtc::TPTFormatEtcList_IEnumFormatEtc(
    std::shared_ptr<const TPTFormatEtcList> list, std::size_t position)
    : list_(std::move(list)), position_(position) {}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Next(ULONG count, FORMATETC* records, ULONG* fetched) {
  if (!records && count > 0) return E_POINTER;
  ULONG copied = 0;
  // The records carry no target device, so a plain copy is the caller's own.
  for (; copied < count && position_ < list_->Count(); ++copied, ++position_)
    records[copied] = list_->Item(position_);
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Skip(ULONG count) {
  const std::size_t left = list_->Count() - position_;
  if (left < count) {
    position_ = list_->Count();
    return S_FALSE;
  }
  position_ += count;
  return S_OK;
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC** copy) {
  if (!copy) return E_POINTER;
  *copy = new TPTFormatEtcList_IEnumFormatEtc(list_, position_);
  (*copy)->AddRef();
  return S_OK;
}

}  // namespace tw
