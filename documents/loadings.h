// Loadings: EXECLOAD fills a table of the document from a bound database,
// the rows that pass the loading's filter, each column from the expression
// the loading gives it, in the order the description names them; then the
// table's FORMCHANGE block runs once per row and the table is sorted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "documents/form_list.h"
#include "documents/runtime_objects.h"
#include "language/bound_tables.h"
#include "language/program_context.h"
#include "language/table_filter.h"

namespace vm {

class TLoad : public IProgramLoading {
 public:
  struct TValueEntry {
    char Kind = 0;
    // Shared with the column while the loading runs; nullptr: no value.
    std::shared_ptr<TExprChain> Expr;
  };

  std::string Name;
  TFormPar* Form = nullptr;
  TUBL* Source = nullptr;
  // nullptr: every row.
  std::unique_ptr<THelpFilter> Filter;
  bool Move = false;       // DELETE above 0
  bool Append = false;     // CLEAR 0
  bool KeepOrder = false;  // SORT 0
  std::vector<TValueEntry> Values;
  // One entry per column: Number the place VALUES gave it (-1: none),
  // ViewColumn the column; in assignment order once SortOrder ran.
  std::unique_ptr<TKeyCol> Order;
  int32_t OrderCount = 0;

  // One value entry and one order entry per column of the table.
  void Init(TFormPar& form);
  TKeyCol* OrderEntry(int32_t column) const;
  void SortOrder();
  TLoadOutcome Run() override;

 private:
  bool SourceReadable(TLoadOutcome& outcome) const;
  void RunFormChange();
};

class TLoadList : public TNamedList<TLoad, true> {};

}  // namespace vm
