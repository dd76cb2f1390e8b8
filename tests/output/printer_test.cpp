#include "output/printer.h"

#include <gtest/gtest.h>

#include "output/device_mode.h"
#include "support/recording_printer.h"

namespace vm {
namespace {

class PrinterTest : public ::testing::Test {
 protected:
  PrinterTest() {
    system.AddPrinter("Office").AddPrinter("Wide", 600, 300);
    system.Default = "Office";
  }
  TRecordingPrintSystem system;
  TPrinter printer{system};
};

TEST_F(PrinterTest, SelectsTheDefaultOnFirstUseAndRefusesBadIndexes) {
  EXPECT_EQ(printer.PrinterIndex(), 0);
  EXPECT_EQ(printer.PrinterName(), "Office");
  printer.SetPrinterIndex(1);
  EXPECT_EQ(printer.PrinterName(), "Wide");
  printer.SetPrinterIndex(-1);
  EXPECT_EQ(printer.PrinterName(), "Office");
  EXPECT_THROW(printer.SetPrinterIndex(2), EPrinter);
  try {
    printer.SetPrinterIndex(-2);
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), kPrinterIndexRange);
  }

  TRecordingPrintSystem noDefault;
  noDefault.AddPrinter("A");
  TPrinter other(noDefault);
  try {
    other.PrinterIndex();
    FAIL() << "a printer without a default selected one";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), kPrinterNoDefault);
  }
}

TEST_F(PrinterTest, JobModelCutsTheTitleAndGuardsItsStates) {
  printer.Title = std::string(40, 'T');
  EXPECT_THROW(printer.NewPage(), EPrinter);
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  EXPECT_THROW(printer.Canvas().TextOut(0, 0, "x"), EPrinter);
  printer.BeginDoc();
  EXPECT_EQ(printer.PageNumber(), 1);
  try {
    printer.BeginDoc();
    FAIL();
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), kPrinterPrinting);
  }
  EXPECT_THROW(printer.SetLandscape(true), EPrinter);
  printer.Canvas().TextOut(10, 20, "one");
  printer.NewPage();
  printer.Canvas().TextOut(10, 20, "two");
  EXPECT_EQ(printer.PageNumber(), 2);
  printer.EndDoc();
  EXPECT_EQ(printer.PageNumber(), 0);
  EXPECT_FALSE(printer.Printing());

  ASSERT_EQ(system.Jobs.size(), 1u);
  const TRecordedJob& job = system.Jobs[0];
  EXPECT_EQ(job.Title, std::string(31, 'T'));
  ASSERT_EQ(job.Pages.size(), 2u);
  EXPECT_EQ(job.Pages[1].Texts(), std::vector<std::string>{"two"});
  EXPECT_TRUE(job.Ended);

  printer.BeginDoc();
  printer.Abort();
  EXPECT_TRUE(system.Jobs[1].Aborted);
  EXPECT_FALSE(system.Jobs[1].Ended);
}

TEST_F(PrinterTest, NonSquareDeviceGivesItsResolutionAndTheLargerFontResolution) {
  printer.SetPrinterIndex(1);
  int32_t x = 0, y = 0;
  printer.GetResolution(x, y);
  EXPECT_EQ(x, 600);
  EXPECT_EQ(y, 300);
  EXPECT_EQ(printer.GetPageWidth(), 2100 * 600 / 254);
  EXPECT_EQ(printer.GetPageHeight(), 2970 * 300 / 254);
  printer.BeginDoc();
  printer.Canvas().SetFontPixelsPerInch(72);
  printer.EndDoc();
  printer.BeginDoc();
  SetFontPoints(printer.Canvas(), 8, kFontBold);
  printer.Canvas().TextOut(0, 0, "x");
  printer.EndDoc();
  const TRecordedOp& op = system.Jobs.back().Pages[0].Ops[0];
  EXPECT_EQ(op.FontPpi, 600);
  EXPECT_EQ(op.FontHeight, -67);  // 8 points at 600 per inch, rounded
}

TEST_F(PrinterTest, KeptDeviceModeOutlivesADroppedContextUntilAnotherPrinterIsSelected) {
  printer.SetPrinterIndex(0);
  const int32_t portraitWidth = printer.GetPageWidth();
  printer.SetDeviceMode(TRecordingPrintSystem::MakeDevMode("Office", kPaperA4, true));
  // The information context is dropped and made again from the kept copy.
  std::string out;
  printer.EditDeviceMode({}, 10, out);
  EXPECT_TRUE(printer.GetLandscape());
  EXPECT_GT(printer.GetPageWidth(), portraitWidth);
  printer.BeginDoc();
  printer.EndDoc();
  EXPECT_TRUE(PaperOfDevMode(system.Jobs.back().DevMode).Landscape);

  printer.SetPrinterIndex(1);
  printer.SetPrinterIndex(0);
  EXPECT_FALSE(printer.GetLandscape());
  printer.BeginDoc();
  printer.EndDoc();
  EXPECT_FALSE(PaperOfDevMode(system.Jobs.back().DevMode).Landscape);

  printer.SetLandscape(true);
  EXPECT_TRUE(PaperOfDevMode(printer.KeptDeviceMode()).Landscape);
  EXPECT_TRUE(printer.Capabilities() & kPcOrientation);
}

