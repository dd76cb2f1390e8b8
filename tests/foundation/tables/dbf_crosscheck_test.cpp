// Tables cross-checked with independent DBF libraries of the system's Python.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "foundation/tables/dbf.h"
#include "foundation/tables/table_files.h"
#include "platform/encoding.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

// Runs the cross-check script; its standard output, or nullopt on failure.
std::optional<std::string> RunScript(const std::string& mode, const std::string& path) {
  const std::string cmd = std::string("/usr/bin/python3 ") + VELOMAR_SOURCE_DIR +
                          "/tests/data/dbf_crosscheck.py " + mode + " '" + path + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return std::nullopt;
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return out;
}

TEST(DbfCrossCheck, TablesWrittenHereReadElsewhere) {
  test::TempDir tmp;
  TDBF t;
  t.FileName = tmp / "goods.dbf";
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("NO__", 10, 'N', 0);
  t.AddFieldEx("NAME", 30, 'C', 0);
  t.AddFieldEx("PRICE", 12, 'N', 2);
  t.AddFieldEx("DAT", 8, 'D', 0);
  ASSERT_TRUE(t.WriteStructure());
  struct Row { std::string name, price; TDateRec date; bool deleted; };
  const std::vector<Row> rows = {
      {"Сыр \"Российский\" №1"_w, "245.90", {5, 3, 2007}, false},
      {"Ёлочные игрушки, ёмкость"_w, "-0.75", {31, 12, 1999}, false},
      {"Удалённая запись"_w, "1.00", {1, 1, 2000}, true},
      {"Latin", "1234567.89", {29, 2, 2024}, false},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, static_cast<int32_t>(i + 1));
    t.SetFieldStr(1, rows[i].name);
    ASSERT_TRUE(t.SetFieldStr(2, rows[i].price));
    t.SetFieldDate(3, rows[i].date);
    t.SetDeleted(rows[i].deleted);
    ASSERT_TRUE(t.WriteRecord());
  }
  ASSERT_TRUE(t.Close());

  EXPECT_EQ(RunScript("read", t.FileName),
            "fields\tNO__:N:10:0\tNAME:C:30:0\tPRICE:N:12:2\tDAT:D:8:0\n"
            "1\tСыр \"Российский\" №1\t245.90\t2007-03-05\n"
            "2\tЁлочные игрушки, ёмкость\t-0.75\t1999-12-31\n"
            "4\tLatin\t1234567.89\t2024-02-29\n"
            "deleted\t1\n");
}

TEST(DbfCrossCheck, TablesWrittenElsewhereReadHere) {
  test::TempDir tmp;
  TDBF t;
  t.FileName = tmp / "made.dbf";
  ASSERT_TRUE(RunScript("write", t.FileName)) << "python3-dbf could not write the table";
  ASSERT_TRUE(t.OpenReadOnly());
  EXPECT_EQ(t.OpenResult(), kDbfOk);
  EXPECT_TRUE(t.OemCoded());
  ASSERT_EQ(t.RecCount(), 4);
  ASSERT_EQ(t.FieldCount(), 4);
  const TFieldRecord price = t.GetFieldDef(2);
  EXPECT_EQ(std::tuple(price.Name, price.FieldType, price.Length, price.Decimals),
            std::tuple("PRICE", 'N', 12, 2));

  // Each record as its mark and fields; a blank date does not read.
  std::string all;
  for (int mark; (mark = t.ReadRecord()) >= 0;) {
    bool error = false;
    const TDateRec d = t.GetFieldDate(3, error);
    all += std::to_string(mark) + "|" + t.GetFieldStr(0) + "|" + t.GetFieldStr(1) + "|" + t.GetFieldStr(2) +
           "|" + (error ? "-" : std::to_string(d.Year * 10000 + d.Month * 100 + d.Day)) + "\n";
  }
  EXPECT_EQ(Cp1251ToUtf8(all),
            "0|1|Молоко \"Домик\"|12.50|20070305\n"
            "0|2|Ёжик №5 ёлка|-0.75|19991231\n"
            "1|3|удалённая|1.00|20000101\n"
            "0|4|Latin only|1234567.89|-\n");
}

// An in-memory table copied into a file of its own, as BASETOFILE does.
TEST(DbfCrossCheck, TableFilesReadElsewhere) {
  test::TempDir tmp;
  ASSERT_TRUE(test::WriteGoods(tmp / "goods.dbf", {{"A1", "Сыр №1"_w, "12.50"}, {"Б2"_w, "", "-0.75"}}));
  TDBF dbf;
  dbf.FileName = tmp / "goods.dbf";
  TStringBase table(&dbf);
  ASSERT_TRUE(table.LoadAll());
  table.MemTableGoto(1);
  table.SetDeleted(true);
  table.Append();
  table.SetFieldText(test::kGoodsCode, "NEW");
  ASSERT_EQ(WriteBaseToFile(table, tmp / "copy.dbf"), TSaveResult::Saved);
  EXPECT_EQ(RunScript("read", tmp / "copy.dbf"),
            "fields\tNO__:N:10:0\tCODE:C:10:0\tNAME:C:20:0\tPRICE:N:8:2\tDAT:D:8:0\n"
            "1\tA1\tСыр №1\t12.50\t2020-01-01\n"
            "None\tNEW\t\tNone\tNone\n"
            "deleted\t1\n");
}

}  // namespace
}  // namespace vm
