// A table filled from a look-up page, bound directly: the page is put
// beside a compiled table, so that each check can be reached alone. Whole
// descriptions with their HELPS sections are compiled in
// reference_sections_test.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "documents/compiler/compile_errors.h"
#include "documents/doc_rig.h"
#include "documents/compiler/form_bindings.h"
#include "language/table_filter.h"

namespace vm::test {
namespace {

class FormLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rig.Compile("BLANK\nWIDTH = 500\nENDSECTION\nUSEDBASES\nG = NAME:GOODS, KEY:[NAME]\n"
                          "ENDSECTION\nFORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1, 3]"),
              0)
        << rig.Message;
    form = rig.Doc.Forms.FindFormPar("T1");
    form->EditableCols.set(0).set(1).set(2);
    page = AddHelpItem(rig.Doc.HelpPages, "H1", rig.Blanks.FindByName("GOODSB"));
    page->Link = rig.Doc.Bases.FindByAlias("G");
    for (const auto& [number, kind] : {std::pair{0, 'C'}, std::pair{2, 'D'}}) {
      TKeyCol* key = AddKeyCol(page->Keys, page->KeyCount);
      key->Number = number;
      key->Kind = kind;
    }
  }

  // The code raised, 0 when none.
  template <class F>
  static int Raised(F f) {
    try {
      f();
    } catch (const TCompileError& e) {
      return e.Code;
    }
    return 0;
  }
  int Bind(const std::string& value) {
    return Raised([&] { BindLookupPage(rig.Doc, *form, {"HELP", value}); });
  }
  int Hints(const std::string& line) {
    return Raised([&] { ReadHints(*form, *page, ParseElementLine(Utf8ToCp1251("T1 = " + line))); });
  }

  DocRig rig;
  TFormPar* form = nullptr;
  THelpItem* page = nullptr;
};

TEST_F(FormLookup, ColumnsBindToFieldsOfThePageDatabase) {
  const TUBL& g = *page->Link;
  ASSERT_EQ(Bind("[NAME:h1, 1:name, 3:SOLD]"), 0);
  auto field = [&](int32_t col) { return form->View().GetColLayout(col)->BoundField; };
  EXPECT_EQ(std::tuple(field(0), field(2), field(1), form->EditableCols.test(0), form->EditableCols.test(1),
                       page->FilledTables),
            std::tuple(g.Table.FieldIndex("NAME"), g.Table.FieldIndex("SOLD"), -1, false, true,
                       std::vector<TRuntimeObject*>{form}));
  EXPECT_EQ(Bind("[NAME:H1, 1:NOPE]"), 15);
  EXPECT_EQ(Bind("[NAME:H1, 2:NAME]"), 59);
  EXPECT_EQ(Bind("[NAME:H1, 5:NAME]"), 0);  // past the columns: not read

  page->SortHelpOnly = true;
  EXPECT_EQ(Bind("[NAME:H1, 2:2]"), 0);
  EXPECT_EQ(field(1), 1);
  EXPECT_EQ(Bind("[NAME:H1, 1:5]"), 69);
  EXPECT_EQ(Bind("[NAME:H1, 1:x]"), 69);
  EXPECT_EQ(Bind("[NAME:H1, 1:2]"), 80);
}

TEST_F(FormLookup, PageMustFitTheTable) {
  auto check = [&] { return Raised([&] { CheckLookupPage(*form, *page); }); };
  auto exclusive = [&] { return Raised([&] { CheckExclusivePage(*form, *page); }); };
  EXPECT_EQ(check(), 0);
  page->OwnsColumnExprs = true;
  EXPECT_EQ(check(), 0);
  form->AutoAdd = true;
  EXPECT_EQ(check(), 102);
  page->OwnsColumnExprs = false;
  page->Keys->Next->Kind = 'N';
  EXPECT_EQ(check(), 80);
  page->Keys->Next.reset();
  page->KeyCount = 1;
  EXPECT_EQ(check(), 81);

  // A sorting page that adds rows: neither it nor its database filters.
  page->SortHelpOnly = true;
  page->Filter = std::make_unique<THelpFilter>();
  page->Filter->SetText("[NOFILTER]");
  page->Link->Table.SetFilter("[NOFILTER]");
  EXPECT_EQ(exclusive(), 0);
  page->Link->Table.SetFilter("[G.QTY > 1]");
  EXPECT_EQ(exclusive(), 98);
  form->AutoAdd = false;
  EXPECT_EQ(exclusive(), 0);
  form->AutoAdd = true;
  page->Link->Table.SetFilter("[NOFILTER]");
  page->Filter->SetText("");
  EXPECT_EQ(exclusive(), 98);  // an empty page filter still filters
}

TEST_F(FormLookup, HintLines) {
  ASSERT_EQ(Hints("HINT:['Код', 'Дата'#33]"), 0);
  ASSERT_EQ(form->Hints.size(), 2u);
  // The second takes the page's second key column.
  EXPECT_EQ(std::tuple(form->Hints[0].Title, form->Hints[1].Title, form->Hints[1].Keys->Number,
                       form->Hints[1].Keys->Kind),
            std::tuple("Код"_w, "Дата!"_w, 2, 'D'));
  form->Hints.clear();
  // HINTHELP wins over HINT.
  ASSERT_EQ(Hints("HINT:x, HINTHELP:[['a', 2], ['b', 3], ['c', 1]]"), 0);
  ASSERT_EQ(form->Hints.size(), 3u);
  EXPECT_EQ(std::tuple(form->Hints[0].Title, form->Hints[0].Keys->Number, form->Hints[0].Keys->Kind,
                       form->Hints[1].Keys->Kind),
            std::tuple("a", 1, 'N', 'D'));

  const std::pair<const char*, int> errors[] = {
      {"KEYCOL:[1]", 82}, {"HINT:'a'", 83}, {"HINT:['a']", 84}, {"HINT:['a', b]", 33},
      {"HINTHELP:x", 83}, {"HINTHELP:[x, y]", 83}, {"HINTHELP:[['t']]", 103},
      {"HINTHELP:[['t', 1, 2]]", 103}, {"HINTHELP:[[t, 1]]", 33}, {"HINTHELP:[['t', x]]", 8},
      {"HINTHELP:[['t', 5]]", 69}, {"HINTHELP:[['t', 0]]", 69}, {"HINTHELP:[NAME:['t', 1]]", 257},
  };
  for (const auto& [line, code] : errors) EXPECT_EQ(Hints(line), code) << line;
}

}  // namespace
}  // namespace vm::test
