#include "language/builtins/builtins_devices.h"

#include <gtest/gtest.h>

#include <tuple>

#include "config/settings.h"
#include "language/expr_fakes.h"
#include "language/evaluator.h"
#include "platform/report_list.h"
#include "platform/calc_spreadsheet.h"
#include "platform/encoding.h"
#include "support/fake_devices.h"
#include "support/scripted_ui.h"

namespace vm::test {
namespace {

using vm::testing::Num;
using vm::testing::Str;

class ReportFunctions : public vm::testing::FormulaTest {
 protected:
  ReportFunctions() { vm::Reports().Clear(); }
  ~ReportFunctions() override { vm::Reports().Clear(); }
  FakeSpreadsheet app;

  // The calls that reached the application from one formula.
  CallLog Run(std::string_view text, int wantErr = 0) {
    app.Calls.clear();
    EXPECT_EQ(Error(text), wantErr) << text << ": " << ctx.RunErrorText;
    return app.Calls;
  }
  // Two reports, numbered 1 and 2.
  void OpenTwo() {
    EXPECT_EQ(Value("ADDEXCELREPORT('t.xls', 'r.xls')"), 1);
    EXPECT_EQ(Value("OPENEXCELREPORT('old.xls')"), 2);
  }
};

TEST_F(ReportFunctions, WithoutTheApplicationEveryReportFunctionRefuses) {
  {
    // The application the program has when nothing is installed.
    InstallSpreadsheetServices(nullptr);
    EXPECT_EQ(Error("ADDEXCELREPORT('t.xls', 'r.xls')"), 43);
    InstallSpreadsheetServices(&app);
  }
  app.Usable = false;
  for (const char* text :
       {"ADDEXCELREPORT('t', 'r')", "OPENEXCELREPORT('f')", "SAVEREPORT(1)", "CLOSEREPORT(1, 1)",
        "CLOSEALLREPORTS(0)", "EXCELVIS(1)", "GETEXCELCELL(1, 1, 1, 'A')", "SETEXCELCELL(1, 1, 1, 1, 'x')",
        "SETEXCELCELLN(1, 1, 1, 1, 2)", "COPYEXCELROW(1, 1, 1, 2, 3)", "COPYEXCELROWS(1, 1, 1, 2, 3, 4)",
        "COPYEXCELCELL(1, 1, 1, 2, 3, 4)", "EXCELCOPYSHEET(1, 1, 1)", "REPLACEWORDS(1, 1, 'a', 'b', 1)",
        "PRINTDOC(1, 1, 'P', 1)"})
    EXPECT_EQ(Run(text, 43), CallLog{"Start"}) << text;
}

// The office service itself, where no office can be found: each function
// tries to start it, says why it cannot and gives error 43.
class ReportFunctionsWithoutOffice : public vm::testing::FormulaTest {
 protected:
  ReportFunctionsWithoutOffice() { InstallSpreadsheetServices(&calc); }
  ~ReportFunctionsWithoutOffice() override { InstallSpreadsheetServices(nullptr); }
  ScriptedUi ui;
  TCalcSpreadsheet calc{"/nonexistent/soffice"};
};

TEST_F(ReportFunctionsWithoutOffice, EveryFunctionSaysWhyAndGives43) {
  for (const char* text : {"ADDEXCELREPORT('t', 'r')", "OPENEXCELREPORT('f')", "SAVEREPORT(1)", "CLOSEALLREPORTS(0)",
                           "EXCELVIS(1)", "GETEXCELCELL(1, 1, 1, 1)", "SETEXCELCELL(1, 1, 1, 1, 'x')",
                           "COPYEXCELROW(1, 1, 1, 2, 3)", "REPLACEWORDS(1, 1, 'a', 'b', 1)", "PRINTDOC(1, 1, 'P', 1)"}) {
    ui.Boxes.clear();
    EXPECT_EQ(Error(text), 43) << text;
    ASSERT_EQ(ui.Boxes.size(), 1u) << text;
    EXPECT_EQ(Cp1251ToUtf8(ui.Boxes[0].Caption + "|" + ui.Boxes[0].Text),
              "Ошибка запуска Excel|Не найдена программа /nonexistent/soffice");
  }
}

TEST_F(ReportFunctions, NumbersRunOnAndCloseEmptiesTheList) {
  OpenTwo();
  EXPECT_EQ(Run("CLOSEREPORT(1, 1)"), (CallLog{"Start", "Book1.Close(1)"}));
  EXPECT_EQ(Run("SAVEREPORT(1)", 44), CallLog{"Start"});
  EXPECT_EQ(Run("SAVEREPORT(2.4)"), (CallLog{"Start", "Book2.Save()"}));
  EXPECT_EQ(Run("CLOSEREPORT(2, 0)"), (CallLog{"Start", "Book2.Close(0)"}));
  EXPECT_EQ(Value("ADDEXCELREPORT('t.xls', 'r.xls')"), 3);
  EXPECT_EQ(Run("SAVEREPORT(1E20)", 44), CallLog{"Start"});

  EXPECT_EQ(Run("CLOSEALLREPORTS(1)"), (CallLog{"Start", "CloseAll(1)"}));
  EXPECT_EQ(vm::Reports().Count(), 0);
  EXPECT_EQ(Run("SAVEREPORT(3)", 44), CallLog{"Start"});
  EXPECT_EQ(Value("OPENEXCELREPORT('again.xls')"), 1);
  EXPECT_EQ(Run("EXCELVIS(0.5)"), (CallLog{"Start", "SetVisible(1)"}));
}

TEST_F(ReportFunctions, AFailedCreationIsARunErrorWithTheApplicationsWords) {
  app.Refusal = "no such template";
  EXPECT_EQ(Run("ADDEXCELREPORT('t.xls', 'r.xls')", -1), (CallLog{"Start", "CreateReport(t.xls,r.xls)"}));
  EXPECT_EQ(ctx.RunErrorText, "no such template");
  EXPECT_EQ(Run("OPENEXCELREPORT('x')", -1).back(), "OpenReport(x)");
  EXPECT_EQ(vm::Reports().Count(), 0);
}

TEST_F(ReportFunctions, CellAddressesAreTwoNumbersOrTwoTextsCheckedAfterTheReport) {
  OpenTwo();
  // An unknown report is found out before the address.
  EXPECT_EQ(Run("GETEXCELCELL(7, 1, 1, 'A')", 44), CallLog{"Start"});
  for (const char* text : {"GETEXCELCELL(1, 1, 1, 'A')", "SETEXCELCELL(2, 1, 'B', 7, 'x')",
                           "SETEXCELCELLN(1, 1, DATE(1, 1, 2000), DATE(1, 1, 2000), 5)"})
    EXPECT_EQ(Run(text, 45), CallLog{"Start"}) << text;

  EXPECT_EQ(Text("GETEXCELCELL(2, 3, 'B', '7')"), "Book2.GetRange(3,B7)");
  EXPECT_EQ(Text("GETEXCELCELL(1, 2.6, 4.4, 5.5)"), "Book1.GetCell(3,4,6)");
  EXPECT_EQ(Run("SETEXCELCELL(1, 1, 'A', '1:C2', '12.50')").back(), "Book1.SetRange(1,A1:C2,12,50)");
  EXPECT_EQ(Run("SETEXCELCELLN(1, 1, 2, 3, 2.5)").back(), "Book1.SetCellNum(1,2,3,2.500000)");
  EXPECT_EQ(Run("SETEXCELCELLN(1, 1, 'C', '3', 0.25)").back(), "Book1.SetRangeNum(1,C3,0.250000)");
  // A row beyond the 32-bit range is refused, not wrapped.
  EXPECT_EQ(Run("GETEXCELCELL(1, 1, 1E12, 1)", -1).size(), 1u);
}

TEST_F(ReportFunctions, FindWritesTheCoordinatesOrZeros) {
  OpenTwo();
  TVariable* row = ctx.Symbols().AddVariable("R", Num(9));
  TVariable* col = ctx.Symbols().AddVariable("C", Num(9));
  app.Books[0]->Found = true;
  app.Books[0]->FoundRow = 12;
  app.Books[0]->FoundColumn = 3;
  EXPECT_EQ((std::tuple{Value("FINDEXCELCELL(1, 2, 'Итого', R, C)"), row->Value.Num, col->Value.Num}),
            std::tuple(1, 12, 3));
  EXPECT_EQ((std::tuple{Value("FINDEXCELCELL(2, 1, 'none', R, C)"), row->Value.Num, col->Value.Num}),
            std::tuple(0, 0, 0));
  EXPECT_EQ(Run("FINDEXCELCELL(3, 1, 'x', R, C)", 44), CallLog{"Start"});
}

TEST_F(ReportFunctions, CopiesReplacementsAndPrintingPassTheirNumbersInOrder) {
  OpenTwo();
  EXPECT_EQ(Run("COPYEXCELROW(1, 2, 3.4, 5, 6)").back(), "Book1.CopyRow(2,3,5,6)");
  EXPECT_EQ(Run("COPYEXCELROWS(1, 2, 3, 4, 5, 6)").back(), "Book1.CopyRows(2,3,4,5,6)");
  EXPECT_EQ(Run("COPYEXCELCELL(2, 1, 2, 3, 4, 5)").back(), "Book2.CopyCell(1,2,3,4,5)");
  EXPECT_EQ(Run("EXCELCOPYSHEET(1, 2, 3)").back(), "Book1.CopySheet(2,3)");
  EXPECT_EQ(Run("EXCELCOPYSHEET(1, 2, 0)"), CallLog{"Start"});
  EXPECT_EQ(Run("REPLACEWORDS(1, 1, '#SUM#', '7.5', 2)").back(), "Book1.ReplaceWords(1,#SUM#,7,5,1)");
  EXPECT_EQ(Run("REPLACEWORDS(1, 1, '#A#', 'x', 0)").back(), "Book1.ReplaceWords(1,#A#,x,0)");
  EXPECT_EQ(Run("PRINTDOC(2, 1, 'Office', 2.5)").back(), "Book2.Print(1,Office,2)");

  // Only printing and the cell copy let the application's failure through.
  app.Books[1]->Status = {false, "printer jammed"};
  Run("PRINTDOC(2, 1, 'Office', 1)", -1);
  EXPECT_EQ(ctx.RunErrorText, "printer jammed");
  Run("COPYEXCELCELL(2, 1, 2, 3, 4, 5)", -1);
  EXPECT_EQ(Run("COPYEXCELROW(2, 1, 2, 3, 4)").back(), "Book2.CopyRow(1,2,3,4)");
}

// A save that fails is error -1 in the application's words, with the
// report's file named in the error log; closing forgets the report anyway.
TEST_F(ReportFunctions, AFailedSaveIsARunErrorAndNamesTheFileInTheLog) {
  ScriptedUi ui;
  OpenTwo();
  app.Books[0]->SaveStatus = {false, "disk full"};
  Run("SAVEREPORT(1)", -1);
  EXPECT_EQ(ctx.RunErrorText, "disk full");
  ASSERT_EQ(ui.Log.size(), 1u);
  EXPECT_NE(ui.Log[0].find("r.xls: disk full"), std::string::npos);
  EXPECT_EQ(Run("CLOSEREPORT(1, 0)"), (CallLog{"Start", "Book1.Close(0)"}));
  EXPECT_EQ(vm::Reports().Count(), 1);
  app.Books[1]->SaveStatus = {false, "permission denied"};
  EXPECT_EQ(Run("CLOSEREPORT(2, 1)", -1), (CallLog{"Start", "Book2.Close(1)"}));
  EXPECT_EQ(ctx.RunErrorText, "permission denied");
  ASSERT_EQ(ui.Log.size(), 2u);
  EXPECT_NE(ui.Log[1].find("old.xls: permission denied"), std::string::npos);
  EXPECT_EQ(vm::Reports().Count(), 0);
}

TEST(CellNumberText, OnlyWholeDecimalNumbersGetTheComma) {
  for (const auto& [text, cell] : {std::pair{"12.50", "12,50"}, {"-0.5", "-0,5"}, {"1.2.3", "1.2.3"}, {"12", "12"},
                                   {"1.1234567890123456", "1.1234567890123456"}, {"x.5", "x.5"}})
    EXPECT_EQ(CellNumberText(text), cell) << text;
}

using Devices = vm::testing::FormulaTest;

TEST_F(Devices, BarcodeFunctionsGiveTheirPatterns) {
  ExpectTexts({{"CHECKSUMSTRING('123')", "012366"},
               {"CHECKBARSTRING('012366')", "0123"},
               {"CHECKBARSTRING('012367')", ""},
               {"CHECKBARSTRING('12')", ""},
               {"INTERLEAVED25('5')", "111113113331113111"},
               {"CODE39('a*b')", "1311313111" "3111131131" "1131131131" "1311313111"}});
}

class PrinterUi : public ScriptedUi {
 public:
  std::vector<std::string> Printers;
  std::vector<std::string> PrinterNames() const override { return Printers; }
};

TEST_F(Devices, PrinterNameIsTheClosestInstalledPrinter) {
  PrinterUi ui;
  const std::string saved = Settings().PrinterName;
  Settings().PrinterName = " hp laserjet ";
  EXPECT_EQ(Text("PRINTERNAME(0)"), "");
  ui.Printers = {"Office Color", "HP LaserJet", "PDF"};
  EXPECT_EQ(Text("PRINTERNAME(0)"), "HP LaserJet");
  Settings().PrinterName = "Offise Colr";
  EXPECT_EQ(Text("PRINTERNAME(5)"), "Office Color");
  Settings().PrinterName = saved;
}

TEST_F(Devices, ScannerOpensOnceAndClosesAsTheSettingsSay) {
  FakeScanner scanner;
  const TSerialRecord saved = Settings().SerialRecord;
  TSerialRecord& record = Settings().SerialRecord;
  record = {};
  TPortConfig config{};
  config[0] = 52;
  record.SetPortConfig(config);
  record.SetPortName("COM2");

  EXPECT_EQ(Error("OPENBARSCANER(0)"), 0);
  EXPECT_TRUE(scanner.Calls.empty());
  EXPECT_EQ(Error("OPENBARSCANER(1)"), 0);
  EXPECT_EQ(Error("OPENBARSCANER(1)"), 0);
  EXPECT_EQ(Error("OPENBARSCANER(0)"), 0);
  EXPECT_EQ(scanner.Calls, (CallLog{"CreatePort(COM2)", "SetReceiveEnabled(1)", "SetReceiveEnabled(1)",
                                    "SetReceiveEnabled(0)"}));
  EXPECT_EQ(scanner.Config[0], 52);

  record.SetCloseAfter(true);
  scanner.Calls.clear();
  EXPECT_EQ(Error("OPENBARSCANER(1E-12)"), 0);
  EXPECT_EQ(Error("OPENBARSCANER(0)"), 0);
  EXPECT_EQ(scanner.Calls, (CallLog{"FreePort"}));
  Settings().SerialRecord = saved;
}

}  // namespace
}  // namespace vm::test
