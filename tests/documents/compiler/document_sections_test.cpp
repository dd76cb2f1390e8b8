// Loadings, view cells, the status line, checks, questions and base
// questions as the document compiler reads them.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "documents/compiler/compile_errors.h"
#include "documents/doc_rig.h"
#include "documents/line_errors.h"
#include "language/instructions.h"

namespace vm::test {
namespace {

// The lines under test follow the rig's fifteen; the first element line
// is line 17.
std::string Doc(std::string_view lines) { return DocRig::WithTable(lines); }
void ExpectErrors(std::initializer_list<ErrorCase> cases) { vm::test::ExpectErrors(cases, Doc("")); }

const char* const kWhole =
    "LOADINGS\n"
    "L1 = FORM:T1, BASE:G, VALUES:[3:G.SOLD, 1:g.name, 2:G.QTY], FILTER:[G.QTY > 1], SORT:0, DELETE:1, CLEAR:0\n"
    "L2 = FORM:t1, BASE:g, VALUES:[2:G.QTY, 9:G.NAME]\n"
    "ENDSECTION\n"
    "VIEWS\n"
    "[A]:10:2 = X:10, Y:20, F:60, B:1, E:1, V:[A], AUTOPAGE:1, C:T1\n"
    "['x' + S] = X:1, Y:2\n"
    "ENDSECTION\n"
    "INFODESK\n"
    "SIZE = X:300, Y:200\n"
    "[ %P% ] = X:5, Y:6, E:1\n"
    "[D]:1 = X:7, Y:8, B:0\n"
    "ENDSECTION\n"
    "INFORMSTRING\n"
    "[S + 'a']\n"
    "ENDSECTION\n"
    "CHECK\n"
    "COMMONCHECK = COND:[A > 0], MESSAGE:['bad'], EDIT:[1]\n"
    "T1 = COND:[A > 1], EDIT:[0, 2], MESSAGE:[A], ONBASE:G, DELETE:1, WARN:0, NOFIND:[A > 2, 'none']\n"
    "ENDSECTION\n"
    "QUESTIONS\n"
    "Q1 = TITLE:'Ask', INPUT:[['Sum', A, 10, 2], ['Name'#65, s, 0, 0]], CANCEL:1\n"
    "Q2 = TITLE:S, INPUT:[['d', D, 0, 0]]\n"
    "ENDSECTION\n"
    "BASEQUESTIONS\n"
    "BQ = TITLE:'Pick', BASE:G, FIELDS:[['Name', G.NAME], ['Qty', TOSTR(G.QTY, 0)]], VAR:R,"
    " FILTER:[G.QTY > 0], NEW:[['Name', NAME], ['Qty', qty]], SORT:[2, 1], CANCEL:1\n"
    "BQ2 = TITLE:'x', BASE:G, FIELDS:[['N', G.NAME]], VAR:A\n"
    "ENDSECTION\n"
    "INIT\nEXECLOAD L1\nEXECQUESTION Q1\nEXECQUESTION BQ\nENDSECTION\n";

TEST(DocumentSections, WholeDescriptionCompilesEverySection) {
  DocRig rig;
  ASSERT_TRUE(rig.Opened);
  rig.AddParam("P", 'N', "3");
  ASSERT_EQ(rig.Compile(Doc(kWhole)), 0) << rig.Message;
  TCompiledDocument& doc = rig.Doc;
  TFormPar& t1 = *doc.Forms.FindFormPar("T1");
  TUBL& g = *doc.Bases.FindByAlias("G");

  ASSERT_EQ(doc.Loadings.Count(), 2);
  TLoad& l1 = *doc.Loadings.FindByName("l1");
  TLoad& l2 = *doc.Loadings.FindByName("L2");
  ASSERT_NE(l1.Filter, nullptr);
  ASSERT_EQ(l1.Values.size(), 4u);  // hidden column too
  EXPECT_EQ(std::tuple(l1.Form, l1.Source, l1.KeepOrder && l1.Move && l1.Append, l1.Filter->Text(), l1.Values[1].Kind,
                       l1.Values[3].Expr == nullptr),
            std::tuple(&t1, &g, true, "[G.QTY > 1]", 'N', true));
  // Assigned in the order VALUES names them: 3, 1, 2; the unnamed column
  // leads with -1 and is skipped.
  std::vector<std::pair<int32_t, int32_t>> order;
  for (const TKeyCol* k = l1.Order.get(); k; k = k->Next.get()) order.emplace_back(k->Number, k->ViewColumn);
  EXPECT_EQ(order, (std::vector<std::pair<int32_t, int32_t>>{{-1, 3}, {0, 2}, {1, 0}, {2, 1}}));
  // Column 9 is no column.
  EXPECT_EQ(std::tuple(l2.KeepOrder || l2.Move || l2.Append, l2.Filter == nullptr, l2.Values[0].Expr == nullptr,
                       l2.Values[1].Expr == nullptr),
            std::tuple(false, true, true, false));

  ASSERT_EQ(doc.Views.Count(), 2);
  const TViewCell& a = *doc.Views.GetItem(0);
  EXPECT_EQ(std::tuple(a.Format.Kind, a.Format.Width, a.Format.Decimals, a.X, a.Y, a.FontSize,
                       a.Bold && a.AutoPage && a.Input, a.Target, a.VisibleExpr.empty(), a.Form),
            std::tuple('N', 10, 2, 10, 20, 60, true, doc.Context.Symbols().FindVariable("A"), false, &t1));
  const TViewCell& x = *doc.Views.GetItem(1);
  EXPECT_EQ(std::tuple(x.Format.Kind, x.FontSize, x.Bold || x.Input || x.AutoPage, x.VisibleExpr.empty()),
            std::tuple('C', 50, false, true));

  EXPECT_EQ(std::pair(doc.InfViews.DesignWidth, doc.InfViews.DesignHeight), std::pair(300, 200));
  ASSERT_EQ(doc.InfViews.Count(), 2);
  EXPECT_NE(doc.InfViews.GetItem(0)->TargetParam, nullptr);
  EXPECT_EQ(std::pair(doc.InfViews.GetItem(1)->Format.Width, doc.InfViews.GetItem(1)->Format.Kind), std::pair(1, 'D'));
  doc.Context.Symbols().FindVariable("S")->Value.Str = "b";
  EXPECT_EQ(std::pair(doc.StatusLine.Defined, doc.StatusLine.Text()), std::pair(true, std::string("ba")));

  ASSERT_EQ(doc.Checks.Count(), 1);
  EXPECT_TRUE(doc.Checks.GetItem(0)->Columns.none());  // EDIT ignored
  ASSERT_NE(t1.Checks, nullptr);
  ASSERT_EQ(t1.Checks->Count(), 1);
  const TCheckRecord& c = *t1.Checks->GetItem(0);
  EXPECT_EQ(std::tuple(c.OnBase, c.DeleteRow, c.Warn, c.Columns.test(1), c.Columns.count(),
                       t1.View().GetColLayout(1)->Checked, c.NoFindCondition.empty() || c.NoFindMessage.empty()),
            std::tuple(&g, true, false, true, 1u, true, false));

  ASSERT_EQ(doc.Questions.Count(), 2);
  const TQuestion& q1 = *doc.Questions.FindByName("Q1");
  ASSERT_EQ(q1.Inputs.size(), 2u);
  EXPECT_EQ(std::tuple(q1.CancelAllowed, q1.ErrorCode, q1.Inputs[0].Label, q1.Inputs[0].Format.Width,
                       q1.Inputs[0].Format.Decimals, q1.Inputs[0].Format.Kind, q1.Inputs[1].Label,
                       q1.Inputs[1].Target, q1.Inputs[1].Format.Kind, doc.Questions.FindByName("Q2")->CancelAllowed),
            std::tuple(true, doc.Predefined.ErrorCode, "Sum", 10, 2, 'N', "NameA",
                       doc.Context.Symbols().FindVariable("S"), 'C', false));

  const TBaseQuestion& bq = *doc.BaseQuestions.FindByName("BQ");
  ASSERT_EQ(bq.Fields.size(), 2u);
  ASSERT_EQ(bq.NewInputs.size(), 2u);
  ASSERT_EQ(bq.SortCount, 2);
  EXPECT_EQ(std::tuple(bq.Base, bq.Result, bq.Fields[1].Title, bq.NewAllowed && bq.CancelAllowed,
                       bq.NewInputs[1].Field, bq.NewInputs[1].Format.Kind, bq.NewInputs[1].Format.Width,
                       bq.Sort->Number, bq.Sort->Next->Number, bq.Filter.Text()),
            std::tuple(&g, doc.Context.Symbols().FindVariable("R"), "Qty", true, g.FieldIndex("QTY"), 'N', 5, 1, 0,
                       "[G.QTY > 0]"));
  const TBaseQuestion& bq2 = *doc.BaseQuestions.FindByName("BQ2");
  EXPECT_EQ(std::tuple(bq2.NewAllowed || bq2.CancelAllowed, bq2.Filter.NoFilter()), std::tuple(false, true));

  // The program reaches them by name, and they share the name space.
  TInstruction* in = doc.Programs.Init;
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(std::tuple(in->Opcode, in->Loading, in->Next->Opcode, in->Next->Next->Opcode),
            std::tuple(kOpLoad, &l1, kOpQuestion, kOpBaseQuestion));
  EXPECT_TRUE(doc.IsNameInUse("bq2") && doc.IsNameInUse("L2"));

  // Clearing frees all of it.
  doc.Clear();
  EXPECT_EQ(doc.Loadings.Count() + doc.Views.Count() + doc.InfViews.Count() + doc.Checks.Count() +
                doc.Questions.Count() + doc.BaseQuestions.Count(),
            0);
  EXPECT_EQ(std::pair(doc.InfViews.DesignWidth, doc.StatusLine.Defined), std::pair(-1, false));
}

TEST(DocumentSections, LookUpPagesAndTemporaryDatabasesServeChecksAndLoadings) {
  DocRig rig;
  ASSERT_TRUE(rig.Opened);
  ASSERT_EQ(rig.Compile(Doc("SOFTBASES\nSB = STRUCTURE:[[CODE, N, 10, 0], [NAME, C, 30, 0]], KEY:[CODE]\nENDSECTION\n"
                            "USEDBASES\nH = NAME:GOODS, KEY:[SOLD]\nENDSECTION\n"
                            "HELPS\nH1 = FORM:GOODSB, BASE:H, KEYCOL:[3], FIELDS:[NAME, , SOLD], TITLE:'t'\nENDSECTION\n"
                            "FORMS\nT2 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[3], HELP:[NAME:H1, 1:NAME], HINT:['h']\n"
                            "ENDSECTION\n"
                            "CHECK\nT2 = COND:[A > 0], EDIT:[2], MESSAGE:['m']\nENDSECTION\n"
                            "LOADINGS\nL = FORM:T1, BASE:SB, VALUES:[1:SB.NAME, 2:SB.CODE]\nENDSECTION\n")),
            0)
      << rig.Message;
  TFormPar& t2 = *rig.Doc.Forms.FindFormPar("T2");
  ASSERT_NE(t2.Checks, nullptr);
  EXPECT_EQ(t2.Checks->GetItem(0)->OnBase, nullptr);
  EXPECT_EQ(rig.Doc.Loadings.FindByName("L")->Source, rig.Doc.Bases.FindByAlias("SB"));
}

TEST(DocumentSections, LoadingErrors) {
  ExpectErrors({
      {"LOADINGS\n1L = FORM:T1, BASE:G, VALUES:[1:G.NAME]", 90, 17},
      {"LOADINGS\nA = FORM:T1, BASE:G, VALUES:[1:G.NAME]", 5, 17},
      {"LOADINGS\nEXECLOAD = FORM:T1, BASE:G, VALUES:[1:G.NAME]", 52, 17},
      {"LOADINGS\nL = BASE:NOPE, VALUES:[1:G.NAME]", 17, 17},
      {"LOADINGS\nL = FORM:T9, BASE:G, VALUES:[1:G.NAME]", 62, 17},
      {"LOADINGS\nL = FORM:T1, VALUES:[1:G.NAME]", 91, 17},
      {"LOADINGS\nL = FORM:T1, BASE:H, VALUES:[1:G.NAME]", 26, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G", 60, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:1:G.NAME", 43, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[Z:G.NAME]", 256, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[FORM:G.NAME]", 257, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[G.NAME]", 257, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.QTY]", 59, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NOPE]", -1, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NAME], FILTER:QTY", -1, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NAME], FILTER:[MINVAL(G.QTY)]", -1, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NAME], SORT:x", 8, 17},
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NAME], KEY:[1]", 257, 17},
      // Tables and databases must be declared before.
      {"LOADINGS\nL = FORM:T1, BASE:G, VALUES:[1:G.NAME]\nENDSECTION\nFORMS\nL = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]",
       5, 20},
  });
}

