// Documents printed on the recording printer: copies across the sheet, the
// page loop with its page variables, the failures and the state after them.
#include "output/document_print.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/page_format.h"
#include "config/settings.h"
#include "documents/doc_rig.h"
#include "documents/document_recalc.h"
#include "documents/form_layout.h"
#include "language/interpreter.h"
#include "output/device_mode.h"
#include "support/recording_printer.h"

namespace vm::test {
namespace {

// What a print without a usable printer says, and where it sends the user.
constexpr const char* kNoPrinter =
    "Неверные установки принтера\rВыберите принтер в служебных настройках (вкладка \"Печать\") и сохраните их.";

struct PrintRig : DocRig {
  PrintRig() {
    system.AddPrinter("Office").AddPrinter("Wide", 600, 300);
    InstallPrintSystem(&system);
    Settings().PrinterName = "Office";
    Settings().CompressedPrint = false;
    hooks.MarkPrinted = [this] { ++printed; };
    hooks.CheckAll = [this] { return checksPass; };
  }
  ~PrintRig() {
    InstallPrintSystem(nullptr);
    Settings().PrinterName.clear();
  }

  // A document of table T1 (GOODSB) from the top reserve down to 10 mm
  // above the bottom, with the options and sections given, and rows of
  // names R1, R2, ...
  void Build(std::string_view options, std::string_view sections, int rows, std::string_view form = "Y2:-100") {
    ASSERT_EQ(Compile("BLANK\n" + std::string(options) + "\nENDSECTION\n"
                      "VARS\nA = N\nENDSECTION\n"
                      "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, KEYCOL:[1], " + std::string(form) + "\nENDSECTION\n" +
                      std::string(sections)),
              0)
        << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    layout.Build(controls, 800, 600);
    TDataView& view = Doc.Forms.GetItem(0)->View();
    for (int i = 1; i <= rows; ++i) view.SetCellText(0, view.AppendRow(), Row(i));
    RecalcDocument(Doc);
  }
  // Printing sorts by the key, so the names sort as they are numbered.
  static std::string Row(int i) { return (i < 10 ? "R0" : "R") + std::to_string(i); }
  void Print() { PrintDocument(Doc, "Накладная"_w, hooks); }
  const TRecordedJob& Job() const { return system.Jobs.back(); }
  std::string Box() const { return Ui.Boxes.empty() ? "" : Cp1251ToUtf8(Ui.Boxes.back().Text); }
  long double Var(std::string_view name) { return Doc.Context.Symbols().FindVariable(name)->Value.Num; }
  // Whether the page holds a text, anywhere.
  static int Count(const TRecordedPage& page, const std::string& text) {
    const auto texts = page.Texts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }

