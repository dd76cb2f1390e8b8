// USEDBASES: "ALIAS = NAME:database, KEY:[FIELD, ...] [, FILTER:condition]"
// binds a configured database under the document's alias.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr TParamSet kUsedBasesParams{kPkFilter, kPkKey, kPkName};

void ReadKeyFields(TUBL& base, const std::string& keyText) {
  const std::string inside = BracketedInside(keyText, 43);
  const TDBF& table = base.Base->Table;
  TStringBase& rows = base.Table;
  for (const std::string& item : SplitParamList(inside)) {
    const std::string name = UpperStr(TrimBlanks(item));
    const int index = table.FieldIndex(name);
    if (index < 0) RaiseCompileError(15);
    if (FindKeyCol(rows.Keys.get(), index) != nullptr) RaiseCompileError(75);
    TKeyCol* key = AddKeyCol(rows.Keys, rows.KeyCount);
    key->Number = index;
    key->Kind = table.GetFieldDef(index).FieldType;
  }
}

}  // namespace

void TDocumentCompiler::UsedBasesLine(const TElementLine& line) {
  line.CheckAllowed(kUsedBasesParams);
  CheckNewName(line.Name, 89);
  if (line.Count() < 2 || line.Count() > 4) RaiseCompileError(16);
  const TElementParam* name = line.Find(kPkName, 25);
  TDbaseStructure* structure =
      context_.Bases != nullptr ? context_.Bases->FindByAlias(UpperStr(name->Value)) : nullptr;
  const TElementParam* key = line.Find(kPkKey, 79);
  if (structure == nullptr) RaiseCompileError(14);
  int32_t openFailed = 0;
  TUBL& base = *doc_.Bases.AddBase(line.Name, *structure, openFailed);
  if (openFailed != 0) RaiseCompileError(kCeMessage, "Нет доступа к базе "_w + structure->FileName);
  ReadKeyFields(base, key->Value);
  const TElementParam* filter = line.Find(kPkFilter);
  base.Filter().Context = &doc_.Context;
  base.Table.SetFilter(filter != nullptr ? filter->Value : std::string_view());
  if (base.Table.GetFilterError() != 0) RaiseCompileError(kCeMessage, base.Table.GetFilterMessage());
}

}  // namespace vm
