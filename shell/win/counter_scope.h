#pragma once
// Raises a counter for the length of a scope: the busy and navigation counters by which the
// browsing controls ignore the requests that their own moves of each other bring back.

namespace tw {

class TCounterScope {
public:
  explicit TCounterScope(int& counter) : counter_(counter) { ++counter_; }
  ~TCounterScope() { --counter_; }
  TCounterScope(const TCounterScope&) = delete;
  TCounterScope& operator=(const TCounterScope&) = delete;

private:
  int& counter_;
};

}  // namespace tw
