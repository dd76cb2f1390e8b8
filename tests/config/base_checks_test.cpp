#include "config/base_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "foundation/tables/commit_journal.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "table_rig.h"

using namespace vm;
using vm::test::ReadBytes;

namespace {

class BaseChecks : public ::testing::Test {
 protected:
  TDbaseStructure* Describe(const std::string& file, std::vector<TFieldRecord> fields) {
    TDbaseStructure* b = bases.AddNew();
    b->SetFileName(file);
    for (const auto& f : fields) b->AddField(f);
    return b;
  }
  void MakeTable(const std::string& file, const std::vector<TFieldRecord>& fields, const vm::test::TableRows& rows,
                 int deletedRow = -1) {
    vm::test::MakeNumberedTable(home / file, fields, rows, 7, deletedRow);
  }
  std::vector<std::string> Column(const std::string& file, const std::string& field) {
    TDBF t;
    t.FileName = home / file;
    if (!t.OpenReadOnly()) return {"unreadable"};
    std::vector<std::string> v;
    for (int32_t i = 1; i <= t.RecCount(); ++i) {
      t.GoToRecord(i);
      t.ReadRecord();
      v.push_back(t.FieldIndex(field) < 0 ? "-" : t.GetFieldStr(t.FieldIndex(field)));
    }
    t.Close();
    return v;
  }
  std::string Log() {
    CloseErrorLog();
    return ReadBytes(home / "Errors.log");
  }

  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  TUsedBaseList bases;
  int64_t total = 0;
};

}  // namespace

TEST_F(BaseChecks, MissingBasesAreCreatedAndMatchingOnesLeftAloneInAnyFieldOrder) {
  Describe("GOODS.DBF", {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}});
  Describe("SALES.DBF", {{"QTY", 'N', 5, 0}, {"DAY", 'D', 8, 0}});
  MakeTable("SALES.DBF", {{"DAY", 'D', 8, 0}, {"QTY", 'N', 5, 0}}, {{"20270305", "3"}});
  const std::string sales = ReadBytes(home / "SALES.DBF");

  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_EQ(ReadBytes(home / "SALES.DBF"), sales);
  EXPECT_TRUE(std::filesystem::exists(home / "GOODS.DBF"));
  EXPECT_EQ(total, static_cast<int64_t>(std::filesystem::file_size(home / "GOODS.DBF") +
                                        std::filesystem::file_size(home / "SALES.DBF")));
  const std::string log = Log();
  EXPECT_NE(log.find("GOODS.DBF не существует, создается"_w), std::string::npos);
  EXPECT_EQ(log.find("SALES"), std::string::npos);
  EXPECT_TRUE(ui.Boxes.empty());

  // A second check of the same bases finds nothing to do.
  ResetErrorLogRun();
  std::filesystem::remove(home / "Errors.log");
  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_FALSE(std::filesystem::exists(home / "Errors.log"));
}

TEST_F(BaseChecks, ADifferentStructureIsRebuiltKeepingFieldsByNameAndRenumbering) {
  Describe("GOODS.DBF", {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"NOTE", 'C', 5, 0}});
  MakeTable(
      "GOODS.DBF", {{"NAME", 'C', 20, 0}, {"COST", 'N', 8, 2}, {"PRICE", 'N', 8, 2}},
      {{"Хлеб"_w, "1.00", "25.50"}, {"Соль"_w, "2", "9"}, {"Масло сливочное"_w, "3", "180.25"}},
      /*deletedRow=*/1);
  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_EQ(Column("GOODS.DBF", "NO__"), (std::vector<std::string>{"1", "2"}));
  // Text cut to its new width; a field that kept its name keeps its value.
  EXPECT_EQ(Column("GOODS.DBF", "NAME"), (std::vector<std::string>{"Хлеб"_w, "Масло слив"_w}));
  EXPECT_EQ(Column("GOODS.DBF", "PRICE"), (std::vector<std::string>{"25.50", "180.25"}));
  EXPECT_EQ(Column("GOODS.DBF", "NOTE"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Column("GOODS.DBF", "COST"), (std::vector<std::string>{"-", "-"}));
  EXPECT_NE(Log().find("GOODS.DBF не соответствует эталону, корректируется"_w), std::string::npos);
  for (const auto& e : std::filesystem::directory_iterator(home.Dir()))
    EXPECT_EQ(e.path().filename().string().find(".$"), std::string::npos) << e.path();
}

TEST_F(BaseChecks, AFailedRebuildKeepsTheOriginalAndEndsTheStartUp) {
  Describe("GOODS.DBF", {{"NAME", 'C', 10, 0}});
  MakeTable("GOODS.DBF", {{"NAME", 'C', 20, 0}}, {{"a"}, {"b"}});
  const std::string before = ReadBytes(home / "GOODS.DBF");
  Describe("LATER.DBF", {{"X", 'C', 1, 0}});
  {
    vm::test::FaultyFileSystem fs;
    fs.FailRename = true;
    EXPECT_FALSE(CheckBases(bases, true, total));
  }
  EXPECT_EQ(ReadBytes(home / "GOODS.DBF"), before);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_NE(ui.Boxes[0].Text.find("GOODS.DBF не скорректирована"_w), std::string::npos);
  EXPECT_EQ(ui.Boxes[0].Flags, kMbError);
  // Nothing after the failed base is touched.
  EXPECT_FALSE(std::filesystem::exists(home / "LATER.DBF"));
  EXPECT_FALSE(std::filesystem::exists(home / kCommitJournalName));
}

TEST_F(BaseChecks, ABusyOrDamagedBaseEndsTheChecksAtOnce) {
  Describe("GOODS.DBF", {{"NAME", 'C', 10, 0}});
  Describe("LATER.DBF", {{"X", 'C', 1, 0}});
  MakeTable("GOODS.DBF", {{"NAME", 'C', 10, 0}}, {});
  {
    TDBF holder;
    holder.FileName = home / "GOODS.DBF";
    ASSERT_TRUE(holder.OpenExclusive());
    EXPECT_FALSE(CheckBases(bases, true, total));
  }
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(std::tie(ui.Boxes[0].Text, ui.Boxes[0].Caption),
            std::tuple("База GOODS.DBF занята или испорчена. Исправте ошибку и перезапустите программу"_w,
                       std::string("Title")));
  EXPECT_FALSE(std::filesystem::exists(home / "LATER.DBF"));

  // Damaged: a header that promises more than the file holds.
  { std::ofstream(home / "GOODS.DBF", std::ios::binary) << std::string(40, '\x03'); }
  ui.Boxes.clear();
  EXPECT_FALSE(CheckBases(bases, true, total));
  EXPECT_EQ(ui.Boxes.size(), 1u);
}

TEST_F(BaseChecks, BasesOnAnotherMachineAreNeitherCreatedNorCounted) {
  Describe("GOODS.DBF", {{"NAME", 'C', 10, 0}});
  total = 99;
  EXPECT_TRUE(CheckBases(bases, false, total));
  EXPECT_EQ(total, 0);
  EXPECT_FALSE(std::filesystem::exists(home / "GOODS.DBF"));
  EXPECT_FALSE(std::filesystem::exists(home / "Errors.log"));
}
