// A stored page format handed to the printer. Its bytes come from a
// settings file that may have been edited or cut, so they are checked
// first: a record that does not hold together is named in "Errors.log" and
// the printer keeps the settings it had.
#pragma once

#include "config/page_format.h"
#include "output/printer.h"

namespace vm {

// True when the format's device mode is now the printer's; a format
// without bytes changes nothing and is no error.
bool ApplyPageFormat(TPrinter& printer, const TPageFormat& format);

}  // namespace vm
