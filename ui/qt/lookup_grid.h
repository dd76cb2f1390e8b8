// The list of look-up rows that start with what the user has typed into a
// cell: the key columns of every matching row of a look-up page's view.
#pragma once

#include <QTableWidget>
#include <string>
#include <vector>

#include "models/data_view.h"

namespace vm {

class TLookupGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit TLookupGrid(QWidget* parent = nullptr);

  // Refills the grid from the rows of view (sorted by the first key column)
  // whose first key starts with prefix; the titles are the key columns'
  // header texts. With no row to start from the grid stays as it was and
  // -1 is returned; else the index where the search started.
  int32_t Fill(TDataView& view, std::string_view prefix, const TKeyCol* keys);
  // The view rows listed, top-down.
  const std::vector<int32_t>& Rows() const { return rows_; }

 private:
  std::vector<int32_t> rows_;
};

}  // namespace vm
