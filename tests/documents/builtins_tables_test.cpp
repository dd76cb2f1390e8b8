// The built-ins over the tables of a compiled document, run against the
// document's own tables and views: argument checks in their order, tables
// without rows, CURRENTROW after searches, and whole programs.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "documents/doc_rig.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/interpreter.h"
#include "platform/encoding.h"

namespace vm::test {
namespace {

struct Outcome {
  int Err = 0;
  TCommonVar Value;
  std::string Text() const { return Cp1251ToUtf8(Value.Str); }
};

// T1 and T2 on GOODSB (name C, price N with 2 decimals, date D, a hidden N),
// keyed by name and by name and date; T3 on a blank with a header of two
// levels; the base G (GOODS keyed by NAME); the variables N1, N2 and S1.
const std::string kDocument =
    "BLANK\nWIDTH = 500\nENDSECTION\nVARS\nN1, N2 = N\nS1 = C\nENDSECTION\n"
    "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\nFORMS\n"
    "T1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1]\n"
    "T2 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1, 3]\n"
    "T3 = FORM:HEADB, X1:0, Y1:0, Y2:100, KEYCOL:[1]\nENDSECTION\n";

class TableBuiltins : public ::testing::Test {
 protected:
  TableBuiltins() {
    rig.Blanks.Add("HEADB")->SetText(Utf8ToCp1251(
        "COLCOUNT=3,1\nLEVELCOUNT=2\nHEADER[1..2]='Товар'\nHEADER[3]='Цена %N%'\nLEVEL=2\n"
        "HEADER[1]='Имя'\nHEADER[2]='Код'\nFORMAT[1..2]=C,0,0\nFORMAT[3]=N,10,2\nFORMAT[4]=C,0,0\n"
        "COLWIDTH[1..3]=100\n"));
  }
  void SetUp() override { Compile(""); }

  // The document with program as its INIT and blocks after it.
  void Compile(std::string_view program, std::string_view blocks = "") {
    ASSERT_EQ(rig.Compile(kDocument + "INIT\n" + std::string(program) + "\nENDSECTION\n" + std::string(blocks)), 0)
        << rig.Message;
    t1 = rig.Doc.Forms.FindFormPar("T1");
  }
  // Runs INIT: the run error code, 0 when it went through.
  int Run() {
    Interp().BeginDocumentRun();
    Interp().ExecProgram(rig.Doc.Programs.Init);
    return Interp().ErrorCode();
  }

  Outcome Eval(std::string_view utf8) {
    TExprChain chain;
    Outcome o;
    const int code = CompileExpr(Utf8ToCp1251(utf8), rig.Doc.Context, chain).ErrCode;
    if (code != 0) {
      o.Err = 1000 + code;
      return o;
    }
    EvalExpr(chain, o.Err, o.Value);
    return o;
  }
  int Err(std::string_view utf8) { return Eval(utf8).Err; }
  void ExpectErrs(std::initializer_list<std::pair<const char*, int>> cases) {
    for (const auto& [formula, code] : cases) EXPECT_EQ(Err(formula), code) << formula;
  }
  long double Num(std::string_view utf8) {
    const Outcome o = Eval(utf8);
    EXPECT_EQ(o.Err, 0) << utf8;
    return o.Value.Num;
  }
  std::string Str(std::string_view utf8) {
    const Outcome o = Eval(utf8);
    EXPECT_EQ(o.Err, 0) << utf8;
    return o.Text();
  }

  // Rows of T1 as name, price and date texts.
  void Fill(std::initializer_list<std::array<const char*, 3>> rows) {
    for (const auto& cells : rows) {
      const int32_t row = t1->View().AppendRow();
      for (int32_t c = 0; c < 3; ++c) t1->View().SetCellText(c, row, Utf8ToCp1251(cells[static_cast<std::size_t>(c)]));
    }
  }
  // The texts of a column of T1 (0-based), joined by ",".
  std::string Column(int32_t col) {
    std::string out;
    for (int32_t r = 0; r < t1->View().RowCount(); ++r)
      out += (r ? "," : "") + Cp1251ToUtf8(t1->View().GetCellText(col, r));
    return out;
  }
  long double CurrentRow() const { return t1->CurrentRow->Value.Num; }
  void SetCurrentRow(long double row) { t1->CurrentRow->Value.Num = row; }
  long double Var(const char* name) { return rig.Doc.Context.Symbols().FindVariable(name)->Value.Num; }

