// The one printer of the program: the job model every printing caller uses
// (the printer list, the selected printer, a job with a title and pages, a
// canvas for the current page, orientation, page size and resolution), and
// the device mode it keeps, so that a page format handed to it stays in
// force for the next job until another printer is selected.
//
// The printer drives a print system: the Qt layer installs the real one
// (CUPS through Qt's printing), tests install a recording one. Without an
// installed system there are no printers.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/draw/canvas.h"

namespace vm {

// Misuse of the printer; what() is one of the texts below.
class EPrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kPrinterNotValid = "Printer selected is not valid";
inline constexpr const char* kPrinterNotPrinting = "Printer is not currently printing";
inline constexpr const char* kPrinterPrinting = "Printing in progress";
inline constexpr const char* kPrinterNotSupported = "Operation not supported on selected printer";
inline constexpr const char* kPrinterIndexRange = "Printer index out of range";
inline constexpr const char* kPrinterNoDefault = "There is no default printer currently selected";

// The longest job title handed to the print system.
inline constexpr std::size_t kMaxJobTitle = 31;

// What a device offers for a device mode: the printable area in device
// pixels and the resolution.
struct TDeviceCaps {
  int32_t PageWidth = 0;
  int32_t PageHeight = 0;
  int32_t XDpi = 0;
  int32_t YDpi = 0;
};

// One document on its way to a device.
class IPrintJob {
 public:
  virtual ~IPrintJob() = default;
  // The current page; valid until the job ends.
  virtual TCanvas& Canvas() = 0;
  virtual TDeviceCaps Caps() const = 0;
  // Ends the current page and starts the next.
  virtual void NewPage() = 0;
  // Ends the last page and hands the document over.
  virtual void End() = 0;
  // Ends the last page and drops the document.
  virtual void Abort() = 0;
};

// The installed printers and their drivers.
class IPrintSystem {
 public:
  virtual ~IPrintSystem() = default;
  virtual std::vector<std::string> PrinterNames() = 0;
  // Empty when no printer is the default.
  virtual std::string DefaultPrinterName() = 0;
  // The driver's current settings of a printer as a device-mode record;
  // empty when the driver cannot tell.
  virtual std::string DriverDeviceMode(const std::string& printer) = 0;
  // The page metrics the printer would use with devMode (its own settings
  // when devMode is empty); false when the printer cannot be opened.
  virtual bool DeviceCaps(const std::string& printer, const std::string& devMode,
                          TDeviceCaps& caps) = 0;
  // Starts a document on the first page; nullptr when the printer cannot
  // be opened.
  virtual std::unique_ptr<IPrintJob> StartDoc(const std::string& printer,
                                              const std::string& devMode,
                                              const std::string& title) = 0;
  // The driver's settings dialog, starting from devMode and writing the
  // result into it; false when cancelled or when there is none.
  virtual bool EditDeviceMode(const std::string& printer, std::string& devMode) = 0;
  // Lets the windows process waiting events while a job runs.
  virtual void ProcessMessages() {}
};

// Capability bits of the selected printer (from its device mode's field
// mask).
inline constexpr uint32_t kPcCopies = 1;
inline constexpr uint32_t kPcOrientation = 2;
inline constexpr uint32_t kPcCollation = 4;

class TPrinterCanvas;

class TPrinter {
 public:
  explicit TPrinter(IPrintSystem& system);
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The installed printers, listed on first use.
  const std::vector<std::string>& GetPrinters();
  // The installed printer closest to name; -1 when there is none. A name
  // the list lacks asks the print system afresh first: a printer installed
  // while the program runs is chosen, not a neighbour of its name.
  int32_t ClosestPrinter(const std::string& name);
  // -1 until a printer is selected; reading it selects the default first.
  int32_t PrinterIndex();
  // -1 selects the default printer. Forgets the kept device mode and
  // keeps the driver's current one instead.
  void SetPrinterIndex(int32_t index);
  // Selects the printer for a new job, which starts from the driver's
  // settings even when that printer is already selected: a format kept
  // from an earlier job does not carry over. The job's own format is
  // applied after this.
  void SelectForJob(int32_t index);
  // The selected printer's name (the default selected first).
  std::string PrinterName();

  void BeginDoc();
  void NewPage();
  void EndDoc();
  // Ends the job, dropping the document.
  void Abort();
  bool Printing() const { return job_ != nullptr; }
  bool Aborted() const { return aborted_; }
  int32_t PageNumber() const { return pageNumber_; }

  // At most 31 characters reach the print system.
  std::string Title;

  // The canvas of the current page; drawing on it outside a job raises
  // kPrinterNotPrinting.
  TCanvas& Canvas();

  // Printable area in device pixels and the resolution.
  int32_t GetPageWidth();
  int32_t GetPageHeight();
  void GetResolution(int32_t& xDpi, int32_t& yDpi);

  bool GetLandscape();
  void SetLandscape(bool landscape);
  uint32_t Capabilities();

  // The device mode in force and the kept copy.
  const std::string& DeviceMode();
  const std::string& KeptDeviceMode() const { return kept_; }
  // The keeping rule: the bytes become the device mode and its kept copy.
  // Nothing happens for empty bytes.
  void SetDeviceMode(const std::string& devMode);
  // Asks the driver for the printer's settings when there are none yet.
  void EnsureDeviceMode();
  // The driver's dialog on a copy of in; true with at most outSize bytes of
  // the result in out (the rest zero) unless cancelled.
  bool EditDeviceMode(const std::string& in, int32_t outSize, std::string& out);

  IPrintSystem& System() { return system_; }

 private:
  enum class TDcState { None, Info, Device };
  void SelectPrinter(int32_t index);
  void Relist();
  void SelectDefault();
  void CheckPrinting(bool printing) const;
  const TDeviceCaps& Caps();
  void SetState(TDcState state);
  void ReadCapabilities();

  IPrintSystem& system_;
  std::vector<std::string> printers_;
  bool listed_ = false;
  int32_t index_ = -1;
  std::string devMode_;
  std::string kept_;
  uint32_t capabilities_ = 0;
  TDcState state_ = TDcState::None;
  TDeviceCaps caps_;
  std::unique_ptr<IPrintJob> job_;
  bool aborted_ = false;
  int32_t pageNumber_ = 0;
  std::unique_ptr<TPrinterCanvas> canvas_;
};

// Where the printer is chosen, for whoever finds printing refused.
std::string WherePrinterIsChosen();

// The word for printing that cannot start: no printer, or one that cannot
// be opened. A job silently lost would look printed; a refusal that does
// not say where a printer is chosen leaves a new user stuck.
void SayPrinterSettingsWrong();

// The installed print system (none installed: a system without printers).
IPrintSystem& PrintSystem();
// Installs a print system (nullptr: none); the caller keeps ownership.
// The program's printer is made afresh over it.
void InstallPrintSystem(IPrintSystem* system);
// The program's printer over the installed print system.
TPrinter& Printer();

}  // namespace vm
