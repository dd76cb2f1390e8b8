// A queue added to the local print system while the program runs: the
// program listed its printers before, and the labels meant for the new
// queue still come out of that queue, not of the one listed first.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "config/settings.h"
#include "output/label_print.h"
#include "output/price_tag_rig.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "support/cups_queue.h"

namespace vm::test {
namespace {

// The queue is made for the test and taken away again, whatever happens.
struct AddedQueue {
  std::string Name = "VelomarAdded" + std::to_string(getpid());
  bool Added = false;
  std::string Why;
  AddedQueue() {
    int status = 0;
    Why = CommandOutput(std::string(VELOMAR_SOURCE_DIR) + "/scripts/start-cups " + Name + " 2>&1", &status);
    Added = status == 0;
  }
  ~AddedQueue() { CommandOutput("lpadmin -x " + Name + " 2>&1"); }
};

TEST(PrinterAddedCups, LabelsGoToAQueueAddedWhileTheProgramRuns) {
  CupsQueue cups;
  ASSERT_TRUE(cups.Start()) << "the PDF print queue is needed: " << cups.Why;
  TQtPrintSystem system;
  InstallPrintSystem(&system);
  // The program reads the list before the queue is added.
  ASSERT_GE(Printer().ClosestPrinter(kTestQueue), 0);
  ZoneCompiling compiling;
  const std::vector<std::string> before = Printer().GetPrinters();

  AddedQueue added;
  ASSERT_TRUE(added.Added) << added.Why;
  ASSERT_EQ(std::count(before.begin(), before.end(), added.Name), 0);
  const std::string marker = "VMADD" + std::to_string(getpid()) + "T" + std::to_string(time(nullptr) % 100000);
  TPrintCenList queue;
  TCennik layout;
  layout.Width = 640;
  layout.Height = 200;
  TCenZone& zone = LiteralZone(layout, marker);
  zone.Rect = {10, 10, 620, 120};
  zone.FontSize = 40;
  zone.FontName = "DejaVu Sans";
  AddPrintCen(queue, layout, 1);
  Settings().PrinterName = added.Name;
  const bool printed = PrintLabels(queue);
  const std::string chosen = Printer().PrinterName();
  InstallPrintSystem(nullptr);
  Settings().PrinterName.clear();
  ASSERT_TRUE(printed);
  EXPECT_EQ(chosen, added.Name);
  EXPECT_FALSE(cups.WaitForPdf(marker).empty()) << "no PDF with " << marker << " appeared in " << cups.Dir;
}

}  // namespace
}  // namespace vm::test
