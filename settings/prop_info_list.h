#pragma once
// The published properties of one object's class that settings storage walks: every kind but
// unknown and method (event), in the class's published order.

#include <string>
#include <vector>

#include "framework/type_info.h"

namespace tw {

class TPropInfoList {
public:
  explicit TPropInfoList(const TObject& object);

  int Count() const { return static_cast<int>(items_.size()); }
  const TPropInfo* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  // The property NAME, ignoring case, or null.
  const TPropInfo* Find(const std::string& name) const;

private:
  std::vector<const TPropInfo*> items_;
};

}  // namespace tw
