#include "platform/report_list.h"

#include <algorithm>

namespace vm {

int32_t TReportList::AddNew(std::unique_ptr<IWorkbook> workbook, std::string file) {
  items_.push_back({++lastNumber_, std::move(workbook), std::move(file)});
  return lastNumber_;
}

IWorkbook* TReportList::Find(int32_t number) const {
  for (const TReport& r : items_)
    if (r.Number == number) return r.Workbook.get();
  return nullptr;
}

std::string TReportList::FileOf(int32_t number) const {
  for (const TReport& r : items_)
    if (r.Number == number) return r.File;
  return {};
}

void TReportList::Remove(int32_t number) {
  std::erase_if(items_, [number](const TReport& r) { return r.Number == number; });
}

void TReportList::Clear() {
  items_.clear();
  lastNumber_ = 0;
}

TReportList& Reports() {
  static TReportList reports;
  return reports;
}

void CloseAllReports(bool save) {
  Spreadsheet().CloseAll(save);
  Reports().Clear();
}

}  // namespace vm
