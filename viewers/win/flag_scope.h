#pragma once
// FlagScope: sets a flag for its lifetime and gives it its value back however the work ends.

#include <utility>

namespace tw {

class FlagScope {
public:
  FlagScope(bool& flag, bool value) : flag_(flag), old_(std::exchange(flag, value)) {}
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

private:
  bool& flag_;
  bool old_;
};

}  // namespace tw
