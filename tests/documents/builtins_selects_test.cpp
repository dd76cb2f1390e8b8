// The built-ins over the selects, field lists and list selects of a form,
// run against the run-time objects with headless controls.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "documents/runtime_objects.h"
#include "language/expr_fakes.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

using vm::testing::RunFormula;

// S, a select whose change program counts its runs in HITS; F, a field
// list; L, a list select.
class SelectBuiltins : public ::testing::Test {
 protected:
  class FormContext : public RigContext {
   public:
    std::map<std::string, TRuntimeObject*> Selects, FieldLists, ListSelects;
    TRuntimeObject* FindSelect(std::string_view n) override { return Find(Selects, n); }
    TRuntimeObject* FindFieldList(std::string_view n) override { return Find(FieldLists, n); }
    TRuntimeObject* FindListSelect(std::string_view n) override { return Find(ListSelects, n); }
  };

  void SetUp() override {
    ctx.Selects["S"] = &select;
    ctx.FieldLists["F"] = &fields;
    ctx.ListSelects["L"] = &list;
    rig.Zeros({"HITS"});
    ASSERT_EQ(rig.Compile("HITS := HITS + 1\nENDSECTION"), 0) << rig.Message;
    select.ChangeProgram = rig.Main;
  }

  // Runs a formula that must go through; its value.
  TCommonVar Run(std::string_view text) {
    const vm::testing::Outcome o = RunFormula(ctx, text);
    EXPECT_EQ(o.Err, 0) << text;
    return o.Value;
  }
  std::string Items(IListControl& control) {
    std::string out;
    for (int i = 0; i < control.Count(); ++i) out += (i ? "," : "") + control.Item(i);
    return out;
  }
  long double Hits() { return rig.Num("HITS"); }

  FormContext ctx;
  ProgramRig rig{ctx};
  TDocumentEvents events;
  TSelect select{events, std::make_unique<THeadlessList>()};
  TFldList fields;
  TListSelect list{events, std::make_unique<THeadlessList>()};
};

TEST_F(SelectBuiltins, ItemsAreAddedSortedOrWhereAsked) {
  for (const char* f : {"ADDITEM(S, 'b')", "ADDITEM(S, 'b')", "ADDUNIQITEM(S, 'B')", "ADDUNIQITEM(S, '')",
                        "ADDUNIQITEM(S, 'a')", "INSUNIQITEM(S, 'z', 1)", "INSUNIQITEM(S, 'A', 1)",
                        "INSUNIQITEM(S, 'q', 0)", "INSUNIQITEM(S, 'y', 99)", "INSUNIQITEM(S, 'x', 99999999999)"})
    Run(f);
  // Past the end is an add, which keeps to the sorting.
  EXPECT_EQ(Items(select.Combo()), "z,a,b,b,x,y");
  EXPECT_EQ(Run("SELITEMSCOUNT(S)").Num, 6);

  // Unsorted, items go to the end; sorting again puts them in order.
  Run("CLEARSELECT(S)");
  Run("SETSELECTSORT(S, 0)");
  for (const char* f : {"ADDITEM(S, 'c')", "ADDITEM(S, 'a')", "ADDUNIQITEM(S, 'b')"}) Run(f);
  EXPECT_EQ(Items(select.Combo()), "c,a,b");
  Run("SELECTITEM(S, 1)");
  Run("SETSELECTSORT(S, 1)");
  EXPECT_EQ(Items(select.Combo()), "a,b,c");
  EXPECT_EQ(Run("SELECTVAL(S)").Str, "c") << "the chosen item stays chosen";
  Run("ADDITEM(S, 'bb')");
  EXPECT_EQ(Items(select.Combo()), "a,b,bb,c");
}

TEST_F(SelectBuiltins, ChoosingRunsTheChangeProgramOnlyWhenItShould) {
  for (const char* f : {"ADDITEM(S, 'one')", "ADDITEM(S, 'two')"}) Run(f);
  // The chosen index and value, and the runs of the change program.
  auto state = [&] { return std::tuple(Run("SELECTIND(S)").Num, Run("SELECTVAL(S)").Str, Hits()); };
  Run("UPDATESEL(S)");
  EXPECT_EQ(state(), std::tuple(-1.0L, "", 0.0L)) << "nothing chosen, nothing to update";
  Run("SELECTITEM(S, 1)");
  EXPECT_EQ(state(), std::tuple(0.0L, "one", 0.0L));
  Run("SELECTITEM(S, 3)");
  Run("SELECTITEM(S, 0)");
  EXPECT_EQ(state(), std::tuple(0.0L, "one", 0.0L)) << "outside the items nothing changes";
  Run("SELECTITEMS(S, 'TWO')");
  EXPECT_EQ(state(), std::tuple(1.0L, "two", 1.0L));
  Run("SELECTITEMS(S, 'three')");
  EXPECT_EQ(Hits(), 1);
  Run("UPDATESEL(S)");
  EXPECT_EQ(state(), std::tuple(1.0L, "two", 2.0L));

  // Without a chosen item the value is what the edit field holds.
  Run("CLEARSELECT(S)");
  static_cast<THeadlessList&>(select.Combo()).SetText("typed");
  EXPECT_EQ(std::pair(Run("SELECTVAL(S)").Str, Run("SELITEMSCOUNT(S)").Num), std::pair(std::string("typed"), 0.0L));
}

TEST_F(SelectBuiltins, FieldListsAndListSelects) {
  for (const char* f : {"ADDLISTITEM(F, 'b')", "ADDLISTITEM(F, 'b')", "ADDLISTUNIQ(F, 'B')", "ADDLISTUNIQ(F, '')",
                        "ADDLISTUNIQ(F, 'a')"})
    Run(f);
  EXPECT_EQ(fields.Strings, (StringList{"a", "b", "b"}));
  Run("CLEARLIST(F)");
  EXPECT_TRUE(fields.Strings.empty());

  for (const char* f : {"LADDUNIQITEM(L, 'x')", "LADDUNIQITEM(L, 'X')", "LADDUNIQITEM(L, '')", "LADDUNIQITEM(L, 'a')"})
    Run(f);
  EXPECT_EQ(Items(list.List()), "a,x");
  EXPECT_EQ(Run("LSELECTVAL(L)").Str, "");
  static_cast<THeadlessList&>(list.List()).Choose(1);
  EXPECT_EQ(Run("LSELECTVAL(L)").Str, "x");

  // An object of another kind does not compile.
  for (const char* f : {"ADDITEM(F, 'x')", "ADDLISTITEM(L, 'x')", "LSELECTVAL(S)"})
    EXPECT_EQ(RunFormula(ctx, f).Err, 1144) << f;
}

}  // namespace
}  // namespace vm::test
