// The print system on Qt's printing (CUPS on Linux): the installed printers,
// their settings as device-mode records, jobs drawn with the canvas on a
// QPainter, and the page-setup dialog as the driver's settings dialog.
#pragma once

#include <QPageLayout>
#include <map>
#include <memory>
#include <string>

#include "output/printer.h"

class QPrinter;
class QWidget;

namespace vm {

// A printer for the named queue of the print system, made for it straight
// away: a printer made without a queue first asks the print system for
// its default queue and then its first, which is slow. nullptr when there
// is no such queue.
std::unique_ptr<QPrinter> PrinterForQueue(const std::string& name);

// Applies a device-mode record to a printer: paper, orientation, copies,
// two-sided printing, paper source, colour and, when the record names one,
// the resolution; the paper source and colour go to the print system with
// the job. Invalid bytes change nothing and give false.
bool ApplyDevModeToPrinter(const std::string& devMode, QPrinter& printer);
// The record for a printer's current settings, keeping the public fields
// and driver part of base where the printer has nothing to say.
std::string DevModeFromPrinter(const QPrinter& printer, const std::string& base);

class TQtPrintSystem : public IPrintSystem {
 public:
  TQtPrintSystem();
  ~TQtPrintSystem() override;
  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinterName() override;
  std::string DriverDeviceMode(const std::string& printer) override;
  bool DeviceCaps(const std::string& printer, const std::string& devMode, TDeviceCaps& caps) override;
  std::unique_ptr<IPrintJob> StartDoc(const std::string& printer, const std::string& devMode,
                                      const std::string& title) override;
  bool EditDeviceMode(const std::string& printer, std::string& devMode) override;
  void ProcessMessages() override;

  // When set, every job is written to this PDF file instead of a queue,
  // and the one printer listed is kPdfFilePrinter.
  std::string OutputFile;
  static constexpr const char* kPdfFilePrinter = "PDF";

  // The dialog's owner; none by default.
  QWidget* DialogOwner = nullptr;
  // Every job this system has handed to the print system, by title, for
  // callers that wait for their output.
  int32_t JobsSent = 0;
  // Forgets the drivers' settings asked so far (they are asked once a
  // printer, as the print system answers slowly).
  void Forget() { driverModes_.clear(); }

 private:
  std::map<std::string, std::string> driverModes_;
  // A printer for the named queue (or the output file); nullptr when there
  // is no such printer.
  std::unique_ptr<QPrinter> Choose(const std::string& name) const;
  // The output file's printer for a job: the one kept from the last job,
  // set back to the settings it was made with, else a new one. Making one
  // asks the print system for its queues, which is slow.
  std::unique_ptr<QPrinter> FilePrinter(const std::string& name);
  std::unique_ptr<QPrinter> keptFilePrinter_;
  // The settings a job may change, as a new file printer has them.
  struct TFileSettings {
    QPageLayout Layout;
    int Resolution = 0;
    int Copies = 1;
    bool Collate = false;
    int Duplex = 0;
    int Colour = 0;
    int Source = 0;
  };
  TFileSettings fileSettings_;
};

}  // namespace vm
