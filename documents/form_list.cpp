#include "documents/form_list.h"

#include "foundation/text/strutils.h"

namespace vm {

TFormPar::TFormPar(std::string name, TCurBlank& blank) : Name(std::move(name)), blank_(blank) {}

TFormPar::~TFormPar() {
  for (THintLine& hint : Hints) FreeKeyCols(hint.Keys, hint.KeyCount);
  FreeKeyCols(Keys, KeyCount);
}

int TFormPar::ColumnCount() const { return blank_.ColCount; }

char TFormPar::ColumnType(int column) const {
  const TColDescr* col = BlankColumn(blank_, column);
  if (col == nullptr) return 0;
  return col->Conditional ? '*' : NormalizeTypeChar(col->Format.Kind);
}

char TFormPar::FirstRowFormat(int column) const {
  const TColFormat* f = BlankField(blank_, column, 0);
  return f != nullptr ? f->Kind : 0;
}

int TFormPar::RowCount() const { return 0; }

TCommonVar TFormPar::CellValue(int /*column*/, int /*row*/) const { return {}; }

TFormPar& TFormList::AddFormPar(TCurBlank& blank, std::string name) {
  return Append(std::make_unique<TFormPar>(std::move(name), blank));
}

TFormPar* TFormList::FindFormPar(std::string_view name) const {
  const std::string key = UpperStr(TrimBlanks(name));
  for (const auto& form : items_)
    if (form->Name == key) return form.get();
  return nullptr;
}

}  // namespace vm
