#include "language/builtins/builtins_bases.h"

#include <gtest/gtest.h>

#include <tuple>

#include "language/bases_rig.h"
#include "platform/services.h"

namespace vm::test {
namespace {

const std::vector<GoodsRecord> kThree = {{"A", "one", "1.00"}, {"B", "two", "2.00"}, {"C", "three", "3.00"}};

TEST(BaseRecords, RecordNumbersFollowTheCurrentRow) {
  BasesRig r;
  ASSERT_TRUE(r.Goods("GOODS", kThree));
  r.Vars({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"});
  ASSERT_EQ(r.Run("A := RECNO(GOODS)\nB := CURRECORD(GOODS)\nLOADBASE(GOODS)\nC := RECCOUNT(GOODS)\n"
                  "D := RECNO(GOODS)\nSETRECORDNUM(GOODS, 3)\nE := CURRECORD(GOODS)\nF := ABSNO(GOODS)\n"
                  "SETRECORDNUM(GOODS, 0)\nG := RECNO(GOODS) * 10 + RECCOUNT(GOODS)\nH := ABSNO(GOODS)\n"
                  "I := ABSRECCOUNT(GOODS)\nCLEARBASE(GOODS)\nJ := RECNO(GOODS)\nK := CURRECORD(GOODS)\n"
                  "L := ABSNO(GOODS)\nENDSECTION"),
            "");
  // G: row 4 appended and current; H: a new row has no record in the file.
  EXPECT_EQ(r.Nums("ABCDEFGHIJKL"), (std::vector<long double>{0, -1, 3, 1, 3, 3, 44, -1, 3, 0, -1, -1}));
}

TEST(BaseRecords, RowNumbersOutsideTheRowsAreRefused) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", kThree);
  r.Vars({"A"});
  EXPECT_EQ(r.Run("LOADBASE(GOODS)\nSETRECORDNUM(GOODS, RECCOUNT(GOODS) + 1)\nENDSECTION"), ErrorText(25));
  EXPECT_EQ(r.Run("COPYREC(GOODS, 0, 1)\nENDSECTION"), ErrorText(25));
  EXPECT_EQ(r.Run("COPYREC(GOODS, 1, 4)\nENDSECTION"), ErrorText(25));
  ASSERT_EQ(r.Run("COPYREC(GOODS, 3, 1)\nSETRECORDNUM(GOODS, 2)\nMARKRECORD(GOODS, 1)\n"
                  "A := FIELDINDEX(GOODS, 'price') * 10 + FIELDINDEX(GOODS, 'NOSUCH')\nENDSECTION"),
            "");
  EXPECT_EQ(std::tuple(BasesRig::Column(goods, kGoodsCode), goods->Table.MemTableLocate(1)->Deleted,
                       goods->Table.Modified, r.Num("A")),
            std::tuple("C,B,C", true, true, 29.0L));
}

TEST(BaseLoading, EachLoadTakesItsRecordsAndKeepsNoNewRowProgram) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {{"A", "", "1"}, {"B", "", "2", true}, {"C", "", "3"}, {"D", "", "4"}});
  r.Vars({"A"});
  // Each load with the number it gave and the rows it left.
  for (const auto& [load, number, rows] :
       {std::tuple("LOADBASE(GOODS)", 0, "A,C,D"), {"A := LOADLAST(GOODS)", 4, "D"},
        {"A := LOADFIRSTFROM(GOODS, 2)", 3, "C"}, {"LOADRANGE(GOODS, 2, 0)", 3, "C,D"},
        {"LOADRANGE(GOODS, 1, 3)", 3, "A,C"}, {"LOADWHILE(GOODS, 1, GOODS.PRICE < 3.5)", 3, "A,C"}}) {
    ASSERT_EQ(r.Run(std::string(load) + "\nENDSECTION"), "") << load;
    EXPECT_EQ(std::tuple(r.Num("A"), BasesRig::Column(goods, kGoodsCode)), std::tuple(number, rows)) << load;
  }
  EXPECT_TRUE(goods->Bound);
  EXPECT_EQ(r.RunWithTextFlag("LOADWHILE(GOODS, 1, %FLAG%)\nENDSECTION"), ErrorText(24));

