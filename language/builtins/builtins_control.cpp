#include "language/builtins/builtins_run.h"
#include "language/expr_context.h"
#include "language/interpreter.h"
#include "language/priority.h"
#include "platform/services.h"

namespace vm {

void FnTerminate(TBuiltinCall& c) {
  int32_t code = 0;
  if (c.IntArg(1, code)) Interp().SetTerminateValue(code);
}

void FnHighprior(TBuiltinCall& c) {
  if (ArgIsTrue(c, 1)) {
    SetHighPriority();
  } else {
    SetNormalPriority();
  }
}

void FnOkclick(TBuiltinCall& c) {
  if (ArgIsTrue(c, 1)) Ui().DocOkClick(ArgIsTrue(c, 2));
}

void FnPrintclick(TBuiltinCall& c) {
  if (ArgIsTrue(c, 1)) Ui().DocPrintClick();
}

void FnCheckall(TBuiltinCall& c) { c.SetNum(!ArgIsTrue(c, 1) || Ui().DocCheckAll() ? 1 : 0); }

void FnSelecttable(TBuiltinCall& c) {
  const TOperand& arg = c.ArgNode(1);
  if (arg.Child.size() == 1) Interp().SetFocusTable(dynamic_cast<IExprForm*>(arg.Child.front().Object));
}

}  // namespace vm