  TRecordingPrintSystem system;
  THeadlessControls controls;
  TDocumentForm layout{Doc};
  TDocumentPrintHooks hooks;
  int printed = 0;
  bool checksPass = true;
};

TEST(DocumentPrint, TwoNarrowCopiesShareASheetWithADashedCutBetween) {
  PrintRig r;
  r.Build("WIDTH = 500\nPRINTCOPIES = 2", "", 3);
  r.Print();
  ASSERT_EQ(r.system.Jobs.size(), 1u);
  const TRecordedJob& job = r.Job();
  EXPECT_EQ(job.Title, "Накладная"_w);
  ASSERT_EQ(job.Pages.size(), 1u);
  EXPECT_EQ(PrintRig::Count(job.Pages[0], PrintRig::Row(3)), 2);
  EXPECT_EQ(r.printed, 1);

  // A4 at 300 dpi: 4 copies of 591 pixels fit, 2 are printed, the cut in
  // the middle of the gap right of the first.
  TPrintGeometry g;
  ASSERT_TRUE(ComputePrintGeometry(job.Caps.PageWidth, job.Caps.PageHeight, 300, false, 500, false, g));
  EXPECT_EQ(std::tuple(g.W, g.N, g.Gap, g.Reserve), std::tuple(591, 4, 23, 59));
  std::vector<int32_t> dashed;
  for (const TRecordedOp& op : job.Pages[0].Ops)
    if (op.Kind == TRecordedOp::kLine && op.Pen == TPenStyle::Dash) {
      EXPECT_EQ(std::tuple(op.X1, op.Y1, op.X2, op.Y2), std::tuple(op.X1, 0, op.X1, job.Caps.PageHeight));
      dashed.push_back(op.X1);
    }
  ASSERT_FALSE(dashed.empty());
  EXPECT_EQ(dashed[0], g.CopyLeft(0) + g.W + g.Gap / 2);
  // The second copy stands one copy and one gap to the right of the first.
  const TRecordedOp* first = r.Job().Pages[0].FindText(PrintRig::Row(1));
  std::vector<int32_t> xs;
  for (const TRecordedOp& op : job.Pages[0].Ops)
    if (op.Kind == TRecordedOp::kText && op.Text == PrintRig::Row(1)) xs.push_back(op.X1);
  ASSERT_EQ(xs.size(), 2u);
  EXPECT_EQ(xs[1] - xs[0], g.W + g.Gap);
  EXPECT_EQ(first->Y1 > g.Reserve, true);

  // No copies: a job begun and ended with nothing on it.
  r.Doc.Options.PrintCopies = 0;
  r.Print();
  ASSERT_EQ(r.system.Jobs.size(), 2u);
  EXPECT_TRUE(r.Job().Ended);
  EXPECT_TRUE(r.Job().Pages[0].Ops.empty());
}

TEST(DocumentPrint, PagesCarryTheirNumbersAndWorkRunsForEach) {
  PrintRig r;
  r.Build("WIDTH = 1500\nPRINTCOPIES = 1",
          "WORK\nA := A + 1\nENDSECTION\n"
          "VIEWS\n['Лист'] = X:10, Y:-50, AUTOPAGE:1\n['P' + TOSTR(PAGENUMBER, 0)] = X:300, Y:-50\n"
          "['M' + TOSTR(MULTIPAGE, 0)] = X:500, Y:-50\n['L' + TOSTR(ISLASTPAGE, 0)] = X:700, Y:-50\n"
          "['F' + TOSTR(ISFIRSTPAGE, 0)] = X:900, Y:-50\nENDSECTION\n",
          90, "Y2:1000");
  const long double workBefore = r.Var("A");
  r.Print();
  const TRecordedJob& job = r.Job();
  ASSERT_GE(job.Pages.size(), 2u);
  const std::size_t last = job.Pages.size() - 1;
  for (std::size_t p = 0; p <= last; ++p) {
    const std::string n = std::to_string(p + 1);
    EXPECT_EQ(PrintRig::Count(job.Pages[p], "Лист/"_w + n), 1) << p;
    std::vector<std::string> marks;
    for (const std::string& t : job.Pages[p].Texts())
      if (t.size() == 2 + (p >= 9) && std::string("PMLF").find(t[0]) != std::string::npos) marks.push_back(t);
    EXPECT_EQ(marks, (std::vector<std::string>{"P" + n, "M1", p == last ? "L1" : "L0", p == 0 ? "F1" : "F0"}));
  }
  // The rows follow each other over the pages, none twice.
  int rows = 0;
  for (const TRecordedPage& page : job.Pages)
    for (const std::string& t : page.Texts()) rows += t.starts_with("R") ? 1 : 0;
  EXPECT_EQ(rows, 90);
  EXPECT_EQ(r.Var("A") - workBefore, static_cast<long double>(job.Pages.size()) + 1);
  // Afterwards the page variables are as between jobs.
  EXPECT_EQ(std::tuple(r.Var("PAGENUMBER"), r.Var("MULTIPAGE"), r.Var("ISFIRSTPAGE"), r.Var("ISLASTPAGE"),
                       r.Var("PRINTPROGRESS")),
            std::tuple(1.0L, 0.0L, 1.0L, 1.0L, 0.0L));

  // One page: the page-numbered cell alone, MULTIPAGE 0.
  PrintRig one;
  one.Build("WIDTH = 1500\nPRINTCOPIES = 1", "VIEWS\n['Лист'] = X:10, Y:-50, AUTOPAGE:1\n['M' + TOSTR(MULTIPAGE, 0)] = X:500, Y:-50\nENDSECTION\n", 2);
  one.Print();
  ASSERT_EQ(one.Job().Pages.size(), 1u);
  EXPECT_EQ(PrintRig::Count(one.Job().Pages[0], "Лист"_w), 1);
  EXPECT_EQ(PrintRig::Count(one.Job().Pages[0], "M0"), 1);
}

TEST(DocumentPrint, OnlyTheSelectedRowsArePrinted) {
  PrintRig r;
  r.Build("WIDTH = 1500\nPRINTCOPIES = 1", "", 5);
  TDataView& view = r.Doc.Forms.GetItem(0)->View();
  view.MultiSelect = true;
  view.SetUpdating(false);
  view.SetRow(1);
  view.ShiftHeld = [] { return true; };
  view.SetRow(3);
  view.ShiftHeld = nullptr;
  r.Print();
  std::vector<std::string> rows;
  for (const std::string& t : r.Job().Pages[0].Texts())
    if (t.starts_with("R")) rows.push_back(t);
  EXPECT_EQ(rows, (std::vector<std::string>{"R02", "R03", "R04"}));
}

TEST(DocumentPrint, FailuresAreToldAfterTheJobAndLeaveTheDocumentAsBetweenJobs) {
  struct Case {
    const char* name;
    std::string options, form;
    bool shrink;
    const char* box;
  };
  const Case cases[] = {
      {"a row taller than its space", "WIDTH = 500", "Y2:30", false,
       "Ни один из рядов таблицы не умещается на листе "},
      {"wider than the page", "WIDTH = 2500", "Y2:-100", false, "Документ не умещается на листе "},
      {"wider, shrunk to fit", "WIDTH = 2500", "Y2:-100", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrintRig r;
    r.Build(c.options, "", 3, c.form);
    Settings().CompressedPrint = c.shrink;
    r.Print();
    EXPECT_EQ(r.Box(), c.box);
    ASSERT_EQ(r.system.Jobs.size(), 1u);
    EXPECT_TRUE(r.Job().Ended);
    EXPECT_EQ(std::tuple(r.Var("T1PRINTSTARTROW"), r.Var("T1PRINTENDROW"), r.Var("ISLASTPAGE")),
              std::tuple(1.0L, 3.0L, 1.0L));
    EXPECT_TRUE(r.Ui.DocWindowsEnabled());
  }
  Settings().CompressedPrint = false;

  // No width: a plain print error, nothing divided by zero.
  PrintRig r;
  r.Build("WIDTH = 500", "", 1);
  r.Doc.Options.Width = 0;
  r.Print();
  EXPECT_EQ(r.Box(), "Ошибка печати");
  EXPECT_TRUE(r.system.Jobs.empty());
}

TEST(DocumentPrint, ProgramsAndChecksMayStopPrintingBeforeAnyJob) {
  PrintRig r;
  r.Build("WIDTH = 500", "PRINTPRESS\nPRINTENABLE := 0\nENDSECTION\n", 1);
  r.Print();
  EXPECT_EQ(std::pair(r.system.Jobs.size(), r.printed), std::pair(0ul, 0));

  PrintRig self;
  self.Build("WIDTH = 500", "PRINTDOCUMENT\nDOCPRINT := 0\nENDSECTION\n", 1);
  self.Print();
  EXPECT_EQ(std::pair(self.system.Jobs.size(), self.printed), std::pair(0ul, 1));

  PrintRig failing;
  failing.Build("WIDTH = 500", "", 1);
  failing.checksPass = false;
  failing.Print();
  EXPECT_EQ(failing.system.Jobs.size(), 0u);

  PrintRig none;
  none.Build("WIDTH = 500", "", 1);
  Settings().PrinterName.clear();
  none.Print();
  EXPECT_EQ(none.Box(), kNoPrinter);
  EXPECT_EQ(none.system.Jobs.size(), 0u);
  EXPECT_EQ(none.Var("PRINTPROGRESS"), 0.0L);
}

TEST(DocumentPrint, AProgramThatPrintsWhilePrintingStartsNoSecondJob) {
  PrintRig r;
  r.Build("WIDTH = 500\nPRINTCOPIES = 1", "WORK\nPRINTCLICK(1)\nENDSECTION\n", 1);
  struct PrintingUi : ScriptedUi {
    std::function<void()> OnPrint;
    void DocPrintClick() override {
      ScriptedUi::DocPrintClick();
      if (OnPrint) OnPrint();
    }
  } ui;
  ui.OnPrint = [&r] { r.Print(); };
  r.Print();
  EXPECT_GE(ui.PrintClicks, 2);  // every page's WORK asked
  EXPECT_EQ(r.system.Jobs.size(), 1u);
  EXPECT_TRUE(ui.Boxes.empty());
}

TEST(DocumentPrint, PixelsFollowTheHorizontalResolutionAndTheFontTheLarger) {
  PrintRig r;
  r.Build("WIDTH = 500\nPRINTCOPIES = 1", "VIEWS\n['X'] = X:100, Y:100, F:40\nENDSECTION\n", 1);
  Settings().PrinterName = "wide";  // the closest name will do
  r.Print();
  ASSERT_EQ(r.Job().Printer, "Wide");
  const TRecordedOp* x = r.Job().Pages[0].FindText("X");
  ASSERT_NE(x, nullptr);
  TPrintGeometry g;
  ASSERT_TRUE(ComputePrintGeometry(r.Job().Caps.PageWidth, r.Job().Caps.PageHeight, 600, false, 500, false, g));
  EXPECT_EQ(std::tuple(x->X1, x->Y1), std::tuple(g.CopyLeft(0) + 236, 236 + 118));
  EXPECT_EQ(x->FontHeight, -94);  // 40 x 600 / 254, truncated
  EXPECT_EQ(x->FontPpi, 600);
}

TEST(DocumentPrint, ThePageFormatIsAppliedOnlyWhenItsRecordHoldsTogether) {
  PrintRig r;
  PageFormats().Clear();
  PageFormats().AddFromText("Альбом,"_w + [] {
    std::string hex;
    for (char c : TRecordingPrintSystem::MakeDevMode("Office", kPaperA4, true, 8)) {
      static const char* d = "0123456789ABCDEF";
      hex += d[static_cast<uint8_t>(c) >> 4];
      hex += d[static_cast<uint8_t>(c) & 15];
    }
    return hex;
  }());
  PageFormats().AddFromText("Битый,4100"_w);
  r.Build("WIDTH = 500\nPRINTCOPIES = 1", "", 1);
  r.Doc.Options.PaperName = "альбом"_w;
  r.Print();
  EXPECT_TRUE(PaperOfDevMode(r.Job().DevMode).Landscape);
  EXPECT_GT(r.Job().Caps.PageWidth, r.Job().Caps.PageHeight);

  r.Doc.Options.PaperName = "Битый"_w;
  Settings().PrinterName = "Wide";
  r.Print();
  EXPECT_FALSE(PaperOfDevMode(r.Job().DevMode).Landscape);
  ASSERT_EQ(r.Ui.Log.size(), 1u);
  EXPECT_NE(r.Ui.Log[0].find("Битый"_w), std::string::npos);
  PageFormats().Clear();
}

// A job that names no format, or one that cannot be applied, prints in the
// printer's own settings, not in the format the previous job left kept.
TEST(DocumentPrint, AJobWithoutAFormatStartsFromThePrintersOwnSettings) {
  PrintRig r;
  PageFormats().Clear();
  std::string hex;
  for (char c : TRecordingPrintSystem::MakeDevMode("Office", kPaperA4, true)) {
    static const char* d = "0123456789ABCDEF";
    hex += d[static_cast<uint8_t>(c) >> 4];
    hex += d[static_cast<uint8_t>(c) & 15];
  }
  PageFormats().AddFromText("Альбом,"_w + hex);
  PageFormats().AddFromText("Битый,4100"_w);
  r.Build("WIDTH = 500\nPRINTCOPIES = 1", "", 1);
  r.Doc.Options.PaperName = "Альбом"_w;
  r.Print();
  ASSERT_TRUE(PaperOfDevMode(r.Job().DevMode).Landscape);
  r.Doc.Options.PaperName.clear();
  r.Print();
  EXPECT_FALSE(PaperOfDevMode(r.Job().DevMode).Landscape);
  EXPECT_LT(r.Job().Caps.PageWidth, r.Job().Caps.PageHeight);
  r.Doc.Options.PaperName = "Альбом"_w;
  r.Print();
  r.Doc.Options.PaperName = "Битый"_w;
  r.Print();
  EXPECT_FALSE(PaperOfDevMode(r.Job().DevMode).Landscape);
  EXPECT_EQ(r.system.Jobs.size(), 4u);
  PageFormats().Clear();
}

}  // namespace
}  // namespace vm::test