  BasesRig empty;
  empty.Goods("GOODS", {});
  empty.Vars({"A"});
  ASSERT_EQ(empty.Run("A := LOADLAST(GOODS) * 10 + LOADFIRSTFROM(GOODS, 1)\nENDSECTION"), "");
  EXPECT_EQ(empty.Num("A"), -11);
}

TEST(BaseSearch, ConditionsWalkTheRowsInTheirDirection) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {{"A", "", "1"}, {"B", "", "2"}, {"C", "", "3"}, {"D", "", "1"}});
  r.Vars({"A", "B", "C", "D", "E", "F", "G", "S"});
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nA := FINDINBASE(GOODS, GOODS.PRICE > 1.5) * 10 + RECNO(GOODS)\n"
                  "B := FINDINBASEEND(GOODS, GOODS.PRICE > 1.5)\nC := FINDINBASENEXT(GOODS, 2, GOODS.PRICE > 1.5)\n"
                  "D := FINDINBASENEXT(GOODS, 4, 1)\nE := FINDINBASENEXT(GOODS, -3, GOODS.PRICE > 1.5)\n"
                  "F := FINDINBASE(GOODS, GOODS.PRICE > 5) * 10 + RECNO(GOODS)\nS := SUMBASE(GOODS, GOODS.PRICE)\n"
                  "ENDSECTION"),
            "");
  // F: -1 * 10 + the last row examined.
  EXPECT_EQ(r.Nums("ABCDEFS"), (std::vector<long double>{22, 3, 3, -1, 2, -6, 7}));
  EXPECT_EQ(r.RunWithTextFlag("A := FINDINBASE(GOODS, %FLAG%)\nENDSECTION"), ErrorText(24));
  EXPECT_EQ(r.RunWithTextFlag("A := SUMBASE(GOODS, %FLAG%)\nENDSECTION"), ErrorText(22));
  EXPECT_EQ(r.Run("A := FINDINBASE(GOODS, 1 / 0)\nENDSECTION"), ErrorText(1));
  // Matches next to each other all go: the walk stays where a row went.
  ASSERT_EQ(r.Run("CLEARBASECOND(GOODS, GOODS.PRICE > 1.5)\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "A,D");

  // An empty base evaluates nothing: the division by zero never runs.
  ASSERT_EQ(r.Run("CLEARBASE(GOODS)\nA := FINDINBASE(GOODS, 1 / 0)\nB := FINDINBASEEND(GOODS, 1 / 0)\n"
                  "C := SUMBASE(GOODS, 1 / 0)\nCLEARBASECOND(GOODS, 1 / 0)\nENDSECTION"),
            "");
  EXPECT_EQ(r.Nums("ABC"), (std::vector<long double>{-1, -1, 0}));
}

TEST(BaseKeys, KeySearchesAndTheirChecks) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {{"C", "", "3"}, {"A", "", "1"}, {"b", "", "2"}, {"A", "", "9"}});
  TUBL* other = r.Goods("OTHER", {{"A", "", "5"}});
  BasesRig::Key(goods, kGoodsCode);
  r.Vars({"A", "B", "C", "D", "E", "F"});
  EXPECT_EQ(r.Run("A := FINDRECBYKEY(GOODS, OTHER)\nENDSECTION"), ErrorText(35));
  BasesRig::Key(other, kGoodsCode);
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nLOADBASE(OTHER)\nA := FINDRECBYKEY(GOODS, OTHER) * 10 + RECNO(GOODS)\n"
                  "SORTBASE(GOODS, 2, 0)\nENDSECTION"),
            "");
  EXPECT_EQ(r.Num("A"), 22);
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "A,A,b,C");  // case sensitive order puts b after A
  ASSERT_EQ(r.Run("SORTBASE(GOODS, 2, 1)\nB := FINDRECSORT(GOODS, 1, 'B')\nC := FINDRECSORT(GOODS, 0, 'B')\n"
                  "D := CHECKADDRECSORT(GOODS, 1, 'BB')\nE := RECNO(GOODS)\nF := CHECKADDRECSORT(GOODS, 1, 'c')\n"
                  "ENDSECTION"),
            "");
  EXPECT_EQ(r.Nums("BCDEF"), (std::vector<long double>{3, -1, -1, 4, 5}));  // BB inserted at row 4
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "A,A,b,BB,C");

  for (const auto& [call, code] : {std::pair{"FINDRECSORT(GOODS, 1)", 40}, {"FINDRECSORT(GOODS, 1, 'A', 'B')", 40},
                                   {"FINDRECSORT(1, 1, 'A')", 16}, {"CHECKADDRECSORT(GOODS, 'x', 'A')", 16},
                                   {"FINDRECSORT(GOODS, 1, 5)", 26}})
    EXPECT_EQ(r.Run(std::string("A := ") + call + "\nENDSECTION"), ErrorText(code)) << call;
}

