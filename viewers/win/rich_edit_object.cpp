#include "viewers/win/rich_edit_object.h"

#include "framework/win/wide_text.h"

namespace tw {

bool TRichEditObject::ReadSelected(IRichEditOle& ole) {
  REOBJECT record{};
  record.cbStruct = sizeof(record);
  // The interface was declared while GetObject still stood for GetObjectA.
  if (FAILED(ole.GetObjectA(REO_IOB_SELECTION, &record,
                            REO_GETOBJ_POLEOBJ | REO_GETOBJ_PSTG | REO_GETOBJ_POLESITE)))
    return false;
  object_ = ComPtr<IOleObject>::Adopt(record.poleobj);
  storage_ = ComPtr<IStorage>::Adopt(record.pstg);
  site_ = ComPtr<IOleClientSite>::Adopt(record.polesite);
  record_ = record;
  return object_ != nullptr;
}

std::string TRichEditObject::UserType(DWORD form) const {
  LPOLESTR name = nullptr;
  if (!object_ || FAILED(object_->GetUserType(form, &name))) return {};
  std::string result = FromWide(name);
  CoTaskMemFree(name);
  return result;
}

}  // namespace tw
