#include "viewers/win/ole_ui_obj_info.h"

#include <cstring>

#include "framework/string_table.h"
#include "framework/win/application.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

// The icon an object shows as: shown as an icon, its cached icon presentation; else, or
// without one, its class's icon.
HGLOBAL IconPicture(const TRichEditObject& selected) {
  IOleObject* object = selected.Object();
  if (selected.Record().dvaspect == DVASPECT_ICON) {
    ComPtr<IDataObject> data = ComPtr<IOleObject>(object).As<IDataObject>();
    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
    STGMEDIUM medium{};
    if (data && SUCCEEDED(data->GetData(&format, &medium))) {
      if (medium.tymed == TYMED_MFPICT && !medium.pUnkForRelease) return medium.hMetaFilePict;
      ReleaseStgMedium(&medium);
    }
  }
  CLSID class_id{};
  if (FAILED(object->GetUserClassID(&class_id))) return nullptr;
  return OleGetIconOfClass(class_id, nullptr, TRUE);
}

}  // namespace

LPSTR TaskString(const std::string& text) {
  auto* copy = static_cast<LPSTR>(CoTaskMemAlloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

STDMETHODIMP TOleUIObjInfo::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = static_cast<IOleUIObjInfoA*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TOleUIObjInfo::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) TOleUIObjInfo::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP TOleUIObjInfo::GetObjectInfo(DWORD, DWORD* size, LPSTR* label, LPSTR* type, LPSTR* short_type,
                                          LPSTR* location) {
  if (size) *size = static_cast<DWORD>(-1);
  if (label) *label = nullptr;
  if (type) *type = TaskString(object_.UserType(USERCLASSTYPE_FULL));
  if (short_type) *short_type = TaskString(object_.UserType(USERCLASSTYPE_SHORT));
  if (location) {
    const std::string& title = editor_.Title();
    const std::string& application = Application->Title();
    *location = TaskString(title.empty() ? application : Format("%s - %s", title, application));
  }
  return S_OK;
}

STDMETHODIMP TOleUIObjInfo::GetConvertInfo(DWORD, CLSID* class_id, WORD* format, CLSID* default_class_id,
                                           LPCLSID* exclude, UINT* exclude_count) {
  if (class_id) *class_id = object_.Record().clsid;
  if (format) *format = 0;
  if (default_class_id) *default_class_id = CLSID_NULL;
  if (exclude) *exclude = nullptr;
  if (exclude_count) *exclude_count = 0;
  return S_OK;
}

STDMETHODIMP TOleUIObjInfo::ConvertObject(DWORD, REFCLSID) { return E_NOTIMPL; }

STDMETHODIMP TOleUIObjInfo::GetViewInfo(DWORD, HGLOBAL* metafile_picture, DWORD* aspect, int* scale) {
  if (metafile_picture) *metafile_picture = IconPicture(object_);
  if (aspect) *aspect = object_.Record().dvaspect;
  if (scale) *scale = 0;
  return S_OK;
}

// Shows the object as content or as its icon; the dialog keeps the icon picture it passes.
STDMETHODIMP TOleUIObjInfo::SetViewInfo(DWORD, HGLOBAL metafile_picture, DWORD aspect, int, BOOL) {
  IRichEditOle* ole = editor_.RichEditOle();
  if (!ole) return E_FAIL;
  if (object_.InPlaceActive()) ole->InPlaceDeactivate();
  if (aspect == DVASPECT_ICON && metafile_picture) {
    // The icon becomes the object's cached icon presentation.
    ComPtr<IOleCache> cache = ComPtr<IOleObject>(object_.Object()).As<IOleCache>();
    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
    DWORD connection = 0;
    STGMEDIUM medium{};
    medium.tymed = TYMED_MFPICT;
    medium.hMetaFilePict = OleDuplicateData(metafile_picture, CF_METAFILEPICT, GMEM_MOVEABLE);
    if (cache && medium.hMetaFilePict && SUCCEEDED(cache->Cache(&format, ADVF_NODATA, &connection))) {
      if (FAILED(cache->SetData(&format, &medium, TRUE))) ReleaseStgMedium(&medium);
    } else if (medium.hMetaFilePict) {
      ReleaseStgMedium(&medium);
    }
  }
  return ole->SetDvaspect(REO_IOB_SELECTION, aspect);
}

}  // namespace tw
