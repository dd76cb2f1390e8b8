// Look-up pages (HELPS) and temporary databases (SOFTBASES) compiled from
// whole descriptions, and the tables that look-up pages fill.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "documents/doc_rig.h"
#include "documents/line_errors.h"
#include "language/evaluator.h"
#include "language/table_filter.h"

namespace vm::test {
namespace {

// The width, the database G and an open HELPS section: the line under test
// is line 8.
const std::string kHelpsHead =
    "BLANK\nWIDTH = 500\nENDSECTION\nUSEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\nHELPS\n";
const std::string kPage = "H1 = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME, , SOLD], TITLE:'t'";

TCommonVar Eval(TExprChain& chain) {
  int err = 0;
  TCommonVar v;
  EvalExpr(chain, err, v);
  EXPECT_EQ(err, 0);
  return v;
}

TEST(HelpsSection, PageOfFieldsWithItsOptions) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kHelpsHead +
                        "h1 = FORM:goodsb, BASE:g, KEYCOL:[1], FIELDS:[name, , SOLD, QTY], TITLE:'Товары'#33,"
                        " SORT:0, SORTHELPONLY:2, CATEGORY:[G.QTY > 1, G.NAME, 'a' + 'b'],"
                        " OPT:[['Все', 1], ['Много', G.QTY > 5]]\nENDSECTION"),
            0)
      << rig.Message;
  ASSERT_EQ(rig.Doc.HelpPages.Count(), 1);
  THelpItem& page = *rig.Doc.HelpPages.FindByName(" h1 ");
  ASSERT_EQ(page.KeyCount, 1);
  EXPECT_EQ(std::tuple(page.Name, page.Title, page.Link, page.Filter->Text(), page.OwnsColumnExprs, page.Keys->Number,
                       page.Keys->Kind),
            std::tuple("H1", "Товары!"_w, rig.Doc.Bases.FindByAlias("G"), "[NOFILTER]", false, 0, 'C'));
  EXPECT_TRUE(page.Filter->NoFilter() && page.NoSort && page.SortHelpOnly);
  // Column 2 is left unbound; the hidden column takes QTY.
  const TStringBase& g = page.Link->Table;
  const int32_t fields[] = {g.FieldIndex("NAME"), -1, g.FieldIndex("SOLD"), g.FieldIndex("QTY")};
  for (int32_t c = 0; c < 4; ++c)
    EXPECT_EQ(std::pair(page.Shown.ColumnField(c), page.Hidden.ColumnField(c)), std::pair(fields[c], fields[c])) << c;
  // Upper-cased outside quotes only.
  ASSERT_EQ(page.Options.Count(), 2);
  EXPECT_EQ(std::tuple(page.HasValueList, Eval(page.ValueExpr).Str, page.ListExpr.empty() || page.ThirdExpr.empty(),
                       page.Options.Visible, page.Options.Items(0)->Caption, page.Options.Items(1)->Caption,
                       Eval(page.Options.Items(0)->Condition).Num),
            std::tuple(true, "ab", false, true, "Все"_w, "Много"_w, 1.0L));

  // The page's name is taken, and its programs have a place.
  EXPECT_EQ(rig.Compile(kHelpsHead + kPage + "\nh1 = FORM:GOODSB"), 5);
  ASSERT_EQ(rig.Compile(kHelpsHead + kPage + "\nENDSECTION\nADDTOHELP = H1\nENDTOHELP\n"
                        "PREADDTOHELP = h1\nENDPREADD\nAFTERLOADHELP = H1\nENDAFTERLOAD"),
            0)
      << rig.Message;
  const THelpItem& compiled = *rig.Doc.HelpPages.Items(0);
  EXPECT_TRUE(compiled.AddToHelp && compiled.PreAddToHelp && compiled.AfterLoadHelp);
  EXPECT_FALSE(compiled.NoSort || compiled.HasValueList);
  EXPECT_EQ(rig.Compile(kHelpsHead + kPage + "\nENDSECTION\nADDTOHELP = H1\nENDTOHELP\nADDTOHELP = H1\nENDTOHELP"), 88);
  EXPECT_EQ(rig.Line, 12);
}

