#include "documents/headless_steps.h"

#include <gtest/gtest.h>

#include "platform/report_list.h"
#include "support/fake_devices.h"

namespace vm::test {
namespace {

TEST(HeadlessStepsReports, WorkbooksCloseUnsavedAroundARunAndTheOfficeIsOnlyHidden) {
  FakeSpreadsheet app;
  THeadlessSteps steps;
  std::string error;
  Reports().AddNew(app.OpenReport("a.xls", error));
  steps.CloseWorkbooks(false);
  EXPECT_EQ(Reports().Count(), 0);
  Reports().AddNew(app.OpenReport("b.xls", error));
  steps.CloseWorkbooks(true);
  EXPECT_EQ(Reports().Count(), 0);
  EXPECT_EQ(app.Calls, (CallLog{"OpenReport(a.xls)", "CloseAll(0)", "OpenReport(b.xls)", "CloseAll(0)", "SetVisible(0)"}));
  // A new run numbers its reports from 1 again.
  EXPECT_EQ(Reports().AddNew(app.OpenReport("c.xls", error)), 1);
  Reports().Clear();
}

}  // namespace
}  // namespace vm::test
