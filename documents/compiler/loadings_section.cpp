// LOADINGS: "LOADER = FORM:table, BASE:alias, VALUES:[1:expr, 2:expr ...]
// [, FILTER:condition] [, SORT:n] [, DELETE:n] [, CLEAR:n]".
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/section_steps.h"
#include "language/expr_types.h"

namespace vm {

namespace {

constexpr TParamSet kLoadingsParams{kPkBase, kPkFilter, kPkForm, kPkValues, kPkDelete, kPkSort, kPkClear};

// "1:expr": the column number and the formula.
struct TNumberedValue {
  int32_t Column = 0;
  std::string Text;
};

std::vector<TNumberedValue> NumberedValues(std::string_view value) {
  const std::string v = UpperOutsideQuotesStr(TrimBlanks(value));
  if (v.size() < 3 || v.front() != '[' || v.back() != ']') RaiseCompileError(43);
  std::vector<TNumberedValue> values;
  for (const std::string& item : SplitTopLevel(std::string_view(v).substr(1, v.size() - 2), ',')) {
    const int colon = PosTopLevel(":", item);
    const std::string_view text(item);
    const std::string key = colon > 0 ? TrimBlanks(text.substr(0, static_cast<std::size_t>(colon - 1))) : "";
    const int keyword = FindParamKeyword(key);
    if (keyword < 0) RaiseCompileError(kCeUnknownParam, key);
    if (keyword != kPkNumbered) RaiseCompileError(kCeParamNotAllowed, key);
    values.push_back({std::stoi(key), TrimBlanks(text.substr(static_cast<std::size_t>(colon)))});
  }
  return values;
}

void ReadValues(TCompiledDocument& doc, TLoad& load, std::string_view text) {
  const std::vector<TNumberedValue> values = NumberedValues(text);
  for (int32_t column = 1; column <= static_cast<int32_t>(load.Values.size()); ++column) {
    for (std::size_t place = 0; place < values.size(); ++place) {
      if (values[place].Column != column) continue;
      TLoad::TValueEntry& entry = load.Values[static_cast<std::size_t>(column - 1)];
      auto expr = std::make_shared<TExprChain>();
      if (!TypesCompatible(Formula(doc, values[place].Text, *expr), entry.Kind)) RaiseCompileError(59);
      entry.Expr = std::move(expr);
      load.OrderEntry(column - 1)->Number = static_cast<int32_t>(place);
      break;
    }
  }
  load.SortOrder();
}

int32_t OptionalInt(const TElementLine& line, int keyword, int32_t fallback) {
  const TElementParam* p = line.Find(keyword);
  return p != nullptr ? IntValue(p->Value) : fallback;
}

}  // namespace

void TDocumentCompiler::LoadingsLine(const TElementLine& line) {
  line.CheckAllowed(kLoadingsParams);
  CheckNewName(line.Name, 90);
  TFormPar& form = DocumentTable(doc_, line.Find(kPkForm, 17)->Value);
  TLoad& load = doc_.Loadings.Append(std::make_unique<TLoad>());
  load.Init(form);
  load.Name = line.Name;
  load.Source = &DocumentBase(doc_, line.Find(kPkBase, 91)->Value);
  ReadValues(doc_, load, line.Find(kPkValues, 60)->Value);
  if (const TElementParam* filter = line.Find(kPkFilter)) {
    load.Filter = std::make_unique<THelpFilter>(load.Source);
    load.Filter->Context = &doc_.Context;
    load.Filter->SetText(filter->Value);
    if (load.Filter->ErrorCode() != 0) RaiseCompileError(kCeMessage, load.Filter->Message());
  }
  load.KeepOrder = OptionalInt(line, kPkSort, 1) == 0;
  load.Move = OptionalInt(line, kPkDelete, 0) > 0;
  load.Append = OptionalInt(line, kPkClear, 1) == 0;
}

}  // namespace vm
