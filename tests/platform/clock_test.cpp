#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace vm;

TEST(Clock, SystemClockGivesAPlausibleReading) {
  const TClockReading local = SystemClock().LocalNow();
  const TClockReading utc = SystemClock().UtcNow();
  for (const TClockReading& r : {local, utc}) {
    EXPECT_GE(r.Year, 2020);
    EXPECT_GE(r.Month, 1);
    EXPECT_LE(r.Month, 12);
    EXPECT_GE(r.Day, 1);
    EXPECT_LE(r.Day, 31);
    EXPECT_LE(r.Hour, 23);
    EXPECT_LE(r.Second, 59);
    EXPECT_LE(r.Millisecond, 999);
  }
  const uint64_t t0 = SystemClock().TickCountMs();
  EXPECT_GE(SystemClock().TickCountMs(), t0);
}

TEST(Clock, InstalledClockReplacesTheSystemClockUntilRemoved) {
  FixedClock fixed({2007, 3, 5, 10, 20, 30, 0}, {2007, 3, 5, 7, 20, 30, 0});
  fixed.SetTicks(1000);
  InstallClock(&fixed);
  EXPECT_EQ(SystemClock().LocalNow().Hour, 10);
  EXPECT_EQ(SystemClock().UtcNow().Hour, 7);
  fixed.AdvanceTicks(2500);
  EXPECT_EQ(SystemClock().TickCountMs(), 3500u);
  InstallClock(nullptr);
  EXPECT_NE(SystemClock().LocalNow().Year, 2007);
}
