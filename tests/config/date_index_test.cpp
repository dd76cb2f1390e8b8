#include "config/date_index.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "table_rig.h"

namespace vm {
namespace {

using Strings = std::vector<std::string>;

void CreateTable(TDbaseStructure& s, int32_t records) {
  test::MakeNumberedTable(s.Table.FileName, s.Fields, test::TableRows(static_cast<std::size_t>(records)));
}

void Append(TDbaseStructure& s, int32_t records) {
  ASSERT_TRUE(s.Table.Open());
  for (int32_t i = 0; i < records; ++i) {
    s.Table.ClearRecordBuf();
    s.Table.GoToRecord(s.Table.RecCount() + 1);
    ASSERT_TRUE(s.Table.WriteRecord());
  }
  s.Table.Close();
}

// Each period as "DATE1-DATE2 NAME=count ...".
Strings ReadIndex(TDbaseStructure& index) {
  Strings out;
  TDBF& t = index.Table;
  EXPECT_TRUE(t.Open());
  for (int32_t n = 1; n <= t.RecCount(); ++n) {
    t.GoToRecord(n);
    t.ReadRecord();
    EXPECT_EQ(t.GetFieldStr(0), std::to_string(n));
    std::string r = t.GetFieldStr(t.FieldIndex("_DATE1")) + "-" + t.GetFieldStr(t.FieldIndex("_DATE2"));
    for (int f = 3; f < t.FieldCount(); ++f) r += " " + t.GetFieldName(f) + "=" + t.GetFieldStr(f);
    out.push_back(r);
  }
  t.Close();
  return out;
}

class DateIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChooseDataDirectory();
    sales_ = bases_.AddNew();
    sales_->SetFileName("sales.dbf");
    sales_->AddField({"SUMMA", 'N', 12, 2});
    goods_ = bases_.AddNew();
    goods_->SetFileName("Warehouse2024.dbf");
    goods_->AddField({"CODE", 'C', 6, 0});
  }
  TDbaseStructure& Index() { return *bases_.GetItem(DateIndexPosition()); }
  void CreateAll(int32_t sales, int32_t goods) {
    ASSERT_TRUE(CreateDateIndex(bases_));
    CreateTable(*sales_, sales);
    CreateTable(*goods_, goods);
    CreateTable(Index(), 0);
  }

  test::ProgramHome home_;
  test::ScriptedUi ui_;
  TUsedBaseList bases_;
  TDbaseStructure* sales_ = nullptr;
  TDbaseStructure* goods_ = nullptr;
};