TEST(DocumentSections, ViewAndStatusLineErrors) {
  ExpectErrors({
      {"VIEWS\nA = X:1, Y:1", 6, 17},
      {"VIEWS\n[A = X:1, Y:1", 257, 17},  // no name: a positional item
      {"VIEWS\n[(A]) = X:1, Y:1", 6, 17},
      {"VIEWS\n[ ] = X:1, Y:1", 9, 17},
      {"VIEWS\n[NOPE1] = X:1, Y:1", -1, 17},
      {"VIEWS\n[T1] = X:1, Y:1", 47, 17},
      {"VIEWS\n[A] = X:1, Y:1, V:A", 6, 17},
      {"VIEWS\n[A] = X:1, Y:1, V:[S]", 48, 17},
      {"VIEWS\n[A] = X:1", 7, 17},
      {"VIEWS\n[A] = Y:1", 7, 17},
      {"VIEWS\n[A] = X:1.5, Y:1", 8, 17},
      {"VIEWS\n[A] = X:1, Y:1, F:big", 8, 17},
      {"VIEWS\n[A] = X:1, Y:1, E:y", 8, 17},
      {"VIEWS\n[A+1] = X:1, Y:1, E:1", 10, 17},
      {"VIEWS\n[%NOPE%] = X:1, Y:1, E:1", -1, 17},
      {"VIEWS\n[%P% + 1] = X:1, Y:1, E:1", 10, 17},
      {"VIEWS\n[A] = X:1, Y:1, C:T9", 62, 17},
      {"VIEWS\n[A] = X:1, Y:1, H:1", 257, 17},
      {"INFODESK\n[A] = X:1, Y:1", 50, 17},
      {"INFODESK\nSIZE = X:10\n[A] = X:1, Y:1", 50, 17},
      {"INFODESK\nSIZE = X:10, Y:0\n[A] = X:1, Y:1", 50, 18},
      {"INFODESK\nSIZE = X:10, Y:a", 8, 17},
      {"INFODESK\nSIZE = X:10, Y:10, F:1", 257, 17},
      {"INFODESK\nSIZE = X:10, Y:10\n[A] = X:1, Y:1, C:T1", 257, 18},
      {"INFODESK\nSIZE = X:10, Y:10\n[A] = X:1, Y:1, AUTOPAGE:1", 257, 18},
      {"INFORMSTRING\nA", 58, 17},
      {"INFORMSTRING\n[A], [S]", 58, 17},
      {"INFORMSTRING\nX:[A]", 58, 17},
      {"INFORMSTRING\n[A]:10:2", 256, 17},
      {"INFORMSTRING\n(A)", 6, 17},
      {"INFORMSTRING\n[ ]", 9, 17},
      {"INFORMSTRING\n[A]\n[S]", 49, 18},
      {"INFORMSTRING\n[A]\nENDSECTION\nINFORMSTRING\n[S]", 49, 20},
      {"INFORMSTRING\n[NOPE1]", -1, 17},
  });
}

