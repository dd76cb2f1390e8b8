// The compiled checks of a document: one list for the document checks and
// one for each table that has row checks. The document compiler fills the
// records; the list owns what they hold.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#include "language/expr_types.h"

namespace vm {

class TUBL;

struct TCheckRecord {
  TExprChain Condition;
  TExprChain Message;
  // The database searched (ONBASE); nullptr for none.
  TUBL* OnBase = nullptr;
  bool DeleteRow = false;
  // The checked columns, 0-based.
  std::bitset<256> Columns;
  TExprChain NoFindCondition;
  TExprChain NoFindMessage;
  bool Warn = false;
};

class TCheckList {
 public:
  TCheckList() = default;
  ~TCheckList() { Clear(); }
  TCheckList(const TCheckList&) = delete;
  TCheckList& operator=(const TCheckList&) = delete;

  // A new empty record at the end.
  TCheckRecord* AddNew();
  // nullptr outside 0..Count()-1.
  TCheckRecord* GetItem(int32_t index) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Frees every record with its compiled expressions.
  void Clear();

 private:
  std::vector<std::unique_ptr<TCheckRecord>> items_;
};

}  // namespace vm
