#include "platform/spreadsheet.h"

#include "platform/encoding.h"

namespace vm {

namespace {

std::string NotAvailable() { return " Программа электронных таблиц недоступна "_w; }

SpreadsheetServices gHeadless;
SpreadsheetServices* gInstalled = nullptr;

}  // namespace

std::unique_ptr<IWorkbook> SpreadsheetServices::CreateReport(const std::string&, const std::string&,
                                                             std::string& error) {
  error = NotAvailable();
  return nullptr;
}

std::unique_ptr<IWorkbook> SpreadsheetServices::OpenReport(const std::string&, std::string& error) {
  error = NotAvailable();
  return nullptr;
}

SpreadsheetServices& Spreadsheet() { return gInstalled ? *gInstalled : gHeadless; }

void InstallSpreadsheetServices(SpreadsheetServices* services) { gInstalled = services; }

}  // namespace vm
