#include "language/number_text.h"

#include <charconv>
#include <cmath>

namespace vm {

bool ReadWholeNumber(std::string_view text, long double& value) {
  // from_chars would also take "inf", "nan" and a leading sign.
  if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.')) return false;
  long double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

}  // namespace vm
