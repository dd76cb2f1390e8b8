#include "config/settings.h"
#include "foundation/barcodes/bar_patterns.h"
#include "foundation/text/strutils.h"
#include "language/builtins/builtins_devices.h"
#include "language/builtins/builtins_run.h"
#include "devices/scanner_port.h"
#include "platform/services.h"

namespace vm {

void FnChecksumstring(TBuiltinCall& c) { c.SetStr(DigitCheckPair(c.Str(1))); }

void FnCheckbarstring(TBuiltinCall& c) { c.SetStr(VerifyDigitCheckPair(c.Str(1))); }

void FnInterleaved25(TBuiltinCall& c) { c.SetStr(Interleaved25(c.Str(1))); }

void FnCode39(TBuiltinCall& c) { c.SetStr(Code39(c.Str(1))); }

void FnOpenbarscaner(TBuiltinCall& c) {
  if (ArgIsTrue(c, 1)) {
    OpenScanner(Settings().SerialRecord);
  } else {
    ReleaseScanner(Settings().SerialRecord);
  }
}

void FnPrintername(TBuiltinCall& c) {
  const StringList printers = Ui().PrinterNames();
  const int i = FindClosestString(Settings().PrinterName, printers);
  c.SetStr(i >= 0 ? printers[static_cast<std::size_t>(i)] : std::string());
}

}  // namespace vm
