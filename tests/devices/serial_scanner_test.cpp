// The scanner port as the document language works it (OPENBARSCANER and the
// end of a run), on a pseudo-terminal: lines reach the open document's
// window, and the settings' close-after flag decides between closing the
// port and only silencing it.
#include <gtest/gtest.h>

#include "devices/comm_config.h"
#include "devices/pty_rig.h"
#include "devices/scanner_record.h"
#include "devices/serial_scanner.h"
#include "documents/doc_rig.h"
#include "documents/document_window.h"
#include "language/interpreter.h"
#include "devices/scanner_port.h"

namespace vm::test {
namespace {

struct ScannerRig {
  ScannerRig() {
    InstallScannerServices(&Scanner);
    EXPECT_EQ(Doc.CompileForm("VARS\nS = C\nENDSECTION\nSCANER\nS := S + SCANSTRING + ';'\nENDSECTION\n"), 0)
        << Doc.Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    Window = std::make_unique<TDocumentWindowLogic>(Doc.Doc, "Документ"_w);
  }
  ~ScannerRig() {
    Scanner.FreePort();
    InstallScannerServices(nullptr);
  }
  // What SCANER made of the lines, once the window has handled count of
  // them in all.
  std::string Handled(int count) {
    Eventually([&] {
      handled_ += Window->DrainScanLines();
      return handled_ >= count;
    });
    return Doc.Doc.Context.Symbols().FindVariable("S")->Value.Str;
  }
  int handled_ = 0;

  PtyPair Pty;
  TSerialScanner Scanner{OnScannerData, nullptr};
  DocRig Doc;
  std::unique_ptr<TDocumentWindowLogic> Window;
};

TEST(SerialScanner, WithoutTheCloseAfterFlagARunsEndOnlySilencesThePort) {
  ScannerRig r;
  const TSerialRecord record = ScannerRecord(r.Pty.Path(), false);
  OpenScanner(record);
  ASSERT_TRUE(r.Scanner.PortExists());
  ASSERT_FALSE(r.Scanner.Port()->ErrorFlag()) << r.Scanner.Port()->ErrorText();
  ASSERT_TRUE(r.Pty.Write("A\r"));
  EXPECT_EQ(r.Handled(1), "A;");
  ReleaseScanner(record);
  ASSERT_TRUE(r.Scanner.PortExists());
  ASSERT_TRUE(r.Pty.Write("B\rC"));
  ASSERT_TRUE(Eventually([&] { return r.Scanner.Port()->Lines().PendingLength() == 1; }));
  OpenScanner(record);
  ASSERT_TRUE(r.Pty.Write("\r"));
  EXPECT_EQ(r.Handled(2), "A;C;");
}

TEST(SerialScanner, WithTheCloseAfterFlagARunsEndClosesThePort) {
  ScannerRig r;
  const TSerialRecord record = ScannerRecord(r.Pty.Path(), true);
  OpenScanner(record);
  ASSERT_TRUE(r.Scanner.PortExists());
  ReleaseScanner(record);
  EXPECT_FALSE(r.Scanner.PortExists());
  // Opened again, the port delivers again.
  OpenScanner(record);
  ASSERT_TRUE(r.Pty.Write("D\r"));
  EXPECT_EQ(r.Handled(1), "D;");
  CloseScanner();
  EXPECT_FALSE(r.Scanner.PortExists());
}

// A code read between two documents, while the port is closed, waits in
// the line; it must not become the first row of the next check.
TEST(SerialScanner, CodesScannedWhileThePortIsClosedAreNotDeliveredOnceItOpens) {
  ScannerRig r;
  const TSerialRecord record = ScannerRecord(r.Pty.Path(), true);
  OpenScanner(record);
  ReleaseScanner(record);
  ASSERT_FALSE(r.Scanner.PortExists());
  ASSERT_TRUE(r.Pty.Write("LOST\rHALF"));
  OpenScanner(record);
  ASSERT_TRUE(r.Pty.Write("\rE\r"));
  EXPECT_EQ(r.Handled(2), ";E;");
}

TEST(SerialScanner, APortThatCannotBeOpenedShowsNothingAndSendsNothing) {
  ScannerRig r;
  OpenScanner(ScannerRecord("/dev/ttyNoSuch", false));
  ASSERT_TRUE(r.Scanner.PortExists());
  EXPECT_TRUE(r.Scanner.Port()->ErrorFlag());
  EXPECT_FALSE(r.Scanner.Port()->ErrorText().empty());
  EXPECT_TRUE(r.Doc.Ui.Boxes.empty());
  EXPECT_EQ(r.Window->DrainScanLines(), 0);
  // Settings that never named a port do the same.
  CloseScanner();
  OpenScanner(TSerialRecord{});
  EXPECT_TRUE(r.Scanner.Port()->ErrorFlag());
  EXPECT_TRUE(r.Doc.Ui.Boxes.empty());
}

}  // namespace
}  // namespace vm::test
