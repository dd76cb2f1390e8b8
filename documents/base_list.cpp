#include "documents/base_list.h"

namespace vm {

TUBL::TUBL(std::string alias, TDbaseStructure& structure)
    : Name(std::move(alias)), Structure(structure), fields_(structure) {}

TUBL* TBaseList::FindByAlias(std::string_view alias) const {
  const std::string key = UpperStr(TrimBlanks(alias));
  for (const auto& base : items_)
    if (base->Name == key) return base.get();
  return nullptr;
}

}  // namespace vm
