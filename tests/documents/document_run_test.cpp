// Loadings, view cells and questions of compiled documents at run time,
// with the user played by the scripted host.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "documents/doc_rig.h"
#include "documents/document_window.h"
#include "foundation/values/value_text.h"
#include "language/expr_compiler.h"
#include "language/interpreter.h"
#include "models/table_render.h"

namespace vm::test {
namespace {

struct RunRig : DocRig {
  RunRig() { AddParam("P", 'N', "3"); }
  bool Build(std::string_view lines) {
    EXPECT_TRUE(Opened);
    const int code = Compile(WithTable(lines));
    EXPECT_EQ(code, 0) << Message;
    return code == 0;
  }
  TUBL& G() { return *Doc.Bases.FindByAlias("G"); }
  TFormPar& T1() { return *Doc.Forms.FindFormPar("T1"); }
  TVariable& Var(std::string_view name) { return *Doc.Context.Symbols().FindVariable(name); }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int row = 1; row <= T1().RowCount(); ++row) names.push_back(T1().CellValue(1, row).Str);
    return names;
  }
  void RunInit() {
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    Interp().ExecProgram(Doc.Programs.Init);
  }
  // The view cells' controls, made without a screen; the document's
  // recalculations are counted.
  TViews& MakeViews() {
    Doc.Events.Recalc = [this] { ++Recalcs; };
    Doc.Views.CreateControls(Controls, Doc.Events);
    return Doc.Views;
  }
  THeadlessCell* Cell(int i) { return static_cast<THeadlessCell*>(Doc.Views.GetItem(i)->Control()); }
  THeadlessControls Controls;
  int Recalcs = 0;
};

const char* const kLoadings =
    "FORMCHANGE = T1\nN := N + T1CURRENTROW\nENDFORMCHANGE\n"
    "LOADINGS\n"
    "L1 = FORM:T1, BASE:G, VALUES:[2:G.QTY, 1:G.NAME, 3:G.SOLD], FILTER:[G.QTY > 1]\n"
    "L2 = FORM:T1, BASE:G, VALUES:[1:G.NAME], CLEAR:0, SORT:0\n"
    "L3 = FORM:T1, BASE:G, VALUES:[1:G.NAME, 2:G.QTY], FILTER:[G.QTY = 3], DELETE:1\n"
    "ENDSECTION\n";

TEST(DocumentRun, LoadingsFillTablesInOrderWithTheirFilters) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(kLoadings));
  rig.AddGoods({{"c", 5}, {"a", 1}, {"b", 3}});
  TFormPar& t1 = rig.T1();
  t1.View().GetColLayout(3)->BoundField = 2;  // the hidden column keeps its own source

  TLoad& l1 = *rig.Doc.Loadings.FindByName("L1");
  TLoadOutcome out = l1.Run();
  EXPECT_EQ(out.Code + out.EvalError, 0);
  // Filtered, then sorted by the key column; FORMCHANGE ran once per row,
  // numbered from 1.
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(std::tuple(t1.CellValue(2, 1).Num, t1.CellValue(3, 2).Date.Month, rig.Var("N").Value.Num,
                       t1.View().GetColLayout(3)->BoundField, t1.View().GetColLayout(0)->Expr == nullptr,
                       rig.G().Table.ViewFilter == nullptr),
            std::tuple(3.0L, 2, 3.0L, 2, true, true));

  // Again: replaced, not doubled.
  l1.Run();
  EXPECT_EQ(rig.Names().size(), 2u);
  // Appended without a filter and left in the database's order.
  rig.Doc.Loadings.FindByName("L2")->Run();
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"b", "c", "c", "a", "b"}));
  EXPECT_EQ(t1.CellValue(2, 3).Num, 0);  // L2 gives column 2 no value

  // Moved rows leave the database.
  rig.Doc.Loadings.FindByName("L3")->Run();
  EXPECT_EQ(std::pair(rig.Names(), rig.G().Table.Count()), std::pair(std::vector<std::string>{"b"}, 2));
}

