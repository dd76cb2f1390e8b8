#include "language/check_list.h"

#include "language/expr_compiler.h"

namespace vm {

TCheckRecord* TCheckList::AddNew() { return items_.emplace_back(std::make_unique<TCheckRecord>()).get(); }

TCheckRecord* TCheckList::GetItem(int32_t index) const {
  return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TCheckList::Clear() {
  for (auto& r : items_) {
    FreeExpr(r->Condition);
    FreeExpr(r->Message);
    FreeExpr(r->NoFindCondition);
    FreeExpr(r->NoFindMessage);
  }
  items_.clear();
}

}  // namespace vm
