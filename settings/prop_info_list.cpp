#include "settings/prop_info_list.h"

#include "framework/text.h"

namespace tw {

TPropInfoList::TPropInfoList(const TObject& object)
    : items_(GetPropList(object, {tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass})) {}

const TPropInfo* TPropInfoList::Find(const std::string& name) const {
  for (const TPropInfo* p : items_)
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

}  // namespace tw
