// The price-tag layout a document prints (its PRICE section). The layout
// belongs to the configuration and keeps the zone expressions its settings
// gave it; the expressions the document writes for the zones are the
// document's own, kept here and freed with the document.
#pragma once

#include <cstdint>
#include <vector>

#include "config/price_tags.h"
#include "language/expr_types.h"

namespace vm {

struct TPriceBinding {
  // The description has a PRICE section.
  bool Declared = false;
  // nullptr until a PRICEKIND line binds one.
  const TCennik* Layout = nullptr;
  // Per zone of the layout, the document's expression; empty for none.
  std::vector<TExprChain> Zones;
  // The 0-based column of the table that holds the number of tags; -1 for
  // none (one tag a row).
  int32_t CountColumn = -1;
  bool Editable = true;

  // The document's expression of a 0-based zone; nullptr when it has none.
  const TExprChain* ZoneExpr(int32_t zone) const {
    if (zone < 0 || zone >= static_cast<int32_t>(Zones.size())) return nullptr;
    const TExprChain& e = Zones[static_cast<std::size_t>(zone)];
    return e.empty() ? nullptr : &e;
  }
};

}  // namespace vm
