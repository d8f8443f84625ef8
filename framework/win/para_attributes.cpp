#include "framework/win/para_attributes.h"

#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {

void CheckTabIndex(int index) {
  if (index < 0 || index >= TParaAttributes::MaxTabs) throw EListError(FmtLoadStr(SListIndexError, index));
}

void TParaAttributes::Assign(const TPersistent& source) {
  if (auto* other = dynamic_cast<const TParaAttributes*>(&source)) {
    *this = *other;
    return;
  }
  TPersistent::Assign(source);
}

int TParaAttributes::Tab(int index) const {
  CheckTabIndex(index);
  return tabs_[index];
}

void TParaAttributes::SetTab(int index, int value) {
  CheckTabIndex(index);
  tabs_[index] = value;
}

void TParaAttributes::SetTabCount(int value) { tab_count_ = std::clamp(value, 0, MaxTabs); }

}  // namespace tw
