#include "shell/win/shell_items_data_object.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/win/wide_text.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_id_list_format.h"
#include "shell/win/shell_names.h"

namespace tw {
namespace {

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
  std::memcpy(block.data() + at, &value, sizeof(value));
}

void Append(std::vector<std::uint8_t>& block, const void* bytes, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  block.insert(block.end(), first, first + size);
}

// The shell's identifier-list array: the count, one offset per id, the parent's absolute id (a
// bare terminator for the desktop) and the items' relative ids.
std::vector<std::uint8_t> IdListArray(const ItemIdList* parent_id,
                                      const std::vector<const ItemIdList*>& items) {
  const std::size_t count = items.size();
  std::vector<std::uint8_t> block(4 * count + 8);
  Put32(block, 0, static_cast<std::uint32_t>(count));
  const std::uint8_t terminator[2] = {0, 0};
  Put32(block, 4, static_cast<std::uint32_t>(block.size()));
  if (IdListSize(parent_id) > 0)
    Append(block, parent_id, IdListSize(parent_id));
  else
    Append(block, terminator, sizeof(terminator));
  for (std::size_t i = 0; i < count; ++i) {
    Put32(block, 8 + 4 * i, static_cast<std::uint32_t>(block.size()));
    Append(block, items[i], IdListSize(items[i]));
  }
  return block;
}

// A DROPFILES header followed by the names in UTF-16, each ended by a zero, and a final zero:
// sized by the names themselves, however long they are. Wide names reach a program of any code
// page exactly.
std::vector<std::uint8_t> FileList(const std::vector<std::wstring>& names) {
  std::vector<std::uint8_t> block(sizeof(DROPFILES));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof(header));
  for (const std::wstring& name : names) Append(block, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
  Append(block, L"", sizeof(wchar_t));
  return block;
}

// The names one per line, ended by a zero: UTF-16 for CF_UNICODETEXT, the user's legacy code page
// for the 8-bit CF_TEXT, which other programs read in theirs.
std::wstring WideLines(const std::vector<std::wstring>& names) {
  std::wstring lines;
  for (const std::wstring& name : names) lines += name + L"\r\n";
  return lines;
}

std::vector<std::uint8_t> UnicodeTextLines(const std::wstring& lines) {
  std::vector<std::uint8_t> block;
  Append(block, lines.c_str(), (lines.size() + 1) * sizeof(wchar_t));
  return block;
}

std::vector<std::uint8_t> TextLines(const std::wstring& lines) {
  const UINT code_page = UserLegacyCodePage();
  const int size = WideCharToMultiByte(code_page, 0, lines.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<std::uint8_t> block(static_cast<std::size_t>(std::max(size, 1)), 0);
  WideCharToMultiByte(code_page, 0, lines.c_str(), -1, reinterpret_cast<char*>(block.data()), size, nullptr, nullptr);
  return block;
}

}  // namespace

TShellItemsDataObject::TShellItemsDataObject(IShellFolder* parent, const ItemIdList* parent_id,
                                             const std::vector<const ItemIdList*>& items)
    : formats_(std::make_shared<TPTFormatEtcList>(std::initializer_list<CLIPFORMAT>{
          static_cast<CLIPFORMAT>(ShellIdListFormat()), CF_HDROP, CF_UNICODETEXT, CF_TEXT})) {
  if (items.empty() || !parent) RaiseShellError(E_INVALIDARG);
  std::vector<std::wstring> names;
  for (const ItemIdList* item : items) names.push_back(GetWideDisplayName(parent, item, dnkForParsing));
  id_list_array_ = IdListArray(parent_id, items);
  hdrop_ = FileList(names);
  const std::wstring lines = WideLines(names);
  unicode_text_ = UnicodeTextLines(lines);
  text_ = TextLines(lines);
}

const TShellItemsDataObject::TBlock* TShellItemsDataObject::BlockOf(CLIPFORMAT format) const {
  if (format == ShellIdListFormat()) return &id_list_array_;
  if (format == CF_HDROP) return &hdrop_;
  if (format == CF_UNICODETEXT) return &unicode_text_;
  if (format == CF_TEXT) return &text_;
  return nullptr;
}

HRESULT TShellItemsDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  const HRESULT query = QueryGetData(format);
  if (FAILED(query)) return query;
  const TBlock* block = BlockOf(format->cfFormat);
  if (!block) return DV_E_FORMATETC;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, block->size());
  if (!copy) return E_OUTOFMEMORY;
  void* bytes = GlobalLock(copy);
  if (!bytes) {
    GlobalFree(copy);
    return E_OUTOFMEMORY;
  }
  std::memcpy(bytes, block->data(), block->size());
  GlobalUnlock(copy);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = copy;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT TShellItemsDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TShellItemsDataObject::QueryGetData(FORMATETC* format) {
  if (!format) return E_POINTER;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
  bool offered = false;
  for (std::size_t i = 0; i < formats_->Count(); ++i) {
    const FORMATETC& record = formats_->Item(i);
    if (record.cfFormat != format->cfFormat) continue;
    if (record.tymed & format->tymed) return S_OK;
    offered = true;
  }
  return offered ? DV_E_TYMED : DV_E_FORMATETC;
}

HRESULT TShellItemsDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TShellItemsDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT TShellItemsDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TPTFormatEtcList_IEnumFormatEtc(formats_, 0);
  (*out)->AddRef();
  return S_OK;
}

HRESULT TShellItemsDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TShellItemsDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TShellItemsDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

}  // namespace tw
