// PRICE: one line "PRICEKIND = NUMBER:n, COUNT:c, ZONES:[z:formula, ...]
// [, EDITABLE:n]" binds the document to a price-tag layout of the
// configuration: its one table gives a tag per row (or as many as column c
// says), each zone printing the value of its formula. The formulas are the
// document's own; the layout's expressions stay as its settings made them.
#include <algorithm>

#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

constexpr TParamSet kPriceParams{kPkEditable, kPkNumber, kPkZones, kPkCount};
constexpr TParamSet kZoneParams{kPkNumbered};

const TCennik& Layout(const TCenList* layouts, const TElementParam& number) {
  int32_t n = 0;
  if (!TryStrToInt(number.Value, n) || layouts == nullptr || n < 1 || n > layouts->Count()) RaiseCompileError(107);
  return *layouts->GetItem(n - 1);
}

int32_t CountColumn(TFormPar& form, const TElementParam& count) {
  int32_t c = 0;
  if (!TryStrToInt(count.Value, c) || c < 0 || c > form.AllColumns()) RaiseCompileError(63);
  if (c == 0) return -1;
  if (form.View().BlankFieldKind(c - 1, 0) != 'N') RaiseCompileError(113);
  return c - 1;
}

bool PrintableType(char type) {
  return TypesCompatible(type, 'N') || TypesCompatible(type, 'C') || TypesCompatible(type, 'D') ||
         TypesCompatible(type, 'T');
}

void ReadZones(TCompiledDocument& doc, const TElementParam& zones) {
  TPriceBinding& price = doc.Price;
  const std::string value = UpperOutsideQuotesStr(zones.Value);
  if (value.size() < 3) RaiseCompileError(43);
  const std::string inside = InsideBrackets(value, 43);
  const TElementLine items = ParseElementLine(inside);
  items.CheckAllowed(kZoneParams);
  for (const TElementParam& item : items.Params) {
    const int32_t zone = std::stoi(item.Keyword);
    if (zone > price.Layout->ZoneCount()) RaiseCompileError(108);
    TExprChain& expr = price.Zones[static_cast<std::size_t>(zone - 1)];
    if (!expr.empty()) RaiseCompileError(109);
    if (!PrintableType(Formula(doc, item.Value, expr))) RaiseCompileError(110);
  }
}

}  // namespace

void TDocumentCompiler::PriceLine(const TElementLine& line) {
  TPriceBinding& price = doc_.Price;
  if (doc_.Forms.Count() != 1) RaiseCompileError(111);
  if (price.Layout != nullptr) RaiseCompileError(104);
  line.CheckAllowed(kPriceParams);
  if (line.Name != "PRICEKIND") RaiseCompileError(11);
  price.Layout = &Layout(context_.PriceTags, *line.Find(kPkNumber, 105));
  price.Zones.assign(static_cast<std::size_t>(price.Layout->ZoneCount()), TExprChain());
  price.CountColumn = CountColumn(*doc_.Forms.GetItem(0), *line.Find(kPkCount, 112));
  ReadZones(doc_, *line.Find(kPkZones, 106));
  if (const TElementParam* editable = line.Find(kPkEditable)) price.Editable = IntParam(*editable, INT32_MIN, 8) != 0;
}

// A table added after the PRICE line is caught here; an editable price
// document lets every column of its table be edited.
void TDocumentCompiler::CheckPriceAfterLastLine() {
  if (!doc_.Price.Declared) return;
  if (doc_.Forms.Count() != 1) RaiseCompileError(111);
  if (!doc_.Price.Editable) return;
  TFormPar& form = *doc_.Forms.GetItem(0);
  const int32_t columns = std::min<int32_t>(form.AllColumns(), static_cast<int32_t>(form.EditableCols.size()));
  for (int32_t c = 0; c < columns; ++c) form.EditableCols.set(static_cast<std::size_t>(c));
  form.View().SetEditableColumns(form.UserEditableCols());
}

}  // namespace vm