TEST(DocumentSections, CheckErrors) {
  ExpectErrors({
      {"CHECK\nCOMMONCHECK = COND:[A > 0]", 74, 17},
      {"CHECK\nCOMMONCHECK = MESSAGE:['m']", 65, 17},
      {"CHECK\nCOMMONCHECK = COND:A, MESSAGE:['m']", 6, 17},
      {"CHECK\nCOMMONCHECK = COND:[ ], MESSAGE:['m']", 65, 17},
      {"CHECK\nCOMMONCHECK = COND:[S], MESSAGE:['m']", 85, 17},
      {"CHECK\nCOMMONCHECK = COND:[A], MESSAGE:[]", 6, 17},
      {"CHECK\nCOMMONCHECK = COND:[A], MESSAGE:[NOPE1]", -1, 17},
      {"CHECK\nCOMMONCHECK = COND:[A], MESSAGE:['m'], HELP:1", 257, 17},
      {"CHECK\nT9 = COND:[A], EDIT:[1], MESSAGE:['m']", 62, 17},
      // T1 has no look-up page.
      {"CHECK\nT1 = COND:[A], EDIT:[2], MESSAGE:['m']", 67, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[2], MESSAGE:['m'], ONBASE:H", 26, 17},
      {"CHECK\nT1 = EDIT:[2], MESSAGE:['m'], ONBASE:G", 65, 17},
      {"CHECK\nT1 = COND:[A], MESSAGE:['m'], ONBASE:G", 86, 17},
      {"CHECK\nT1 = COND:[A], EDIT:2, MESSAGE:['m'], ONBASE:G", 20, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[4], MESSAGE:['m'], ONBASE:G", 22, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[-1], MESSAGE:['m'], ONBASE:G", 22, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[1], MESSAGE:['m'], ONBASE:G", 87, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], ONBASE:G", 74, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:G, DELETE:x", 8, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:G, NOFIND:A", 28, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:G, NOFIND:[A]", 38, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:G, NOFIND:[A, B, C]", 38, 17},
      {"CHECK\nT1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:G, NOFIND:[S, 'm']", 85, 17},
      // The keys of the table (C) and of the database (D) differ.
      {"USEDBASES\nK = NAME:GOODS, KEY:[SOLD]\nENDSECTION\nCHECK\n"
       "T1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:K",
       59, 20},
      {"USEDBASES\nK = NAME:GOODS, KEY:[NAME, QTY]\nENDSECTION\nCHECK\n"
       "T1 = COND:[A], EDIT:[0], MESSAGE:['m'], ONBASE:K",
       40, 20},
  });
}

TEST(DocumentSections, QuestionErrors) {
  ExpectErrors({
      {"QUESTIONS\nLONGERTHAN10 = TITLE:'t', INPUT:[['a', A, 1, 0]]", 34, 17},
      {"QUESTIONS\nS = TITLE:'t', INPUT:[['a', A, 1, 0]]", 5, 17},
      {"QUESTIONS\nWHILE = TITLE:'t', INPUT:[['a', A, 1, 0]]", 52, 17},
      {"QUESTIONS\nQ = INPUT:[['a', A, 1, 0]]", 35, 17},
      {"QUESTIONS\nQ = TITLE:1, INPUT:[['a', A, 1, 0]]", 93, 17},
      {"QUESTIONS\nQ = TITLE:'t'+, INPUT:[['a', A, 1, 0]]", -1, 17},
      {"QUESTIONS\nQ = TITLE:'t'", 36, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[]", 37, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:['a', A, 1, 0]", 37, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', A, 1]]", 38, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', A, 1, 0, 0]]", 38, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[[a, A, 1, 0]]", 33, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', NOPE, 1, 0]]", 39, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', A, x, 0]]", 8, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', A, 1, 0]], CANCEL:z", 8, 17},
      {"QUESTIONS\nQ = TITLE:'t', INPUT:[['a', A, 1, 0]], BASE:G", 257, 17},
  });
}

