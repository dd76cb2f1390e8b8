// Runs programs over bound databases, reference books and subroutines the
// way a document does: goods tables on disk bound under their aliases,
// temporary bases, fake reference books, and "SUBROUTINE = NAME" blocks
// that built-ins may take as arguments.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "language/builtin_objects.h"
#include "language/evaluator.h"
#include "language/program_rig.h"
#include "support/fake_data_view.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"

namespace vm::test {

// A reference book of two plain views; the active one is chosen by the test.
class FakeBook : public IHelpBook {
 public:
  FakeDataView Shown, Hidden;
  FakeDataView* Active = nullptr;
  int32_t ShownRowNo = 0, HiddenRowNo = 0;
  int32_t CheckRow = -1;
  bool Modified = false;
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;
  std::vector<std::string> Items;
  bool AllFirst = false;
  int32_t Chosen = -1;
  int Rebuilds = 0, Applies = 0;

  FakeBook() {
    for (FakeDataView* v : {&Shown, &Hidden}) v->Columns = {{-1, 'C', {}}, {-1, 'N', {}}};
  }
  // A row of both views: a text and a number.
  void AddRow(FakeDataView& v, const std::string& text, const std::string& num) {
    v.Rows.push_back({{text, num}, -1});
  }

  IDataView* BookView(THelpView w) override { return ViewOf(w); }
  TCommonVar BookCellValue(THelpView w, int32_t col, int32_t row) override {
    FakeDataView* v = ViewOf(w);
    TCommonVar out;
    const bool has = row >= 0 && row < v->RowCount();
    TextToValue(has ? v->Rows[static_cast<std::size_t>(row)].Cells[static_cast<std::size_t>(col)] : std::string(),
                v->CellKind(col, 0), out);
    return out;
  }
  std::string BookCellText(THelpView w, int32_t col, int32_t row) override {
    return ViewOf(w)->Rows.at(static_cast<std::size_t>(row)).Cells.at(static_cast<std::size_t>(col));
  }
  TCommonVar CheckCellValue(int32_t col) override { return BookCellValue(THelpView::Shown, col, CheckRow); }
  int32_t CurrentRowNumber(THelpView w) const override {
    const FakeDataView* v = w == THelpView::Active ? Active : w == THelpView::Shown ? &Shown : &Hidden;
    return v == &Hidden ? HiddenRowNo : ShownRowNo;
  }
  void SetHiddenRowNumber(int32_t row) override { HiddenRowNo = row; }
  void MarkModified() override { Modified = true; }
  const TKeyCol* KeyColumns() const override { return Keys.get(); }
  int32_t KeyColumnCount() const override { return KeyCount; }
  const std::vector<std::string>& CategoryItems() const override { return Items; }
  bool FirstCategoryMeansAll() const override { return AllFirst; }
  int32_t ChosenCategory() const override { return Chosen; }
  void RebuildCategories() override { ++Rebuilds; }
  void ApplyCategory() override { ++Applies; }

 private:
  FakeDataView* ViewOf(THelpView w) {
    return w == THelpView::Shown ? &Shown : w == THelpView::Hidden ? &Hidden : Active;
  }
};

class RigSubroutine : public ISubroutine {
 public:
  explicit RigSubroutine(TInstruction* const* slot) : slot_(slot) {}
  TInstruction* StartInstruction() const override { return *slot_; }

 private:
  TInstruction* const* slot_;
};

class BasesContext : public RigContext {
 public:
  TBaseList List;
  std::map<std::string, TRuntimeObject*> Subs, Books;
  IProgramBase* FindBase(std::string_view n) override { return List.FindByAlias(n); }
  TRuntimeObject* FindSubroutine(std::string_view n) override { return vm::testing::Find(Subs, n); }
  TRuntimeObject* FindHelp(std::string_view n) override { return vm::testing::Find(Books, n); }
};

class BasesRig {
  // The tables' files outlive the bindings that use them.
  std::deque<TDBF> dbfs_;
  std::vector<std::unique_ptr<RigSubroutine>> subs_;

 public:
  TempDir Tmp;
  BasesContext Context;
  ProgramRig Rig{Context};
  // %FLAG%: a number when programs compile, so that it may stand as a
  // condition; RunWithTextFlag makes it a text before the run.
  RigAutoParam Flag{vm::testing::Num(1)};

  BasesRig() { Context.AutoParams["FLAG"] = &Flag; }

  // A goods table on disk bound as Alias (file "<alias>.dbf").
  TUBL* Goods(const std::string& alias, const std::vector<GoodsRecord>& records) {
    const std::string path = Tmp / (alias + ".dbf");
    if (!WriteGoods(path, records)) return nullptr;
    TDBF& dbf = dbfs_.emplace_back();
    dbf.FileName = path;
    TUBL* b = Context.List.AddNew();
    b->Alias = alias;
    b->Table.SetDbf(&dbf);
    return dbf.Active() ? b : nullptr;
  }
  // The tables' files closed, so that others may read them.
  void CloseFiles() {
    for (TDBF& dbf : dbfs_) dbf.Close();
  }
  // A temporary base with the given fields.
  TUBL* Temp(const std::string& alias, const std::vector<TFieldRecord>& fields) {
    TUBL* b = Context.List.AddTemp(fields);
    b->Alias = alias;
    return b;
  }
  static void Key(TUBL* b, int32_t field) { AddKeyCol(b->Table.Keys, b->Table.KeyCount)->Number = field; }
  // A subroutine that built-ins may take: its body comes from the program
  // text ("SUBROUTINE = NAME" ... "ENDSUB").
  void Sub(const std::string& name) {
    TInstruction*& slot = Rig.Subroutines[name];
    subs_.push_back(std::make_unique<RigSubroutine>(&slot));
    Context.Subs[name] = subs_.back().get();
  }
  void Vars(std::initializer_list<std::string_view> names) { Rig.Zeros(names); }

  // Runs a program; "" when it went through, else the run error's text.
  std::string Run(const std::string& text, bool textFlag = false) {
    Flag.Value = vm::testing::Num(1);
    if (Rig.Compile(text) != 0) return "compile: " + Rig.Message;
    if (textFlag) Flag.Value = vm::testing::Str("x");
    const int code = Rig.Exec();
    Flag.Value = vm::testing::Num(1);
    return code == 0 ? std::string() : Interp().ErrorText();
  }
  std::string RunWithTextFlag(const std::string& text) { return Run(text, true); }
  long double Num(std::string_view name) { return Rig.Num(name); }
  std::vector<long double> Nums(std::string_view letters) { return Rig.Nums(letters); }

  // Column Field of every row, joined by ",".
  static std::string Column(TUBL* b, int32_t field) {
    std::string out, s;
    for (int32_t i = 0; i < b->Table.Count(); ++i) {
      b->Table.GetBufferText(field, b->Table.MemTableLocate(i)->Buffer(), s);
      out += (i ? "," : "") + TrimBlanks(s);
    }
    return out;
  }
};

// The text of a run error code, as the run shows it.
inline std::string ErrorText(int code) { return EvalErrorText(code, nullptr); }

}  // namespace vm::test