  DocRig rig;
  TFormPar* t1 = nullptr;
};

TEST_F(TableBuiltins, ATableWithoutRowsReadsEmptyValuesAndIgnoresWrites) {
  struct Empty {
    const char* Formula;
    char Kind;
  };
  for (const Empty& e : {Empty{"CELL(T1, 2, 99)", 'N'}, Empty{"CELL(T1, 1, -5)", 'C'}, Empty{"CELL(T1, 3, 0)", 'D'},
                         Empty{"CELL(T1, 4, 1)", 'N'}, Empty{"CURCELL(T1, 1)", 'C'}}) {
    const Outcome o = Eval(e.Formula);
    EXPECT_EQ(std::tuple(o.Err, o.Value.Kind, o.Value.Str, o.Value.Num, o.Value.Date),
              std::tuple(0, e.Kind, "", 0.0L, TDateRec{}))
        << e.Formula;
  }
  // The column is checked even without rows; the row is not.
  ExpectErrs({{"CELL(T1, 0, 1)", 23}, {"CELL(T1, 5, 1)", 23}, {"STRINGCELL(T1, 0, 1)", 23}, {"CURCELL(T1, 5)", 23}});
  EXPECT_EQ(Str("STRINGCELL(T1, 1, 7)"), "");
  const std::pair<const char*, long double> numbers[] = {
      {"NUMCELL(T1, 2)", 0}, {"ROWCOUNT(T1)", 0}, {"SUMTABLE(T1, 9, 1, 1)", 0}, {"FINDROW(T1, 1)", -1},
      {"FINDENDROW(T1, 1)", -1}, {"FINDFASTROW(T1, 1, '=', 'a')", -1}};
  for (const auto& [formula, value] : numbers) EXPECT_EQ(Num(formula), value) << formula;
  EXPECT_EQ(CurrentRow(), 0) << "no row was examined";
  for (const char* quiet : {"SETCELL(T1, 0, 9, 'x')", "SETCURCELL(T1, 9, 1)", "SETSTRCELL(T1, 0, 0, 1)",
                            "SETSTRINGCELL(T1, 9, 'x')", "TABLEPOS(T1, 9, 9)", "CLEARTABLECOND(T1, 1)",
                            "SORTTABLE(T1)", "RECALCTABLE(T1)"})
    EXPECT_EQ(Err(quiet), 0) << quiet;
  EXPECT_EQ(t1->View().RowCount(), 0);
  EXPECT_EQ(Err("DELETEROW(T1, 1)"), 21);
}

TEST_F(TableBuiltins, CellsAreReadByTheKindOfTheirFormat) {
  Fill({{"Гвоздь", "2.5", "1.02.2003"}, {"Шуруп", "x", ""}});
  const Outcome price = Eval("CELL(T1, 2, 1)");
  EXPECT_EQ(std::tuple(price.Value.Kind, price.Value.Num, Eval("CELL(T1, 3, 1)").Value.Date),
            std::tuple('N', 2.5L, TDateRec{1, 2, 2003}));
  EXPECT_EQ(Eval("CELL(T1, 1, 2)").Text(), "Шуруп");
  EXPECT_EQ(Str("STRINGCELL(T1, 2, 1)"), "2.5");
  EXPECT_EQ(Num("CELL(T1, 2, 1.4) * 2"), 5) << "rows are rounded";
  // Columns are checked before rows.
  ExpectErrs({{"CELL(T1, 1, 3)", 21}, {"CELL(T1, 1, 0)", 21}, {"CELL(T1, 0, 3)", 23}, {"STRINGCELL(T1, 1, 3)", 21},
      {"CELL(T1, 1, 99999999999)", 21}});

  // The current row: not checked, a row that is not there is empty.
  SetCurrentRow(2);
  EXPECT_EQ(Eval("CURCELL(T1, 1)").Text(), "Шуруп");
  EXPECT_EQ(Num("NUMCELL(T1, 2)"), 0) << "x is no number";
  EXPECT_EQ(Num("NUMCELL(T1, 1)"), 0) << "a text cell";
  SetCurrentRow(0.6);
  EXPECT_EQ(Num("NUMCELL(T1, 2)"), 2.5);
  SetCurrentRow(7);
  const Outcome missing = Eval("CURCELL(T1, 2)");
  EXPECT_EQ(std::pair(missing.Err, missing.Value.Kind), std::pair(0, 'N'));
  EXPECT_EQ(Err("NUMCELL(T1, 0)"), 23);
}

TEST_F(TableBuiltins, CellsAreWrittenTypedOrAsText) {
  Fill({{"Гвоздь", "2.5", "1.02.2003"}, {"Шуруп", "1", ""}});
  ASSERT_EQ(Err("SETCELL(T1, 2, 1, 3.25)"), 0);
  EXPECT_EQ(Num("CELL(T1, 2, 1)"), 3.25);
  ASSERT_EQ(Err("SETCELL(T1, 3, 2, DATE(5, 6, 2007))"), 0);
  EXPECT_EQ(Str("STRINGCELL(T1, 3, 2)"), "5.06.2007") << "dates always in the short form";
  // Row, then column, then the type.
  ExpectErrs({{"SETCELL(T1, 2, 1, 'x')", 22}, {"SETCELL(T1, 1, 1, 5)", 22}, {"SETCELL(T1, 9, 3, 'x')", 21},
      {"SETCELL(T1, 9, 1, 'x')", 23}, {"SETCELL(T1, 2, 0, 1)", 21}});

  // Text goes in as it is, unchecked.
  ASSERT_EQ(Err("SETSTRCELL(T1, 2, 2, ' abc ')"), 0);
  EXPECT_EQ(Column(1), "3.2500, abc ");
  EXPECT_EQ(Num("CELL(T1, 2, 2)"), 0);
  EXPECT_EQ(Err("SETSTRCELL(T1, 9, 1, 'x')"), 23);
  EXPECT_EQ(Err("SETSTRCELL(T1, 1, 3, 'x')"), 21);

  // The current row, rounded.
  SetCurrentRow(1.6);
  ASSERT_EQ(Err("SETCURCELL(T1, 1, 'Болт')"), 0);
  ASSERT_EQ(Err("SETSTRINGCELL(T1, 2, '7')"), 0);
  EXPECT_EQ(Column(0), "Гвоздь,Болт");
  EXPECT_EQ(Column(1), "3.2500,7");
  EXPECT_EQ(Err("SETCURCELL(T1, 2, 'x')"), 22);
  SetCurrentRow(3);
  ExpectErrs({{"SETCURCELL(T1, 1, 'x')", 21}, {"SETSTRINGCELL(T1, 1, 'x')", 21}});
}

TEST_F(TableBuiltins, RowsAreCountedAddedDeletedAndVisited) {
  EXPECT_EQ(Num("ADDROW(T1)"), 1);
  EXPECT_EQ(Num("ADDROW(T1)"), 2);
  EXPECT_EQ(std::tuple(CurrentRow(), Num("ROWCOUNT(T1)"), Num("VISCOLCOUNT(T1)"), Num("TOTCOLCOUNT(T1)")),
            std::tuple(2.0L, 2.0L, 3.0L, 4.0L));

  ASSERT_EQ(Err("SETCURROW(T1, 9)"), 0);
  EXPECT_EQ(CurrentRow(), 9) << "CURRENTROW as given";
  EXPECT_EQ(t1->View().CurrentRow(), 1) << "the view keeps to its rows";
  ASSERT_EQ(Err("SETCURROW(T1, 1)"), 0);
  EXPECT_EQ(t1->View().CurrentRow(), 0);

  ASSERT_EQ(Err("TABLEPOS(T1, 3, 2)"), 0);
  EXPECT_EQ(std::pair(t1->View().CurrentRow(), t1->View().CurCol()), std::pair(1, 2));
  ExpectErrs({{"TABLEPOS(T1, 9, 3)", 21}, {"TABLEPOS(T1, 9, 1)", 23}});  // the row first

  Fill({{"Третий", "", ""}});
  ExpectErrs({{"DELETEROW(T1, 0)", 21}, {"DELETEROW(T1, 4)", 21}});
  ASSERT_EQ(Err("DELETEROW(T1, 1)"), 0);
  EXPECT_EQ(Column(0), ",Третий");
}

TEST_F(TableBuiltins, SumsOfANumberColumn) {
  Fill({{"a", "1.5", ""}, {"b", "x", ""}, {"c", "2", ""}, {"d", "4", ""}});
  // The hidden column 4 is a number column too.
  const std::pair<const char*, long double> sums[] = {
      {"2, 1, 4", 7.5}, {"2, 2, 3", 2}, {"2, 3, 99", 6}, {"2, 3, 1", 0}, {"2, 0, 4", 0},
      {"2, 1, 0", 0},   {"2, 5, 9", 0}, {"4, 1, 4", 0}};
  for (const auto& [args, sum] : sums) EXPECT_EQ(Num("SUMTABLE(T1, " + std::string(args) + ")"), sum) << args;
  // The kind is checked before the range.
  ExpectErrs({{"SUMTABLE(T1, 1, 1, 4)", 22}, {"SUMTABLE(T1, 3, 9, 9)", 22}, {"SUMTABLE(T1, 5, 1, 4)", 23}});
}

TEST_F(TableBuiltins, SearchesByConditionLeaveCurrentRowOnTheRowExaminedLast) {
  Fill({{"a", "1", ""}, {"b", "5", ""}, {"c", "7", ""}, {"d", "2", ""}});
  const std::tuple<const char*, long double, long double> searches[] = {
      {"FINDROW(T1, CURCELL(T1, 2) > 4)", 2, 2}, {"FINDENDROW(T1, CURCELL(T1, 2) > 4)", 3, 3},
      {"FINDROW(T1, CURCELL(T1, 2) > 10)", -1, 4}, {"FINDENDROW(T1, CURCELL(T1, 2) > 10)", -1, 1}};
  for (const auto& [formula, found, current] : searches) {
    EXPECT_EQ(Num(formula), found) << formula;
    EXPECT_EQ(CurrentRow(), current) << formula;
  }
  EXPECT_EQ(Num("FINDROW(T1, 0.0000000005)"), -1) << "within the tolerance of 0";

  // A condition that is no number stops at the first row; its own errors
  // stop the search with their code.
  SetCurrentRow(3);
  TExprChain chain;
  ASSERT_EQ(CompileExpr("FINDROW(T1, N1)", rig.Doc.Context, chain).ErrCode, 0);
  rig.Doc.Context.Symbols().FindVariable("N1")->Value.Kind = 'C';
  int err = 0;
  TCommonVar v;
  EvalExpr(chain, err, v);
  EXPECT_EQ(err, 24);
  EXPECT_EQ(CurrentRow(), 1);
  EXPECT_EQ(Err("FINDENDROW(T1, CELL(T1, 9, 1) = 1)"), 23);
  EXPECT_EQ(CurrentRow(), 4);

  t1->View().SetRow(0);
  EXPECT_EQ(Num("FINDROWSEL(T1, CURCELL(T1, 1) = 'c')"), 3);
  EXPECT_EQ(t1->View().CurrentRow(), 2);
  EXPECT_EQ(Num("FINDROWSEL(T1, 0)"), -1);
  EXPECT_EQ(t1->View().CurrentRow(), 2) << "nothing found, nothing selected";
}

TEST_F(TableBuiltins, ClearingByConditionDeletesNeighboursAndRestoresPainting) {
  Fill({{"a", "1", ""}, {"b", "5", ""}, {"c", "7", ""}, {"d", "2", ""}, {"e", "9", ""}});
  t1->View().SetUpdating(false);
  ASSERT_EQ(Err("CLEARTABLECOND(T1, CURCELL(T1, 2) > 4)"), 0);
  EXPECT_EQ(std::pair(Column(0), t1->View().Updating()), std::pair(std::string("a,d"), false));

  // An error stops the walk (here at g, a division by 0); what was deleted
  // stays deleted, and painting stays suspended as it was.
  Fill({{"f", "8", ""}, {"g", "3", ""}, {"h", "1", ""}});
  t1->View().SetUpdating(true);
  EXPECT_EQ(Err("CLEARTABLECOND(T1, 1 / (CURCELL(T1, 2) - 3) < 0.5)"), 1);
  EXPECT_EQ(std::tuple(Column(0), CurrentRow(), t1->View().Updating()), std::tuple("g,h", 1.0L, true));
}

TEST_F(TableBuiltins, SearchesByColumnValues) {
  Fill({{"Гвоздь", "2", "1.02.2003"}, {"Шуруп", "1", "1.02.2003"}, {"Шуруп", "2", "3.04.2005"}});
  SetCurrentRow(1);
  EXPECT_EQ(Num("FINDFASTROW(T1, 1, 2, '=', 'Шуруп', 2)"), 3);
  EXPECT_EQ(CurrentRow(), 3);
  EXPECT_EQ(Num("FINDFASTROW(T1, 3, '=', DATE(1, 2, 2003))"), 1);
  EXPECT_EQ(Num("FINDFASTROW(T1, 1, '=', 'шуруп')"), -1) << "texts with case";
  EXPECT_EQ(Num("FINDFASTROW(T1, 2, '=', 1.0000000001)"), 2);
  EXPECT_EQ(Num("FINDFASTROW(T1, 1, 2, '=', 'Гвоздь', 1)"), -1);
  EXPECT_EQ(CurrentRow(), 2) << "no match leaves CURRENTROW";
  EXPECT_EQ(Err("FINDFASTROW(T1, 2, '=', '2')"), 26);

  // The calls that are wrong, in the order they are checked.
  // No columns, two columns for one value, and more columns than a search
  // takes (a wrong call, not an overflow) are all wrong calls.
  ExpectErrs({{"FINDFASTROW(T1, 1, '=')", 30}, {"FINDFASTROW(N1, 1, '=', 'a')", 22},
      {"FINDFASTROW(T1, '=', 'a', 'b')", 31}, {"FINDFASTROW(T1, 1, 2, '=', 'A')", 31},
      {"FINDFASTROW(T1, 1, '==', 'A')", 31}, {"FINDFASTROW(T1, 1, '=', 'A', 'B')", 31},
      {"FINDFASTROW(T1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, '=', "
       "'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a')", 31},
      {"FINDFASTROW(T1, 5, '=', 'a')", 23}});
}

TEST_F(TableBuiltins, SearchByTheKeyOfABaseRecord) {
  Fill({{"Гвоздь", "2", ""}, {"Шуруп", "1", ""}});
  TUBL& g = *rig.Doc.Bases.FindByAlias("G");
  SetCurrentRow(1);
  EXPECT_EQ(Num("FINDROWBYKEY(T1, G)"), -1) << "no current record";
  g.Table.Append();
  g.Table.SetValue(g.Table.FieldIndex("NAME"), {'C', Utf8ToCp1251("Шуруп"), 0, {}, {}});
  EXPECT_EQ(Num("FINDROWBYKEY(T1, G)"), 2);
  g.Table.SetValue(g.Table.FieldIndex("NAME"), {'C', "x", 0, {}, {}});
  EXPECT_EQ(Num("FINDROWBYKEY(T1, G)"), -1);
  EXPECT_EQ(CurrentRow(), 2) << "found, then left as it was";
  EXPECT_EQ(Err("FINDROWBYKEY(T2, G)"), 32);
}

TEST_F(TableBuiltins, SortedFindOrInsertByTheKeyColumns) {
  ExpectErrs({{"CHECKADDROWSORT(T1, 1)", 39}, {"CHECKADDROWSORT(N1, 1, 'a')", 16},
      {"CHECKADDROWSORT(T1, 'x', 'a')", 16}, {"CHECKADDROWSORT(T1, 0, 'a', 'b')", 39},
      {"CHECKADDROWSORT(T2, 0, 'a')", 39}});

  for (const char* name : {"Шуруп", "Болт", "Гвоздь"}) {
    EXPECT_EQ(Num("CHECKADDROWSORT(T1, 0, '" + std::string(name) + "')"), -1) << name;
    EXPECT_EQ(Eval("CURCELL(T1, 1)").Text(), name) << "CURRENTROW on the new row";
  }
  EXPECT_EQ(Column(0), "Болт,Гвоздь,Шуруп");
  EXPECT_EQ(Num("CHECKADDROWSORT(T1, 0, 'Гвоздь')"), 2);
  EXPECT_EQ(Num("CHECKADDROWSORT(T1, 1, 'ШУРУП')"), 3) << "without case";
  EXPECT_EQ(Num("CHECKADDROWSORT(T1, 0, 'ШУРУП')"), -1);
  EXPECT_EQ(t1->View().RowCount(), 4);
}

TEST_F(TableBuiltins, SortingByKeysAndByAColumn) {
  Fill({{"b", "2", ""}, {"c", "10", ""}, {"a", "3", ""}});
  ASSERT_EQ(Err("SORTTABLE(T1)"), 0);
  EXPECT_EQ(Column(0), "a,b,c");
  ASSERT_EQ(Err("SORTTABLEBYCOL(T1, 2, 1)"), 0);
  EXPECT_EQ(Column(1), "10,3,2") << "numbers by value, descending";
  ASSERT_EQ(Err("SORTTABLEBYCOL(T1, 2, 0)"), 0);
  EXPECT_EQ(Column(1), "2,3,10");
  EXPECT_EQ(Err("SORTTABLEBYCOL(T1, 0, 0)"), 23);
}

// The header texts with the document's parameters.
std::string MarkParams(const std::string& text, const TAutoList* params) {
  return params != nullptr ? text + "+" : text;
}

TEST_F(TableBuiltins, HeaderCaptionsAreReadAndChanged) {
  struct HeaderEvents : TDataViewObserver {
    int Changes = 0;
    void HeaderChanged() override { ++Changes; }
  } events;
  TFormPar& t3 = *rig.Doc.Forms.FindFormPar("T3");
  t3.View().SetObserver(&events);
  InstallParamExpander(MarkParams);
  EXPECT_EQ(Str("HEADNAME(T3, 1)"), "Товар+ Имя+");
  EXPECT_EQ(Str("HEADNAME(T3, 3)"), "Цена %N%+");
  EXPECT_EQ(Str("HEADNAME(T3, 9)"), "");
  ASSERT_EQ(Err("SETFORMHEADER(T3, 2, 2, 'Артикул')"), 0);
  InstallParamExpander(nullptr);
  EXPECT_EQ(Str("HEADNAME(T3, 2)"), "Товар Артикул");
  ASSERT_EQ(Err("SETFORMHEADER(T3, 2, 1, 'Изделие')"), 0) << "a cell over two columns";
  EXPECT_EQ(Str("HEADNAME(T3, 1)"), "Изделие Имя");
  ExpectErrs({{"SETFORMHEADER(T3, 2, 3, 'x')", 36}, {"SETFORMHEADER(T3, 4, 1, 'x')", 36},
      {"SETFORMHEADER(T3, 0, 1, 'x')", 36}});
  EXPECT_EQ(events.Changes, 2);
  t3.View().SetObserver(nullptr);
}

TEST_F(TableBuiltins, RecalculationRunsTheRowProgramForEveryRow) {
  ASSERT_NO_FATAL_FAILURE(Compile("RECALCTABLE(T1)\nN1 := T1CURRENTROW",
          "FORMCHANGE = T1\nSETCURCELL(T1, 2, T1CURRENTROW * 10)\nENDFORMCHANGE"));
  Fill({{"a", "", ""}, {"b", "", ""}, {"c", "", ""}});
  t1->View().SetRow(1);
  ASSERT_EQ(Run(), 0) << Cp1251ToUtf8(Interp().ErrorText());
  EXPECT_EQ(Column(1), "10.0000,20.0000,30.0000");
  EXPECT_EQ(Var("N1"), 2) << "CURRENTROW back on the view's current row";

  // A row program that fails stops the recalculation and the run.
  ASSERT_NO_FATAL_FAILURE(Compile("RECALCTABLE(T1)\nN1 := 5",
                                  "FORMCHANGE = T1\nN2 := N2 + 1\nSETCURCELL(T1, 1, 0)\nENDFORMCHANGE"));
  Fill({{"a", "", ""}, {"b", "", ""}});
  EXPECT_NE(Run(), 0);
  EXPECT_EQ(std::pair(Var("N2"), Var("N1")), std::pair(1.0L, 0.0L));
}

// A whole program: fills a table, searches it, and cleans it up.
TEST_F(TableBuiltins, AProgramKeepsATableOfGoods) {
  ASSERT_NO_FATAL_FAILURE(Compile("WHILE N1, 1, N1 + 1, N1 <= 5\nN2 := CHECKADDROWSORT(T1, 1, CHR(68 - MOD(N1, 3)))\n"
          "SETCURCELL(T1, 2, CURCELL(T1, 2) + N1)\nENDWHILE\n"
          "S1 := CURCELL(T1, 1)\n"
          "N1 := FINDROW(T1, CURCELL(T1, 2) > 6)\n"
          "CLEARTABLECOND(T1, CURCELL(T1, 2) < 5)\n"
          "N2 := ADDROW(T1)\nSETCURCELL(T1, 1, 'E')\nSORTTABLEBYCOL(T1, 1, 1)"));
  ASSERT_EQ(Run(), 0) << Cp1251ToUtf8(Interp().ErrorText());
  // Keys C, B, D, C, B: B = 2 + 5, C = 1 + 4, D = 3.
  EXPECT_EQ(std::tuple(Column(0), Eval("S1").Text(), Var("N1")), std::tuple("E,C,B", "B", 1.0L));
}

}  // namespace
}  // namespace vm::test
