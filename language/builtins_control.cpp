#include <cmath>

#include "language/builtins_run.h"
#include "language/interpreter.h"
#include "language/priority.h"
#include "ui/services.h"

namespace vm {

namespace {

bool IsTrue(long double x) { return std::fabs(x) > 1e-9L; }

}  // namespace

void FnTerminate(TBuiltinCall& c) {
  int32_t code = 0;
  if (c.IntArg(1, code)) Interp().SetTerminateValue(code);
}

void FnHighprior(TBuiltinCall& c) {
  if (IsTrue(c.Num(1))) {
    SetHighPriority();
  } else {
    SetNormalPriority();
  }
}

void FnOkclick(TBuiltinCall& c) {
  if (IsTrue(c.Num(1))) Ui().DocOkClick(IsTrue(c.Num(2)));
}

void FnPrintclick(TBuiltinCall& c) {
  if (IsTrue(c.Num(1))) Ui().DocPrintClick();
}

void FnCheckall(TBuiltinCall& c) { c.SetNum(!IsTrue(c.Num(1)) || Ui().DocCheckAll() ? 1 : 0); }

void FnSelecttable(TBuiltinCall& c) {
  const TOperand& arg = c.ArgNode(1);
  if (arg.Child.size() == 1) Interp().SetFocusTable(arg.Child.front().Object);
}

}  // namespace vm
