#include "foundation/errorlog.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/datadir.h"
#include "foundation/encoding.h"
#include "platform/clock.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

TEST(ErrorLogTest, HeadsEachRunOnceAndAppends) {
  test::TempDir home;
  ::setenv("VELOMAR_HOME", home.Dir().c_str(), 1);
  InitProgramDirectory();
  test::WriteBytes(home / "Errors.log", "old\r\n");
  FixedClock clock({2007, 3, 5, 14, 5, 9, 0});
  ScopedClock scoped(clock);

  ResetErrorLogRun();
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
  ::unsetenv("VELOMAR_HOME");
  InitProgramDirectory();
}

}  // namespace
}  // namespace vm
