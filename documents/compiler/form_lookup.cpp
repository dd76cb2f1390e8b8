// The look-up page of a table (HELP) and the hint lines it shows (HINT,
// HINTHELP).
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"
#include "foundation/text/strutils.h"
#include "language/expr_types.h"
#include "language/table_filter.h"

namespace vm {

namespace {

constexpr TParamSet kHelpParams{kPkName, kPkNumbered};

int32_t PageColumns(const THelpItem& page) { return const_cast<THelpItem&>(page).Shown.ColCount(); }

char PageColumnKind(const THelpItem& page, int32_t column) {
  return NormalizeTypeChar(const_cast<THelpItem&>(page).Shown.BlankFieldKind(column, 0));
}

void BindToField(TFormPar& form, const THelpItem& page, int32_t column, const std::string& value) {
  const int32_t field = page.Link != nullptr ? page.Link->Table.FieldIndex(UpperStr(value)) : -1;
  if (field < 0) RaiseCompileError(15);
  TColLayout* layout = form.View().GetColLayout(column);
  if (layout != nullptr) layout->BoundField = field;
  const TColFormat* format = FixedFormat(form.View().Blank(), column);
  if (format != nullptr && NormalizeTypeChar(format->Kind) != NormalizeTypeChar(page.Link->Table.FieldType(field)))
    RaiseCompileError(59);
}

void BindToPageColumn(TFormPar& form, const THelpItem& page, int32_t column, const std::string& value) {
  int32_t n = 0;
  if (!TryStrToInt(value, n) || n < 1 || n > PageColumns(page)) RaiseCompileError(69);
  TColLayout* layout = form.View().GetColLayout(column);
  if (layout != nullptr) layout->BoundField = n - 1;
  if (!TypesCompatible(PageColumnKind(page, n - 1), form.FirstRowKind(column))) RaiseCompileError(80);
}

void ReadHint(TFormPar& form, const THelpItem& page, const TElementParam& hint) {
  const StringList titles = SplitParamList(InsideBrackets(hint.Value, 83));
  if (static_cast<int32_t>(titles.size()) != form.KeyCount) RaiseCompileError(84);
  const TKeyCol* formKey = form.Keys.get();
  const TKeyCol* pageKey = page.Keys.get();
  for (const std::string& text : titles) {
    THintLine& line = form.Hints.emplace_back();
    line.Title = StringConstant(text);
    TKeyCol* key = AddKeyCol(line.Keys, line.KeyCount);
    key->Number = pageKey != nullptr ? pageKey->Number : -1;
    key->Kind = formKey->Kind;
    formKey = formKey->Next.get();
    if (pageKey != nullptr) pageKey = pageKey->Next.get();
  }
}

void ReadHintHelp(TFormPar& form, const THelpItem& page, const TElementParam& hintHelp) {
  const TElementLine items = ParseElementLine(InsideBrackets(hintHelp.Value, 83));
  items.CheckAllowed(kPositionalOnly);
  for (const TElementParam& item : items.Params) {
    const StringList parts = SplitParamList(InsideBrackets(item.Value, 83));
    if (parts.size() != 2) RaiseCompileError(103);
    THintLine& line = form.Hints.emplace_back();
    line.Title = StringConstant(parts[0]);
    int32_t column = 0;
    if (!TryStrToInt(parts[1], column)) RaiseCompileError(8);
    if (column < 1 || column > PageColumns(page)) RaiseCompileError(69);
    TKeyCol* key = AddKeyCol(line.Keys, line.KeyCount);
    key->Number = column - 1;
    key->Kind = PageColumnKind(page, column - 1);
  }
}

}  // namespace

THelpItem& BindLookupPage(TCompiledDocument& doc, TFormPar& form, const TElementParam& help) {
  const TElementLine line = ParseElementLine(InsideBrackets(help.Value, 56));
  line.CheckAllowed(kHelpParams);
  const TElementParam* name = line.Find(kPkName, 57);
  THelpItem* page = doc.HelpPages.FindByName(name->Value);
  if (page == nullptr) RaiseCompileError(46);
  page->FilledTables.push_back(&form);
  for (int32_t i = 1; i <= form.AllColumns(); ++i) {
    const TElementParam* binding = line.Find(-i);
    if (binding == nullptr) continue;
    if (page->SortHelpOnly) BindToPageColumn(form, *page, i - 1, binding->Value);
    else BindToField(form, *page, i - 1, binding->Value);
    form.EditableCols.reset(static_cast<std::size_t>(i - 1));
  }
  return *page;
}

void CheckLookupPage(const TFormPar& form, const THelpItem& page) {
  if (page.OwnsColumnExprs && form.AutoAdd) RaiseCompileError(102);
  if (form.KeyCount != page.KeyCount) RaiseCompileError(81);
  const TKeyCol* pageKey = page.Keys.get();
  for (const TKeyCol* key = form.Keys.get(); key != nullptr && pageKey != nullptr;
       key = key->Next.get(), pageKey = pageKey->Next.get())
    if (NormalizeTypeChar(key->Kind) != NormalizeTypeChar(pageKey->Kind)) RaiseCompileError(80);
}

void CheckExclusivePage(const TFormPar& form, const THelpItem& page) {
  if (!page.SortHelpOnly || !form.AutoAdd) return;
  const bool pageFiltered = page.Filter != nullptr && !page.Filter->NoFilter();
  const ITableFilter* baseFilter = page.Link != nullptr ? page.Link->Table.Filter() : nullptr;
  if (pageFiltered || (baseFilter != nullptr && !baseFilter->NoFilter())) RaiseCompileError(98);
}

void ReadHints(TFormPar& form, const THelpItem& page, const TElementLine& line) {
  if (const TElementParam* hintHelp = line.Find(kPkHintHelp)) return ReadHintHelp(form, page, *hintHelp);
  ReadHint(form, page, *line.Find(kPkHint, 82));
}

}  // namespace vm
