#include "viewers/win/ole_ui_link_info.h"

#include "framework/string_table.h"
#include "framework/win/wide_text.h"
#include "viewers/win/ole_ui_obj_info.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

// The link page reports its errors in a box rather than as a failure of the dialog.
void ShowLinkError(HWND owner, int message) {
  MessageBoxA(owner, LoadStr(message).c_str(), LoadStr(SLinkPropertiesCaption).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

STDMETHODIMP TOleUILinkInfo::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IOleUILinkInfoA*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TOleUILinkInfo::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) TOleUILinkInfo::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP_(DWORD) TOleUILinkInfo::GetNextLink(DWORD link) { return link == 0 ? kSelectedObject : 0; }

STDMETHODIMP TOleUILinkInfo::SetLinkUpdateOptions(DWORD, DWORD update_option) {
  const HRESULT result = link_->SetUpdateOptions(update_option);
  if (SUCCEEDED(result)) editor_.SetModified(true);
  return result;
}

STDMETHODIMP TOleUILinkInfo::GetLinkUpdateOptions(DWORD, DWORD* update_option) {
  return link_->GetUpdateOptions(update_option);
}

STDMETHODIMP TOleUILinkInfo::SetLinkSource(DWORD, LPSTR display_name, ULONG, ULONG* eaten, BOOL validate_source) {
  if (!validate_source) {
    ShowLinkError(editor_.Handle(), SInvalidLinkSource);
    return E_FAIL;
  }
  const std::wstring name = ToWide(display_name ? display_name : "");
  if (eaten) *eaten = static_cast<ULONG>(std::string(display_name ? display_name : "").size());
  const HRESULT result = link_->SetSourceDisplayName(name.c_str());
  if (FAILED(result)) return result;
  return object_.Object()->Update();
}

STDMETHODIMP TOleUILinkInfo::GetLinkSource(DWORD, LPSTR* display_name, ULONG* file_name_length,
                                           LPSTR* full_link_type, LPSTR* short_link_type, BOOL* source_available,
                                           BOOL* selected) {
  if (display_name) {
    LPOLESTR source = nullptr;
    std::string name;
    if (SUCCEEDED(link_->GetSourceDisplayName(&source)) && source) {
      name = FromWide(source);
      CoTaskMemFree(source);
    }
    *display_name = TaskString(name);
    // The file part of a link's source ends where the item within the file begins.
    if (file_name_length) *file_name_length = static_cast<ULONG>(name.find('!') == std::string::npos ? name.size() : name.find('!'));
  }
  if (full_link_type) *full_link_type = TaskString(object_.UserType(USERCLASSTYPE_FULL));
  if (short_link_type) *short_link_type = TaskString(object_.UserType(USERCLASSTYPE_SHORT));
  if (source_available) *source_available = TRUE;
  if (selected) *selected = TRUE;
  return S_OK;
}

STDMETHODIMP TOleUILinkInfo::OpenLinkSource(DWORD) {
  RECT client = editor_.ClientRect();
  return object_.Object()->DoVerb(OLEIVERB_SHOW, nullptr, object_.Site(), 0, editor_.Handle(), &client);
}

STDMETHODIMP TOleUILinkInfo::UpdateLink(DWORD, BOOL, BOOL) { return object_.Object()->Update(); }

STDMETHODIMP TOleUILinkInfo::CancelLink(DWORD) {
  ShowLinkError(editor_.Handle(), SBreakLinkNotSupported);
  return E_NOTIMPL;
}

// The container keeps no time of the last update.
STDMETHODIMP TOleUILinkInfo::GetLastUpdate(DWORD, FILETIME*) { return E_NOTIMPL; }

}  // namespace tw
