// The databases a running document works on: each in-memory table bound to
// the alias under which the document names it. Formulas reach a bound table
// as a database (ALIAS.FIELD reads and writes the table's current record).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/registries.h"
#include "config/settings_copies.h"
#include "foundation/tables/string_base.h"
#include "language/instructions.h"
#include "language/program_context.h"
#include "language/table_filter.h"

namespace vm {

// A file whose new bytes are written whole with a commit of the bases, and
// what its numbered copies become when it goes in.
struct TWholeFile {
  std::string Path;
  std::string Bytes;
  std::vector<TSettingsCopy> Copies;
  bool Written = false;
};

class TBaseList;

class TUBL : public IProgramBase {
 public:
  explicit TUBL(TBaseList* list = nullptr);
  ~TUBL() override;
  TUBL(const TUBL&) = delete;
  TUBL& operator=(const TUBL&) = delete;

  // While set, every row added to the table runs NewRowProgram.
  bool Bound = false;
  TInstruction* NewRowProgram = nullptr;
  std::string Alias;
  TStringBase Table;
  // The configured database; nullptr for a temporary table.
  TDbaseStructure* Base = nullptr;
  TBaseList* List;
  // RESETRECORDS: the commit empties the file before it writes the rows.
  bool Truncate = false;
  // The commit rewrites the whole file rather than updating it in place.
  bool RewriteAll = false;

  // The table's own filter.
  TFilter& Filter() { return *filter_; }

  // The fields of the table's current record.
  int FieldIndex(std::string_view name) const override { return Table.FieldIndex(name); }
  char FieldType(int index) const override { return Table.FieldType(index); }
  TCommonVar FieldValue(int index) const override;
  // Filters read fields of every record: straight into the caller's value.
  void ReadField(int index, TCommonVar& into) const override { Table.GetValue(index, into); }
  bool SetFieldValue(int index, const TCommonVar& value) override { return Table.SetValue(index, value); }

 private:
  TFilter* filter_;
};

class TBaseList {
 public:
  // Where the filters of the bound tables compile: the running document's
  // context; nullptr for one that knows only these bindings.
  TExprContext* Context = nullptr;
  // SAVEBASE calls of the current document run; each base's Table.Number
  // is its place in the commit order.
  int32_t SaveCount = 0;
  // Writes an edited reference book bound to the base back into its table;
  // true when it did. A book that cannot be written says why in Refusal.
  // Set by the document that owns the books.
  std::function<bool(TUBL&, std::string& refusal)> WriteBackBook;

  // A new document run: no base has a place in the commit order yet.
  void BeginRun();
  // The commit of the bases: those SAVEBASE named, each once, in the order
  // of their last SAVEBASE, as one change. Each is worked out in memory,
  // written whole beside its file, and all are renamed in together under
  // the commit journal, so a failure or a crash on the way leaves every
  // table as it was before (or, once all are in, as after). False, with
  // what went wrong, when any could not be written.
  bool WriteSavedBases(std::string& failure);
  bool WriteSavedBases() {
    std::string failure;
    return WriteSavedBases(failure);
  }
  // The same with whole files that change together with the bases (the
  // settings files of the commit): each that lies in the bases' folder goes
  // into the same change with its copies and is marked Written; the others
  // are left to the caller.
  bool WriteSavedBases(std::string& failure, std::vector<TWholeFile>& files);

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TUBL* GetItem(int32_t index) const;
  // Alias upper-cased, then compared exactly.
  TUBL* FindByAlias(std::string_view alias) const;
  TUBL* FindByNumber(int32_t n) const;
  // A binding with an empty free table.
  TUBL* AddNew();
  // A binding whose table has an empty table of its own, never read from or
  // written to a file.
  TUBL* AddTemp(const std::vector<TFieldRecord>& fields);
  // Binds the configured database under Alias and opens its table;
  // OpenFailed is 1 when it is still not open.
  TUBL* AddBase(std::string_view alias, TDbaseStructure& base, int32_t& openFailed);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TUBL>> items_;
};

// A context that knows the bases of a list and nothing else.
class TBaseListContext : public TProgramContext {
 public:
  explicit TBaseListContext(const TBaseList* list, TUBL* single = nullptr) : list_(list), single_(single) {}
  IProgramBase* FindBase(std::string_view alias) override;

 private:
  const TBaseList* list_;
  TUBL* single_;
};

}  // namespace vm
