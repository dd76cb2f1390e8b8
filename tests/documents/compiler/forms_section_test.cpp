#include <gtest/gtest.h>

#include <tuple>

#include "documents/doc_rig.h"
#include "documents/line_errors.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

const std::string kTable = "T1 = FORM:GOODSB, X1:10, Y1:20, Y2:300, KEYCOL:[1, 3]";
const std::string kHead =
    "BLANK\nWIDTH = 500\nENDSECTION\nUSEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\nFORMS\n";

// Each FORMS line must fail with its code at its own line (8).
void ExpectFormErrors(std::initializer_list<LineErrorCase> cases) {
  ExpectLineErrors(kHead + "T0 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]\n", 9, cases);
}

std::vector<int> Bits(const TColumnSet& set) {
  std::vector<int> out;
  for (std::size_t i = 0; i < set.size(); ++i)
    if (set.test(i)) out.push_back(static_cast<int>(i));
  return out;
}

TEST(FormsSection, TableWithItsSettings) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kHead + kTable +
                        ", EDITABLE:-1, AUTOADD:2, MERGE:[2, 4], NOEDIT:[2], AUTOSEL:[1], EDIT:[1, 2],"
                        " SEARCH:1, SORT:1, SORTTYPE:2, DELABLE:1, MULTSEL:1, HELPFOCUS:1\n"
                        "T2 = FORM:goodsb, X1:0, Y1:0, Y2:0, KEYCOL:[2], MERGE:[0], ADDABLE:0, AUTOADD:1\n"
                        "ENDSECTION\nFORMCHANGE = t1\nT1CURRENTROW := 4\nENDFORMCHANGE\n"
                        "ONADDROW = T2\nENDADDROW"),
            0)
      << rig.Message;
  ASSERT_EQ(rig.Doc.Forms.Count(), 2);
  TFormPar& t1 = *rig.Doc.Forms.FindFormPar(" t1 ");
  ASSERT_EQ(t1.KeyCount, 2);
  ASSERT_NE(t1.FormChange, nullptr);
  EXPECT_EQ(std::tuple(t1.ShownColumns(), t1.AllColumns(), t1.Left, t1.Top, t1.Bottom, t1.Keys->Number, t1.Keys->Kind,
                       t1.Keys->Next->Number, t1.Keys->Next->Kind, t1.SortType, t1.AutoAddCount),
            std::tuple(3, 4, 10, 20, 300, 0, 'C', 2, 'D', 2, 2));
  // Keys 1 and 3 and the unedited 2: no editable column. No look-up page:
  // no HELPFOCUS.
  EXPECT_EQ(std::tuple(Bits(t1.MergeSet), Bits(t1.NoEditCols), Bits(t1.EditableCols), Bits(t1.EditCols), t1.HelpFocus),
            std::tuple(std::vector<int>{1, 3}, std::vector<int>{1}, std::vector<int>{}, std::vector<int>{1}, false));
  EXPECT_TRUE(t1.Editable && t1.AutoAdd && t1.AddRows && t1.MergeMark && t1.View().GetColLayout(0)->SelectOnEdit &&
              t1.Search && t1.Sort && t1.DelRows && t1.MultSel && t1.View().MultiSelect);

  // ADDABLE overrides AUTOADD.
  TFormPar& t2 = *rig.Doc.Forms.FindFormPar("T2");
  EXPECT_EQ(std::tuple(t2.MergeMark, Bits(t2.MergeSet), t2.AddRows, Bits(t2.EditableCols), t2.OnAddRow != nullptr),
            std::tuple(false, std::vector<int>{255}, false, std::vector<int>{0, 2}, true));

  // The row variables exist, and formulas see the table's columns.
  Interp().ExecProgram(t1.FormChange);
  EXPECT_EQ(t1.CurrentRow->Value.Num, 4);
  EXPECT_EQ(t1.CurrentRow->Name, "T1CURRENTROW");
  for (const char* v : {"T2PRINTSTARTROW", "T2PRINTENDROW", "T2SELSTART", "T2SELEND"})
    EXPECT_NE(rig.Doc.Context.Symbols().FindVariable(v), nullptr) << v;
  t1.View().AppendRow();
  t1.View().SetCellValue(1, 0, {'N', "", 2.5L, {}, {}});
  TExprChain chain;
  ASSERT_EQ(CompileExpr("T1[2, 1] * 2", rig.Doc.Context, chain).ErrCode, 0);
  int err = 0;
  TCommonVar v;
  EvalExpr(chain, err, v);
  EXPECT_EQ(std::pair(err, v.Num), std::pair(0, 5.0L));

  EXPECT_EQ(rig.Compile(kHead + kTable + "\nENDSECTION\nONADDROW = T1\nENDADDROW\nONADDROW = T1\nENDADDROW"), 88);
  EXPECT_EQ(rig.Line, 12);
}

