// Tables of databases registered in the designer but not yet saved.
#pragma once

#include <vector>

#include "config/base_checks.h"
#include "config/registries.h"
#include "foundation/tables/dbf.h"
#include "platform/files.h"

namespace vm {

// A database registered since the last "Сохранить" has no file yet, as
// "Сохранить" creates it. For a check or a test run on the working copies
// it is bound as an empty table of its described structure, made beside
// its file and dropped when it closes, never put in place: a commit refuses
// it (TDbaseStructure::Unsaved).
class TUnsavedTables {
 public:
  explicit TUnsavedTables(TUsedBaseList& bases) {
    for (int32_t i = 0; i < bases.Count(); ++i) {
      TDbaseStructure& base = *bases.GetItem(i);
      TDBF& table = base.Table;
      if (base.System || table.Active() || Files().Exists(table.FileName)) continue;
      TDBF templ;
      MakeTemplate(base, templ);
      bool ok = table.CreateTable();
      for (int f = 0; ok && f < templ.FieldCount(); ++f) ok = table.AddField(templ.GetFieldDef(f));
      ok = ok && table.WriteStructure();
      table.AbandonRewrite();
      if (!ok) table.Close();
      base.Unsaved = true;
      made_.push_back(&base);
    }
  }
  ~TUnsavedTables() {
    for (TDbaseStructure* base : made_) {
      base->Table.Close();
      base->Unsaved = false;
    }
  }
  TUnsavedTables(const TUnsavedTables&) = delete;
  TUnsavedTables& operator=(const TUnsavedTables&) = delete;

 private:
  std::vector<TDbaseStructure*> made_;
};

}  // namespace vm