TEST(DocumentRun, LoadingFromAMissingDatabaseStopsWithItsMessage) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(std::string(kLoadings) + "INIT\nEXECLOAD L1\nN := 100\nENDSECTION\n"));
  rig.AddGoods({{"c", 5}});
  rig.Doc.Loadings.FindByName("L2")->Run();
  ASSERT_EQ(rig.Names().size(), 1u);
  rig.Bases.FindByAlias("GOODS")->Table.Close();
  rig.Ui.Boxes.clear();
  rig.RunInit();
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(rig.Ui.Boxes[0].Text).find("Нет доступа к базе goods.dbf"), std::string::npos)
      << Cp1251ToUtf8(rig.Ui.Boxes[0].Text);
  // Nothing filled, nothing after it ran.
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"c"}));
  EXPECT_NE(rig.Var("N").Value.Num, 100);
}

TEST(DocumentRun, LoadingThatFailsToEvaluateStopsTheRun) {
  RunRig rig;
  ASSERT_TRUE(rig.Build("LOADINGS\nL = FORM:T1, BASE:G, VALUES:[2:10 / G.QTY, 1:G.NAME]\nENDSECTION\n"
                        "INIT\nEXECLOAD L\nN := 1\nENDSECTION\n"));
  rig.AddGoods({{"a", 0}, {"b", 5}});
  rig.Ui.Boxes.clear();
  rig.RunInit();
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(rig.Ui.Boxes[0].Text).find("Деление на 0"), std::string::npos);
  // The rows that evaluated are in the table all the same.
  EXPECT_EQ(std::tuple(rig.Var("N").Value.Num, rig.Names(), rig.T1().CellValue(2, 2).Num),
            std::tuple(0.0L, std::vector<std::string>{"a", "b"}, 2.0L));
}

// A column's format may hang on a column the loading fills after it; the
// cell's kind is chosen from the whole row, so a date is no fixed text's
// long date read again as a date. A fixed-text cell keeps that long date,
// and shows it as a date once a quantity typed in its row asks for one.
TEST(DocumentRun, LoadedCellsTakeTheFormatTheirWholeRowChooses) {
  RunRig rig;
  rig.Blanks.Add("SALESB")->SetText(
      "COLCOUNT=2\nLEVELCOUNT=1\nFORMAT[1]=V[[NUMCOL(2) = 0, E,'TOTAL',0], [1, D,1]]\nFORMAT[2]=N,5,0\n"
      "COLWIDTH[1..2]=100\n");
  ASSERT_EQ(rig.Compile("BLANK\nWIDTH = 500\nENDSECTION\nUSEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
                        "FORMS\nT2 = FORM:SALESB, X1:0, Y1:0, Y2:100, KEYCOL:[2]\nENDSECTION\n"
                        "LOADINGS\nL = FORM:T2, BASE:G, VALUES:[1:G.SOLD, 2:G.QTY], SORT:0\nENDSECTION\n"),
            0)
      << rig.Message;
  rig.AddGoods({{"a", 5}, {"b", 0}, {"c", 2}});
  const TLoadOutcome out = rig.Doc.Loadings.FindByName("L")->Run();
  TDataView& view = rig.Doc.Forms.FindFormPar("T2")->View();
  ASSERT_EQ(std::tuple(out.Code, out.EvalError, view.RowCount()), std::tuple(0, 0, 3));
  std::vector<std::string> shown;
  for (int32_t row = 0; row < 3; ++row)
    for (int32_t col = 0; col < 2; ++col)
      shown.push_back(CellDisplayText(view.CellText(col + 1, row), *view.CellFormat(col, row)));
  const std::string date = "1 февраля 2026г."_w;
  EXPECT_EQ(shown, (std::vector<std::string>{date, "5", "TOTAL", "0", date, "2"}));

  EXPECT_EQ(view.GetCellText(0, 1), "1 февраля 2026 г."_w);
  view.SetCellText(1, 1, "3");
  EXPECT_EQ(std::tuple(CellDisplayText(view.CellText(1, 1), *view.CellFormat(0, 1)), view.GetCellValue(0, 1).Date),
            std::tuple(date, TDateRec{1, 2, 2026}));
}

