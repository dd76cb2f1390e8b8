#include "language/builtins/builtins_bases.h"

#include <cmath>

#include "foundation/tables/table_files.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/builtins/builtins_run.h"
#include "language/interpreter.h"
#include "platform/services.h"

namespace vm {

// --- Shared steps -------------------------------------------------------------

TRuntimeObject* ObjectArg(const TBuiltinCall& c, int i) {
  const TOperand& arg = c.ArgNode(i);
  return arg.Child.size() == 1 ? arg.Child.front().Object : nullptr;
}

TUBL* BaseArg(const TBuiltinCall& c, int i) {
  const TOperand& arg = c.ArgNode(i);
  if (arg.Child.size() != 1 || arg.Child.front().Kind != kOpdBase) return nullptr;
  return dynamic_cast<TUBL*>(arg.Child.front().Object);
}

TUBL* NeedBase(TBuiltinCall& c, int i) {
  TUBL* b = BaseArg(c, i);
  if (b == nullptr) c.Fail(kErrBadArgType);
  return b;
}

IHelpBook* BookArg(const TBuiltinCall& c, int i) { return dynamic_cast<IHelpBook*>(ObjectArg(c, i)); }

int TestCondition(TBuiltinCall& c, int i, bool& match) {
  int err = 0;
  TCommonVar v;
  EvalExpr(c.Call.Child[static_cast<std::size_t>(i - 1)].Child, err, v);
  if (err != 0) return err;
  if (NormalizeTypeChar(v.Kind) != 'N') return kErrCondType;
  match = std::fabs(v.Num) > kNumTolerance;
  return 0;
}

bool RunSubroutine(TRuntimeObject* sub) {
  auto* s = dynamic_cast<ISubroutine*>(sub);
  return s != nullptr && s->StartInstruction() != nullptr &&
         Interp().ExecNestedProgram(s->StartInstruction(), kOpReturn);
}

namespace {

// The language numbers rows from 1, the table from 0.
int32_t RowNumber(const TStringBase& t) { return t.CurrentIndex() + 1; }

// Rows loaded by a function run no new-row program.
class TLoadingGuard {
 public:
  explicit TLoadingGuard(TUBL& b) : b_(b) { b_.Bound = false; }
  ~TLoadingGuard() { b_.Bound = true; }
  TLoadingGuard(const TLoadingGuard&) = delete;
  TLoadingGuard& operator=(const TLoadingGuard&) = delete;

 private:
  TUBL& b_;
};

}  // namespace

// --- Loading and the current row ------------------------------------------------

void FnLoadbase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  TLoadingGuard guard(*b);
  b->Table.LoadAll();
}

void FnLoadlast(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  TLoadingGuard guard(*b);
  c.SetNum(b->Table.LoadLastRecord());
}

void FnLoadrange(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t from = 0, to = 0;
  if (!c.IntArg(2, from) || !c.IntArg(3, to)) return;
  TLoadingGuard guard(*b);
  b->Table.LoadRange(from, to);
}

void FnLoadfirstfrom(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t from = 0;
  if (!c.IntArg(2, from)) return;
  TLoadingGuard guard(*b);
  c.SetNum(b->Table.LoadNextRecord(from));
}

void FnLoadwhile(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t from = 0;
  if (!c.IntArg(2, from)) return;
  TLoadingGuard guard(*b);
  int err = 0;
  b->Table.LoadWhile(from, [&] {
    bool match = false;
    err = TestCondition(c, 3, match);
    return err == 0 && match;
  });
  if (err != 0) c.Fail(err);
}

void FnClearbase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  b->Table.MemTableClear();
}

void FnResetrecords(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  b->Table.MemTableClear();
  b->Truncate = true;
  b->Table.Modified = true;
}

void FnAddrecord(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  b->Table.Append();
}

void FnSetrecordnum(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t n = 0;
  if (!c.IntArg(2, n)) return;
  if (n < 1) {
    b->Table.Append();
  } else if (n > b->Table.Count()) {
    c.Fail(kErrBadRecordNo);
  } else {
    b->Table.MemTableGoto(n - 1);
  }
}

void FnReccount(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  c.SetNum(b->Table.Count());
}

void FnAbsreccount(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  const TDBF* dbf = b->Table.Dbf();
  c.SetNum(dbf != nullptr && dbf->Active() ? dbf->RecCount() : 0);
}