TEST(FormsSection, TableErrors) {
  ExpectFormErrors({
      {"1T = FORM:GOODSB", 19},
      {"T0 = FORM:GOODSB", 5},
      {"G = FORM:GOODSB", 5},
      {"WHILE = FORM:GOODSB", 52},
      {"T1 = X1:1", 17},
      {"T1 = FORM:NOPE", 18},
      {"T1 = FORM:BADB", 21},
      {"T1 = FORM:GOODSB, TITLE:X", 257},
      {"T1 = FORM:GOODSB, X1:1, Y1:1", 7},
      {"T1 = FORM:GOODSB, X1:a, Y1:1, Y2:1", 8},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1", 23},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:[0]", 24},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:[4]", 24},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:[x]", 8},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:[1, 1]", 76},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:1", 20},
      {"T1 = FORM:GOODSB, X1:1, Y1:1, Y2:1, KEYCOL:[]", 20},
      {kTable + ", EDITABLE:yes", 8},
      {kTable + ", AUTOADD:-1", 8},
      {kTable + ", MERGE:[1]", 64},
      {kTable + ", MERGE:[5]", 63},
      {kTable + ", MERGE:[a]", 63},
      {kTable + ", NOEDIT:[4]", 63},
      {kTable + ", AUTOSEL:[0]", 63},
      {kTable + ", EDIT:[9]", 63},
      {kTable + ", SORTTYPE:-2", 8},
      {kTable + ", HELP:H1", 56},
      {kTable + ", HELP:[1:NAME]", 57},
      {kTable + ", HELP:[NAME:H1, TITLE:X]", 257},
      {kTable + ", HELP:[NAME:H1]", 46},
      {kTable + ", LISTS:L1", 131},
      {kTable + ", LISTS:[1:L1]", 132},
      {kTable + ", LISTS:[NAME:L1]", 257},
  });
}

TEST(FormsSection, LinksToDatabases) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kHead + kTable +
                        ", LINK:[[BASE:G, SEARCH:[G.QTY + 1], CELLSELECT:1, BASEADD:2, BASEEDIT:3,"
                        " SUBST:[1:G.NAME + 'x', 2:G.QTY * 2]], [BASE:g, SEARCH:[1], SUBST:[4:1]]]"),
            0)
      << rig.Message;
  const TFormPar& t1 = *rig.Doc.Forms.FindFormPar("T1");
  ASSERT_EQ(t1.Links.Count(), 2);
  const TLinkItem& first = *t1.Links.GetItem(0);
  ASSERT_EQ(first.Substs.size(), 2u);
  EXPECT_EQ(std::tuple(first.Base, first.Expr.empty(), first.CellSelect, first.BaseAdd, first.BaseEdit,
                       first.Substs[1]->Column, t1.Links.GetItem(1)->Substs[0]->Column),
            std::tuple(rig.Doc.Bases.FindByAlias("G"), false, 1, 2, 3, 1, 3));

  const std::string link = kTable + ", LINK:";
  ExpectFormErrors({
      {link + "X", 123},
      {link + "[X]", 123},
      {link + "[[SEARCH:[1], SUBST:[1:'a']]]", 25},
      {link + "[[BASE:NOPE, SEARCH:[1], SUBST:[1:'a']]]", 26},
      {link + "[[BASE:G, SUBST:[1:'a']]]", 119},
      {link + "[[BASE:G, SEARCH:1, SUBST:[1:'a']]]", 121},
      {link + "[[BASE:G, SEARCH:['a'], SUBST:[1:'a']]]", 120},
      {link + "[[BASE:G, SEARCH:[NOPE + 1], SUBST:[1:'a']]]", -1},
      {link + "[[BASE:G, SEARCH:[1]]]", 122},
      {link + "[[BASE:G, SEARCH:[1], SUBST:1:'a']]", 123},
      {link + "[[BASE:G, SEARCH:[1], SUBST:[5:'a']]]", 63},
      {link + "[[BASE:G, SEARCH:[1], SUBST:['a']]]", 63},
      {link + "[[BASE:G, SEARCH:[1], SUBST:[1:1]]]", 124},
      {link + "[[BASE:G, SEARCH:[1], SUBST:[1:(]]]", -1},
      {link + "[[BASE:G, SEARCH:[1], CELLSELECT:-1, SUBST:[1:'a']]]", 8},
      {link + "[[BASE:G, SEARCH:[1], QUEST:Q, SUBST:[1:'a']]]", 257},
  });
}

// The look-up pages share the document's name space, and a table filled
// from a page binds its columns and checks its keys against the page.
TEST(FormsSection, NamesIncludeLookupPages) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kHead + kTable), 0) << rig.Message;
  EXPECT_FALSE(rig.Doc.IsNameInUse("H1"));
  AddHelpItem(rig.Doc.HelpPages, "h1", rig.Blanks.FindByName("GOODSB"));
  for (const char* name : {" h1 ", "t1", "T1SELEND", "G"}) EXPECT_TRUE(rig.Doc.IsNameInUse(name)) << name;
  EXPECT_FALSE(rig.Doc.IsNameInUse("GOODS"));
  rig.Doc.Clear();
  EXPECT_EQ(std::tuple(rig.Doc.IsNameInUse("H1"), rig.Doc.IsNameInUse("T1"), rig.Doc.Forms.Count(),
                       rig.Doc.Bases.Count()),
            std::tuple(false, false, 0, 0));
  // What belongs to the configuration stays (the binding closes the file
  // it opened).
  ASSERT_NE(rig.Bases.FindByAlias("GOODS"), nullptr);
  EXPECT_TRUE(rig.Bases.FindByAlias("GOODS")->Table.Open());
  EXPECT_EQ(std::pair(rig.Blanks.FindByName("GOODSB")->Compiled, rig.Blanks.Count()), std::pair(true, 2));
}

}  // namespace
}  // namespace vm::test
