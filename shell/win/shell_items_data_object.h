#pragma once
// TShellItemsDataObject: the data object the shell views hand out for items of one folder
// (dragged, or sent to a Send To entry). It offers, in this order, "Shell IDList Array" (the
// parent's absolute id and the items' relative ids), CF_HDROP (the items' parsing names in
// UTF-16), CF_UNICODETEXT and CF_TEXT (the same names, one per line, in UTF-16 and in the user's
// legacy code page); each block is built once, when the object is made,
// and every GetData hands out a fresh copy of it. TDataObject_shlv (the list's selection) and
// TDataObject_shtv (a tree node) only choose the items.

#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/win/com_object.h"
#include "shell/shell_item_id.h"
#include "shell/win/format_etc_list.h"

namespace tw {

class TShellItemsDataObject : public TComObject<IDataObject> {
public:
  // ITEMS are relative ids of PARENT, whose absolute id is PARENT_ID (null or empty for the
  // desktop). Raises EOSError for an empty ITEMS.
  TShellItemsDataObject(IShellFolder* parent, const ItemIdList* parent_id,
                        const std::vector<const ItemIdList*>& items);

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;

private:
  using TBlock = std::vector<std::uint8_t>;
  const TBlock* BlockOf(CLIPFORMAT format) const;

  std::shared_ptr<const TPTFormatEtcList> formats_;
  TBlock id_list_array_;
  TBlock hdrop_;
  TBlock unicode_text_;
  TBlock text_;
};

}  // namespace tw
