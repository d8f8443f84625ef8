#include "framework/persistent.h"

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::DefineProperties(TFiler&) {}

void TPersistent::AssignTo(TPersistent& dest) const {
  throw EConvertError(FmtLoadStr(SAssignError, ClassName(), dest.ClassName()));
}

}  // namespace tw
