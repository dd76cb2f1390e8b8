#include "documents/compiler/document_compiler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "documents/doc_rig.h"
#include "documents/line_errors.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

// The form width first, so that only the lines under test can fail; they
// start at line 4.
std::string Form(std::string_view lines) { return "BLANK\nWIDTH = 500\nENDSECTION\n" + std::string(lines); }

TEST(DocumentCompiler, ErrorsAreShownWithTheirLineAndClearTheDocument) {
  DocRig rig;
  EXPECT_EQ(rig.Compile("VARS\nA = N\n\n; comment\nUSEDBASES ; why\n"), 1);
  EXPECT_EQ(rig.Line, 5);
  EXPECT_EQ(rig.Message, "Ошибка в строке 5:  Не закрыта предыдущая секция ");
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(rig.Ui.Boxes[0].Caption), " Ошибка компиляции документа");
  EXPECT_EQ(std::tuple(rig.Ui.Boxes[0].Flags, rig.Doc.Compiled, rig.Doc.Context.Symbols().FindVariable("A")),
            std::tuple(0x2010u, false, nullptr));

  // A continued line reports its last physical line.
  EXPECT_EQ(rig.Compile("VARS\nA = N, _\nC\n"), 4);
  EXPECT_EQ(rig.Line, 3);
  // Errors after the last line have no line.
  EXPECT_EQ(rig.Compile("INIT\nENDSECTION\n"), 13);
  EXPECT_EQ(rig.Line, -1);
  EXPECT_EQ(rig.Message, " Не указана ширина бланка ");

  EXPECT_EQ(rig.Compile(Form("VARS\nA = N")), 0);
  EXPECT_TRUE(rig.Doc.Compiled);
  rig.Context.StandardPaper = "LETTER";
  EXPECT_EQ(rig.Compile(Form("")), 137);
  // A missing paper is found at the first line read, never at line 0.
  EXPECT_EQ(std::tuple(rig.Line, rig.Message),
            std::tuple(1, std::string("Ошибка в строке 1:  Не найден типовой формат бумаги ")));
  EXPECT_EQ(rig.Compile("; the paper\n\n" + Form("")), 137);
  EXPECT_EQ(rig.Line, 3);
  EXPECT_EQ(rig.Compile(""), 137);
  EXPECT_EQ(rig.Line, 1);
}

TEST(DocumentCompiler, SectionStateMachine) {
  ExpectErrors({
      {"ENDSECTION", 2, 1},
      {"A = N", 2, 1},
      {Form("VARS\nENDSECTION\nA = N"), 2, 6},
      {"VARS\nUSEDBASES", 1, 2},
      {"VARS\nINIT\nENDSECTION", 1, 2},
      {"VARS\nSUBROUTINE = S\nENDSUB", 1, 2},
      {"VARS = X\nA = N, _\n Q:1", 257, 3},
      {"INIT = NAME:1", 257, 1},
      {"vars NAME:1", 256, 1},
      {Form("WORK\nENDSECTION\nWORK\nENDSECTION"), 51, 6},
      {Form("ENDSUB"), 11, 4},
      {Form("VARS\nENDSELCHANGE"), 11, 5},
      // An element section may stay open at the end; a program may not.
      {Form("VARS\nA = N"), 0, -1},
      {Form("INIT\nA := 1"), -2, 5},
      {Form("INIT\nX := 1 _"), -2, 5},
  });
  DocRig rig;
  EXPECT_EQ(rig.Compile(Form("INIT\nERRORCODE := 1\n\n")), -2);
  EXPECT_EQ(rig.Line, 6);
  EXPECT_EQ(rig.Message, "Ошибка в строке 6.  Отсутствует команда ENDSECTION ");
  EXPECT_EQ(rig.Compile(Form("INIT\nX := 1\nENDSECTION")), -2);
  EXPECT_EQ(rig.Message, "Ошибка в строке 5.  Неизвестное имя переменной X");
}

TEST(DocumentCompiler, LogicalLinesOfDescriptions) {
  DocRig rig;
  ASSERT_EQ(rig.Compile("; heading\n\tBLANK ; options\nEXITCONFIRM = 'a;b', _\n\n 1 ; yes\n"
                        "WIDTH = 100\n  ENDSECTION\nVARS\nA, _\n B, _\n C = N\nENDSECTION"),
            0)
      << rig.Message;
  EXPECT_EQ(std::pair(rig.Doc.Options.ExitConfirm, rig.Doc.Options.ExitDefaultButton), std::pair(std::string("a;b"), 0u));
  EXPECT_NE(rig.Doc.Context.Symbols().FindVariable("C"), nullptr);
  // No blank before '_': not continued.
  EXPECT_EQ(rig.Compile("BLANK\nWIDTH = 100_\n"), 12);
  EXPECT_EQ(rig.Compile("BLANK\nWIDTH = 100\nPRINTCOPIES = 1, _\n"), 0);
}

