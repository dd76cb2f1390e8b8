// HELPS: "PAGE = FORM:blank, BASE:alias, KEYCOL:[c, ...], FIELDS:[F, ...] or
// EXPR:[e, ...], TITLE:'...' [, FILTER:..., SORTHELPONLY:n, SORT:n,
// CATEGORY:[n, s, s], OPT:[['caption', e], ...]]" makes a look-up page: a
// blank over a database of the document whose columns show its fields or
// formulas, with the conditions the page offers.
#include <memory>

#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"
#include "foundation/values/value_text.h"
#include "language/table_filter.h"

namespace vm {

namespace {

constexpr TParamSet kHelpsParams{kPkBase,  kPkFields, kPkFilter, kPkForm,     kPkKeyCol, kPkSortHelpOnly,
                                 kPkTitle, kPkExpr,   kPkSort,   kPkCategory, kPkOpt};

char ColumnKind(THelpItem& page, int32_t column) { return NormalizeTypeChar(page.Shown.BlankFieldKind(column, 0)); }

TUBL& PageBase(TCompiledDocument& doc, const TElementLine& line) {
  TUBL* base = doc.Bases.FindByAlias(TrimBlanks(line.Find(kPkBase, 91)->Value));
  if (base == nullptr) RaiseCompileError(26);
  return *base;
}

// The page's key columns, which must match the keys of its database.
void ReadPageKeys(THelpItem& page, const TElementLine& line) {
  ReadKeyColumnList(*line.Find(kPkKeyCol, 23), page.Shown.ShownColCount(),
                    [&](int32_t c) { return ColumnKind(page, c); }, page.Keys, page.KeyCount);
  const TStringBase& table = page.Link->Table;
  if (page.KeyCount != table.KeyCount) RaiseCompileError(77);
  const TKeyCol* baseKey = table.Keys.get();
  for (const TKeyCol* key = page.Keys.get(); key != nullptr && baseKey != nullptr;
       key = key->Next.get(), baseKey = baseKey->Next.get())
    if (key->Kind != NormalizeTypeChar(baseKey->Kind)) RaiseCompileError(78);
}

void BindField(THelpItem& page, int32_t column, int32_t field) {
  for (TDataView* view : {&page.Shown, &page.Hidden})
    if (TColLayout* layout = view->GetColLayout(column)) layout->BoundField = field;
}

void ReadFields(THelpItem& page, const TElementParam& fields) {
  const TStringBase& table = page.Link->Table;
  int32_t column = 0;
  for (const std::string& item : SplitParamList(BracketedInside(fields.Value, 43))) {
    const int32_t c = column++;
    if (item.empty()) continue;
    if (c >= page.Shown.ColCount()) RaiseCompileError(29);
    const int32_t field = table.FieldIndex(item);
    if (field < 0) RaiseCompileError(15);
    BindField(page, c, field);
    const TColFormat* format = FixedFormat(page.Shown.Blank(), c);
    if (format != nullptr && NormalizeTypeChar(format->Kind) != NormalizeTypeChar(table.FieldType(field)))
      RaiseCompileError(31);
  }
}

void ReadExpressions(TCompiledDocument& doc, THelpItem& page, const TElementParam& exprs) {
  const int32_t columns = page.Shown.ColCount();
  for (int32_t c = 0; c < columns; ++c) {
    BindField(page, c, -1);
    for (TDataView* view : {&page.Shown, &page.Hidden})
      if (TColLayout* layout = view->GetColLayout(c)) layout->Expr.reset();
  }
  page.OwnsColumnExprs = true;
  int32_t column = 0;
  for (const std::string& item : SplitParamList(BracketedInside(exprs.Value, 43))) {
    const int32_t c = column++;
    if (c >= columns) RaiseCompileError(29);
    auto expr = std::make_shared<TExprChain>();
    const char type = Formula(doc, item, *expr);
    page.Shown.GetColLayout(c)->Expr = expr;
    page.Hidden.GetColLayout(c)->Expr = expr;
    const TColFormat* format = FixedFormat(page.Shown.Blank(), c);
    if (format != nullptr && !TypesCompatible(type, format->Kind)) RaiseCompileError(101);
  }
  if (column != columns) RaiseCompileError(30);
}

void ReadFilter(TCompiledDocument& doc, THelpItem& page, const TElementLine& line) {
  const TElementParam* filter = line.Find(kPkFilter);
  page.Filter->Context = &doc.Context;
  page.Filter->SetText(filter != nullptr ? std::string_view(filter->Value) : std::string_view("[NOFILTER]"));
  if (page.Filter->ErrorCode() != kFilterOk) RaiseCompileError(kCeMessage, page.Filter->Message());
}

bool Flag(const TElementParam& p) { return IntParam(p, INT32_MIN, 8) != 0; }

// CATEGORY:[n, s, s]: whether a row belongs to the chosen category, the
// text of each row's category and the category offered first.
void ReadCategory(TCompiledDocument& doc, THelpItem& page, const TElementParam& category) {
  const StringList items = SplitParamList(InsideBrackets(UpperOutsideQuotesStr(category.Value), 43));
  if (items.size() != 3) RaiseCompileError(117);
  if (!TypesCompatible(Formula(doc, items[0], page.ThirdExpr), 'N')) RaiseCompileError(118);
  if (!TypesCompatible(Formula(doc, items[1], page.ListExpr), 'C')) RaiseCompileError(93);
  if (!TypesCompatible(Formula(doc, items[2], page.ValueExpr), 'C')) RaiseCompileError(93);
  page.HasValueList = true;
}

// OPT:[['caption', condition], ...]: the option buttons of the page.
void ReadOptions(TCompiledDocument& doc, THelpItem& page, const TElementParam& opt) {
  if (opt.Value.size() < 3) RaiseCompileError(136);
  for (const std::string& item : SplitParamList(InsideBrackets(opt.Value, 136))) {
    const StringList parts = SplitParamList(InsideBrackets(item, 136));
    if (parts.size() != 2) RaiseCompileError(38);
    TOpt& option = *page.Options.AddNew();
    option.Caption = StringConstant(parts[0]);
    if (Formula(doc, parts[1], option.Condition) != 'N') RaiseCompileError(135);
  }
}

}  // namespace

void TDocumentCompiler::HelpsLine(const TElementLine& line) {
  line.CheckAllowed(kHelpsParams);
  CheckNewName(line.Name, 19);
  const TCurBlank& blank = FormBlank(context_, line);
  THelpItem& page = *AddHelpItem(doc_.HelpPages, line.Name, &blank);
  if (!page.Shown.HasBlank() || !page.Hidden.HasBlank()) RaiseCompileError(21);
  page.Bind(&PageBase(doc_, line));
  ReadPageKeys(page, line);
  if (const TElementParam* exprs = line.Find(kPkExpr)) ReadExpressions(doc_, page, *exprs);
  else ReadFields(page, *line.Find(kPkFields, 27));
  ReadFilter(doc_, page, line);
  page.Title = StringConstant(line.Find(kPkTitle, 32)->Value);
  if (const TElementParam* p = line.Find(kPkSortHelpOnly)) page.SortHelpOnly = Flag(*p);
  if (page.SortHelpOnly && page.OwnsColumnExprs) RaiseCompileError(102);
  if (const TElementParam* p = line.Find(kPkSort)) page.NoSort = !Flag(*p);
  if (const TElementParam* p = line.Find(kPkCategory)) ReadCategory(doc_, page, *p);
  if (const TElementParam* p = line.Find(kPkOpt)) ReadOptions(doc_, page, *p);
}

}  // namespace vm