TEST(DocumentRun, ViewCellsShowAndTakeValuesOfEveryKind) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(
      "VIEWS\n"
      "[A]:10:2 = X:0, Y:0, E:1, B:1\n"
      "[S] = X:0, Y:1, E:1\n"
      "[D] = X:0, Y:2, E:1\n"
      "[TM] = X:0, Y:3, E:1\n"
      "[%P%] = X:0, Y:4, E:1\n"
      "[10 / A] = X:0, Y:5, V:[A - 1]\n"
      "[S + '!'] = X:0, Y:6\n"
      "ENDSECTION\n"));
  TViews& views = rig.MakeViews();
  auto cell = [&](int i) { return rig.Cell(i); };
  const int& recalcs = rig.Recalcs;
  EXPECT_TRUE(cell(0)->Input() && cell(0)->Bold() && !cell(6)->Input());
  EXPECT_EQ(std::tuple(cell(0)->MaxLength(), cell(1)->MaxLength(), cell(2)->MaxLength()), std::tuple(10, 15, 10));

  rig.Var("A").Value.Num = 1;
  rig.Var("S").Value.Str = "hi";
  views.Refresh();
  // A parameter without width shows four decimals; 10 / A is hidden at
  // A - 1 exactly 0.
  EXPECT_EQ(std::tuple(cell(0)->Text(), cell(1)->Text(), cell(4)->Text(), cell(6)->Text(), cell(5)->Visible()),
            std::tuple("1.00", "hi", "3.0000", "hi!", false));
  rig.Var("A").Value.Num = 1.0000000001L;
  views.Refresh();
  EXPECT_TRUE(cell(5)->Visible());  // not 0, though within the tolerance
  rig.Var("A").Value.Num = 0;
  views.Refresh();
  TCommonVar empty;
  empty.Kind = 'N';
  ClearValue(empty);
  EXPECT_EQ(cell(5)->Text(), ValueToText(empty, 0, 0));  // division by 0: the empty number

  // The user types and leaves each edit; the text keeps 15 characters.
  const char* typed[] = {"5", "a long text that does not fit", "1/2/03", "10:20:30", "7"};
  for (int i = 0; i < 5; ++i) {
    cell(i)->Type(typed[i]);
    cell(i)->Leave();
  }
  EXPECT_EQ(std::tuple(rig.Var("A").Value.Num, cell(0)->Text(), rig.Var("S").Value.Str, rig.Var("D").Value.Kind,
                       rig.Var("D").Value.Date.Year, cell(2)->Text(), rig.Var("TM").Value.Time.Minute,
                       rig.Doc.AutoParams.Find("P")->GetValue().Num, recalcs),
            std::tuple(5.0L, "5.00", "a long text tha", 'D', 2003, "1.02.2003", 20, 7.0L, 5));
  // A designer's test run stores nothing but still recalculates.
  rig.Ui.DesignerTest = true;
  cell(4)->Type("9");
  cell(4)->Leave();
  EXPECT_EQ(std::pair(rig.Doc.AutoParams.Find("P")->GetValue().Num, recalcs), std::pair(7.0L, 6));
}