TEST(DocumentCompiler, StartOfDayDocumentKeepsToItsSections) {
  const std::string init = "INIT\nERRORCODE := 1\nENDSECTION\n";
  DocRig rig;
  EXPECT_EQ(rig.Compile("VARS\nA = N\nENDSECTION\n" + init, true), 0);
  EXPECT_EQ(rig.Compile("VARS\nA = N\nENDSECTION\n" + init), 13);
  ExpectErrors({{"WORK\nENDSECTION", 99, 1}, {init + "BLANK", 99, 4}, {"FORMCHANGE = T", 99, 1}}, "", true);
}

TEST(DocumentCompiler, EventBlocksAndTheirDeclarations) {
  ExpectErrors({
      {Form("FORMCHANGE = T1\nENDFORMCHANGE"), 62, 4},
      {Form("FORMCHANGE\nENDFORMCHANGE"), 61, 4},
      {Form("FORMCHANGE = T1, T2\nENDFORMCHANGE"), 61, 4},
      {Form("FORMCHANGE = FORM:T1"), 257, 4},
      {Form("LASTTABLEPROG"), 62, 4},
      {Form("ONADDROW = T1"), 62, 4},
      {Form("ADDTOHELP = H1"), 46, 4},
      {Form("ADDBASE"), 26, 4},
      {Form("ADDBASE = G"), 26, 4},
      {Form("SELCHANGE = S1"), 126, 4},
      {Form("SELLISTCHANGE"), 61, 4},
      {Form("BUTTONCLICK = B1"), 134, 4},
      {Form("SUBROUTINE"), 53, 4},
      {Form("SUBROUTINE = ABCDEFGHIJK\nENDSUB"), 54, 4},
      {Form("SUBROUTINE = 1A\nENDSUB"), 54, 4},
      {Form("SUBROUTINE = S\nENDSUB\nSUBROUTINE = s\nENDSUB"), 5, 6},
      {Form("VARS\nS = N\nENDSECTION\nSUBROUTINE = S\nENDSUB"), 5, 7},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
            "ADDBASE = g\nENDADDBASE\nADDBASE = G\nENDADDBASE"), 88, 9},
      {Form("SUBROUTINE = S\nERRORCODE := 1\nENDSECTION"), -2, 6},
  });
  DocRig rig;
  ASSERT_EQ(rig.Compile(Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
                             "ADDBASE = G\nMESSAGE(0, 'added', 'T')\nENDADDBASE")), 0) << rig.Message;
  TInstruction* added = rig.Doc.Bases.FindByAlias("G")->NewRowProgram;
  ASSERT_NE(added, nullptr);
  Interp().ExecProgram(added);
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(rig.Ui.Boxes[0].Text, "added");
}

TEST(DocumentCompiler, CallsFindTheirSubroutinesAfterTheLastLine) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(Form("VARS\nN1 = N\nENDSECTION\n"
                             "INIT\nCALL TWICE\nCALL twice\nN1 := N1 + 100\nENDSECTION\n"
                             "SUBROUTINE = Twice\nN1 := N1 * 2 + 1\nENDSUB")),
            0)
      << rig.Message;
  ASSERT_EQ(rig.Doc.Subroutines.size(), 1u);
  EXPECT_EQ(rig.Doc.Subroutines[0]->Name, "TWICE");
  EXPECT_EQ(rig.Doc.Subroutines[0]->Line, 12);
  Interp().BeginDocumentRun();
  Interp().ExecProgram(rig.Doc.Programs.Init);
  EXPECT_EQ(Interp().ErrorCode(), 0);
  EXPECT_EQ(rig.Doc.Context.Symbols().FindVariable("N1")->Value.Num, 103);

  // The missing subroutine is reported at its CALL, not at the last line.
  EXPECT_EQ(rig.Compile(Form("INIT\nERRORCODE := 1\nCALL NOPE\nENDSECTION\nSUBROUTINE = S\nENDSUB")), 55);
  EXPECT_EQ(rig.Line, 6);
  EXPECT_EQ(rig.Message, "Ошибка в строке 6:  Неизвестное имя подпрограммы ");
}

