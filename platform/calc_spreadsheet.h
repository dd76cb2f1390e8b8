// The spreadsheet services on LibreOffice Calc. The office runs with a
// profile of its own, started on first use by our helper process
// (platform/calc_link.h), checked before every use and started afresh when
// it has died; it is hidden after every document run and quit when this
// object goes. For a program on a display it runs there with its windows
// hidden (soffice --invisible), so that SetVisible can show the reports;
// otherwise headless (soffice --headless --invisible), where SetVisible
// does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/calc_link.h"
#include "platform/spreadsheet.h"

namespace vm {

// The leading digits and first "." of a version text as a number
// ("8.0a" is 8.0); 0 when it starts with neither.
double LeadingVersionNumber(std::string_view text);
// The version rule: the number is the minimum or above it.
bool VersionAccepted(std::string_view text, double minimum);

// The oldest office accepted: the first LibreOffice whose scripting
// interface holds every call the reports make.
inline constexpr double kCalcMinimumVersion = 6.0;

// Whether the office may show its windows: only where the program's own
// windows are on a screen a user sees.
enum class TOfficeWindows { Headless, OnDisplay };

class TCalcSpreadsheet : public SpreadsheetServices {
 public:
  // officePath: the office program, "soffice" found on the PATH by default.
  explicit TCalcSpreadsheet(std::string officePath = "soffice",
                            TOfficeWindows windows = TOfficeWindows::Headless);
  ~TCalcSpreadsheet() override;

  bool Start() override;
  std::unique_ptr<IWorkbook> CreateReport(const std::string& templateFile, const std::string& target,
                                          std::string& error) override;
  std::unique_ptr<IWorkbook> OpenReport(const std::string& file, std::string& error) override;
  void CloseAll(bool save) override;
  void SetVisible(bool visible) override;

  // The office's process while one runs, 0 otherwise (for tests that end it).
  int OfficePid() const { return officePid_; }
  // Closes the workbooks, ends the office and its helper.
  void Quit();

  // A call and its answer, Windows-1251 both ways; an empty answer when the
  // office is gone.
  TCalcFields Call(const TCalcFields& fields);
  void Send(const TCalcFields& fields);

 private:
  bool Alive(std::string& why);
  bool Create();
  std::unique_ptr<IWorkbook> Report(const TCalcFields& call, std::string& error);

  std::string officePath_;
  bool windows_;
  TCalcLink link_;
  bool started_ = false;
  int officePid_ = 0;
  // Numbers are never used twice, so a workbook of an office that died
  // names nothing in its successor.
  int32_t lastBook_ = 0;
};

}  // namespace vm
