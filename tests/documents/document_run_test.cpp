// Loadings, view cells and questions of compiled documents at run time,
// with the user played by the scripted host.
#include <gtest/gtest.h>

#include "documents/doc_rig.h"
#include "foundation/values/value_text.h"
#include "language/expr_compiler.h"
#include "language/interpreter.h"

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
  // Filtered, then sorted by the key column.
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(t1.CellValue(2, 1).Num, 3);
  EXPECT_EQ(t1.CellValue(3, 2).Date.Month, 2);
  // FORMCHANGE ran once per row, numbered from 1.
  EXPECT_EQ(rig.Var("N").Value.Num, 3);
  EXPECT_EQ(t1.View().GetColLayout(3)->BoundField, 2);
  EXPECT_EQ(t1.View().GetColLayout(0)->Expr, nullptr);
  EXPECT_EQ(rig.G().Table.ViewFilter, nullptr);

  // Again: replaced, not doubled.
  l1.Run();
  EXPECT_EQ(rig.Names().size(), 2u);
  // Appended without a filter and left in the database's order.
  rig.Doc.Loadings.FindByName("L2")->Run();
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"b", "c", "c", "a", "b"}));
  EXPECT_EQ(t1.CellValue(2, 3).Num, 0);  // L2 gives column 2 no value

  // Moved rows leave the database.
  rig.Doc.Loadings.FindByName("L3")->Run();
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"b"}));
  EXPECT_EQ(rig.G().Table.Count(), 2);
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
  EXPECT_EQ(rig.Var("N").Value.Num, 0);
  // The rows that evaluated are in the table all the same.
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(rig.T1().CellValue(2, 2).Num, 2);
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
  THeadlessControls controls;
  int recalcs = 0;
  rig.Doc.Events.Recalc = [&] { ++recalcs; };
  TViews& views = rig.Doc.Views;
  views.CreateControls(controls, rig.Doc.Events);
  auto cell = [&](int i) { return static_cast<THeadlessCell*>(views.GetItem(i)->Control()); };
  EXPECT_TRUE(cell(0)->Input() && cell(0)->Bold());
  EXPECT_FALSE(cell(6)->Input());
  EXPECT_EQ(cell(1)->MaxLength(), 15);
  EXPECT_EQ(cell(2)->MaxLength(), 10);
  EXPECT_EQ(cell(0)->MaxLength(), 10);

  rig.Var("A").Value.Num = 1;
  rig.Var("S").Value.Str = "hi";
  views.Refresh();
  EXPECT_EQ(cell(0)->Text(), "1.00");
  EXPECT_EQ(cell(1)->Text(), "hi");
  EXPECT_EQ(cell(4)->Text(), "3.0000");  // no width: four decimals
  EXPECT_EQ(cell(6)->Text(), "hi!");
  EXPECT_FALSE(cell(5)->Visible());  // exactly 0
  rig.Var("A").Value.Num = 1.0000000001L;
  views.Refresh();
  EXPECT_TRUE(cell(5)->Visible());  // not 0, though within the tolerance
  rig.Var("A").Value.Num = 0;
  views.Refresh();
  TCommonVar empty;
  empty.Kind = 'N';
  ClearValue(empty);
  EXPECT_EQ(cell(5)->Text(), ValueToText(empty, 0, 0));  // division by 0: the empty number

  // The user types and leaves each edit.
  cell(0)->Type("5");
  cell(0)->Leave();
  EXPECT_EQ(rig.Var("A").Value.Num, 5);
  EXPECT_EQ(cell(0)->Text(), "5.00");
  cell(1)->Type("a long text that does not fit");
  cell(1)->Leave();
  EXPECT_EQ(rig.Var("S").Value.Str, "a long text tha");  // 15 characters
  cell(2)->Type("1/2/03");
  cell(2)->Leave();
  EXPECT_EQ(rig.Var("D").Value.Kind, 'D');
  EXPECT_EQ(rig.Var("D").Value.Date.Year, 2003);
  EXPECT_EQ(cell(2)->Text(), "1.02.2003");
  cell(3)->Type("10:20:30");
  cell(3)->Leave();
  EXPECT_EQ(rig.Var("TM").Value.Time.Minute, 20);
  cell(4)->Type("7");
  cell(4)->Leave();
  EXPECT_EQ(rig.Doc.AutoParams.Find("P")->GetValue().Num, 7);
  EXPECT_EQ(recalcs, 5);
  // A designer's test run stores nothing but still recalculates.
  rig.Ui.DesignerTest = true;
  cell(4)->Type("9");
  cell(4)->Leave();
  EXPECT_EQ(rig.Doc.AutoParams.Find("P")->GetValue().Num, 7);
  EXPECT_EQ(recalcs, 6);
}

