#include <cmath>

#include "foundation/files/fileutils.h"
#include "language/builtins/builtins_run.h"
#include "language/check_boxes.h"
#include "language/expr_context.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr uint32_t kTaskModal = 0x2000;
constexpr uint32_t kYesNo = 0x2024;
constexpr uint32_t kNoByDefault = 0x100;
constexpr int kErrArgType = 16;


int32_t ShowBox(const std::string& text, const std::string& caption, uint32_t flags) {
  const bool busy = SuspendBusy();
  const int32_t answer = Ui().MsgBox(text, caption, flags);
  SetBusy(busy);
  return answer;
}

uint32_t IconOfKind(int32_t kind) {
  switch (kind) {
    case 0: return 0;
    case 1:
    case 4: return 0x10;
    case 2: return 0x30;
    case 3: return 0x20;
    default: return 0x40;
  }
}

}  // namespace

void FnMessage(TBuiltinCall& c) {
  int32_t kind = 0;
  if (!c.IntArg(1, kind)) return;
  ShowBox(c.Str(2), c.Str(3), kTaskModal | IconOfKind(kind));
}

void FnConfirm(TBuiltinCall& c) {
  const uint32_t flags = kYesNo | (ArgIsTrue(c, 3) ? 0 : kNoByDefault);
  c.SetNum(ShowBox(c.Str(1), c.Str(2), flags) == kIdYes ? 1 : 0);
}

void FnQuestion(TBuiltinCall& c) {
  // The caption comes first here.
  c.SetNum(ShowBox(c.Str(2), c.Str(1), kYesNo) == kIdYes ? 1 : 0);
}

void FnCheckboxes(TBuiltinCall& c) {
  const long double mask = std::rint(std::fabs(c.Num(3)));
  int32_t columns = 0;
  if (!c.IntArg(4, columns)) return;
  if (!(mask <= 4294967295.0L)) {
    int32_t unused = 0;
    c.RoundToInt32(mask, unused);
    return;
  }
  uint32_t result = 0;
  const bool ok = ShowCheckBoxes(c.Str(1), c.Str(2), static_cast<uint32_t>(mask), columns, result);
  c.SetNum(ok ? static_cast<long double>(result) : -1);
}

void FnGetopenfilename(TBuiltinCall& c) {
  const TOperand& arg = c.ArgNode(3);
  if (arg.Child.size() != 1 || arg.Child.front().Var == nullptr) {
    c.Fail(kErrArgType);
    return;
  }
  TVariable* file = arg.Child.front().Var;
  std::string dir = GetFileDirPart(file->Value.Str);
  std::string chosen;
  const bool busy = SuspendBusy();
  const bool ok = SelectFilesDialog(c.Str(1), c.Str(2), dir, false, false, chosen, 0);
  SetBusy(busy);
  if (ok) file->Value.Str = chosen;
  c.SetNum(ok ? 1 : 0);
}

}  // namespace vm