TEST(DocumentCompiler, PredefinedVariablesAndReentry) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(Form("INIT\nERRORCODE := 5\nREENTRY\nCANCLOSE := 1\nENDSECTION")), 0)
      << rig.Message;
  const TPredefinedVars& p = rig.Doc.Predefined;
  EXPECT_EQ(p.PageNumber->Value.Num, 1);
  ASSERT_NE(rig.Doc.Programs.Reentry, nullptr);
  Interp().ExecProgram(rig.Doc.Programs.Reentry);
  EXPECT_EQ(std::pair(p.CanClose->Value.Num, p.ErrorCode->Value.Num), std::pair(1.0L, 0.0L));
  // REENTRY belongs to INIT only.
  EXPECT_EQ(rig.Compile(Form("WORK\nREENTRY\nENDSECTION")), -2);
}

TEST(DocumentCompiler, VarsDeclareEveryKind) {
  DocRig rig;
  ASSERT_EQ(rig.Compile(Form("VARS\nA, b = n\nS = c\nD = D\nT = t\nСУММА = N\n = N\nENDSECTION")), 0)
      << rig.Message;
  const TExprSymbols& s = rig.Doc.Context.Symbols();
  const std::pair<const char*, char> kinds[] = {{"A", 'N'}, {"B", 'N'}, {"S", 'C'}, {"D", 'D'}, {"T", 'T'}};
  for (const auto& [name, kind] : kinds) {
    ASSERT_NE(s.FindVariable(name), nullptr) << name;
    EXPECT_EQ(s.FindVariable(name)->Value.Kind, kind) << name;
  }
  EXPECT_NE(s.FindVariable("СУММА"_w), nullptr);
  ExpectErrors({
      {Form("VARS\nA = X"), 4, 5},
      {Form("VARS\nA = N, C"), 4, 5},
      {Form("VARS\nA = NUM"), 4, 5},
      {Form("VARS\nA = KEY:N"), 257, 5},
      {Form("VARS\nA"), 4, 5},
      {Form("VARS\nABCDEFGHIJK = N"), 3, 5},
      {Form("VARS\n1A = N"), 3, 5},
      {Form("VARS\nA, , B = N"), 3, 5},
      {Form("VARS\nA = N\nB, a = C"), 5, 6},
      {Form("VARS\nCANCLOSE = N"), 5, 5},
      {Form("VARS\nIF = N"), 52, 5},
      {Form("VARS\nENDWHILE = N"), 52, 5},
  });
}

