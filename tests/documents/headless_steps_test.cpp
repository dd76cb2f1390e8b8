#include "documents/headless_steps.h"

#include <gtest/gtest.h>

#include "config/page_format.h"
#include "config/settings.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/registry_context.h"
#include "platform/encoding.h"
#include "platform/report_list.h"
#include "support/fake_devices.h"
#include "support/scripted_ui.h"

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

// A run's formulas and the blanks compiled for it read the run's own
// parameters; once it ends the blanks' conditions and headers read the
// configuration's again, and never the run's list, which goes with it.
TEST(HeadlessSteps, AfterARunTheBlanksReadTheConfigurationsParametersAgain) {
  ScriptedUi ui;
  // The configuration's parameters, papers and default paper come back
  // whatever happens here, a failed assertion included.
  struct TKept {
    TKept() {
      Settings().AutoParams.CopyTo(params);
      PageFormats().CopyTo(formats);
    }
    ~TKept() {
      params.CopyTo(Settings().AutoParams);
      formats.CopyTo(PageFormats());
      Settings().DefaultFormatName = paper;
    }
    TAutoList params;
    TPageFormatList formats;
    std::string paper = Settings().DefaultFormatName;
  } kept;
  PageFormats().Add({"A4", ""});
  Settings().DefaultFormatName = "A4";
  TAutoList& live = Settings().AutoParams;
  live.Clear();
  *live.AddNew() = {"СТАВКА"_w, 'N', "20", false};
  {
    THeadlessSteps steps;
    TDocData doc;
    doc.Description = "BLANK\nWIDTH = 500\nENDSECTION\n";
    int32_t line = 0, code = 0;
    ASSERT_TRUE(steps.Compile(doc, line, code)) << code;
    EXPECT_EQ(&GlobalAutoParams(), &steps.Document().AutoParams.List());
    steps.ClearRun();
    EXPECT_EQ(&GlobalAutoParams(), &live);
  }
  live.GetItem(0)->ValueText = "18";
  TExprChain rate;
  ASSERT_EQ(CompileExpr("%СТАВКА% + 1"_w, GlobalExprContext(), rate).ErrCode, 0);
  int error = -1;
  TCommonVar value;
  EvalExpr(rate, error, value);
  EXPECT_EQ(std::pair(error, static_cast<double>(value.Num)), std::pair(0, 19.0));
}

}  // namespace
}  // namespace vm::test