TEST(BaseKeys, EmptyBasesFindNothingAndTakeTheFirstRow) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {});
  BasesRig::Key(goods, kGoodsCode);
  r.Vars({"A", "B", "C"});
  ASSERT_EQ(r.Run("A := FINDRECSORT(GOODS, 0, 'X')\nB := CHECKADDRECSORT(GOODS, 0, 'X')\n"
                  "C := RECCOUNT(GOODS) * 10 + RECNO(GOODS)\nCLEARDUP(GOODS)\nCLEARDUPSORT(GOODS, 0)\nENDSECTION"),
            "");
  EXPECT_EQ(r.Nums("ABC"), (std::vector<long double>{-1, -1, 11}));
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "X");
}

// Numbers go into a base as stored: an assignment or a key of a new row
// too wide for its field drops its zero decimals, and one that would lose
// others, or does not fit even without them, stops the run on the field,
// with nothing stored or added.
TEST(BaseKeys, NumbersTooWideForTheirFieldsStopTheRunOnTheField) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {{"A", "", "1"}});
  BasesRig::Key(goods, kGoodsPrice);
  r.Vars({"A"});
  EXPECT_EQ(r.Run("LOADBASE(GOODS)\nGOODS.PRICE := 123456789\nENDSECTION"),
            " Число 123456789 не умещается в поле GOODS.PRICE "_w);
  EXPECT_EQ(r.Run("A := CHECKADDRECSORT(GOODS, 0, -9999999.6)\nENDSECTION"),
            " Число -9999999.6 не умещается в поле GOODS.PRICE "_w);
  EXPECT_EQ(BasesRig::Column(goods, kGoodsPrice), "1");
  EXPECT_EQ(r.Run("A := CHECKADDRECSORT(GOODS, 0, 1234567.891)\nENDSECTION"),
            " Число 1234567.891 не умещается в поле GOODS.PRICE "_w);
  ASSERT_EQ(r.Run("A := CHECKADDRECSORT(GOODS, 0, 1234567)\nGOODS.PRICE := 99999.999\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsPrice), "1,100000.0");

  TUBL* wide = r.Temp("WIDE", {{"NUM", 'N', 14, 2}});
  TUBL* narrow = r.Temp("NARROW", {{"NUM", 'N', 6, 0}});
  BasesRig::Key(wide, 0);
  BasesRig::Key(narrow, 0);
  for (const long double n : {5.0L, 12345678.0L}) {
    wide->Table.Append();
    wide->Table.SetValue(0, vm::testing::Num(n));
  }
  r.Sub("NOTHING");
  EXPECT_EQ(r.Run("ADDBASEKEY(NARROW, WIDE, 0, NOTHING)\nENDSECTION\nSUBROUTINE = NOTHING\nENDSUB\n"),
            " Число 12345678 не умещается в поле NARROW.NUM "_w);
  EXPECT_EQ(BasesRig::Column(narrow, 0), "5");
}

TEST(BaseKeys, DuplicatesGoByTheKeyFields) {
  BasesRig r;
  const std::vector<GoodsRecord> rows = {{"A", "1", "1"}, {"a", "2", "1"}, {"B", "3", "1"}, {"A", "4", "1"}};
  TUBL* goods = r.Goods("GOODS", rows);
  BasesRig::Key(goods, kGoodsCode);
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nCLEARDUP(GOODS)\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsName), "1,3");
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nCLEARDUPEND(GOODS)\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsName), "3,4");
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nSORTBASEBYKEY(GOODS, 0)\nCLEARDUPSORT(GOODS, 0)\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "a,A,B");  // small letters sort first
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nSORTBASEBYKEY(GOODS, 1)\nCLEARDUPSORT(GOODS, 0.5)\nENDSECTION"), "");
  EXPECT_EQ(BasesRig::Column(goods, kGoodsCode), "A,B");
}

