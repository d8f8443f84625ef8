#include <gtest/gtest.h>

#include "framework/win/application.h"
#include "framework/win/timer.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

TEST(Timer, FiresThroughTheMessageLoopUntilDisabled) {
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int fired = 0;
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    if (++fired == 3) timer.SetEnabled(false);
  });
  EXPECT_TRUE(timer.Running());
  EXPECT_TRUE(test::PumpUntil([&] { return fired == 3; }));
  EXPECT_FALSE(timer.Running());
  test::PumpUntil([] { return false; }, 60);
  EXPECT_EQ(fired, 3);
}

TEST(Timer, RunsOnlyWithIntervalAndHandler) {
  TTimer timer(nullptr);
  EXPECT_FALSE(timer.Running());  // no handler yet
  timer.SetOnTimer([](TObject*) {});
  EXPECT_TRUE(timer.Running());
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Running());
}

TEST(Timer, HandlerExceptionGoesToTheDisplayAndTheTimerGoesOn) {
  std::vector<std::string> shown;
  Application->OnException = [&](TObject*, const Exception& e) { shown.push_back(e.Message()); };
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.SetOnTimer([](TObject*) { throw EInvalidOperation("tick failed"); });
  EXPECT_TRUE(test::PumpUntil([&] { return shown.size() >= 2; }));
  Application->OnException = nullptr;
  EXPECT_EQ(shown[0], "tick failed");
}

}  // namespace
}  // namespace tw
