// Label sheets on the recording printer: the grid, the cut lines, copies
// carried over pages, the failures and the progress window on every way out.
#include "output/label_print.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "config/page_format.h"
#include "config/settings.h"
#include "output/price_tag_rig.h"
#include "output/device_mode.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "support/scripted_ui.h"

namespace vm::test {
namespace {

// What a print without a usable printer says, and where it sends the user.
constexpr const char* kNoPrinter =
    "Неверные установки принтера\rВыберите принтер в служебных настройках (вкладка \"Печать\") и сохраните их.";

struct LabelRig {
  ZoneCompiling compiling;
  ScriptedUi ui;
  TRecordingPrintSystem system;
  TPrintCenList queue;
  LabelRig() {
    // One pixel per 0.1 mm: A4 is 2100 x 2970.
    system.AddPrinter("Labels", 254, 254).AddPrinter("Wide", 600, 300);
    InstallPrintSystem(&system);
    Settings().PrinterName = "Labels";
  }
  ~LabelRig() {
    InstallPrintSystem(nullptr);
    Settings().PrinterName.clear();
  }
  // A tag of (width + 2) x (height + 2) with its frame, showing text.
  static TCennik Tag(const std::string& text, int32_t width = 48, int32_t height = 48) {
    TCennik tag;
    tag.Width = width;
    tag.Height = height;
    LiteralZone(tag, text);
    return tag;
  }
  std::string Box() const { return ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text); }
};

int Count(const TRecordedPage& page, TRecordedOp::TKind kind, TPenStyle pen = TPenStyle::Solid) {
  int n = 0;
  for (const TRecordedOp& op : page.Ops) n += op.Kind == kind && op.Pen == pen;
  return n;
}

TEST(LabelPrint, CopiesRunOverPagesWithTheFullGrid) {
  LabelRig rig;
  // Cells of 905 x 555 pixels: 2 x 5 to the page.
  AddPrintCen(rig.queue, LabelRig::Tag("a", 898, 548), 25);
  EXPECT_EQ(TotalPrintCount(rig.queue), 25);
  ASSERT_TRUE(PrintLabels(rig.queue));
  ASSERT_EQ(rig.system.Jobs.size(), 1u);
  const TRecordedJob& job = rig.system.Jobs.back();
  EXPECT_TRUE(job.Ended && !job.Aborted);
  EXPECT_EQ(job.Title, "Печать ярлыков"_w);
  ASSERT_EQ(job.Pages.size(), 3u);
  for (int p = 0; p < 3; ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(static_cast<int>(job.Pages[p].Texts().size()), p < 2 ? 10 : 5);
    EXPECT_EQ(Count(job.Pages[p], TRecordedOp::kLine, TPenStyle::Dash), 3 + 6);
  }
  // Labels stand 912 apart (size 901 + 1 + 6 ... ), 5 in from the corner.
  const TRecordedOp* second = nullptr;
  for (const TRecordedOp& op : job.Pages[0].Ops)
    if (op.Kind == TRecordedOp::kLine && op.Pen == TPenStyle::Dash && op.X1 > 0 && op.X1 == op.X2) {
      second = &op;
      break;
    }
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(std::tuple(second->X1, second->Y2), std::tuple(901 + 6, 2970 - 1));
  EXPECT_EQ(std::tuple(rig.ui.ProgressMax, rig.ui.ProgressTop, rig.ui.ProgressShown), std::tuple(25, 25, false));
  EXPECT_EQ(Cp1251ToUtf8(rig.ui.ProgressTexts.front()), "Идет печать ярлыков...");
}

TEST(LabelPrint, EntriesFollowEachOtherRowByRow) {
  LabelRig rig;
  AddPrintCen(rig.queue, LabelRig::Tag("a"), 3);
  AddPrintCen(rig.queue, LabelRig::Tag("b"), 2);
  PageRig page;
  int32_t entry = 0, copy = 0;
  ASSERT_TRUE(LayoutLabelPage(rig.queue, page.canvas, 2, 2, 200, 200, 1, entry, copy));
  EXPECT_EQ(page.job.Pages[0].Texts(), (std::vector<std::string>{"A", "A", "A", "B"}));
  EXPECT_EQ(std::tuple(entry, copy), std::tuple(1, 1));
  page.job.Pages.emplace_back();
  ASSERT_TRUE(LayoutLabelPage(rig.queue, page.canvas, 2, 2, 200, 200, 1, entry, copy));
  EXPECT_EQ(page.job.Pages[1].Texts(), (std::vector<std::string>{"B"}));
  EXPECT_EQ(std::tuple(entry, copy), std::tuple(2, 0));
  // The whole grid even round empty cells; the pen solid again.
  EXPECT_EQ(Count(page.job.Pages[1], TRecordedOp::kLine, TPenStyle::Dash), 6);
  EXPECT_EQ(page.canvas.PenStyle(), TPenStyle::Solid);

  // An entry of no copies still gives one label.
  rig.queue.GetItem(0).Copies = 0;
  entry = copy = 0;
  page.job.Pages.emplace_back();
  ASSERT_TRUE(LayoutLabelPage(rig.queue, page.canvas, 2, 2, 200, 200, 1, entry, copy));
  EXPECT_EQ(page.job.Pages[2].Texts(), (std::vector<std::string>{"A", "B", "B"}));
}

// A canvas that fails as soon as a tag's frame is drawn.
class FailingCanvas : public TRecordingCanvas {
 public:
  using TRecordingCanvas::TRecordingCanvas;
  void FillRect(int32_t, int32_t, int32_t, int32_t, uint32_t) override { throw std::runtime_error("device lost"); }
};

TEST(LabelPrint, FailuresEndTheJobAndAnswerFalse) {
  LabelRig rig;
  // An empty queue: nothing, silently. A missing printer is told once the
  // progress window has gone, and no job starts.
  EXPECT_FALSE(PrintLabels(rig.queue));
  EXPECT_TRUE(rig.ui.Boxes.empty());
  AddPrintCen(rig.queue, LabelRig::Tag("a"), 3);
  Settings().PrinterName = "Labels";
  rig.system.Printers.clear();
  InstallPrintSystem(&rig.system);
  EXPECT_FALSE(PrintLabels(rig.queue));
  EXPECT_EQ(rig.Box(), kNoPrinter);
  EXPECT_EQ(rig.ui.Boxes.size(), 1u);
  EXPECT_TRUE(rig.system.Jobs.empty() && !rig.ui.ProgressShown);
  // So is a printer that cannot be opened.
  rig.system.AddPrinter("Labels", 254, 254).Printers.back().Openable = false;
  EXPECT_FALSE(PrintLabels(rig.queue));
  EXPECT_EQ(rig.ui.Boxes.size(), 2u);
  EXPECT_EQ(rig.Box(), kNoPrinter);
  rig.ui.Boxes.clear();
  rig.system.Printers.clear();

  // A label 10 mm wider than the page is told before any job starts.
  rig.system.AddPrinter("Labels", 254, 254);
  InstallPrintSystem(&rig.system);
  rig.queue.Clear();
  AddPrintCen(rig.queue, LabelRig::Tag("a", 2198, 48), 1);
  EXPECT_FALSE(PrintLabels(rig.queue));
  EXPECT_EQ(rig.Box(), "Ярлык не размещается на странице!");
  EXPECT_EQ(Cp1251ToUtf8(rig.ui.Boxes.back().Caption), "Печать ярлыков");
  EXPECT_TRUE(rig.system.Jobs.empty() && !rig.ui.ProgressShown);

  // A page that cannot be drawn ends the layout instead of starting
  // another page, with the pen as it was.
  TRecordedJob job;
  job.Pages.emplace_back();
  FailingCanvas canvas(job, 254);
  canvas.SetPenStyle(TPenStyle::Dash);
  int32_t entry = 0, copy = 0;
  EXPECT_FALSE(LayoutLabelPage(rig.queue, canvas, 2, 2, 200, 200, 1, entry, copy));
  EXPECT_EQ(canvas.PenStyle(), TPenStyle::Solid);
}

TEST(LabelPrint, OneScaleFromTheFinerResolution) {
  LabelRig rig;
  Settings().PrinterName = "wide";  // the closest name
  AddPrintCen(rig.queue, LabelRig::Tag("a"), 1);
  ASSERT_TRUE(PrintLabels(rig.queue));
  const TRecordedPage& page = rig.system.Jobs.back().Pages.at(0);
  // 48 x 48 with its frame is 118 pixels at 600 dpi, both ways.
  std::vector<int32_t> cuts;
  for (const TRecordedOp& op : page.Ops)
    if (op.Kind == TRecordedOp::kLine && op.Pen == TPenStyle::Dash && op.X1 == 0 && op.Y1 > 0) cuts.push_back(op.Y1);
  ASSERT_FALSE(cuts.empty());
  EXPECT_EQ(cuts.front(), 118 + 1 + 6);
}

TEST(LabelPrint, APageFormatStaysAppliedWhenItsPrinterIsChosenAgain) {
  LabelRig rig;
  TPageFormat format{"Ценник"_w, TRecordingPrintSystem::MakeDevMode("Labels", kPaperA4, true)};
  AddPrintCen(rig.queue, LabelRig::Tag("a"), 1);
  ASSERT_TRUE(PrintLabels(rig.queue, &format));
  EXPECT_EQ(rig.system.Jobs.back().DevMode, format.DeviceMode);
  // Lying A4: 2970 wide.
  EXPECT_EQ(rig.system.Jobs.back().Caps.PageWidth, 2970);
  Printer().SetPrinterIndex(0);
  EXPECT_EQ(Printer().KeptDeviceMode(), format.DeviceMode);
  // Another printer starts from its driver's settings.
  Printer().SetPrinterIndex(1);
  EXPECT_NE(Printer().KeptDeviceMode(), format.DeviceMode);
}

// The test page prints lying as chosen; the next job without a format
// prints in the printer's own settings again.
TEST(LabelPrint, TheTestPageKeepsItsOrientationAndTheNextJobStartsAfresh) {
  LabelRig rig;
  int32_t cols = 0, rows = 0;
  TPageFormat page;
  const TCennik tag = LabelRig::Tag("a", 1393, 993);
  ASSERT_TRUE(SetupLabelPage(tag, cols, rows, &page));
  ASSERT_TRUE(Printer().GetLandscape());
  AddPrintCen(rig.queue, tag, cols * rows);
  ASSERT_TRUE(PrintLabels(rig.queue, &page));
  EXPECT_TRUE(PaperOfDevMode(rig.system.Jobs.back().DevMode).Landscape);
  EXPECT_EQ(static_cast<int32_t>(rig.system.Jobs.back().Pages.at(0).Texts().size()), cols * rows);
  rig.queue.Clear();
  AddPrintCen(rig.queue, LabelRig::Tag("b"), 1);
  ASSERT_TRUE(PrintLabels(rig.queue));
  EXPECT_FALSE(PaperOfDevMode(rig.system.Jobs.back().DevMode).Landscape);
  EXPECT_EQ(rig.system.Jobs.back().Caps.PageWidth, 2100);
}

TEST(LabelPrint, TestPageTakesTheOrientationWithMoreLabels) {
  LabelRig rig;
  int32_t cols = 0, rows = 0;
  // Cells of 700 x 740: 3 x 4 upright against 4 x 2 lying.
  ASSERT_TRUE(SetupLabelPage(LabelRig::Tag("a", 693, 733), cols, rows));
  EXPECT_EQ(std::tuple(cols, rows, Printer().GetLandscape()), std::tuple(3, 4, false));
  ASSERT_TRUE(SetupLabelPage(LabelRig::Tag("a", 1393, 993), cols, rows));
  EXPECT_EQ(std::tuple(cols, rows, Printer().GetLandscape()), std::tuple(2, 2, true));
  // A tie keeps the page upright.
  ASSERT_TRUE(SetupLabelPage(LabelRig::Tag("a", 983, 983), cols, rows));
  EXPECT_EQ(std::tuple(cols, rows, Printer().GetLandscape()), std::tuple(2, 3, false));
  EXPECT_FALSE(SetupLabelPage(LabelRig::Tag("a", 3000, 48), cols, rows));
  EXPECT_EQ(rig.Box(), "Ярлык не размещается на странице!");
  // No printer: the test page says so instead of nothing.
  Settings().PrinterName.clear();
  EXPECT_FALSE(SetupLabelPage(LabelRig::Tag("a"), cols, rows));
  EXPECT_EQ(rig.Box(), kNoPrinter);
}

// A printer installed while the program runs prints the labels meant for
// it, not its neighbour in the list the program read first.
TEST(LabelPrint, APrinterInstalledSinceTheFirstJobTakesItsJobs) {
  LabelRig rig;
  AddPrintCen(rig.queue, LabelRig::Tag("a"), 1);
  ASSERT_TRUE(PrintLabels(rig.queue));
  rig.system.AddPrinter("Labels2", 254, 254);
  Settings().PrinterName = "Labels2";
  ASSERT_TRUE(PrintLabels(rig.queue));
  EXPECT_EQ(rig.system.Jobs.back().Printer, "Labels2");
  EXPECT_TRUE(rig.ui.Boxes.empty());
}

}  // namespace
}  // namespace vm::test