// A field wider than the digits a number holds gets those digits, rounded
// there, and zeros after them, so that the number read and written again is
// the same text; a whole part with a digit past them, or a date whose parts
// do not fit, stops the run on the field with nothing stored.
TEST(BaseKeys, AWideFieldTakesTheDigitsItsNumberHolds) {
  BasesRig r;
  TUBL* wide = r.Temp("WIDE", {{"A", 'N', 22, 14}, {"B", 'N', 21, 10}, {"C", 'N', 20, 8}, {"D", 'N', 25, 0},
                               {"E", 'D', 8, 0}});
  wide->Table.Append();
  const auto row = [&] {
    std::string out;
    for (int32_t f = 0; f < 5; ++f) out += BasesRig::Column(wide, f) + " ";
    return out;
  };
  ASSERT_EQ(r.Run("WIDE.A := 59511927.353\nWIDE.B := 98765432109.87654321\nWIDE.C := 536051821563803.26\n"
                  "WIDE.D := 1234567890123456789\nWIDE.E := DATE(31, 12, 9999)\nENDSECTION"),
            "");
  const std::string stored = "59511927.3530000000000 98765432109.876543210 536051821563803.2600 1234567890123456789 99991231 ";
  EXPECT_EQ(row(), stored);
  ASSERT_EQ(r.Run("WIDE.A := WIDE.A\nWIDE.B := WIDE.B\nWIDE.C := WIDE.C\nWIDE.D := WIDE.D\nENDSECTION"), "");
  EXPECT_EQ(row(), stored);
  for (const auto& [program, said] : std::vector<std::pair<std::string, std::string>>{
           {"WIDE.D := 92348234340767469509", " Число 9.234823434076746951E+19 не умещается в поле WIDE.D "},
           {"WIDE.E := DATE(100, 1, 2026)", " Дата 100.01.2026 не умещается в поле WIDE.E "},
           {"WIDE.E := DATE(1, 1, 10000)", " Дата 1.01.10000 не умещается в поле WIDE.E "},
           {"WIDE.E := DATE(-1, 1, 2026)", " Дата -1.01.2026 не умещается в поле WIDE.E "}})
    EXPECT_EQ(r.Run(program + "\nENDSECTION"), Utf8ToCp1251(said)) << program;
  EXPECT_EQ(row(), stored);
  // Twenty digits another program stored read as a neighbour of them: not
  // written back as that neighbour.
  wide->Table.SetFieldText(3, "92348234340767469509");
  EXPECT_EQ(r.Run("WIDE.D := WIDE.D\nENDSECTION"), " Число 9.234823434076746951E+19 не умещается в поле WIDE.D "_w);
  EXPECT_EQ(BasesRig::Column(wide, 3), "92348234340767469509");
}

TEST(BaseMerge, AddBaseChecksItsMapBeforeCopyingAnyRow) {
  BasesRig r;
  r.Goods("GOODS", kThree);
  TUBL* dest = r.Temp("DEST", {{"CODE", 'C', 10, 0}, {"SHORT", 'C', 2, 0}, {"PRICE", 'N', 10, 2}, {"DAT", 'D', 8, 0}});
  const auto run = [&](const std::string& map) {
    return r.Run("LOADBASE(GOODS)\nADDBASE(DEST, GOODS, '" + map + "', GOODS.PRICE > 1.5)\nENDSECTION");
  };
  std::string many = "CODE=CODE";
  for (int i = 0; i < kMaxMapPairs; ++i) many += ",CODE=CODE";
  for (const auto& [map, code] : std::vector<std::pair<std::string, int>>{
           {"CODE CODE", 27}, {"", 27}, {"CODE=CODE, PRICE", 27}, {many, 27}, {"CODE=NOSUCH", 28},
           {"NOSUCH=CODE", 28}, {"CODE=PRICE", 26}, {"SHORT=NAME", 29}})
    EXPECT_EQ(run(map), ErrorText(code)) << map;
  EXPECT_EQ(dest->Table.Count(), 0);
  EXPECT_EQ(r.RunWithTextFlag("ADDBASE(DEST, GOODS, 'CODE=CODE', %FLAG%)\nENDSECTION"), ErrorText(24));

  ASSERT_EQ(run(" code = Code , PRICE=PRICE,DAT=DAT"), "");
  EXPECT_EQ(BasesRig::Column(dest, 0), "B,C");
  EXPECT_EQ(BasesRig::Column(dest, 2), "2.00,3.00");

  // Another program's text that reads as a number wider than the field,
  // wide as the field is: the run stops on it rather than leave it blank.
  r.Goods("ODD", {{"D", "four", "1e11"}});
  EXPECT_EQ(r.Run("LOADBASE(ODD)\nADDBASE(DEST, ODD, 'PRICE=PRICE', 1)\nENDSECTION"),
            " Число 100000000000 не умещается в поле DEST.PRICE "_w);

  // Fields of one kind and size take the bytes as they stand: neither a
  // number of more digits than the 80-bit numbers hold nor one with fewer
  // decimals than its field is read and written anew.
  const std::vector<TFieldRecord> same = {{"NUM", 'N', 25, 0}, {"PRICE", 'N', 8, 2}, {"NAME", 'C', 6, 0}};
  TUBL* exact = r.Temp("EXACT", same);
  TUBL* copy = r.Temp("COPY", same);
  exact->Table.Append();
  exact->Table.SetFieldText(0, "92348234340767469509");
  exact->Table.SetFieldText(1, "12.5");
  exact->Table.SetFieldText(2, " a  b");
  ASSERT_EQ(r.Run("ADDBASE(COPY, EXACT, 'NUM=NUM,PRICE=PRICE,NAME=NAME', 1)\nENDSECTION"), "");
  ASSERT_EQ(copy->Table.Count(), 1);
  const auto record = [](TUBL* b) {
    return std::string(b->Table.MemTableLocate(0)->Buffer() + 1, static_cast<std::size_t>(b->Table.RecordSize() - 1));
  };
  EXPECT_EQ(record(copy), record(exact));
}

