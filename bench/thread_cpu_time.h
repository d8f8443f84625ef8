#pragma once
// The calling thread's CPU time, which the benchmarks time both sides of a ratio with: other work
// on a busy machine then inflates neither.

#include <ctime>

namespace tw::bench {

inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace tw::bench
