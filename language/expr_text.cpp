#include "language/expr_text.h"

namespace vm {

TStrippedText StripBlanksKeepingPositions(std::string_view s) {
  TStrippedText out;
  out.Text.reserve(s.size());
  out.Origin.reserve(s.size());
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\'') quoted = !quoted;
    if (!quoted && (s[i] == ' ' || s[i] == '\t')) continue;
    out.Text += s[i];
    out.Origin.push_back(i);
  }
  return out;
}

}  // namespace vm
