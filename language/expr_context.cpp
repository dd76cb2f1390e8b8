#include "language/expr_context.h"

#include "foundation/text/strutils.h"
#include "config/sysvars.h"

namespace vm {

TVariable* TExprSymbols::AddVariable(std::string_view name, const TCommonVar& value) {
  TVariable* v = FindVariable(name);
  if (v == nullptr) {
    variables_.push_back(std::make_unique<TVariable>());
    v = variables_.back().get();
    v->Name = name;
  }
  v->Value = value;
  v->Id = nextVariableId_++;
  return v;
}

TVariable* TExprSymbols::FindVariable(std::string_view name) const {
  const std::string key = TrimBlanks(name);
  for (const auto& v : variables_)
    if (v->Name == key) return v.get();
  return nullptr;
}

TFormVar* TExprSymbols::AddFormVar(std::string_view name, IExprForm* view, int column,
                                   char columnType, bool wholeColumn) {
  formVars_.push_back(std::make_unique<TFormVar>());
  TFormVar* f = formVars_.back().get();
  f->Name = name;
  f->View = view;
  f->Id = nextFormVarId_++;
  f->Column = column;
  f->ColumnType = columnType;
  f->WholeColumn = wholeColumn;
  return f;
}

TFieldVar* TExprSymbols::FindFieldVar(std::string_view baseName, std::string_view fieldName) const {
  for (const auto& f : fieldVars_)
    if (f->BaseName == baseName && f->FieldName == fieldName) return f.get();
  return nullptr;
}

TFieldVar* TExprSymbols::AddFieldVar(IExprBase* table, std::string_view baseName,
                                     std::string_view fieldName, int fieldIndex, char fieldType) {
  fieldVars_.push_back(std::make_unique<TFieldVar>());
  TFieldVar* f = fieldVars_.back().get();
  f->Table = table;
  f->BaseName = baseName;
  f->FieldName = fieldName;
  f->FieldType = fieldType;
  f->Id = nextFieldVarId_++;
  f->FieldIndex = fieldIndex;
  return f;
}

void TExprSymbols::Reset() {
  variables_.clear();
  formVars_.clear();
  fieldVars_.clear();
  nextVariableId_ = nextFormVarId_ = nextFieldVarId_ = 0;
}

int TExprContext::FindSysVar(std::string_view name) { return vm::FindSysVar(name); }

TCommonVar TExprContext::SysVarValue(int index) { return GetSysVarValue(index); }

}  // namespace vm
