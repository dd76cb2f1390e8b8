// CHECK: "TABLE = COND:[condition], EDIT:[c, ...], MESSAGE:[message]
// [, ONBASE:alias] [, DELETE:n] [, WARN:n] [, NOFIND:[condition, message]]",
// or "COMMONCHECK = COND:[condition], MESSAGE:[message]" for the document.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/section_steps.h"
#include "language/expr_types.h"

namespace vm {

namespace {

constexpr TParamSet kCheckParams{kPkCond, kPkEdit, kPkNoFind, kPkMessage, kPkOnBase, kPkDelete, kPkWarn};

void ReadCondition(TCompiledDocument& doc, TCheckRecord& check, const TElementLine& line) {
  const std::string inside = InsideBracketsOf(line.Find(kPkCond, 65)->Value, 2, 6);
  if (inside.empty()) RaiseCompileError(65);
  if (!TypesCompatible(Formula(doc, inside, check.Condition), 'N')) RaiseCompileError(85);
}

void ReadMessage(TCompiledDocument& doc, TCheckRecord& check, const TElementLine& line) {
  const std::string inside = InsideBracketsOf(line.Find(kPkMessage, 74)->Value, 3, 6);
  if (!TypesCompatible(Formula(doc, inside, check.Message), '*')) RaiseCompileError(72);
}

void ReadColumns(TFormPar& form, TCheckRecord& check, const TElementLine& line) {
  const std::string inside = BracketedInside(line.Find(kPkEdit, 86)->Value, 20);
  for (const std::string& item : SplitParamList(inside)) {
    int32_t c = 0;
    if (!TryStrToInt(item, c) || c < 0 || c > form.ShownColumns()) RaiseCompileError(22);
    if (c == 0) continue;
    const auto column = static_cast<std::size_t>(c - 1);
    if (TColLayout* layout = form.View().GetColLayout(c - 1)) layout->Checked = true;
    if (!form.EditableCols.test(column)) RaiseCompileError(87);
    check.Columns.set(column);
  }
}

// The table's key columns and the database's, pairwise.
void MatchKeys(const TFormPar& form, const TUBL& base) {
  const TKeyCol* a = form.Keys.get();
  const TKeyCol* b = base.Table.Keys.get();
  for (; a != nullptr && b != nullptr; a = a->Next.get(), b = b->Next.get())
    if (NormalizeTypeChar(a->Kind) != NormalizeTypeChar(b->Kind)) RaiseCompileError(59);
  if (form.KeyCount != base.Table.KeyCount) RaiseCompileError(40);
}

void ReadNoFind(TCompiledDocument& doc, TCheckRecord& check, const TElementParam& noFind) {
  const StringList parts = SplitParamList(InsideBracketsOf(noFind.Value, 3, 28));
  if (parts.size() != 2) RaiseCompileError(38);
  if (!TypesCompatible(Formula(doc, parts[0], check.NoFindCondition), 'N')) RaiseCompileError(85);
  if (!TypesCompatible(Formula(doc, parts[1], check.NoFindMessage), '*')) RaiseCompileError(72);
}

}  // namespace

void TDocumentCompiler::CheckLine(const TElementLine& line) {
  line.CheckAllowed(kCheckParams);
  if (line.Name == "COMMONCHECK") {
    TCheckRecord& check = *doc_.Checks.AddNew();
    ReadCondition(doc_, check, line);
    ReadMessage(doc_, check, line);
    return;
  }
  TFormPar& form = DocumentTable(doc_, line.Name);
  if (form.Checks == nullptr) form.Checks = std::make_unique<TCheckList>();
  TCheckRecord& check = *form.Checks->AddNew();
  if (const TElementParam* onBase = line.Find(kPkOnBase)) {
    check.OnBase = &DocumentBase(doc_, onBase->Value);
  } else if (form.Help == nullptr) {
    RaiseCompileError(67);
  }
  ReadCondition(doc_, check, line);
  ReadColumns(form, check, line);
  ReadMessage(doc_, check, line);
  if (check.OnBase != nullptr) MatchKeys(form, *check.OnBase);
  if (const TElementParam* p = line.Find(kPkDelete)) check.DeleteRow = IntValue(p->Value) != 0;
  if (const TElementParam* p = line.Find(kPkWarn)) check.Warn = IntValue(p->Value) != 0;
  if (const TElementParam* p = line.Find(kPkNoFind)) ReadNoFind(doc_, check, *p);
}

}  // namespace vm
