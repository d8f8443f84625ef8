#include "fuzz/fuzz_target.h"

namespace tw::fuzz {

std::vector<Target>& Targets() {
  static std::vector<Target> targets;
  return targets;
}

Target& TargetNamed(const std::string& name) {
  for (auto& target : Targets())
    if (target.name == name) return target;
  Targets().push_back(Target{name});
  return Targets().back();
}

}  // namespace tw::fuzz
