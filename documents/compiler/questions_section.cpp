// QUESTIONS: "NAME = TITLE:expr, INPUT:[[label, VAR, width, decimals], ...]
// [, CANCEL:n]".
// BASEQUESTIONS: "NAME = TITLE:expr, BASE:alias, FIELDS:[[title, expr], ...],
// VAR:var [, FILTER:text] [, NEW:[[label, FIELD], ...]] [, SORT:[n, ...]]
// [, CANCEL:n]".
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/section_steps.h"
#include "language/expr_types.h"

namespace vm {

namespace {

constexpr TParamSet kQuestionsParams{kPkTitle, kPkInput, kPkCancel};
constexpr TParamSet kBaseQuestionsParams{kPkBase, kPkFields, kPkFilter, kPkNew, kPkTitle, kPkVar, kPkSort, kPkCancel};

void ReadTitle(TCompiledDocument& doc, TExprChain& title, const TElementLine& line) {
  if (!TypesCompatible(Formula(doc, line.Find(kPkTitle, 35)->Value, title), 'C')) RaiseCompileError(93);
}

bool ReadCancel(const TElementLine& line) {
  const TElementParam* p = line.Find(kPkCancel);
  return p != nullptr && IntValue(p->Value) > 0;
}

TVariable& ExistingVariable(TCompiledDocument& doc, std::string_view name) {
  TVariable* var = doc.Context.Symbols().FindVariable(UpperStr(TrimBlanks(name)));
  if (var == nullptr) RaiseCompileError(39);
  return *var;
}

void ReadInputs(TCompiledDocument& doc, TQuestion& question, const TElementParam& input) {
  for (const StringList& parts : BracketedItems(input.Value, 4, 37, 38)) {
    TInp& inp = question.Inputs.emplace_back();
    inp.Label = StringConstant(parts[0]);
    inp.Target = &ExistingVariable(doc, parts[1]);
    inp.Format.Kind = inp.Target->Value.Kind;
    inp.Format.Width = IntValue(parts[2]);
    inp.Format.Decimals = IntValue(parts[3]);
  }
}

void ReadFields(TCompiledDocument& doc, TBaseQuestion& question, const TElementParam& fields) {
  for (const StringList& parts : BracketedItems(fields.Value, 2, 43, 38)) {
    TFldDef& field = question.Fields.emplace_back();
    field.Title = StringConstant(parts[0]);
    if (Formula(doc, parts[1], field.Expr) != 'C') RaiseCompileError(93);
  }
}

void ReadNewInputs(TBaseQuestion& question, const TElementParam& fresh) {
  for (const StringList& parts : BracketedItems(fresh.Value, 2, 43, 38)) {
    TInp& inp = question.NewInputs.emplace_back();
    inp.Label = StringConstant(parts[0]);
    const TStringBase& table = question.Base->Table;
    inp.Field = table.FieldIndex(UpperStr(parts[1]));
    if (inp.Field < 0 || table.Dbf() == nullptr) RaiseCompileError(15);
    const TFieldRecord def = table.Dbf()->GetFieldDef(inp.Field);
    inp.Format.Kind = def.FieldType;
    inp.Format.Width = def.Length;
    inp.Format.Decimals = def.Decimals;
  }
  question.NewAllowed = true;
}

void ReadSort(TBaseQuestion& question, const TElementParam& sort) {
  for (const std::string& item : SplitParamList(BracketedInside(sort.Value, 20))) {
    const int32_t n = IntValue(item);
    if (n < 1 || n > static_cast<int32_t>(question.Fields.size())) RaiseCompileError(63);
    AddKeyCol(question.Sort, question.SortCount)->Number = n - 1;
  }
}

}  // namespace

void TDocumentCompiler::QuestionsLine(const TElementLine& line) {
  line.CheckAllowed(kQuestionsParams);
  CheckNewName(line.Name, 34);
  TQuestion& question = doc_.Questions.Append(std::make_unique<TQuestion>());
  question.Name = line.Name;
  question.ErrorCode = doc_.Predefined.ErrorCode;
  ReadTitle(doc_, question.Title, line);
  ReadInputs(doc_, question, *line.Find(kPkInput, 36));
  question.CancelAllowed = ReadCancel(line);
}

void TDocumentCompiler::BaseQuestionsLine(const TElementLine& line) {
  line.CheckAllowed(kBaseQuestionsParams);
  CheckNewName(line.Name, 34);
  TBaseQuestion& question = doc_.BaseQuestions.Append(std::make_unique<TBaseQuestion>());
  question.Name = line.Name;
  question.Context = &doc_.Context;
  ReadTitle(doc_, question.Title, line);
  question.Base = &DocumentBase(doc_, line.Find(kPkBase, 91)->Value);
  ReadFields(doc_, question, *line.Find(kPkFields, 41));
  const TElementParam* filter = line.Find(kPkFilter);
  question.Filter.Owner = question.Base;
  question.Filter.Context = &doc_.Context;
  question.Filter.SetText(filter != nullptr ? std::string_view(filter->Value) : std::string_view("[NOFILTER]"));
  if (question.Filter.ErrorCode() != 0) RaiseCompileError(kCeMessage, question.Filter.Message());
  TVariable& result = ExistingVariable(doc_, line.Find(kPkVar, 42)->Value);
  if (result.Value.Kind != 'N') RaiseCompileError(44);
  question.Result = &result;
  if (const TElementParam* fresh = line.Find(kPkNew)) ReadNewInputs(question, *fresh);
  if (const TElementParam* sort = line.Find(kPkSort)) ReadSort(question, *sort);
  question.CancelAllowed = ReadCancel(line);
}

}  // namespace vm
