#include "models/description_checks.h"

#include <set>
#include <string>

#include "language/expr_types.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/layout_lang.h"

namespace vm {

namespace {

bool KeysWithin(const TSpravDef& book) {
  for (const TKeyCol* k = book.SortKeys.get(); k; k = k->Next.get())
    if (k->Number < 0 || k->Number >= book.ColumnCount) return false;
  return true;
}

bool FieldsDistinct(const TSpravDef& book) {
  std::set<std::string> seen;
  for (const TSDef* c = book.Columns.get(); c; c = c->Next.get())
    if (c->Number >= 0 && !seen.insert(c->FieldName).second) return false;
  return true;
}

// Each shown column bound to its field of the open table; false when any
// column cannot be shown.
bool BindColumns(TSpravDef& book, const TDBF& table, const TCurBlank& form) {
  bool good = true;
  int32_t j = 0;
  for (TSDef* c = book.Columns.get(); c; c = c->Next.get(), ++j) {
    c->Number = table.FieldIndex(c->FieldName);
    const TColDescr* column = BlankColumn(form, j + 1);
    if (c->Number < 0 || !column ||
        !TypesCompatible(column->Format.Kind, table.GetFieldDef(c->Number).FieldType)) {
      c->Number = -1;
      good = false;
    }
  }
  return good;
}

// Whether the book can be offered at all: its database readable, its form
// compiled with one column per shown column.
bool CheckBook(TSpravDef& book, TUsedBaseList& bases, TBlanks& blanks) {
  book.Valid = false;
  book.Hidden = true;
  TDbaseStructure* base = bases.FindByAlias(book.BaseAlias);
  const TCurBlank* form = blanks.FindByName(book.BlankName);
  if (!base || !form || !form->Compiled || form->ColCount != book.ColumnCount) return true;
  TDBF& table = base->Table;
  const bool wasOpen = table.Active();
  if (!wasOpen && !table.OpenReadOnly()) return true;
  book.Hidden = false;
  const bool columnsGood = BindColumns(book, table, *form);
  if (!wasOpen) table.Close();
  book.Valid = columnsGood && KeysWithin(book) && FieldsDistinct(book);
  return book.Valid;
}

}  // namespace

bool CheckFormDescriptions(TBlanks& blanks) {
  bool allGood = true;
  for (int32_t i = 0; i < blanks.Count(); ++i) {
    TCurBlank* blank = blanks.GetItem(i);
    if (blank->Compiled) continue;
    int32_t code = 0;
    int32_t line = 0;
    if (!CompileBlank(*blank, code, line)) allGood = false;
  }
  if (!allGood)
    Ui().MsgBox("Внимание! В описаниях форм имеются ошибки!"_w, Ui().AppTitle(), kMbInformation);
  return allGood;
}

bool CheckSpravDescriptions(TUsedBaseList& bases, TMyList& books, TBlanks& blanks) {
  bool anyBad = false;
  for (int32_t i = 0; i < books.Count(); ++i) {
    TSpravDef& book = *books.GetItem(i);
    if (!CheckBook(book, bases, blanks)) anyBad = true;
  }
  if (anyBad)
    Ui().MsgBox("Внимание! В описаниях справочников имеются ошибки!"_w, Ui().AppTitle(),
                kMbInformation);
  return !anyBad;
}

}  // namespace vm
