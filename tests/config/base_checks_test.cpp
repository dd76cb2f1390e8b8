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

// What a narrower field cannot hold (a number too wide for it, left blank;
// a text cut) is named in "Errors.log", per field with its count and the
// first records of the old table, and the old table is kept whole beside
// the new one. A later rebuild keeps a copy of its own.
TEST_F(BaseChecks, ValuesANarrowerFieldCannotHoldAreNamedAndTheOldTableKept) {
  TDbaseStructure* goods = Describe("GOODS.DBF", {{"NAME", 'C', 5, 0}, {"QTY", 'N', 3, 0}, {"PRICE", 'N', 8, 2}});
  vm::test::TableRows rows{{"Соль"_w, "9999", "1.50"}};
  for (int i = 1; i <= 11; ++i) rows.push_back({i == 2 ? "Масло"_w : "Хлеб"_w, std::to_string(1000 + i), "2.50"});
  rows[3][0] = "Молоко"_w;
  MakeTable("GOODS.DBF", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 6, 0}, {"PRICE", 'N', 8, 2}}, rows,
            /*deletedRow=*/0);
  const std::string old = ReadBytes(home / "GOODS.DBF");

  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_EQ(Column("GOODS.DBF", "QTY"), std::vector<std::string>(11, ""));
  EXPECT_EQ(Column("GOODS.DBF", "NAME")[2], "Молок"_w);
  std::string log = Log();
  const std::string table = "База "_w + (home / "GOODS.DBF");
  EXPECT_NE(log.find(table + ", поле NAME: не поместилось значений: 1, сохранено не полностью (записи "_w +
                     "прежней базы: 4)\r\n  "_w + table + ", поле QTY: не поместилось значений: 11, поле "_w +
                     "оставлено пустым (записи прежней базы: 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, ...)\r\n  "_w +
                     "Прежняя база "_w + (home / "GOODS.DBF") + " сохранена в файле "_w + (home / "GOODS.DBF.old")),
            std::string::npos)
      << Cp1251ToUtf8(log);
  EXPECT_EQ(log.find("PRICE"), std::string::npos);
  EXPECT_EQ(ReadBytes(home / "GOODS.DBF.old"), old);

  const std::string first = ReadBytes(home / "GOODS.DBF");
  goods->Fields[0].Length = 4;
  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_EQ(ReadBytes(home / "GOODS.DBF.old"), old);
  EXPECT_EQ(ReadBytes(home / "GOODS.DBF.old2"), first);
  log = Log();
  EXPECT_NE(log.find(", поле NAME: не поместилось значений: 2, сохранено не полностью (записи прежней базы: 2, 3)"_w),
            std::string::npos)
      << Cp1251ToUtf8(log);

  // A table whose values all fit keeps no copy.
  goods->Fields[2].Length = 10;
  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_FALSE(std::filesystem::exists(home / "GOODS.DBF.old3"));
}

// Of a price narrowed to whole numbers, only those that change are named:
// 54.00 and 99.00 are still 54 and 99; 89.9 becomes 90, 123 is left blank.
TEST_F(BaseChecks, ANarrowerNumberFieldNamesOnlyTheValuesItChanged) {
  Describe("GOODS.DBF", {{"PRICE", 'N', 2, 0}});
  MakeTable("GOODS.DBF", {{"PRICE", 'N', 10, 2}}, {{"54.00"}, {"89.90"}, {"99.00"}, {"-0.00"}, {"123.00"}});

  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_EQ(Column("GOODS.DBF", "PRICE"), (std::vector<std::string>{"54", "90", "99", "0", ""}));
  const std::string log = Log();
  const std::string field = "База "_w + (home / "GOODS.DBF") + ", поле PRICE: не поместилось значений: "_w;
  EXPECT_NE(log.find(field + "1, сохранено не полностью (записи прежней базы: 2)"_w), std::string::npos)
      << Cp1251ToUtf8(log);
  EXPECT_NE(log.find(field + "1, поле оставлено пустым (записи прежней базы: 5)"_w), std::string::npos)
      << Cp1251ToUtf8(log);
}