// A text that is no value of the cell's kind used to be stored as 0 (or
// a date that is none), and OK committed it.
TEST(DocumentRun, ViewCellsRefuseTextsThatAreNoValueOfTheirKindAndOkWaitsForThem) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(
      "VIEWS\n"
      "[A]:4:0 = X:0, Y:0, E:1\n"
      "[D] = X:0, Y:1, E:1\n"
      "[S] = X:0, Y:2, E:1\n"
      "[R]:10:2 = X:0, Y:3, E:1\n"
      "[TM] = X:0, Y:4, E:1\n"
      "ENDSECTION\n"));
  TViews& views = rig.MakeViews();
  auto cell = [&](int i) { return rig.Cell(i); };
  const int& recalcs = rig.Recalcs;
  rig.Var("A").Value.Num = 12345;  // wider than the cell
  rig.Var("R").Value.Num = 7;
  rig.Var("TM").Value.Time = {10, 20, 30};
  views.Refresh();
  TDocumentWindowLogic window(rig.Doc, "Документ"_w);
  const int32_t year = rig.Var("D").Value.Date.Year;

  // A time without digits used to be taken as midnight.
  const char* refused[] = {"abc", "1.1.1850", "", "123456789", "soon", ""};
  const int cells[] = {0, 1, 0, 3, 4, 4};
  for (int i = 0; i < 6; ++i) {
    rig.Ui.Boxes.clear();
    cell(cells[i])->Type(refused[i]);
    cell(cells[i])->Leave();
    ASSERT_EQ(rig.Ui.Boxes.size(), 1u) << refused[i];
    EXPECT_EQ(std::tuple(rig.Ui.Boxes[0].Text, rig.Ui.Boxes[0].Flags, cell(cells[i])->Text(), views.HoldsRefused()),
              std::tuple("Введены неправильные данные"_w, kMbError, std::string(refused[i]), true));
    window.OkButClick(true);
    EXPECT_FALSE(window.MayClose()) << refused[i];
    views.Refresh();
  }
  EXPECT_EQ(std::tuple(rig.Var("A").Value.Num, rig.Var("D").Value.Date.Year, rig.Var("R").Value.Num,
                       rig.Var("TM").Value.Time.Minute, recalcs),
            std::tuple(12345.0L, year, 7.0L, 20, 0));
  EXPECT_FALSE(views.HoldsRefused());

  // A number as users type it; a blank text; a value left as it was
  // shown, though wider than its cell.
  rig.Ui.Boxes.clear();
  cell(3)->Type(" 1 234,5 ");
  cell(3)->Leave();
  cell(2)->Type("  ");
  cell(2)->Leave();
  cell(0)->Leave();
  EXPECT_EQ(std::tuple(rig.Ui.Boxes.size(), rig.Var("R").Value.Num, cell(3)->Text(), rig.Var("S").Value.Str,
                       rig.Var("A").Value.Num, recalcs),
            std::tuple(0u, 1234.5L, "1234.50", "", 12345.0L, 3));
  // More decimals than the cell shows are rounded away, as a question's
  // field rounds them when it is left; so are those of a whole number.
  cell(3)->Type("3,456");
  cell(3)->Leave();
  cell(0)->Type("12,7");
  cell(0)->Leave();
  EXPECT_EQ(std::tuple(rig.Ui.Boxes.size(), rig.Var("R").Value.Num, cell(3)->Text(), rig.Var("A").Value.Num,
                       cell(0)->Text()),
            std::tuple(0u, 3.46L, "3.46", 13.0L, "13"));
  window.OkButClick(true);
  EXPECT_TRUE(window.MayClose());
}

const char* const kQuestions =
    "QUESTIONS\nQ1 = TITLE:'Ask ' + S, INPUT:[['Sum', A, 10, 2], ['Name', S, 0, 0]], CANCEL:1\nENDSECTION\n"
    "INIT\nEXECQUESTION Q1\nENDSECTION\n";

TEST(DocumentRun, CaptionOfATitleThatGivesNoText) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(""));
  TExprChain title;
  ASSERT_EQ(CompileExpr("A + 1", rig.Doc.Context, title).ErrCode, 0);
  EXPECT_EQ(QuestionCaption(title), "Ошибка при вычислении"_w);
  ASSERT_EQ(CompileExpr("'T' + S", rig.Doc.Context, title).ErrCode, 0);
  EXPECT_EQ(QuestionCaption(title), "T");
}