TEST_F(DateIndexTest, DescribesTheIndexAndAppendsPeriodByPeriod) {
  ASSERT_TRUE(CreateDateIndex(bases_));  // rebuilt below, not added twice
  CreateAll(3, 0);
  ASSERT_EQ(bases_.Count(), 3);
  EXPECT_EQ(DateIndexPosition(), 2);
  TDbaseStructure& index = Index();
  EXPECT_EQ(std::tie(index.Alias, index.System, index.Table.FileName),
            std::tuple(std::string("$BINDEX"), true, home_.Dir() + "!BINDEX.DBF"));
  Strings names;
  for (const TFieldRecord& f : index.Fields) names.push_back(f.Name + f.FieldType + std::to_string(f.Length));
  EXPECT_EQ(names, (Strings{"_DATE1D8", "_DATE2D8", "_SALES1N12", "_SALES2N12", "_WAREHOUS1N12",
                            "_WAREHOUS2N12"}));

  UpdateDateIndex(bases_, {10, 5, 2007});
  UpdateDateIndex(bases_, {10, 5, 2007});  // the same day: nothing new
  Append(*sales_, 2);
  UpdateDateIndex(bases_, {12, 5, 2007});
  Append(*goods_, 4);
  UpdateDateIndex(bases_, {13, 5, 2007});  // a period of one day
  Append(*goods_, 1);
  UpdateDateIndex(bases_, {20, 5, 2007});  // after a week away: one period
  UpdateDateIndex(bases_, {15, 5, 2007});  // the clock went back: nothing
  EXPECT_FALSE(BasesLocked());
  EXPECT_EQ(ReadIndex(index),
            (Strings{"00000000-20070509 _SALES1=1 _SALES2=3 _WAREHOUS1=1 _WAREHOUS2=0",
                     "20070510-20070511 _SALES1=4 _SALES2=5 _WAREHOUS1=1 _WAREHOUS2=0",
                     "20070512-20070512 _SALES1=6 _SALES2=5 _WAREHOUS1=1 _WAREHOUS2=4",
                     "20070513-20070519 _SALES1=6 _SALES2=5 _WAREHOUS1=5 _WAREHOUS2=5"}));
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(DateIndexTest, WritesNothingWhenItCannotDoItRight) {
  CreateAll(3, 1);
  ui_.DesignerTest = true;
  UpdateDateIndex(bases_, {10, 5, 2007});
  ui_.DesignerTest = false;
  EXPECT_TRUE(ReadIndex(Index()).empty());

  // Someone else holds the lock.
  int locked[2], done[2];
  ASSERT_EQ(::pipe(locked), 0);
  ASSERT_EQ(::pipe(done), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    char c = LockBases() ? '1' : '0';
    [[maybe_unused]] ssize_t w = ::write(locked[1], &c, 1);
    [[maybe_unused]] ssize_t r = ::read(done[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(locked[0], &c, 1), 1);
  ASSERT_EQ(c, '1');
  UpdateDateIndex(bases_, {10, 5, 2007});
  ASSERT_EQ(::write(done[1], &c, 1), 1);
  ::waitpid(pid, nullptr, 0);
  for (int fd : {locked[0], locked[1], done[0], done[1]}) ::close(fd);
  EXPECT_TRUE(ReadIndex(Index()).empty());
  ASSERT_EQ(ui_.Boxes.size(), 1u);

  // A database that cannot be opened stops the period from being recorded
  // with zero records in it.
  std::filesystem::remove(home_ / "Warehouse2024.dbf");
  UpdateDateIndex(bases_, {10, 5, 2007});
  EXPECT_TRUE(ReadIndex(Index()).empty());
  EXPECT_NE(test::ReadBytes(home_ / "Errors.log").find("Warehouse2024.dbf"), std::string::npos);
  EXPECT_FALSE(BasesLocked());

  // A period that does not reach the disk is noted, not taken as written.
  CreateTable(*goods_, 1);
  {
    test::FaultyFileSystem full;
    full.WriteBudget = 0;
    UpdateDateIndex(bases_, {10, 5, 2007});
  }
  EXPECT_TRUE(ReadIndex(Index()).empty());
  EXPECT_NE(test::ReadBytes(home_ / "Errors.log").find("ошибка записи"_w), std::string::npos);
  EXPECT_FALSE(BasesLocked());
}

TEST_F(DateIndexTest, BlankLastCountReadsZeroAndTwinNamesAreRefused) {
  CreateAll(2, 0);
  // A last period whose counts were left blank.
  TDBF& t = Index().Table;
  ASSERT_TRUE(t.Open());
  t.ClearRecordBuf();
  t.SetFieldInt(0, 1);
  t.SetFieldDate(t.FieldIndex("_DATE2"), {1, 5, 2007});
  t.GoToRecord(1);
  ASSERT_TRUE(t.WriteRecord());
  t.Close();
  UpdateDateIndex(bases_, {3, 5, 2007});
  Strings records = ReadIndex(Index());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], "20070502-20070502 _SALES1=1 _SALES2=2 _WAREHOUS1=1 _WAREHOUS2=0");

  bases_.AddNew()->SetFileName("WAREHOUSE2025.DBF");
  EXPECT_FALSE(CreateDateIndex(bases_));
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_NE(ui_.Boxes[0].Text.find("WAREHOUSE2025.DBF"), std::string::npos);
  EXPECT_EQ(Index().FieldCount(), 6);  // the twin got no pair of its own

  // Nor does a database whose pair would be named like the period's days;
  // the periods go on without both.
  bases_.AddNew()->SetFileName("Date.dbf");
  EXPECT_FALSE(CreateDateIndex(bases_));
  ASSERT_EQ(ui_.Boxes.size(), 2u);  // one warning for both
  EXPECT_NE(ui_.Boxes[1].Text.find("WAREHOUSE2025.DBF"), std::string::npos);
  EXPECT_NE(ui_.Boxes[1].Text.find("Date.dbf"), std::string::npos);
  EXPECT_EQ(Index().FieldCount(), 6);
  UpdateDateIndex(bases_, {5, 5, 2007});
  records = ReadIndex(Index());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2], "20070503-20070504 _SALES1=3 _SALES2=2 _WAREHOUS1=1 _WAREHOUS2=0");

  // The index table has room for 125 pairs; databases beyond are left out.
  for (int i = 0; i < 125; ++i) bases_.AddNew()->SetFileName("b" + std::to_string(i) + ".dbf");
  EXPECT_FALSE(CreateDateIndex(bases_));
  EXPECT_EQ(Index().FieldCount(), 2 + 2 * 125);
  const std::string& warning = ui_.Boxes.back().Text;
  EXPECT_NE(warning.find("b123.dbf"), std::string::npos);
  EXPECT_NE(warning.find("b124.dbf"), std::string::npos);
  EXPECT_EQ(warning.find("b122.dbf"), std::string::npos);
}

}  // namespace
}  // namespace vm