// A field of the same kind and size keeps the bytes another program wrote
// (frames and signs that no letter gives back); one of another kind takes
// each value by its kind: a phone that is no number and a tax number that
// is no date are left blank and named, an old date stays, a number loses
// a decimal by rounding.
TEST_F(BaseChecks, AFieldOfAnotherKindTakesEachValueByItsKindAndAnUnchangedOneItsBytes) {
  Describe("SUPPL.DBF", {{"NAME", 'C', 10, 0}, {"INN", 'D', 8, 0}, {"PHONE", 'N', 20, 2}, {"SINCE", 'D', 8, 0},
                         {"QTY", 'N', 8, 1}});
  MakeTable("SUPPL.DBF",
            {{"NAME", 'C', 10, 0}, {"INN", 'C', 12, 0}, {"PHONE", 'C', 20, 0}, {"SINCE", 'C', 8, 0},
             {"QTY", 'N', 10, 3}},
            {{"AxBxCxDx", "695012345678", "+7 4822 55-12-34", "18500301", "1.260"},
             {"Хлеб"_w, "20260105", "84822551234", "", "5.000"}});
  const std::string frames = "A\xC4" "B\xB2" "C\xF9" "D\xFB";
  std::string bytes = ReadBytes(home / "SUPPL.DBF");
  bytes.replace(bytes.find("AxBxCxDx"), frames.size(), frames);
  vm::test::WriteBytes(home / "SUPPL.DBF", bytes);

  ASSERT_TRUE(CheckBases(bases, true, total));
  EXPECT_NE(ReadBytes(home / "SUPPL.DBF").find(frames), std::string::npos);
  const std::string noDate(8, ' ');
  EXPECT_EQ(Column("SUPPL.DBF", "INN"), (std::vector<std::string>{noDate, "20260105"}));
  EXPECT_EQ(Column("SUPPL.DBF", "PHONE"), (std::vector<std::string>{"", "84822551234.00"}));
  EXPECT_EQ(Column("SUPPL.DBF", "SINCE"), (std::vector<std::string>{"18500301", noDate}));
  EXPECT_EQ(Column("SUPPL.DBF", "QTY"), (std::vector<std::string>{"1.3", "5.0"}));
  const std::string log = Log();
  const std::string field = "База "_w + (home / "SUPPL.DBF") + ", поле "_w;
  for (const std::string& line : {"INN: не поместилось значений: 1, поле оставлено пустым (записи прежней базы: 1)"_w,
                                  "PHONE: не поместилось значений: 1, поле оставлено пустым (записи прежней базы: 1)"_w,
                                  "QTY: не поместилось значений: 1, сохранено не полностью (записи прежней базы: 1)"_w})
    EXPECT_NE(log.find(field + line), std::string::npos) << Cp1251ToUtf8(log);
  EXPECT_EQ(log.find("поле NAME"_w), std::string::npos);
  EXPECT_EQ(log.find("поле SINCE"_w), std::string::npos);
}

// A folder where no copy of a table can be written.
class NoCopiesOfTables : public FileSystem {
 public:
  NoCopiesOfTables() { InstallFileSystem(this); }
  ~NoCopiesOfTables() override { InstallFileSystem(nullptr); }
  std::unique_ptr<File> Open(const std::string& path, FileMode mode, FileError* error) override {
    if (mode != FileMode::Read && path.find(".DBF.old") != std::string::npos) return nullptr;
    return FileSystem::Open(path, mode, error);
  }
};

// Values are never dropped without the old table kept: when its copy
// cannot be made, the table stays as it was and the start-up ends.
TEST_F(BaseChecks, ARebuildThatCannotKeepTheOldTableReplacesNothing) {
  Describe("GOODS.DBF", {{"QTY", 'N', 2, 0}});
  MakeTable("GOODS.DBF", {{"QTY", 'N', 5, 0}}, {{"12345"}});
  const std::string before = ReadBytes(home / "GOODS.DBF");
  {
    NoCopiesOfTables fs;
    EXPECT_FALSE(CheckBases(bases, true, total));
  }
  EXPECT_EQ(ReadBytes(home / "GOODS.DBF"), before);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_NE(ui.Boxes[0].Text.find("GOODS.DBF не скорректирована (не сохраняется копия прежней базы"_w),
            std::string::npos)
      << Cp1251ToUtf8(ui.Boxes[0].Text);
  EXPECT_FALSE(std::filesystem::exists(home / "GOODS.DBF.old"));
  EXPECT_FALSE(std::filesystem::exists(home / kCommitJournalName));
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
