// The commit of a document's bases: every base SAVEBASE named, in its
// order, all of them or none.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "foundation/tables/dbf.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/goods_table.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

void MakeTable(const std::string& path, const std::vector<std::string>& codes) {
  std::vector<GoodsRecord> records;
  for (const std::string& code : codes) records.push_back({code, "", "1"});
  ASSERT_TRUE(WriteGoods(path, records));
}

// The records as ReadGoods gives them, read from a copy: the bound tables
// hold their files.
std::string Contents(const std::string& path) {
  TempDir copy;
  WriteBytes(copy / "T.DBF", ReadBytes(path));
  return ReadGoods(copy / "T.DBF");
}

void SetName(TStringBase& t, const char* name) {
  TCommonVar v;
  v.Kind = 'C';
  v.Str = name;
  t.SetValue(kGoodsCode, v);
}

class CommitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTable(Tmp / "A.DBF", {"a1", "a2", "a3"});
    MakeTable(Tmp / "B.DBF", {"b1", "b2"});
    A = Bind(DbfA, Tmp / "A.DBF");
    B = Bind(DbfB, Tmp / "B.DBF");
  }

  TUBL* Bind(TDBF& dbf, const std::string& path) {
    dbf.FileName = path;
    TUBL* base = Bases.AddNew();
    base->Table.SetDbf(&dbf);
    base->Table.LoadAll();
    return base;
  }

  // The changes every test makes: A gets a row, its second row renamed and
  // its first deleted; B is rewritten without its first row.
  void ChangeBoth() {
    A->Table.MemTableGoto(1);
    SetName(A->Table, "a2x");
    A->Table.MemTableGoto(0);
    A->Table.SetDeleted(true);
    A->Table.Append();
    SetName(A->Table, "a4");
    B->Table.Delete(0);
    B->RewriteAll = true;
    B->Table.Modified = true;
    Bases.SaveCount = 2;
    A->Table.Number = 2;
    B->Table.Number = 1;
  }

  TempDir Tmp;
  ScriptedUi Ui;
  TDBF DbfA, DbfB, DbfC;
  TBaseList Bases;
  TUBL* A = nullptr;
  TUBL* B = nullptr;
};

TEST_F(CommitTest, UpdatesInPlaceRewritesAndSkipsBasesNeverSaved) {
  ChangeBoth();
  std::string failure;
  ASSERT_TRUE(Bases.WriteSavedBases(failure)) << failure;
  EXPECT_EQ(Contents(Tmp / "A.DBF"), "*1|a1; 2|a2x; 3|a3; 4|a4");
  EXPECT_EQ(Contents(Tmp / "B.DBF"), " 1|b2");
  // The tables stay open on what now stands, the rows saved.
  EXPECT_TRUE(DbfA.Active());
  EXPECT_EQ(A->Table.MemTableLocate(3)->RecNo, 4);
  EXPECT_FALSE(A->Table.Modified);

  // A base without a save number is not written.
  MakeTable(Tmp / "C.DBF", {"c1"});
  TUBL* c = Bind(DbfC, Tmp / "C.DBF");
  c->Table.Append();
  SetName(c->Table, "c2");
  ASSERT_TRUE(Bases.WriteSavedBases(failure));
  EXPECT_EQ(Contents(Tmp / "C.DBF"), " 1|c1");
  EXPECT_EQ(DirNames(Tmp.Dir()), (std::vector<std::string>{"A.DBF", "B.DBF", "C.DBF"}));
}

TEST_F(CommitTest, TruncatedBaseHoldsOnlyWhatTheTableHolds) {
  A->Table.MemTableClear();
  A->Table.Append();
  SetName(A->Table, "new");
  A->Truncate = true;
  A->Table.Number = 1;
  Bases.SaveCount = 1;
  std::string failure;
  ASSERT_TRUE(Bases.WriteSavedBases(failure)) << failure;
  EXPECT_EQ(Contents(Tmp / "A.DBF"), " 1|new");
}

TEST_F(CommitTest, AFailureOnAnyTableLeavesEveryTableAsItWas) {
  const std::string oldA = ReadBytes(Tmp / "A.DBF");
  const std::string oldB = ReadBytes(Tmp / "B.DBF");
  ChangeBoth();
  FaultyFileSystem fs;
  // Each rename in turn fails; last, the disk fills up.
  for (int failAt = 0; failAt < 5; ++failAt) {
    int renames = 0;
    fs.BeforeRename = [&] { fs.FailRename = renames++ == failAt; };
    if (failAt == 4) fs.WriteBudget = 200;
    std::string failure;
    EXPECT_FALSE(Bases.WriteSavedBases(failure)) << failAt;
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(std::tuple(ReadBytes(Tmp / "A.DBF"), ReadBytes(Tmp / "B.DBF")), std::tuple(oldA, oldB)) << failAt;
    EXPECT_TRUE(DbfA.Active() && DbfB.Active());
  }
  // Nothing of the failed tries is left, and the same changes then land.
  EXPECT_EQ(DirNames(Tmp.Dir()), (std::vector<std::string>{"A.DBF", "B.DBF"}));
  fs.BeforeRename = nullptr;
  fs.FailRename = false;
  fs.WriteBudget = -1;
  std::string failure;
  ASSERT_TRUE(Bases.WriteSavedBases(failure)) << failure;
  EXPECT_EQ(Contents(Tmp / "B.DBF"), " 1|b2");
  // The tables let go of the files of the faulty file system before it goes.
  DbfA.Close();
  DbfB.Close();
}

}  // namespace
}  // namespace vm::test
