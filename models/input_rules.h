// What the one-line input box accepts: text by the kind of value asked for,
// empty or not, and not a repeat of a name already taken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vm {

struct TInputRules {
  char Kind = 'C';  // 'C' any text, 'N' a number, anything else a date
  bool AllowEmpty = true;
  std::vector<std::string> Names;  // the text must not repeat one of them
  int32_t ExceptIndex = -1;        // the entry of Names that may be repeated
};

bool InputTextValid(const std::string& text, const TInputRules& rules);

}  // namespace vm