TEST(HelpsSection, PageOfExpressionsSharesThemBetweenItsViews) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kHelpsHead + "H2 = FORM:GOODSB, BASE:G, KEYCOL:[1], EXPR:['abc', G.QTY * 2, G.SOLD, 1],"
                                     " TITLE:'e', FILTER:[G.QTY > 1]"),
            0)
      << rig.Message;
  THelpItem& page = *rig.Doc.HelpPages.FindByName("H2");
  EXPECT_EQ(std::tuple(page.OwnsColumnExprs, page.Filter->Text(), page.Filter->NoFilter()),
            std::tuple(true, "[G.QTY > 1]", false));
  for (int32_t c = 0; c < 4; ++c) {
    ASSERT_NE(page.Shown.ColumnExpr(c), nullptr) << c;
    EXPECT_EQ(std::pair(page.Shown.ColumnExpr(c), page.Shown.ColumnField(c)), std::pair(page.Hidden.ColumnExpr(c), -1))
        << c;
  }
  // The whole value is upper-cased, string constants too.
  EXPECT_EQ(Eval(*page.Shown.ColumnExpr(0)).Str, "ABC");
}

TEST(HelpsSection, PageErrorsByLine) {
  const std::string page = "H = FORM:GOODSB, BASE:G, KEYCOL:[1], TITLE:'t', ";
  ExpectLineErrors(kHelpsHead, 8, {
      {"1H = FORM:GOODSB", 19},
      {"G = FORM:GOODSB", 5},
      {"WHILE = FORM:GOODSB", 52},
      {"H = KEY:[1]", 257},
      {"H = BASE:G, KEYCOL:[1]", 17},
      {"H = FORM:NOPE", 18},
      {"H = FORM:BADB", 21},
      {"H = FORM:GOODSB, KEYCOL:[1]", 91},
      {"H = FORM:GOODSB, BASE:X", 26},
      {"H = FORM:GOODSB, BASE:G, FIELDS:[NAME]", 23},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:1", 20},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[x]", 8},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[4]", 24},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[1, 1]", 76},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[1, 3]", 77},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[3]", 78},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[1], TITLE:'t'", 27},
      {page + "FIELDS:NAME", 43},
      {page + "FIELDS:[NOPE]", 15},
      {page + "FIELDS:[QTY]", 31},
      {page + "FIELDS:[NAME, , , , QTY]", 29},
      {page + "EXPR:G.NAME", 43},
      {page + "EXPR:[G.NAME, 1, G.SOLD]", 30},
      {page + "EXPR:[G.NAME, 1, G.SOLD, 1, 2]", 29},
      {page + "EXPR:[1, 1, G.SOLD, 1]", 101},
      {page + "EXPR:[G.NOPE, 1, G.SOLD, 1]", -1},
      {page + "FIELDS:[NAME], FILTER:QTY", -1},
      {page + "FIELDS:[NAME], FILTER:[MINVAL(G.QTY)]", -1},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME]", 32},
      {"H = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME], TITLE:t", 33},
      {page + "FIELDS:[NAME], SORTHELPONLY:x", 8},
      {page + "EXPR:[G.NAME, 1, G.SOLD, 1], SORTHELPONLY:1", 102},
      {page + "FIELDS:[NAME], SORT:1.5", 8},
      {page + "FIELDS:[NAME], CATEGORY:[1, 'a']", 117},
      {page + "FIELDS:[NAME], CATEGORY:1", 43},
      {page + "FIELDS:[NAME], CATEGORY:['a', 'b', 'c']", 118},
      {page + "FIELDS:[NAME], CATEGORY:[1, 'b', 3]", 93},
      {page + "FIELDS:[NAME], CATEGORY:[NOPE, 'b', 'c']", -1},
      {page + "FIELDS:[NAME], OPT:x", 136},
      {page + "FIELDS:[NAME], OPT:[x]", 136},
      {page + "FIELDS:[NAME], OPT:[['a', 1], ['b']]", 38},
      {page + "FIELDS:[NAME], OPT:[[a, 1]]", 33},
      {page + "FIELDS:[NAME], OPT:[['a', 'x']]", 135},
      {page + "FIELDS:[NAME], OPT:[['a', NOPE]]", -1},
  });
  DocRig rig;
  EXPECT_EQ(rig.Compile(kHelpsHead + page + "FIELDS:[NAME], FILTER:QTY"), -1);
  EXPECT_EQ(rig.Message, "Ошибка в строке 8:  Неправильный формат фильтра ");
  EXPECT_EQ(rig.Compile(kHelpsHead + page + "FIELDS:[NAME], CATEGORY:[A, B]"), 117);
  EXPECT_EQ(rig.Message, "Ошибка в строке 8:  Неверное количество параметров категории");
}

