#include "viewers/jpeg_progress_meter.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using namespace std::chrono_literals;
using Counters = TJPEGProgressMeter::Counters;

Counters Decoding(long counter, long limit, int completed, int total, int scanline) {
  Counters c;
  c.PassCounter = counter;
  c.PassLimit = limit;
  c.CompletedPasses = completed;
  c.TotalPasses = total;
  c.Decompressing = true;
  c.OutputScanline = scanline;
  c.OutputWidth = 640;
  c.OutputHeight = 480;
  return c;
}

TEST(JpegProgressMeter, PercentCountsCompletedPassesAndThePartOfTheCurrentOne) {
  EXPECT_EQ(TJPEGProgressMeter::Percent(Decoding(50, 100, 1, 3, 0)), 50);
  EXPECT_EQ(TJPEGProgressMeter::Percent(Decoding(1, 3, 0, 1, 0)), 33);
  EXPECT_EQ(TJPEGProgressMeter::Percent(Decoding(100, 100, 1, 2, 0)), 100);
  // libjpeg may call before a pass has a limit, or with no passes planned yet.
  EXPECT_EQ(TJPEGProgressMeter::Percent(Decoding(10, 0, 1, 2, 0)), 50);
  EXPECT_EQ(TJPEGProgressMeter::Percent(Decoding(10, 100, 0, 0, 0)), 0);
}

TEST(JpegProgressMeter, TheFirstCallStartsTheClockAndLaterOnesWaitForTheInterval) {
  TJPEGProgressMeter meter;
  const auto t0 = TJPEGProgressMeter::Clock::time_point{} + 10s;
  EXPECT_FALSE(meter.Update(t0, Decoding(90, 100, 0, 1, 400)));
  EXPECT_FALSE(meter.Update(t0 + 499ms, Decoding(90, 100, 0, 1, 400)));
  const auto report = meter.Update(t0 + 500ms, Decoding(90, 100, 0, 1, 400));
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Stage, psRunning);
  EXPECT_EQ(report->PercentDone, 90);
  // The clock restarts at every report.
  EXPECT_FALSE(meter.Update(t0 + 900ms, Decoding(95, 100, 0, 1, 450)));
  EXPECT_TRUE(meter.Update(t0 + 1000ms, Decoding(95, 100, 0, 1, 450)));
}

TEST(JpegProgressMeter, NothingIsReportedWhileThePercentageStands) {
  TJPEGProgressMeter meter(0ms);
  const auto t = TJPEGProgressMeter::Clock::now();
  meter.Update(t, Decoding(0, 100, 0, 1, 0));
  EXPECT_FALSE(meter.Update(t, Decoding(0, 100, 0, 1, 0)));  // still 0, as the start reported
  EXPECT_TRUE(meter.Update(t, Decoding(40, 100, 0, 1, 100)));
  EXPECT_FALSE(meter.Update(t, Decoding(40, 100, 0, 1, 200)));
}

TEST(JpegProgressMeter, TheRectangleCoversTheRowsSinceTheLastReport) {
  TJPEGProgressMeter meter(0ms);
  const auto t = TJPEGProgressMeter::Clock::now();
  meter.Update(t, Decoding(0, 100, 0, 2, 0));
  auto r = meter.Update(t, Decoding(30, 100, 0, 2, 120));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->R, Rect(0, 0, 640, 120));
  EXPECT_TRUE(r->RedrawNow);
  r = meter.Update(t, Decoding(40, 100, 0, 2, 123));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->R, Rect(0, 120, 640, 123));
  EXPECT_FALSE(r->RedrawNow);  // three rows are not worth a redraw
  // A new output pass starts at the top again: the rest of the previous pass is reported.
  r = meter.Update(t, Decoding(10, 100, 1, 2, 20));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->R, Rect(0, 123, 640, 480));
  r = meter.Update(t, Decoding(50, 100, 1, 2, 200));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->R, Rect(0, 20, 640, 200));
}

TEST(JpegProgressMeter, CompressingReportsAnEmptyRectangle) {
  TJPEGProgressMeter meter(0ms);
  const auto t = TJPEGProgressMeter::Clock::now();
  Counters c;
  c.TotalPasses = 1;
  c.PassLimit = 10;
  meter.Update(t, c);
  c.PassCounter = 5;
  const auto r = meter.Update(t, c);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->PercentDone, 50);
  EXPECT_EQ(r->R, TRect{});
  EXPECT_FALSE(r->RedrawNow);
}

}  // namespace
}  // namespace tw
