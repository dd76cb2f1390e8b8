#include "foundation/values/program_clock.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/clock.h"

using namespace vm;

namespace {

struct ProgramClockTest : ::testing::Test {
  ProgramClockTest() { ticks.SetTicks(5'000'000'000'000ull); }  // far past 32 bits
  FixedClock ticks;
  ScopedClock guard{ticks};
  TProgramClock clock;

  std::pair<TDateRec, TTimeRec> Now() {
    std::pair<TDateRec, TTimeRec> now;
    clock.Now(now.first, now.second);
    return now;
  }
};

using Moment = std::pair<TDateRec, TTimeRec>;

}  // namespace

TEST_F(ProgramClockTest, CountsRoundedSecondsAcrossMidnightAndMonthEnds) {
  clock.Fix({31, 12, 2026}, {23, 59, 58});
  ticks.AdvanceTicks(1499);
  EXPECT_EQ(Now(), Moment({31, 12, 2026}, {23, 59, 59}));
  ticks.AdvanceTicks(1);  // 1.5 s rounds up
  EXPECT_EQ(Now(), Moment({1, 1, 2027}, {0, 0, 0}));
  ticks.AdvanceTicks(2ull * 86400 * 1000);
  EXPECT_EQ(Now(), Moment({3, 1, 2027}, {0, 0, 0}));
}

TEST_F(ProgramClockTest, SettingBackRestoresTheTickSoNoTimeIsLostOrGained) {
  clock.Fix({5, 3, 2027}, {10, 0, 0});
  const TClockMark kept = clock.Keep();
  ticks.AdvanceTicks(60'000);
  clock.Fix({6, 3, 2027}, {9, 0, 0});  // a run confirmed the next morning
  ticks.AdvanceTicks(30'000);
  clock.SetBack(kept);  // and was cancelled
  // 90 seconds since the kept base was fixed, not 30.
  EXPECT_EQ(Now(), Moment({5, 3, 2027}, {10, 1, 30}));
}

TEST_F(ProgramClockTest, ATickCountThatWentBackCountsAsNoTime) {
  clock.Fix({5, 3, 2027}, {10, 0, 0});
  ticks.SetTicks(1000);
  EXPECT_EQ(Now(), Moment({5, 3, 2027}, {10, 0, 0}));
}
