// The built-ins that talk to the user, steer the run, work on files and
// keep value arrays. The routines follow the shape of builtins.h.
#pragma once

#include <cmath>

#include "foundation/values/value_text.h"
#include "language/builtins.h"

namespace vm {

// Whether argument i, a number, is true (beyond the tolerance).
inline bool ArgIsTrue(const TBuiltinCall& call, int i) {
  return std::fabs(call.Num(i)) > kNumTolerance;
}

// Dialogs.
void FnMessage(TBuiltinCall& call);
void FnConfirm(TBuiltinCall& call);
void FnQuestion(TBuiltinCall& call);
void FnCheckboxes(TBuiltinCall& call);
void FnGetopenfilename(TBuiltinCall& call);

// Run controls.
void FnTerminate(TBuiltinCall& call);
void FnHighprior(TBuiltinCall& call);
void FnOkclick(TBuiltinCall& call);
void FnPrintclick(TBuiltinCall& call);
void FnCheckall(TBuiltinCall& call);
void FnSelecttable(TBuiltinCall& call);

// Files.
void FnGetpath(TBuiltinCall& call);
void FnLocalpath(TBuiltinCall& call);
void FnCheckdir(TBuiltinCall& call);
void FnFiledir(TBuiltinCall& call);
void FnFileext(TBuiltinCall& call);
void FnErasefile(TBuiltinCall& call);
void FnErasedir(TBuiltinCall& call);
void FnCopyfile(TBuiltinCall& call);

// Value arrays.
void FnAddarray(TBuiltinCall& call);
void FnDeletearray(TBuiltinCall& call);
void FnGetarraydata(TBuiltinCall& call);
void FnSetarraydata(TBuiltinCall& call);

}  // namespace vm