// A destination keyed by CODE, a source with a new key, an existing one
// and the existing one in other letters; the subroutine counts its runs.
class AddByKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    src = r.Goods("SRC", {{"A", "", "1"}, {"N", "", "2"}, {"a", "", "3"}});
    dest = r.Goods("DEST", {{"A", "", "0"}});
    BasesRig::Key(src, kGoodsCode);
    BasesRig::Key(dest, kGoodsCode);
    r.Sub("COPY");
    r.Vars({"RUNS", "NEWS"});
    r.Rig.Var("ISNEWROW", Num(7));
  }
  std::string Run(const std::string& call) {
    return r.Run("RUNS := 0\nNEWS := 0\nLOADBASE(SRC)\nLOADBASE(DEST)\n" + call +
                 "\nENDSECTION\nSUBROUTINE = COPY\nRUNS := RUNS + 1\nNEWS := NEWS * 10 + ISNEWROW\n"
                 "DEST.PRICE := DEST.PRICE + SRC.PRICE\nENDSUB\n");
  }
  BasesRig r;
  TUBL* src = nullptr;
  TUBL* dest = nullptr;
};

TEST_F(AddByKeys, ModeBitsChooseCaseAndExistingRows) {
  // Per mode: the subroutine's runs, their ISNEWROW digits, the codes and
  // prices of the destination. Mode 0: N and a are new, A exists, each at
  // its sorted place; mode 1: only N, a is A without regard to case.
  for (const auto& [mode, runs, news, codes, prices] :
       {std::tuple("0", 2, 11, "a,A,N", "3.00,0,2.00"), {"2", 3, 11, "a,A,N", "3.00,1.00,2.00"},
        {"1", 1, 1, "A,N", "0,2.00"}, {"3", 3, 10, "A,N", "4.00,2.00"}}) {
    ASSERT_EQ(Run(std::string("ADDBASEKEY(DEST, SRC, ") + mode + ", COPY)"), "") << mode;
    EXPECT_EQ(std::tuple(r.Num("RUNS"), r.Num("NEWS"), BasesRig::Column(dest, kGoodsCode),
                         BasesRig::Column(dest, kGoodsPrice)),
              std::tuple(runs, news, codes, prices))
        << mode;
  }
}

TEST_F(AddByKeys, TheConditionFiltersAndIsNewRowIsLeftAlone) {
  ASSERT_EQ(Run("ADDBASEKEYCOND(DEST, SRC, 2, COPY, SRC.PRICE > 1.5)"), "");
  EXPECT_EQ(std::tuple(r.Num("RUNS"), r.Num("NEWS"), BasesRig::Column(dest, kGoodsCode)), std::tuple(2, 77, "a,A,N"));
  EXPECT_EQ(r.RunWithTextFlag("ADDBASEKEYCOND(DEST, SRC, 0, COPY, %FLAG%)\nENDSECTION\nSUBROUTINE = COPY\nENDSUB\n"),
            ErrorText(24));
}

TEST_F(AddByKeys, KeyFieldsMustAgreeInCountAndType) {
  BasesRig::Key(dest, kGoodsName);
  EXPECT_EQ(Run("ADDBASEKEY(DEST, SRC, 0, COPY)"), ErrorText(35));
  BasesRig::Key(src, kGoodsPrice);
  EXPECT_EQ(Run("ADDBASEKEY(DEST, SRC, 0, COPY)"), ErrorText(41));
  EXPECT_EQ(r.Num("RUNS"), 0);
}

