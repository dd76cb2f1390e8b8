// The demo's price-tag document run from its menu as a user runs it: two
// goods entered, Печать opens the label preview, which pages through the
// labels and prints them on the PDF queue, or cancels and prints nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "config/settings.h"
#include "output/printer.h"
#include "output/qt/label_preview_window.h"
#include "output/qt/qt_print_system.h"
#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "tests/ui/qt/income_run.h"

namespace vm::test {
namespace {

int JobsSent() { return dynamic_cast<TQtPrintSystem&>(PrintSystem()).JobsSent; }

// Pages forward and back, noting what the status bar says, then leaves by
// the button asked for.
void PlayPreview(std::vector<std::string>& seen, bool print) {
  WhenModal([&seen, print](QWidget* modal) {
    auto* form = qobject_cast<TPrevCenForm*>(modal);
    ASSERT_NE(form, nullptr);
    const auto note = [&] {
      seen.push_back(form->PositionPanel()->text().toStdString() + " " + form->CopiesPanel()->text().toStdString());
    };
    note();
    QTest::mouseClick(form->NextButton(), Qt::LeftButton);
    note();
    QTest::mouseClick(form->PreviousButton(), Qt::LeftButton);
    note();
    QTest::mouseClick(print ? form->PrintButton() : form->CancelButton(), Qt::LeftButton);
  });
}

TEST(DemoLabelPreview, ThePriceTagDocumentPreviewsThenPrintsOrCancels) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "printing needs the PDF print queue: " << queue.Why;
  IncomeRun run;
  run.OnMainWindow = [](TMainWindow&) { Settings().PrinterName = kTestQueue; };
  std::vector<std::string> seen;
  int afterCancel = -1, afterPrint = -1;
  run.Run(
      [&](TDocumentWindow& window) {
        TDataView& view = window.Table(0)->View();
        const std::string rows[][5] = {{"1", "Хлеб"_w, "45.50", "460000000037", "2"},
                                       {"2", "Молоко"_w, "62.40", "460000000074", "1"}};
        for (const auto& cells : rows) {
          const int32_t row = view.AppendRow();
          for (int32_t c = 0; c < 5; ++c) view.SetCellText(c, row, cells[c]);
        }
        const int before = JobsSent();
        PlayPreview(seen, false);
        QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
        afterCancel = JobsSent() - before;
        PlayPreview(seen, true);
        QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
        afterPrint = JobsSent() - before;
        ClickInMessageBox("Да");
        window.reject();
      },
      nullptr, "Печать ценников");
  EXPECT_EQ(seen, (std::vector<std::string>{"1/2 Количество: 2", "2/2 Количество: 1", "1/2 Количество: 2",
                                            "1/2 Количество: 2", "2/2 Количество: 1", "1/2 Количество: 2"}));
  EXPECT_EQ(std::tuple(afterCancel, afterPrint), std::tuple(0, 1));
}

}  // namespace
}  // namespace vm::test