// The width, G, a page H1 over it and an open FORMS section: the line under
// test is line 11.
const std::string kFormsHead = kHelpsHead + kPage + "\nENDSECTION\nFORMS\n";
const std::string kTable = "T1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1], ";

TEST(HelpsSection, TablesFilledFromPages) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kFormsHead + kTable + "HELP:[NAME:h1, 1:NAME, 3:SOLD], HINT:['Код'], HELPFOCUS:1"), 0)
      << rig.Message;
  TFormPar& form = *rig.Doc.Forms.FindFormPar("T1");
  THelpItem& page = *rig.Doc.HelpPages.FindByName("H1");
  ASSERT_EQ(form.Hints.size(), 1u);
  EXPECT_EQ(std::tuple(form.Help, page.FilledTables, form.AddRows && form.HelpFocus, form.View().ColumnField(2),
                       form.Hints[0].Title, form.Hints[0].Keys->Number),
            std::tuple(&page, std::vector<TRuntimeObject*>{&form}, true, page.Link->Table.FieldIndex("SOLD"), "Код"_w,
                       0));

  // A sorting page binds table columns to its own columns.
  ASSERT_EQ(rig.Compile(kHelpsHead + kPage + ", SORTHELPONLY:1\nENDSECTION\nFORMS\n" + kTable +
                        "HELP:[NAME:H1, 3:3], HINTHELP:[['Дата', 3]]"),
            0)
      << rig.Message;
  EXPECT_EQ(rig.Doc.Forms.FindFormPar("T1")->View().ColumnField(2), 2);

  const std::string sorting = kHelpsHead + kPage + ", SORTHELPONLY:1";
  const std::string expressions =
      kHelpsHead + "H1 = FORM:GOODSB, BASE:G, KEYCOL:[1], EXPR:[G.NAME, 1, G.SOLD, 1], TITLE:'t'";
  const std::string help = "HELP:[NAME:H1], HINT:['a'], ";
  ExpectLineErrors(kFormsHead, 11, {
      {kTable + "HELP:[NAME:H9], HINT:['a']", 46},
      {kTable + "HELP:[NAME:H1]", 82},
      {kTable + "HELP:[NAME:H1, 1:QTY], HINT:['a']", 59},
      {"T1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1, 3], HELP:[NAME:H1], HINT:['a', 'b']", 81},
      {"T1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[2], HELP:[NAME:H1], HINT:['a']", 80},
  });
  ExpectLineErrors(expressions + "\nENDSECTION\nFORMS\n", 11, {{kTable + help + "AUTOADD:1", 102}});
  ExpectLineErrors(sorting + "\nENDSECTION\nFORMS\n", 11, {
      {kTable + "HELP:[NAME:H1, 1:2], HINT:['a']", 80},
      {kTable + "HELP:[NAME:H1, 1:5], HINT:['a']", 69},
  });
  // A sorting page that adds rows may filter neither itself nor its base.
  EXPECT_EQ(rig.Compile(sorting + "\nENDSECTION\nFORMS\n" + kTable + help + "AUTOADD:1"), 0) << rig.Message;
  ExpectLineErrors(sorting + ", FILTER:[G.QTY > 1]\nENDSECTION\nFORMS\n", 11, {{kTable + help + "AUTOADD:1", 98}});
  ExpectLineErrors(
      "BLANK\nWIDTH = 500\nENDSECTION\nUSEDBASES\nG = NAME:GOODS, KEY:[NAME], FILTER:[G.QTY > 1]\nENDSECTION\n"
      "HELPS\n" + kPage + ", SORTHELPONLY:1\nENDSECTION\nFORMS\n",
      11, {{kTable + help + "AUTOADD:1", 98}});
}

const std::string kSoftHead = "BLANK\nWIDTH = 500\nENDSECTION\nSOFTBASES\n";
const std::string kSoftBase = "S = STRUCTURE:[[CODE, N, 10, 0], [name, c, 30, 0], [DAY, D, 8, 0]], KEY:[CODE]";

