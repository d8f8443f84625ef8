#pragma once
// Turns libjpeg's pass counters into progress reports for the picture's OnProgress event, at
// most one per interval (500 milliseconds) and only when the percentage moved.

#include <chrono>
#include <optional>

#include "viewers/jpeg_data.h"

namespace tw {

class TJPEGProgressMeter {
public:
  using Clock = std::chrono::steady_clock;
  explicit TJPEGProgressMeter(std::chrono::milliseconds interval = std::chrono::milliseconds{500})
      : interval_(interval) {}

  // libjpeg's progress fields at one call of its progress routine; the output fields only
  // while decompressing.
  struct Counters {
    long PassCounter = 0;
    long PassLimit = 0;
    int CompletedPasses = 0;
    int TotalPasses = 0;
    bool Decompressing = false;
    int OutputScanline = 0;
    int OutputWidth = 0;
    int OutputHeight = 0;
  };

  // The report to raise at time NOW, if any. The first call only starts the clock.
  std::optional<TJPEGProgress> Update(Clock::time_point now, const Counters& counters);

  // Whole percent done over all passes, 0..100; counters that make no sense count as 0.
  static int Percent(const Counters& counters);

private:
  std::chrono::milliseconds interval_;
  bool started_ = false;
  Clock::time_point last_time_{};
  int last_percent_ = 0;
  int last_row_ = 0;
};

}  // namespace tw