TEST(DocumentRun, QuestionsPutAnswersIntoVariables) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(kQuestions));
  TVariable& errorCode = *rig.Doc.Predefined.ErrorCode;
  rig.Var("A").Value.Num = 1;
  rig.Var("S").Value.Str = "x";
  // A number that does not fit is refused; the next OK is taken.
  rig.Ui.QuestionAnswers = {{true, {"123456789012", "abc"}}, {true, {"12.5", "abc"}}};
  rig.RunInit();
  ASSERT_EQ(rig.Ui.Questions.size(), 1u);
  const QuestionRequest& asked = rig.Ui.Questions[0];
  ASSERT_EQ(asked.Inputs.size(), 2u);
  EXPECT_EQ(std::tuple(asked.Caption, asked.CancelVisible, asked.Inputs[0].Label, asked.Inputs[0].Kind,
                       asked.Inputs[0].Text, asked.Inputs[0].Length, asked.Inputs[1].Length, asked.Inputs[1].Text),
            std::tuple("Ask x", true, "Sum", 'N', "1.00", 10, 15, "x"));
  auto state = [&] { return std::tuple(rig.Var("A").Value.Num, rig.Var("S").Value.Str, errorCode.Value.Num); };
  EXPECT_EQ(rig.Ui.RefusedAnswers, 1);
  EXPECT_EQ(state(), std::tuple(12.5L, "abc", 0.0L));

  // Cancelled, or an empty text, which is no answer either: ERRORCODE 1
  // and nothing changes.
  for (const std::vector<std::string>& texts : {std::vector<std::string>{}, std::vector<std::string>{"1", " "}}) {
    rig.Ui.QuestionAnswers = {{!texts.empty(), texts}};
    rig.RunInit();
    EXPECT_EQ(state(), std::tuple(12.5L, "abc", 1.0L)) << texts.size();
  }
}

const char* const kBaseQuestions =
    "BASEQUESTIONS\n"
    "BQ = TITLE:'Pick', BASE:G, FIELDS:[['Name', G.NAME], ['Qty', TOSTR(G.QTY, 0)]], VAR:R,"
    " FILTER:[G.QTY > 1], NEW:[['Name', NAME], ['Qty', QTY]], SORT:[2], CANCEL:1\n"
    "BQ2 = TITLE:'x', BASE:G, FIELDS:[['N', G.NAME]], VAR:R, FILTER:[G.QTY > 100]\n"
    "ENDSECTION\n";

