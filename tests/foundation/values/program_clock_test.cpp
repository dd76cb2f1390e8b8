#include "foundation/values/program_clock.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

using namespace vm;

namespace {

struct ProgramClockTest : ::testing::Test {
  ProgramClockTest() { ticks.SetTicks(5'000'000'000'000ull); }  // far past 32 bits
  FixedClock ticks;
  ScopedClock guard{ticks};
  TProgramClock clock;
  TDateRec date;
  TTimeRec time;
};

}  // namespace

TEST_F(ProgramClockTest, CountsRoundedSecondsAcrossMidnightAndMonthEnds) {
  clock.Fix({31, 12, 2026}, {23, 59, 58});
  ticks.AdvanceTicks(1499);
  clock.Now(date, time);
  EXPECT_EQ(time, (TTimeRec{23, 59, 59}));
  EXPECT_EQ(date, (TDateRec{31, 12, 2026}));
  ticks.AdvanceTicks(1);  // 1.5 s rounds up
  clock.Now(date, time);
  EXPECT_EQ(time, (TTimeRec{0, 0, 0}));
  EXPECT_EQ(date, (TDateRec{1, 1, 2027}));
  ticks.AdvanceTicks(2ull * 86400 * 1000);
  clock.Now(date, time);
  EXPECT_EQ(date, (TDateRec{3, 1, 2027}));
}

TEST_F(ProgramClockTest, SettingBackRestoresTheTickSoNoTimeIsLostOrGained) {
  clock.Fix({5, 3, 2027}, {10, 0, 0});
  const TClockMark kept = clock.Keep();
  ticks.AdvanceTicks(60'000);
  clock.Fix({6, 3, 2027}, {9, 0, 0});  // a run confirmed the next morning
  ticks.AdvanceTicks(30'000);
  clock.SetBack(kept);  // and was cancelled
  clock.Now(date, time);
  // 90 seconds since the kept base was fixed, not 30.
  EXPECT_EQ(date, (TDateRec{5, 3, 2027}));
  EXPECT_EQ(time, (TTimeRec{10, 1, 30}));
}

TEST_F(ProgramClockTest, ATickCountThatWentBackCountsAsNoTime) {
  clock.Fix({5, 3, 2027}, {10, 0, 0});
  ticks.SetTicks(1000);
  clock.Now(date, time);
  EXPECT_EQ(time, (TTimeRec{10, 0, 0}));
}