TEST_F(PrinterTest, OrientationNeedsADeviceMode) {
  system.Printers[0].DevMode.clear();
  try {
    printer.GetLandscape();
    FAIL();
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), kPrinterNotSupported);
  }
  EXPECT_THROW(printer.SetLandscape(true), EPrinter);
}

TEST_F(PrinterTest, EditDeviceModeCopiesAtMostOutSizeAndCancelChangesNothing) {
  std::string seen;
  system.Dialog = [&](std::string& mode) {
    seen = mode;
    mode[0] = 'Z';
    return true;
  };
  std::string out = "unchanged";
  ASSERT_TRUE(printer.EditDeviceMode("AB", 4, out));
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kDevModeSize));
  EXPECT_EQ(seen.substr(0, 3), std::string("AB\0", 3));
  EXPECT_EQ(out, std::string("ZB\0\0", 4));

  ASSERT_TRUE(printer.EditDeviceMode("AB", 400, out));
  EXPECT_EQ(out.size(), 400u);
  EXPECT_EQ(out.substr(kDevModeSize), std::string(400 - kDevModeSize, '\0'));

  system.Dialog = [](std::string&) { return false; };
  out = "unchanged";
  EXPECT_FALSE(printer.EditDeviceMode("AB", 4, out));
  EXPECT_EQ(out, "unchanged");
}

TEST_F(PrinterTest, UnopenablePrinterIsNotValid) {
  system.Printers[0].Openable = false;
  try {
    printer.BeginDoc();
    FAIL();
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), kPrinterNotValid);
  }
  EXPECT_FALSE(printer.Printing());
}

// The list is kept from its first use, but a name it lacks asks the print
// system again: a printer installed while the program runs is found, the
// selected one stays selected wherever the new list puts it, and one that
// has gone is selected no more.
TEST_F(PrinterTest, ANameTheListLacksAsksThePrintSystemAfresh) {
  printer.SetPrinterIndex(1);
  EXPECT_EQ(printer.ClosestPrinter("office"), 0);
  system.Printers.insert(system.Printers.begin(), {"Kitchen", system.Printers[0].DevMode, 300, 300, true});
  EXPECT_EQ(printer.GetPrinters().size(), 2u);
  EXPECT_EQ(printer.ClosestPrinter(" kitchen "), 0);
  EXPECT_EQ(printer.GetPrinters().size(), 3u);
  EXPECT_EQ(printer.PrinterName(), "Wide");
  EXPECT_EQ(printer.PrinterIndex(), 2);
  EXPECT_EQ(printer.ClosestPrinter(""), -1);

  system.Printers.pop_back();
  EXPECT_EQ(printer.ClosestPrinter("Wide"), 2);  // still listed, so not asked
  // A name the list lacks asks again and takes the closest installed one.
  EXPECT_EQ(printer.ClosestPrinter("Office 2"), 1);
  EXPECT_EQ(printer.GetPrinters().size(), 2u);
  EXPECT_EQ(printer.PrinterName(), "Office");  // the default again
  system.Printers.clear();
  EXPECT_EQ(printer.ClosestPrinter("Wide"), -1);
  EXPECT_TRUE(printer.GetPrinters().empty());
}

TEST(DeviceMode, RecordsAreCheckedBeforeTheyAreRead) {
  TDevMode mode;
  mode.DeviceName = "Office";
  mode.Fields = kDmOrientation | kDmPaperSize;
  mode.Orientation = kDmLandscape;
  mode.PaperSize = kPaperA5;
  mode.DriverData = "driver";
  const std::string bytes = WriteDevMode(mode);
  EXPECT_EQ(bytes.size(), kDevModeSize + 6u);
  TDevMode back;
  ASSERT_TRUE(ReadDevMode(bytes, back));
  EXPECT_EQ(back.DeviceName, "Office");
  EXPECT_EQ(back.DriverData, "driver");
  const TPaperRequest paper = PaperOfDevMode(bytes);
  EXPECT_TRUE(paper.Landscape);
  EXPECT_EQ(paper.Width, 1480);

  std::string why;
  EXPECT_FALSE(DevModeValid(bytes.substr(0, bytes.size() - 1), &why));  // driver part cut
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(DevModeValid("A"));
  std::string sideways = bytes;
  sideways[44] = 3;
  EXPECT_FALSE(DevModeValid(sideways));
  EXPECT_FALSE(ReadDevMode(sideways, back));
  EXPECT_FALSE(SetDevModeOrientation(sideways, false));
}

// A record prints at its scale only where its mask sets one that makes a
// readable page; a scale of 0 from a record that never set it is 100.
TEST(DeviceMode, TheScaleIsTakenWhenSetAndSensible) {
  TDevMode mode;
  mode.Scale = 50;
  EXPECT_EQ(ScaleOfDevMode(WriteDevMode(mode)), 100);
  mode.Fields = kDmScale;
  EXPECT_EQ(ScaleOfDevMode(WriteDevMode(mode)), 50);
  for (int16_t wild : {0, 9, 401, -100}) {
    mode.Scale = wild;
    EXPECT_EQ(ScaleOfDevMode(WriteDevMode(mode)), 100) << wild;
  }
  EXPECT_EQ(ScaleOfDevMode("A"), 100);
}

}  // namespace
}  // namespace vm