void FnAbsno(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  const TRow* row = b->Table.Current();
  c.SetNum(row != nullptr ? row->RecNo : -1);
}

void FnRecno(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  c.SetNum(b->Table.Current() != nullptr ? RowNumber(b->Table) : 0);
}

void FnCurrecord(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  const int32_t n = RowNumber(b->Table);
  c.SetNum(n >= 1 && n <= b->Table.Count() ? n : -1);
}

void FnCopyrec(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t from = 0, to = 0;
  if (!c.IntArg(2, from) || !c.IntArg(3, to)) return;
  TStringBase& t = b->Table;
  if (from < 1 || from > t.Count() || to < 1 || to > t.Count()) {
    c.Fail(kErrBadRecordNo);
    return;
  }
  t.CopyRecord(from - 1, to - 1);
  t.MemTableLocate(to - 1)->Changed = true;
  t.Modified = true;
}

void FnMarkrecord(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  b->Table.SetDeleted(ArgIsTrue(c, 2));
}

void FnFieldindex(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  c.SetNum(b->Table.FieldIndex(UpperStr(c.Str(2))));
}

// --- Searching, summing and deleting by condition -------------------------------

namespace {

// Rows first..last (0-based, either direction) made current in turn; the
// first that matches, as a row number, or -1.
void SearchRows(TBuiltinCall& c, TStringBase& t, int32_t first, int32_t last, int argIndex) {
  const int32_t step = first <= last ? 1 : -1;
  c.SetNum(-1);
  if (t.Count() == 0) return;
  for (int32_t i = first; step > 0 ? i <= last : i >= last; i += step) {
    t.MemTableGoto(i);
    bool match = false;
    if (const int err = TestCondition(c, argIndex, match); err != 0) {
      c.Fail(err);
      return;
    }
    if (match) {
      c.SetNum(i + 1);
      return;
    }
  }
}

}  // namespace

void FnFindinbase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  SearchRows(c, b->Table, 0, b->Table.LastIndex(), 2);
}

void FnFindinbaseend(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  SearchRows(c, b->Table, b->Table.LastIndex(), 0, 2);
}

void FnFindinbasenext(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  int32_t after = 0;
  if (!c.IntArg(2, after)) return;
  c.SetNum(-1);
  // A negative start searches every row, as 0 does.
  if (after >= b->Table.Count()) return;
  SearchRows(c, b->Table, std::max(after, 0), b->Table.LastIndex(), 3);
}

void FnClearbasecond(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  TStringBase& t = b->Table;
  for (int32_t i = 0; i < t.Count();) {
    t.MemTableGoto(i);
    bool match = false;
    if (const int err = TestCondition(c, 2, match); err != 0) {
      c.Fail(err);
      return;
    }
    if (match) {
      t.Delete(i);
      t.Modified = true;
    } else {
      ++i;
    }
  }
}

void FnSumbase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  TStringBase& t = b->Table;
  long double sum = 0;
  for (int32_t i = 0; i < t.Count(); ++i) {
    t.MemTableGoto(i);
    int err = 0;
    TCommonVar v;
    EvalExpr(c.Call.Child[static_cast<std::size_t>(2 - 1)].Child, err, v);
    if (err == 0 && NormalizeTypeChar(v.Kind) != 'N') err = kErrBadOperand;
    if (err != 0) {
      c.Fail(err);
      return;
    }
    sum += v.Num;
  }
  c.SetNum(sum);
}

// --- Saving and files -----------------------------------------------------------

void FnSavebase(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  std::string refusal;
  if (b->List != nullptr && b->List->WriteBackBook && b->List->WriteBackBook(*b, refusal)) {
    b->Table.Modified = true;
    b->RewriteAll = true;
  }
  if (!refusal.empty()) return c.FailWith(refusal);
  b->Table.Number = b->List != nullptr ? ++b->List->SaveCount : 1;
}

void FnBasetofile(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  c.SetNum(0);
  if (DesignerTestRun() || Interp().Aborted()) return;
  c.SetNum(WriteBaseToFile(b->Table, c.Str(2)) != TSaveResult::Failed ? 1 : 0);
}

void FnBasefromfile(TBuiltinCall& c) {
  TUBL* b = NeedBase(c, 1);
  if (b == nullptr) return;
  c.SetNum(ReadBaseFromFile(b->Table, c.Str(2)) ? 1 : 0);
}

}  // namespace vm