TEST(DocumentCompiler, UsedBasesBindConfiguredDatabases) {
  DocRig rig;
  ASSERT_TRUE(rig.Opened);
  ASSERT_EQ(rig.Compile(Form("USEDBASES\nG = NAME:goods, KEY:[ sold , name], FILTER:[G.QTY > 1]\n"
                             "H = NAME:GOODS, KEY:[QTY]\nENDSECTION\n"
                             "INIT\nG.QTY := 5\nENDSECTION")),
            0)
      << rig.Message;
  ASSERT_EQ(rig.Doc.Bases.Count(), 2);
  const TUBL& g = *rig.Doc.Bases.FindByAlias("g");
  const TKeyCol* k = g.Table.Keys.get();
  ASSERT_TRUE(k != nullptr && k->Next != nullptr);
  EXPECT_EQ(std::tuple(g.Base, g.Table.Filter()->Text(), g.Table.KeyCount, k->Number, k->Kind, k->Next->Number,
                       k->Next->Kind, rig.Doc.Bases.FindByAlias("H")->Table.Filter()->NoFilter()),
            std::tuple(rig.Bases.FindByAlias("GOODS"), "[G.QTY > 1]", 2, g.Base->Table.FieldIndex("SOLD"), 'D',
                       g.Base->Table.FieldIndex("NAME"), 'C', true));

  ExpectErrors({
      {Form("USEDBASES\nG = NAME:NOPE, FILTER:1"), 79, 5},
      {Form("USEDBASES\nG = NAME:NOPE, KEY:[NAME]"), 14, 5},
      {Form("USEDBASES\nG = KEY:[NAME], FILTER:1"), 25, 5},
      {Form("USEDBASES\nG = NAME:GOODS"), 16, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME], FILTER:1, KEY:[QTY], NAME:X"), 16, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME], FORM:X"), 257, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[]"), 43, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:NAME"), 43, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[ ]"), 15, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME,]"), 15, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[PRICE]"), 15, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME, name]"), 75, 5},
      {Form("USEDBASES\n1G = NAME:GOODS, KEY:[NAME]"), 89, 5},
      {Form("USEDBASES\nISNEWROW = NAME:GOODS, KEY:[NAME]"), 5, 5},
      {Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nG = NAME:GOODS, KEY:[QTY]"), 5, 6},
      {Form("USEDBASES\nGOTO = NAME:GOODS, KEY:[NAME]"), 52, 5},
  });

  EXPECT_EQ(rig.Compile(Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME], FILTER:QTY")), -1);
  EXPECT_EQ(rig.Message, "Ошибка в строке 5:  Неправильный формат фильтра ");
  EXPECT_EQ(rig.Compile(Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME], FILTER:[G.NOPE > 1]")), -1);

  rig.Bases.FindByAlias("GOODS")->Table.Close();
  std::filesystem::remove(rig.Tmp / "goods.dbf");
  EXPECT_EQ(rig.Compile(Form("USEDBASES\nG = NAME:GOODS, KEY:[NAME]")), -1);
  EXPECT_EQ(rig.Message, "Ошибка в строке 5: Нет доступа к базе goods.dbf");
}

TEST(DocumentCompiler, BlankOptions) {
  DocRig rig;
  rig.AddParam("FMT", 'C', " a5 ");
  ASSERT_EQ(rig.Compile("BLANK\nWIDTH = 100\nPRINTCOPIES = 0\nPAPER = %FMT%\n"
                        "EXITCONFIRM = 'Выйти?'\nENTERCONFIRM = 'a'#66\nAUTOPRINT = E:1\nSCROLL = 1"),
            0)
      << rig.Message;
  const TFormOptions& o = rig.Doc.Options;
  EXPECT_EQ(std::tuple(o.Width, o.PrintCopies, o.PaperName, o.ExitConfirm, o.ExitDefaultButton, o.EnterConfirm,
                       o.AutoPrint, o.Scroll),
            std::tuple(100, 0, "A5", "Выйти?"_w, 0x100u, "aB", 5u, true));

  // Defaults, and the flags each AUTOPRINT gives.
  ASSERT_EQ(rig.Compile("BLANK\nWIDTH = 300\nEXITCONFIRM = 'x', 1"), 0);
  EXPECT_EQ(std::tuple(rig.Doc.Options.PrintCopies, rig.Doc.Options.PaperName, rig.Doc.Options.AutoPrint,
                       rig.Doc.Options.ExitDefaultButton),
            std::tuple(2, "A4", 0u, 0u));
  const std::pair<const char*, uint32_t> autoprint[] = {
      {"E:0, U:1", 2}, {"E:1, Q:0", 1}, {"E:1, U:1", 7}, {"Q:1, E:0", 0}};
  for (const auto& [value, flags] : autoprint) {
    ASSERT_EQ(rig.Compile(std::string("BLANK\nWIDTH = 300\nAUTOPRINT = ") + value), 0) << value;
    EXPECT_EQ(rig.Doc.Options.AutoPrint, flags) << value;
  }

  ExpectErrors({
      {"BLANK\nWIDTH = 99", 12, 2},
      {"BLANK\nWIDTH = X:100", 12, 2},
      {"BLANK\nWIDTH = 1e3", 12, 2},
      {"BLANK\nWIDTH", 12, 2},
      {"BLANK\nWIDTH =", 12, 2},
      {"BLANK\nWIDTH = 100\nPRINTCOPIES = 11", 8, 3},
      {"BLANK\nWIDTH = 100\nPRINTCOPIES", 8, 3},
      {"BLANK\nWIDTH = 100\nPAPER", 8, 3},
      {"BLANK\nWIDTH = 100\nPAPERSIZE = B4", 115, 3},
      {"BLANK\nWIDTH = 100\nPAPER = %NOPE%", 114, 3},
      {"BLANK\nWIDTH = 100\nPAPER = %", 114, 3},
      {"BLANK\nWIDTH = 100\nEXITCONFIRM = 'x", 33, 3},
      {"BLANK\nWIDTH = 100\nENTERCONFIRM", 8, 3},
      {"BLANK\nWIDTH = 100\nAUTOPRINT = U:1", 100, 3},
      {"BLANK\nWIDTH = 100\nAUTOPRINT = E:2", 8, 3},
      {"BLANK\nWIDTH = 100\nAUTOPRINT", 8, 3},
      {"BLANK\nWIDTH = 100\nSCROLL = 2", 8, 3},
      {"BLANK\nWIDTH = 100\nCOLOR = 1", 11, 3},
  });
}

}  // namespace
}  // namespace vm::test