TEST(SoftBasesSection, TemporaryTableBehindALookupPage) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(kSoftHead + kSoftBase + "\nT = STRUCTURE:[[A, N, 254, 252]], KEY:[A]\nENDSECTION\n"
                        "HELPS\nH = FORM:GOODSB, BASE:S, KEYCOL:[2], FIELDS:[NAME, CODE, DAY], TITLE:'s'\n"
                        "ENDSECTION\nINIT\nS.CODE := 7\nENDSECTION"),
            0)
      << rig.Message;
  TUBL& s = *rig.Doc.Bases.FindByAlias("s");
  ASSERT_EQ(s.Table.FieldCount(), 3);
  ASSERT_EQ(s.Table.KeyCount, 1);
  const TFieldRecord name = s.Table.Dbf()->GetFieldDef(1);
  EXPECT_EQ(std::tuple(s.Alias, s.Base == nullptr, s.Table.OwnsDbf() && s.Table.Filter()->NoFilter(), name.Name,
                       name.FieldType, name.Length, s.Table.Dbf()->GetFieldDef(2).FieldType, s.Table.Keys->Number,
                       s.Table.Keys->Kind),
            std::tuple("S", true, true, "NAME", 'C', 30, 'D', 0, 'N'));

  // The page shows the rows of the temporary table.
  for (const auto& [code, text] : {std::pair{5, "пять"}, std::pair{9, "nine"}}) {
    s.Table.Append();
    TCommonVar v;
    v.Kind = 'N';
    v.Num = code;
    s.Table.SetValue(0, v);
    s.Table.SetFieldText(1, Utf8ToCp1251(text));
  }
  THelpItem& page = *rig.Doc.HelpPages.FindByName("H");
  page.LoadRows();
  EXPECT_EQ(std::tuple(page.Hidden.RowCount(), page.Hidden.GetCellText(0, 0), page.Hidden.GetCellValue(1, 1).Num),
            std::tuple(2, "пять"_w, 9.0L));

  // The start-of-day document may have temporary tables.
  EXPECT_EQ(rig.Compile("SOFTBASES\n" + kSoftBase, true), 0) << rig.Message;
}

TEST(SoftBasesSection, StructureErrorsByLine) {
  auto base = [](const std::string& fields) { return "S = STRUCTURE:[" + fields + "], KEY:[A]"; };
  ExpectLineErrors(kSoftHead, 5, {
      {"1S = STRUCTURE:[[A, N, 5, 0]], KEY:[A]", 89},
      {"ERRORCODE = STRUCTURE:[[A, N, 5, 0]], KEY:[A]", 5},
      {"ENDIF = STRUCTURE:[[A, N, 5, 0]], KEY:[A]", 52},
      {"S = STRUCTURE:[[A, N, 5, 0]]", 16},
      {"S = STRUCTURE:[[A, N, 5, 0]], KEY:[A], KEY:[A]", 16},
      {"S = STRUCTURE:[[A, N, 5, 0]], FILTER:x", 257},
      {"S = KEY:[A], KEY:[A]", 92},
      {"S = STRUCTURE:[[A, N, 5, 0]], STRUCTURE:[[B, N, 5, 0]]", 79},
      {"S = STRUCTURE:x, KEY:[A]", 43},
      {"S = STRUCTURE:[], KEY:[A]", 43},
      {base("A, N, 5, 0"), 94},
      {base("[A, N, 5, 0], B"), 94},
      {base("Z:[A, N, 5, 0]"), 256},
      {base("KEY:[A, N, 5, 0]"), 257},
      {base("[A, N, 5]"), 96},
      {base("[A, N, 5, 0, 1]"), 96},
      {base("[A, N, 5, 0], [a, C, 5, 0]"), 95},
      {base("[A, T, 5, 0]"), 97},
      {base("[A, N, 1, 0]"), 8},
      {base("[A, N, 5, 4]"), 8},
      {base("[A, C, 255, 0]"), 8},
      {base("[A, D, 10, 0]"), 8},
      {base("[1A, N, 5, 0]"), 12},
      {"S = STRUCTURE:[[A, N, 5, 0]], KEY:A", 43},
      {"S = STRUCTURE:[[A, N, 5, 0]], KEY:[B]", 15},
      {"S = STRUCTURE:[[A, N, 5, 0]], KEY:[A, a]", 75},
  });
  DocRig rig;
  EXPECT_EQ(rig.Compile(kSoftHead + base("[A, D, 8, 0]")), 0) << rig.Message;
}

}  // namespace
}  // namespace vm::test
