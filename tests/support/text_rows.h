// A blank view of text cells, rows listed top-down, columns 1-based.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/blanks.h"

namespace vm::test {

class TextRows : public TBlankView {
 public:
  explicit TextRows(std::vector<std::vector<std::string>> cells = {}) : cells_(std::move(cells)) {}
  int32_t RowCount() const override { return static_cast<int32_t>(cells_.size()); }
  int32_t ColCount() const override {
    return cells_.empty() ? 0 : static_cast<int32_t>(cells_.front().size());
  }
  std::string CellText(int32_t col, int32_t row) const override {
    if (row < 0 || row >= RowCount() || col < 1) return {};
    const auto& cells = cells_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) <= cells.size() ? cells[static_cast<size_t>(col - 1)] : std::string();
  }
  void Add(std::vector<std::string> row) { cells_.push_back(std::move(row)); }

 private:
  std::vector<std::vector<std::string>> cells_;
};

}  // namespace vm::test