TEST(DocumentRun, BaseQuestionsChooseOrAddRecords) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(kBaseQuestions));
  rig.AddGoods({{"c", 12}, {"a", 1}, {"b", 3}});
  TBaseQuestion& bq = *rig.Doc.BaseQuestions.FindByName("BQ");
  TVariable& r = rig.Var("R");

  rig.Ui.BaseAnswers = {{BaseQuestionEnd::Chosen, 1}};
  bq.Run();
  ASSERT_EQ(rig.Ui.BaseQuestions.size(), 1u);
  const BaseQuestionRequest& shown = rig.Ui.BaseQuestions[0];
  // Filtered and sorted by quantity as numbers; "c" is the first row of G.
  EXPECT_EQ(std::tuple(shown.Caption, shown.Titles, shown.Rows, shown.NewVisible && shown.CancelVisible,
                       shown.VisibleRows, r.Value.Num, rig.G().Table.CurrentIndex()),
            std::tuple("Pick", std::vector<std::string>{"Name", "Qty"},
                       std::vector<std::vector<std::string>>{{"b", "3"}, {"c", "12"}}, true, 2, 1.0L, 0));
  EXPECT_GE(shown.GridWidth, 250);

  rig.Ui.BaseAnswers = {{BaseQuestionEnd::Cancelled, -1}};
  bq.Run();
  EXPECT_EQ(r.Value.Num, -2);

  // "Новая запись": a refused and then a given record.
  rig.Ui.BaseAnswers = {{BaseQuestionEnd::NewRecord, -1}, {BaseQuestionEnd::NewRecord, -1}};
  rig.Ui.QuestionAnswers = {{false, {}}, {true, {"zz", "4"}}};
  bq.Run();
  TCommonVar name, qty;
  rig.G().Table.GetValue(rig.G().FieldIndex("NAME"), name);
  rig.G().Table.GetValue(rig.G().FieldIndex("QTY"), qty);
  EXPECT_EQ(std::tuple(rig.G().Table.Count(), r.Value.Num, name.Str, qty.Num, rig.Ui.Questions.back().Caption,
                       rig.Ui.Questions.back().CancelVisible),
            std::tuple(4, 4.0L, "zz", 4.0L, "Pick", true));

  // Nothing to choose and no new records: -1 without a dialog.
  const std::size_t dialogs = rig.Ui.BaseQuestions.size();
  rig.Doc.BaseQuestions.FindByName("BQ2")->Run();
  EXPECT_EQ(std::pair(r.Value.Num, rig.Ui.BaseQuestions.size()), std::pair(-1.0L, dialogs));
}

// A column of numbers and texts sorts into one order whatever order the
// records stand in: the numbers by value, then the texts.
TEST(DocumentRun, BaseQuestionsSortNumbersAndTextsIntoOneOrder) {
  std::vector<std::string> names = {"10", "1a", "9", "2.5", "b"};
  std::sort(names.begin(), names.end());
  do {
    RunRig rig;
    ASSERT_TRUE(rig.Build("BASEQUESTIONS\nBQ = TITLE:'t', BASE:G, FIELDS:[['N', G.NAME]], VAR:R, SORT:[1]\n"
                          "ENDSECTION\n"));
    for (const std::string& name : names) rig.AddGoods({{name.c_str(), 1}});
    rig.Ui.BaseAnswers = {{BaseQuestionEnd::Cancelled, -1}};
    rig.Doc.BaseQuestions.FindByName("BQ")->Run();
    ASSERT_EQ(rig.Ui.BaseQuestions.size(), 1u);
    EXPECT_EQ(rig.Ui.BaseQuestions[0].Rows,
              (std::vector<std::vector<std::string>>{{"2.5"}, {"9"}, {"10"}, {"1a"}, {"b"}}));
  } while (std::next_permutation(names.begin(), names.end()));
}

TEST(DocumentRun, FailingListedFormulaEmptiesItsCellAndReportsOnce) {
  RunRig rig;
  ASSERT_TRUE(rig.Build(
      "BASEQUESTIONS\nBQ = TITLE:'t', BASE:G, FIELDS:[['Q', TOSTR(10 / G.QTY, 0)]], VAR:R, NEW:[['n', NAME]]\n"
      "ENDSECTION\nINIT\nEXECQUESTION BQ\nN := 1\nENDSECTION\n"));
  rig.AddGoods({{"a", 0}, {"b", 0}, {"c", 5}});
  rig.Ui.BaseAnswers = {{BaseQuestionEnd::Chosen, 0}};
  rig.RunInit();
  ASSERT_EQ(rig.Ui.BaseQuestions.size(), 1u);
  EXPECT_EQ(rig.Ui.BaseQuestions[0].Rows, (std::vector<std::vector<std::string>>{{""}, {""}, {"2"}}));
  // The dialog was shown all the same, then the run stopped with one error.
  EXPECT_EQ(std::pair(rig.Var("R").Value.Num, rig.Var("N").Value.Num), std::pair(1.0L, 0.0L));
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(rig.Ui.Boxes[0].Text).find("Деление на 0"), std::string::npos);
}

}  // namespace
}  // namespace vm::test
