// The spreadsheet reports a document has open, each under the running
// number the document names it by. Closing every workbook empties the list
// and starts the numbers again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/spreadsheet.h"

namespace vm {

class TReportList {
 public:
  // The new report's number: the last number plus 1. file is the
  // workbook's file as the document named it.
  int32_t AddNew(std::unique_ptr<IWorkbook> workbook, std::string file = {});
  // nullptr for a number no open report has.
  IWorkbook* Find(int32_t number) const;
  // The file of an open report; empty for a number no open report has.
  std::string FileOf(int32_t number) const;
  // Takes the report out of the list; the workbook is released with it.
  void Remove(int32_t number);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  struct TReport {
    int32_t Number;
    std::unique_ptr<IWorkbook> Workbook;
    std::string File;
  };
  std::vector<TReport> items_;
  int32_t lastNumber_ = 0;
};

// The reports of the running document.
TReportList& Reports();

// Closes every workbook of the application and empties the report list;
// done before every document run and by CLOSEALLREPORTS.
void CloseAllReports(bool save);

}  // namespace vm
