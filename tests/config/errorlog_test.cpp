#include "config/errorlog.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/clock.h"
#include "support/program_home.h"

namespace vm {
namespace {

TEST(ErrorLogTest, HeadsEachRunOnceAndAppends) {
  test::ProgramHome home;
  test::WriteBytes(home / "Errors.log", "old\r\n");
  FixedClock clock({2007, 3, 5, 14, 5, 9, 0});
  ScopedClock scoped(clock);

  LogError("База sales.dbf не существует, создается"_w);
  CloseErrorLog();
  LogError("second");
  ResetErrorLogRun();  // the next run
  LogError("third");
  CloseErrorLog();

  const std::string heading = "5 марта 2007 г.  14ч. 5мин. 9c. "_w;
  EXPECT_EQ(test::ReadBytes(home / "Errors.log"),
            "old\r\n\r\n" + heading + "\r\n  База sales.dbf не существует, создается\r\n"_w +
                "  second\r\n\r\n" + heading + "\r\n  third\r\n");
}

}  // namespace
}  // namespace vm
