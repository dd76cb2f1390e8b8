// An element or keyword line split into its name and parameters:
//   NAME = 1, KEY:[A, B], FILTER:'x;y'
// gives the name NAME, a positional item "1" and two keyword parameters.
// Commas, colons and '=' inside quotes and brackets separate nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "documents/compiler/keyword_tables.h"

namespace vm {

struct TElementParam {
  std::string Keyword;  // upper case; empty for a positional item
  std::string Value;    // trimmed, case kept
};

class TElementLine {
 public:
  std::string Name;
  std::vector<TElementParam> Params;
  // The last keyword that is in no table; empty when every one is known.
  std::string UnknownKeyword;
  bool HasUnknown = false;

  int Count() const { return static_cast<int>(Params.size()); }
  // 0-based; nullptr past the end.
  const TElementParam* At(int index) const;
  // The first parameter with that table keyword (1..70), or numbered n when
  // keyword is -n (0 or below); nullptr when absent, or raises errIfMissing
  // when that is not 0.
  const TElementParam* Find(int keyword, int errIfMissing = 0) const;
  // Raises 257 with the keyword of the first parameter the set does not admit.
  void CheckAllowed(const TParamSet& allowed) const;
};

// Never raises: an unknown keyword is noted in the result.
TElementLine ParseElementParams(std::string_view line);
// Raises 256 for an unknown keyword.
TElementLine ParseElementLine(std::string_view line);

// The inside of a value in square brackets, trimmed and upper-cased, at
// least "[x]" long; raises errCode otherwise.
std::string BracketedInside(std::string_view value, int errCode);

}  // namespace vm
