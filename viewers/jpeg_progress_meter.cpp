#include "viewers/jpeg_progress_meter.h"

#include <algorithm>
#include <cmath>

namespace tw {

int TJPEGProgressMeter::Percent(const Counters& c) {
  if (c.TotalPasses <= 0) return 0;
  double in_pass = 0.0;
  if (c.PassLimit > 0) in_pass = std::clamp(static_cast<double>(c.PassCounter) / static_cast<double>(c.PassLimit), 0.0, 1.0);
  const double done = (in_pass + std::max(c.CompletedPasses, 0)) * 100.0 / c.TotalPasses;
  return static_cast<int>(std::clamp(std::trunc(done), 0.0, 100.0));
}

std::optional<TJPEGProgress> TJPEGProgressMeter::Update(Clock::time_point now, const Counters& c) {
  if (!started_) {
    started_ = true;
    last_time_ = now;
    return std::nullopt;
  }
  if (now - last_time_ < interval_) return std::nullopt;
  last_time_ = now;

  const int percent = Percent(c);
  if (percent == last_percent_) return std::nullopt;
  last_percent_ = percent;

  TJPEGProgress report;
  report.Stage = psRunning;
  report.PercentDone = percent;
  if (c.Decompressing) {
    // A new output pass starts again at the top: what is left of the previous one, down to the
    // last row, is what changed since the last report.
    report.R = Rect(0, last_row_, c.OutputWidth, c.OutputScanline >= last_row_ ? c.OutputScanline : c.OutputHeight);
    report.RedrawNow = report.R.Height() > 3;
    last_row_ = c.OutputScanline;
  }
  return report;
}

}  // namespace tw
