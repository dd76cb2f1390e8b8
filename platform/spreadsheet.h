// What the core asks of the spreadsheet application that fills reports.
// The application lives outside the program; an installed implementation
// drives it. Without one the core runs headless and no application can be
// started, so every report function refuses to run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vm {

// How a call that can fail went: Ok, or the application's words.
struct TSheetStatus {
  bool Ok = true;
  std::string Text;
};

// One workbook open for a report. Sheets are numbered from 1 as the
// application counts them; a call on a sheet the workbook lacks does
// nothing and reads give empty text. The application's own failures are
// absorbed, except where a status is returned.
class IWorkbook {
 public:
  virtual ~IWorkbook() = default;

  // A failed save loses the report, so it is not absorbed. Close drops the
  // workbook whatever its save answers.
  virtual TSheetStatus Save() = 0;
  virtual TSheetStatus Close(bool save) = 0;

  // A cell by row and column, or by an address text such as "B7".
  virtual std::string GetCell(int32_t sheet, int32_t row, int32_t column) = 0;
  virtual std::string GetRange(int32_t sheet, const std::string& address) = 0;
  virtual void SetCell(int32_t sheet, int32_t row, int32_t column, const std::string& text) = 0;
  virtual void SetRange(int32_t sheet, const std::string& address, const std::string& text) = 0;
  virtual void SetCellNum(int32_t sheet, int32_t row, int32_t column, double value) = 0;
  virtual void SetRangeNum(int32_t sheet, const std::string& address, double value) = 0;
  // True with the row and column of the first cell holding text.
  virtual bool FindCell(int32_t sheet, const std::string& text, int32_t& row, int32_t& column) = 0;

  // Count times a row inserted at target (advancing) and the source copied in.
  virtual void CopyRow(int32_t sheet, int32_t source, int32_t target, int32_t count) = 0;
  virtual void CopyRows(int32_t sheet, int32_t first, int32_t last, int32_t target, int32_t count) = 0;
  virtual TSheetStatus CopyCell(int32_t sheet, int32_t sourceRow, int32_t sourceColumn,
                                int32_t targetRow, int32_t targetColumn) = 0;
  // Count copies of the sheet after the last one.
  virtual void CopySheet(int32_t sheet, int32_t count) = 0;
  // A cell that contains what gets by as its whole value; with all, every
  // such cell in one sweep, so a replacement that holds what is not found
  // again and again.
  virtual void ReplaceWords(int32_t sheet, const std::string& what, const std::string& by, bool all) = 0;
  virtual TSheetStatus Print(int32_t sheet, const std::string& printer, int32_t copies) = 0;
};

class SpreadsheetServices {
 public:
  virtual ~SpreadsheetServices() = default;

  // Creates the application or checks that the one created still answers;
  // false when none of a usable version can be had.
  virtual bool Start() { return false; }
  // A workbook made from the template and saved as target (replacing it),
  // or an existing workbook opened for writing; nullptr with the
  // application's words in error when that fails.
  virtual std::unique_ptr<IWorkbook> CreateReport(const std::string& templateFile,
                                                  const std::string& target, std::string& error);
  virtual std::unique_ptr<IWorkbook> OpenReport(const std::string& file, std::string& error);
  // Closes every workbook the application holds open, reports or not.
  virtual void CloseAll(bool /*save*/) {}
  virtual void SetVisible(bool /*visible*/) {}
};

// The installed implementation (a headless one until something is installed).
SpreadsheetServices& Spreadsheet();
// nullptr goes back to the headless one. The caller keeps ownership.
void InstallSpreadsheetServices(SpreadsheetServices* services);

}  // namespace vm
