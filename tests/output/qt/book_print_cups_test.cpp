// A reference book of the sample data printed through the local print
// system's PDF queue: the current record and the whole book, read back
// with pdftotext.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "output/book_print.h"
#include "output/qt/qt_print_system.h"
#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "models/startup.h"

namespace vm::test {
namespace {

TEST(BookPrintCups, TheCurrentRecordAndTheWholeBookReachThePdf) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  ProgramHome home;
  CopyDemoTo(home.Dir());
  ScriptedUi ui;
  ASSERT_EQ(StartUp(), 0);
  UnlockBases();
  TQtPrintSystem system;
  InstallPrintSystem(&system);
  Settings().PrinterName = kTestQueue;
  const std::string marker = "VMBOOK" + std::to_string(getpid()) + "T" + std::to_string(time(nullptr));
  Settings().Books.GetItem(1)->Title = marker;
  {
    TSpravFormLogic logic(Settings());
    logic.Show();
    TSpravTab& suppliers = *logic.Tab(1);
    int32_t range = 1;
    TBookPrintHooks hooks;
    hooks.AskRange = [&range](const std::string&, const std::string&, const std::string&) { return range; };
    suppliers.View.SetRow(1);
    PrintReferenceBook(suppliers, hooks);
    const std::string one = queue.WaitForPdf(marker);
    ASSERT_FALSE(one.empty()) << "no PDF with " << marker << " in " << queue.Dir;
    const std::string oneText = CupsQueue::PdfText(one);
    // In the demo's font (DejaVu Sans) the long name wraps in its column.
    EXPECT_NE(oneText.find("ИП Соколов Андрей"), std::string::npos) << oneText;
    EXPECT_EQ(oneText.find("Молочный двор"), std::string::npos) << oneText;
    // The foot line: the book's name and the page.
    EXPECT_LT(oneText.find(marker + ","), oneText.find("страница 1")) << oneText;

    range = 2;
    Settings().Books.GetItem(1)->Title = marker + "W";
    PrintReferenceBook(suppliers, hooks);
    const std::string all = queue.WaitForPdf(marker + "W");
    ASSERT_FALSE(all.empty());
    const std::string allText = CupsQueue::PdfText(all);
    for (const char* name : {"Молочный двор", "ИП Соколов Андрей", "Хлебозавод № 2"})
      EXPECT_NE(allText.find(name), std::string::npos) << name << "\n" << allText;
    EXPECT_LT(allText.find(marker + "W,"), allText.find("страница 1"));
    EXPECT_EQ(CupsQueue::PageCount(all), 1);
  }
  EXPECT_TRUE(ui.Boxes.empty());
  InstallPrintSystem(nullptr);
  ShutDown();
}

}  // namespace
}  // namespace vm::test
