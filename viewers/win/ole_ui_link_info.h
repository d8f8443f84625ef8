#pragma once
// TOleUILinkInfo: the link page of the system's object properties dialog for a selected
// linked object: its source, its update option, opening and updating it. Breaking the link is
// not supported, and a new source is only taken after the dialog validated it.

#include <windows.h>
#include <oledlg.h>

#include <atomic>

#include "framework/win/com_ptr.h"
#include "viewers/win/rich_edit_object.h"

namespace tw {

class TTwCustomRichEdit;

class TOleUILinkInfo : public IOleUILinkInfoA {
public:
  TOleUILinkInfo(TTwCustomRichEdit& editor, const TRichEditObject& object, ComPtr<IOleLink> link)
      : editor_(editor), object_(object), link_(std::move(link)) {}
  virtual ~TOleUILinkInfo() = default;

  // Counted from 0; the last release frees the object.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // One link: the selected object.
  STDMETHODIMP_(DWORD) GetNextLink(DWORD link) override;
  STDMETHODIMP SetLinkUpdateOptions(DWORD link, DWORD update_option) override;
  STDMETHODIMP GetLinkUpdateOptions(DWORD link, DWORD* update_option) override;
  STDMETHODIMP SetLinkSource(DWORD link, LPSTR display_name, ULONG file_name_length, ULONG* eaten,
                             BOOL validate_source) override;
  STDMETHODIMP GetLinkSource(DWORD link, LPSTR* display_name, ULONG* file_name_length, LPSTR* full_link_type,
                             LPSTR* short_link_type, BOOL* source_available, BOOL* selected) override;
  STDMETHODIMP OpenLinkSource(DWORD link) override;
  STDMETHODIMP UpdateLink(DWORD link, BOOL error_message, BOOL reserved) override;
  STDMETHODIMP CancelLink(DWORD link) override;
  STDMETHODIMP GetLastUpdate(DWORD link, FILETIME* last_update) override;

private:
  TTwCustomRichEdit& editor_;
  TRichEditObject object_;
  ComPtr<IOleLink> link_;
  std::atomic<ULONG> references_{0};
};

}  // namespace tw
