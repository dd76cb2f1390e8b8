// Reading a number that a formula writes: digits with an optional point and
// an optional exponent, whatever the process locale says.
#pragma once

#include <string_view>

namespace vm {

// True when the whole of text is a finite decimal number.
bool ReadWholeNumber(std::string_view text, long double& value);

}  // namespace vm