TEST(DocumentSections, BaseQuestionErrors) {
  const std::string ok = "TITLE:'t', BASE:G, FIELDS:[['n', G.NAME]], VAR:R";
  ExpectErrors({
      {"BASEQUESTIONS\n1Q = " + ok, 34, 17},
      {"BASEQUESTIONS\nQ = BASE:G, FIELDS:[['n', G.NAME]], VAR:R", 35, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', FIELDS:[['n', G.NAME]], VAR:R", 91, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:H, FIELDS:[['n', G.NAME]], VAR:R", 26, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, VAR:R", 41, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[[]], VAR:R", 43, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:['n', G.NAME], VAR:R", 43, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n']], VAR:R", 38, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[[n, G.NAME]], VAR:R", 33, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n', G.QTY]], VAR:R", 93, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NOPE]], VAR:R", -1, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", FILTER:QTY", -1, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NAME]]", 42, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NAME]], VAR:NOPE", 39, 17},
      {"BASEQUESTIONS\nQ = TITLE:'t', BASE:G, FIELDS:[['n', G.NAME]], VAR:S", 44, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", NEW:[['n']]", 38, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", NEW:[['n', PRICE]]", 15, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", NEW:['n', NAME]", 43, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", SORT:[3]", 63, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", SORT:[0]", 63, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", SORT:[a]", 8, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", SORT:1", 20, 17},
      {"BASEQUESTIONS\nQ = " + ok + ", INPUT:[]", 257, 17},
  });
}

}  // namespace
}  // namespace vm::test
