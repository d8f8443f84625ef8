#pragma once
// TRichEditObject: a copy of the record of an embedded object in a rich edit control (its
// position, size, aspect and flags) holding its own references to the object, its storage and
// its client site.

#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <string>

#include "framework/win/com_ptr.h"

namespace tw {

class TRichEditObject {
public:
  // The control's one selected object; false when the selection is not a single object.
  bool ReadSelected(IRichEditOle& ole);

  const REOBJECT& Record() const { return record_; }
  IOleObject* Object() const { return object_.Get(); }
  IOleClientSite* Site() const { return site_.Get(); }
  bool InPlaceActive() const { return record_.dwFlags & REO_INPLACEACTIVE; }
  // The object's type name in the form asked for (USERCLASSTYPE_FULL, USERCLASSTYPE_SHORT);
  // empty when the object does not know it.
  std::string UserType(DWORD form) const;

private:
  REOBJECT record_{};
  ComPtr<IOleObject> object_;
  ComPtr<IStorage> storage_;
  ComPtr<IOleClientSite> site_;
};

}  // namespace tw
