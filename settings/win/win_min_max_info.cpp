#include "settings/win/win_min_max_info.h"

#include <algorithm>

#include "framework/type_info.h"
#include "settings/win/form_placement.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TWinMinMaxInfo>("TWinMinMaxInfo", "TPersistent")
                             .Integer("MaxPosLeft", &TWinMinMaxInfo::MaxPosLeft, &TWinMinMaxInfo::SetMaxPosLeft, 0)
                             .Integer("MaxPosTop", &TWinMinMaxInfo::MaxPosTop, &TWinMinMaxInfo::SetMaxPosTop, 0)
                             .Integer("MaxSizeHeight", &TWinMinMaxInfo::MaxSizeHeight, &TWinMinMaxInfo::SetMaxSizeHeight, 0)
                             .Integer("MaxSizeWidth", &TWinMinMaxInfo::MaxSizeWidth, &TWinMinMaxInfo::SetMaxSizeWidth, 0)
                             .Integer("MaxTrackHeight", &TWinMinMaxInfo::MaxTrackHeight, &TWinMinMaxInfo::SetMaxTrackHeight, 0)
                             .Integer("MaxTrackWidth", &TWinMinMaxInfo::MaxTrackWidth, &TWinMinMaxInfo::SetMaxTrackWidth, 0)
                             .Integer("MinTrackHeight", &TWinMinMaxInfo::MinTrackHeight, &TWinMinMaxInfo::SetMinTrackHeight, 0)
                             .Integer("MinTrackWidth", &TWinMinMaxInfo::MinTrackWidth, &TWinMinMaxInfo::SetMinTrackWidth, 0)
                             .Done();
}  // namespace

void TWinMinMaxInfo::SetMinMaxInfo(int index, int value) {
  int& slot = values_.at(static_cast<std::size_t>(index));
  if (slot == value) return;
  slot = value;
  if (owner_) owner_->MinMaxChanged();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
  (void)kRegistered;
  return std::all_of(values_.begin(), values_.end(), [](int v) { return v == 0; });
}

void TWinMinMaxInfo::Assign(const TPersistent& source) {
  if (auto* other = dynamic_cast<const TWinMinMaxInfo*>(&source)) {
    values_ = other->values_;
    if (owner_) owner_->MinMaxChanged();
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace tw