TEST(BaseSaving, SaveBaseOrdersTheCommitByTheLastCall) {
  BasesRig r;
  TUBL* a = r.Goods("A", kThree);
  TUBL* b = r.Goods("B", kThree);
  TUBL* c = r.Goods("C", kThree);
  ASSERT_EQ(r.Run("SAVEBASE(A)\nSAVEBASE(B)\nSAVEBASE(A)\nENDSECTION"), "");
  EXPECT_EQ(std::tuple(a->Table.Number, b->Table.Number, c->Table.Number, r.Context.List.SaveCount),
            std::tuple(3, 2, 0, 3));
  ASSERT_EQ(r.Run("LOADBASE(A)\nLOADBASE(C)\nADDRECORD(A)\nA.CODE := 'D'\nADDRECORD(C)\nENDSECTION"), "");
  EXPECT_TRUE(r.Context.List.WriteSavedBases());
  r.CloseFiles();
  EXPECT_EQ(ReadGoods(r.Tmp / "A.dbf"), " 1|A; 2|B; 3|C; 4|D");
  EXPECT_EQ(ReadGoods(r.Tmp / "C.dbf"), " 1|A; 2|B; 3|C");  // never saved

  r.Context.List.BeginRun();
  EXPECT_EQ(std::tuple(r.Context.List.SaveCount, a->Table.Number), std::tuple(0, 0));
}

// Emptied, loaded again from the file (which the commit has not emptied
// yet) and saved: every row loaded back is written, not an empty file.
TEST(BaseSaving, ResetRecordsThenLoadWritesEveryLiveRow) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", {{"A", "", "1"}, {"B", "", "2", true}, {"C", "", "3"}});
  ASSERT_EQ(r.Run("RESETRECORDS(GOODS)\nLOADBASE(GOODS)\nSAVEBASE(GOODS)\nENDSECTION"), "");
  EXPECT_TRUE(goods->Truncate);
  EXPECT_TRUE(r.Context.List.WriteSavedBases());
  r.CloseFiles();
  EXPECT_EQ(ReadGoods(r.Tmp / "GOODS.dbf"), " 1|A; 2|C");
}

TEST(BaseSaving, SaveBaseWritesAnEditedBookBackAndRewrites) {
  BasesRig r;
  TUBL* goods = r.Goods("GOODS", kThree);
  int asked = 0;
  r.Context.List.WriteBackBook = [&](TUBL& b, std::string&) { return ++asked, &b == goods; };
  ASSERT_EQ(r.Run("SAVEBASE(GOODS)\nENDSECTION"), "");
  EXPECT_EQ(std::tuple(asked, goods->RewriteAll, goods->Table.Modified), std::tuple(1, true, true));

  // A book that cannot be written stops the run with its reason, and the
  // base gets no place in the commit.
  const int32_t number = goods->Table.Number;
  r.Context.List.WriteBackBook = [](TUBL&, std::string& refusal) {
    refusal = " Число 1E+40 не умещается в поле GOODS.PRICE "_w;
    return false;
  };
  EXPECT_EQ(r.Run("SAVEBASE(GOODS)\nENDSECTION"), " Число 1E+40 не умещается в поле GOODS.PRICE "_w);
  EXPECT_EQ(goods->Table.Number, number);
}

TEST(BaseFiles, CopiesOfABaseGoToFilesAndBack) {
  BasesRig r;
  r.Goods("GOODS", kThree);
  r.Goods("OTHER", {});
  r.Vars({"A", "B", "C", "D"});
  const std::string copy = r.Tmp / "copy.dbf";
  ASSERT_EQ(r.Run("LOADBASE(GOODS)\nA := BASETOFILE(GOODS, '" + copy + "')\nB := BASEFROMFILE(OTHER, '" + copy +
                  "')\nC := RECCOUNT(OTHER)\nD := BASEFROMFILE(OTHER, '" + r.Tmp / "none.dbf" + "')\nENDSECTION"),
            "");
  EXPECT_EQ(r.Nums("ABCD"), (std::vector<long double>{1, 1, 3, 0}));

  DesignerTestRun() = true;
  ASSERT_EQ(r.Run("A := BASETOFILE(GOODS, '" + r.Tmp / "designer.dbf" + "')\nENDSECTION"), "");
  DesignerTestRun() = false;
  EXPECT_EQ(std::tuple(r.Num("A"), Files().Exists(r.Tmp / "designer.dbf")), std::tuple(0, false));
}

}  // namespace
}  // namespace vm::test
