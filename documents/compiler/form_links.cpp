// The links of a table to databases of the document (LINK) and the field
// lists its columns offer (LISTS).
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"
#include "foundation/text/strutils.h"
#include "language/expr_compiler.h"

namespace vm {

namespace {

constexpr TParamSet kLinkParams{kPkBase, kPkSearch, kPkCellSelect, kPkBaseAdd, kPkBaseEdit, kPkSubst};
constexpr TParamSet kNumberedOnly{kPkNumbered};

void ReadSubsts(TCompiledDocument& doc, TFormPar& form, TLinkItem& link, const TElementParam& subst) {
  for (const std::string& item : SplitParamList(InsideBrackets(subst.Value, 123))) {
    const int colon = PosTopLevel(":", item);
    int32_t column = 0;
    if (colon < 1 || !TryStrToInt(TrimBlanks(std::string_view(item).substr(0, static_cast<std::size_t>(colon - 1))), column) ||
        column < 1 || column > form.AllColumns())
      RaiseCompileError(63);
    auto& s = link.Substs.emplace_back(std::make_unique<TSubstItem>());
    s->Column = column - 1;
    const char type = Formula(doc, std::string_view(item).substr(static_cast<std::size_t>(colon)), s->Expr);
    if (!TypesCompatible(type, form.FirstRowKind(column - 1))) RaiseCompileError(124);
  }
}

void ReadLink(TCompiledDocument& doc, TFormPar& form, const std::string& description) {
  const TElementLine line = ParseElementLine(InsideBrackets(description, 123));
  line.CheckAllowed(kLinkParams);
  TLinkItem& link = form.Links.Append(std::make_unique<TLinkItem>());
  const TElementParam* base = line.Find(kPkBase, 25);
  link.Base = doc.Bases.FindByAlias(TrimBlanks(base->Value));
  if (link.Base == nullptr) RaiseCompileError(26);
  const TElementParam* search = line.Find(kPkSearch, 119);
  if (!TypesCompatible(Formula(doc, InsideBrackets(search->Value, 121), link.Expr), 'N')) RaiseCompileError(120);
  if (const TElementParam* p = line.Find(kPkCellSelect)) link.CellSelect = IntParam(*p, 0, 8);
  if (const TElementParam* p = line.Find(kPkBaseAdd)) link.BaseAdd = IntParam(*p, 0, 8);
  if (const TElementParam* p = line.Find(kPkBaseEdit)) link.BaseEdit = IntParam(*p, 0, 8);
  ReadSubsts(doc, form, link, *line.Find(kPkSubst, 122));
}

}  // namespace

void ReadLinks(TCompiledDocument& doc, TFormPar& form, const TElementParam& link) {
  for (const std::string& description : SplitParamList(InsideBrackets(link.Value, 123)))
    ReadLink(doc, form, description);
}

void ReadColumnLists(TCompiledDocument& doc, TFormPar& form, const TElementParam& lists) {
  const TElementLine line = ParseElementLine(InsideBrackets(lists.Value, 131));
  line.CheckAllowed(kNumberedOnly);
  for (int32_t i = 1; i <= form.AllColumns(); ++i) {
    const TElementParam* name = line.Find(-i);
    if (name == nullptr) continue;
    TFldList* list = doc.FieldLists.FindByName(name->Value);
    if (list == nullptr) RaiseCompileError(132);
    form.ColumnLists[static_cast<std::size_t>(i - 1)] = list;
    if (TColLayout* layout = form.View().GetColLayout(i - 1)) layout->ListLink = list;
  }
}

}  // namespace vm