TEST(DocumentRun, StatusLineShowsItsValue) {
  RunRig rig;
  ASSERT_TRUE(rig.Build("INFORMSTRING\n[A * 2]\nENDSECTION\n"));
  rig.Var("A").Value.Num = 2.5;
  EXPECT_EQ(rig.Doc.StatusLine.Text(), "5.0000");
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
  EXPECT_EQ(asked.Caption, "Ask x");
  EXPECT_TRUE(asked.CancelVisible);
  ASSERT_EQ(asked.Inputs.size(), 2u);
  EXPECT_EQ(asked.Inputs[0].Label, "Sum");
  EXPECT_EQ(asked.Inputs[0].Kind, 'N');
  EXPECT_EQ(asked.Inputs[0].Text, "1.00");
  EXPECT_EQ(asked.Inputs[0].Length, 10);
  EXPECT_EQ(asked.Inputs[1].Length, 15);
  EXPECT_EQ(asked.Inputs[1].Text, "x");
  EXPECT_EQ(rig.Ui.RefusedAnswers, 1);
  EXPECT_EQ(rig.Var("A").Value.Num, 12.5);
  EXPECT_EQ(rig.Var("S").Value.Str, "abc");
  EXPECT_EQ(errorCode.Value.Num, 0);

  // Cancelled: ERRORCODE 1 and nothing changes.
  rig.Ui.QuestionAnswers = {{false, {}}};
  rig.RunInit();
  EXPECT_EQ(rig.Var("A").Value.Num, 12.5);
  EXPECT_EQ(rig.Var("S").Value.Str, "abc");
  EXPECT_EQ(errorCode.Value.Num, 1);
  // An empty text is no answer either.
  rig.Ui.QuestionAnswers = {{true, {"1", " "}}};
  rig.RunInit();
  EXPECT_EQ(errorCode.Value.Num, 1);
  EXPECT_EQ(rig.Var("A").Value.Num, 12.5);
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
  EXPECT_EQ(shown.Caption, "Pick");
  EXPECT_EQ(shown.Titles, (std::vector<std::string>{"Name", "Qty"}));
  // Filtered and sorted by quantity as numbers.
  EXPECT_EQ(shown.Rows, (std::vector<std::vector<std::string>>{{"b", "3"}, {"c", "12"}}));
  EXPECT_TRUE(shown.NewVisible && shown.CancelVisible);
  EXPECT_GE(shown.GridWidth, 250);
  EXPECT_EQ(shown.VisibleRows, 2);
  EXPECT_EQ(r.Value.Num, 1);  // "c" is the first row of G
  EXPECT_EQ(rig.G().Table.CurrentIndex(), 0);

  rig.Ui.BaseAnswers = {{BaseQuestionEnd::Cancelled, -1}};
  bq.Run();
  EXPECT_EQ(r.Value.Num, -2);

  // "Новая запись": a refused and then a given record.
  rig.Ui.BaseAnswers = {{BaseQuestionEnd::NewRecord, -1}, {BaseQuestionEnd::NewRecord, -1}};
  rig.Ui.QuestionAnswers = {{false, {}}, {true, {"zz", "4"}}};
  bq.Run();
  EXPECT_EQ(rig.G().Table.Count(), 4);
  EXPECT_EQ(r.Value.Num, 4);
  TCommonVar v;
  rig.G().Table.GetValue(rig.G().FieldIndex("NAME"), v);
  EXPECT_EQ(v.Str, "zz");
  rig.G().Table.GetValue(rig.G().FieldIndex("QTY"), v);
  EXPECT_EQ(v.Num, 4);
  EXPECT_EQ(rig.Ui.Questions.back().Caption, "Pick");
  EXPECT_TRUE(rig.Ui.Questions.back().CancelVisible);

  // Nothing to choose and no new records: -1 without a dialog.
  const std::size_t dialogs = rig.Ui.BaseQuestions.size();
  rig.Doc.BaseQuestions.FindByName("BQ2")->Run();
  EXPECT_EQ(r.Value.Num, -1);
  EXPECT_EQ(rig.Ui.BaseQuestions.size(), dialogs);
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
  EXPECT_EQ(rig.Var("R").Value.Num, 1);
  EXPECT_EQ(rig.Var("N").Value.Num, 0);
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(rig.Ui.Boxes[0].Text).find("Деление на 0"), std::string::npos);
}

}  // namespace
}  // namespace vm::test
