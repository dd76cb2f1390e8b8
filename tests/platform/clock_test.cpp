#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace vm;

TEST(Clock, InstalledClockReplacesTheSystemClockUntilRemoved) {
  FixedClock fixed({2007, 3, 5, 10, 20, 30, 0}, {2007, 3, 5, 7, 20, 30, 0});
  fixed.SetTicks(1000);
  {
    const ScopedClock guard(fixed);
    EXPECT_EQ(SystemClock().LocalNow().Hour, 10);
    EXPECT_EQ(SystemClock().UtcNow().Hour, 7);
    fixed.AdvanceTicks(2500);
    EXPECT_EQ(SystemClock().TickCountMs(), 3500u);
  }
  const TClockReading now = SystemClock().LocalNow();
  EXPECT_GE(now.Year, 2020);
  EXPECT_GE(now.Month, 1);
  EXPECT_LE(now.Month, 12);
}
