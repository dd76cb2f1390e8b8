// FORMS: "TABLE = FORM:blank, X1:n, Y1:n, Y2:n, KEYCOL:[c, ...], ..." makes
// a table of the document: a blank in a blank view, with its settings.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

constexpr TParamSet kFormsParams{
    kPkAddable, kPkAutoAdd, kPkEdit, kPkEditable, kPkForm, kPkHelp, kPkHint, kPkKeyCol, kPkMerge,
    kPkNoEdit, kPkSearch, kPkX1, kPkY1, kPkY2, kPkHintHelp, kPkSort, kPkHelpFocus, kPkLink, kPkLists,
    kPkDelable, kPkAutoSel, kPkAutoEdit, kPkFastDel, kPkMultSel, kPkSortType};

// An optional integer of at least min (error 8); fallback when absent.
int32_t OptionalInt(const TElementLine& line, int keyword, int32_t min, int32_t fallback) {
  const TElementParam* p = line.Find(keyword);
  return p != nullptr ? IntParam(*p, min, 8) : fallback;
}

void DeclareRowVariables(TExprSymbols& symbols, TFormPar& form) {
  TCommonVar zero;
  zero.Kind = 'N';
  ClearValue(zero);
  auto var = [&](const char* suffix) { return symbols.AddVariable(form.Name + suffix, zero); };
  TVariable* printStart = var("PRINTSTARTROW");
  TVariable* printEnd = var("PRINTENDROW");
  TVariable* selStart = var("SELSTART");
  TVariable* selEnd = var("SELEND");
  form.SetRowVariables(printStart, printEnd, selStart, selEnd, var("CURRENTROW"));
}

void ReadPlace(TFormPar& form, const TElementLine& line) {
  const TElementParam* x1 = line.Find(kPkX1, 7);
  const TElementParam* y1 = line.Find(kPkY1, 7);
  const TElementParam* y2 = line.Find(kPkY2, 7);
  form.Left = IntParam(*x1, INT32_MIN, 8);
  form.Top = IntParam(*y1, INT32_MIN, 8);
  form.Bottom = IntParam(*y2, INT32_MIN, 8);
}

void ReadKeyColumns(TFormPar& form, const TElementLine& line) {
  ReadKeyColumnList(*line.Find(kPkKeyCol, 23), form.ShownColumns(),
                    [&](int32_t c) { return form.FirstRowKind(c); }, form.Keys, form.KeyCount);
}

void ReadMerge(TFormPar& form, const TElementParam& merge) {
  for (const int32_t c : ColumnList(merge.Value, 0, form.AllColumns(), 63, 63)) {
    if (c == 0) {
      form.MergeMark = false;
      form.MergeSet.reset();
      form.MergeSet.set(255);
      continue;
    }
    form.MergeSet.set(static_cast<std::size_t>(c - 1));
    if (form.FirstRowKind(c - 1) != 'N') RaiseCompileError(64);
  }
}

void ReadFlags(TFormPar& form, const TElementLine& line) {
  form.AddRows = OptionalInt(line, kPkAddable, 0, form.AddRows ? 1 : 0) > 0;
  form.DelRows = OptionalInt(line, kPkDelable, 0, 0) > 0;
  form.AutoEdit = OptionalInt(line, kPkAutoEdit, 0, 0) > 0;
  form.FastDel = OptionalInt(line, kPkFastDel, 0, 0) > 0;
  form.MultSel = OptionalInt(line, kPkMultSel, 0, 0) > 0;
  form.View().MultiSelect = form.MultSel;
}

// NOEDIT, AUTOSEL and EDIT: lists of shown columns.
void ReadColumnSets(TFormPar& form, const TElementLine& line) {
  const int32_t shown = form.ShownColumns();
  if (const TElementParam* p = line.Find(kPkNoEdit))
    for (const int32_t c : ColumnList(p->Value, 1, shown, 63, 63)) form.NoEditCols.set(static_cast<std::size_t>(c - 1));
  form.EditableCols &= ~form.NoEditCols;
  if (const TElementParam* p = line.Find(kPkAutoSel))
    for (const int32_t c : ColumnList(p->Value, 1, shown, 63, 63)) {
      form.AutoSelCols.set(static_cast<std::size_t>(c - 1));
      if (TColLayout* layout = form.View().GetColLayout(c - 1)) layout->SelectOnEdit = true;
    }
  if (const TElementParam* p = line.Find(kPkEdit))
    for (const int32_t c : ColumnList(p->Value, 1, shown, 63, 63))
      if (FindKeyCol(form.Keys.get(), c - 1) == nullptr) form.EditCols.set(static_cast<std::size_t>(c - 1));
}

}  // namespace

std::string InsideBrackets(std::string_view value, int errCode) {
  const std::string v = TrimBlanks(value);
  if (v.size() < 2 || v.front() != '[' || v.back() != ']') RaiseCompileError(errCode);
  return TrimBlanks(std::string_view(v).substr(1, v.size() - 2));
}

int32_t IntParam(const TElementParam& p, int32_t min, int errCode) {
  int32_t value = 0;
  if (!TryStrToInt(p.Value, value) || value < min) RaiseCompileError(errCode);
  return value;
}

void TDocumentCompiler::FormsLine(const TElementLine& line) {
  line.CheckAllowed(kFormsParams);
  CheckNewName(line.Name, 19);
  const TCurBlank& blank = FormBlank(context_, line);
  TFormPar& form = doc_.Forms.AddFormPar(blank, line.Name);
  if (!form.View().HasBlank()) RaiseCompileError(21);
  form.ColumnLists.assign(static_cast<std::size_t>(form.AllColumns()), nullptr);
  form.Params = &doc_.AutoParams.List();
  DeclareRowVariables(doc_.Context.Symbols(), form);
  ReadPlace(form, line);
  ReadKeyColumns(form, line);
  form.Editable = OptionalInt(line, kPkEditable, INT32_MIN, 1) != 0;
  form.AutoAddCount = OptionalInt(line, kPkAutoAdd, 0, 0);
  form.AutoAdd = form.AutoAddCount > 0;
  if (const TElementParam* merge = line.Find(kPkMerge)) ReadMerge(form, *merge);
  for (int32_t c = 0; c < form.ShownColumns(); ++c)
    if (FindKeyCol(form.Keys.get(), c) == nullptr) form.EditableCols.set(static_cast<std::size_t>(c));

  THelpItem* page = nullptr;
  if (const TElementParam* help = line.Find(kPkHelp)) page = &BindLookupPage(doc_, form, *help);
  form.Help = page;
  form.AddRows = page != nullptr || form.AutoAdd;
  if (page != nullptr) CheckLookupPage(form, *page);
  ReadFlags(form, line);
  ReadColumnSets(form, line);
  if (page != nullptr) ReadHints(form, *page, line);
  form.Search = OptionalInt(line, kPkSearch, INT32_MIN, 0) != 0;
  if (page != nullptr) CheckExclusivePage(form, *page);
  form.Sort = OptionalInt(line, kPkSort, 0, 0) > 0;
  form.SortType = OptionalInt(line, kPkSortType, 0, 0);
  form.HelpFocus = OptionalInt(line, kPkHelpFocus, 0, 0) > 0 && page != nullptr;
  if (const TElementParam* link = line.Find(kPkLink)) ReadLinks(doc_, form, *link);
  if (const TElementParam* lists = line.Find(kPkLists)) ReadColumnLists(doc_, form, *lists);
  form.View().SetEditableColumns(form.UserEditableCols());
}

}  // namespace vm
