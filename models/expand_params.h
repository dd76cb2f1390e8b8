// Parameter references in the header texts of blanks: %Name%, %Name:Mode%
// and %Name:Mode:Decimals% stand for the text of a system variable
// (CURDATE, NO_OPERAT, CURTIME) or of an auto-parameter, so that shown and
// printed headers carry the run's date, time, operation number and
// parameters.
#pragma once

#include <string>

#include "config/registries.h"

namespace vm {

// Each reference is replaced once, left to right; an inserted value is
// never looked into again, and a lone '%' stays as it stands. A name that
// is no system variable and no parameter of Params gives an empty text.
std::string ExpandParams(const std::string &text, const TAutoList *params);

// Makes the blanks draw their header texts through ExpandParams.
void InstallExpandParams();

}  // namespace vm
