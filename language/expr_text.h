// Text helpers of the expression compiler.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// A text with its blanks outside quotes removed, and for each character kept
// its 0-based position in the text as written, so that errors point into
// what the user wrote.
struct TStrippedText {
  std::string Text;
  std::vector<std::size_t> Origin;
};

TStrippedText StripBlanksKeepingPositions(std::string_view s);

}  // namespace vm
