#pragma once
// TOleUIObjInfo: what the system's object properties dialog asks of the editor about its
// selected object: its names and location, its class, and how it is shown (content or icon).
// Converting an object to another class is not offered.

#include <windows.h>
#include <oledlg.h>

#include <atomic>

#include "viewers/win/rich_edit_object.h"

namespace tw {

class TTwCustomRichEdit;

// The dialog's number for the one object it is opened on.
inline constexpr DWORD kSelectedObject = 1;

// Strings handed to the dialog, which frees them with the task allocator.
LPSTR TaskString(const std::string& text);

class TOleUIObjInfo : public IOleUIObjInfoA {
public:
  TOleUIObjInfo(TTwCustomRichEdit& editor, const TRichEditObject& object) : editor_(editor), object_(object) {}
  virtual ~TOleUIObjInfo() = default;

  // Counted from 0; the last release frees the object.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetObjectInfo(DWORD object, DWORD* size, LPSTR* label, LPSTR* type, LPSTR* short_type,
                             LPSTR* location) override;
  STDMETHODIMP GetConvertInfo(DWORD object, CLSID* class_id, WORD* format, CLSID* default_class_id,
                              LPCLSID* exclude, UINT* exclude_count) override;
  STDMETHODIMP ConvertObject(DWORD object, REFCLSID new_class) override;
  STDMETHODIMP GetViewInfo(DWORD object, HGLOBAL* metafile_picture, DWORD* aspect, int* scale) override;
  STDMETHODIMP SetViewInfo(DWORD object, HGLOBAL metafile_picture, DWORD aspect, int scale,
                           BOOL relative_to_original) override;

private:
  TTwCustomRichEdit& editor_;
  TRichEditObject object_;
  std::atomic<ULONG> references_{0};
};

}  // namespace tw
