#include "documents/compiler/section_steps.h"

#include "documents/compiler/compile_errors.h"

namespace vm {

TUBL& DocumentBase(TCompiledDocument& doc, std::string_view alias) {
  TUBL* base = doc.Bases.FindByAlias(TrimBlanks(alias));
  if (base == nullptr) RaiseCompileError(26);
  return *base;
}

TFormPar& DocumentTable(TCompiledDocument& doc, std::string_view name) {
  TFormPar* form = doc.Forms.FindFormPar(name);
  if (form == nullptr) RaiseCompileError(62);
  return *form;
}

std::string InsideBracketsOf(std::string_view value, std::size_t minLength, int errCode) {
  const std::string v = TrimBlanks(value);
  if (v.size() < minLength || v.front() != '[' || v.back() != ']') RaiseCompileError(errCode);
  return TrimBlanks(std::string_view(v).substr(1, v.size() - 2));
}

std::vector<StringList> BracketedItems(std::string_view value, std::size_t parts, int badList, int badCount) {
  std::vector<StringList> items;
  for (const std::string& item : SplitTopLevel(InsideBracketsOf(value, 5, badList), ',')) {
    StringList cut = SplitParamList(InsideBracketsOf(item, 3, badList));
    if (cut.size() != parts) RaiseCompileError(badCount);
    items.push_back(std::move(cut));
  }
  return items;
}

int32_t IntValue(std::string_view value) {
  int32_t n = 0;
  if (!TryStrToInt(value, n)) RaiseCompileError(8);
  return n;
}

}  // namespace vm
