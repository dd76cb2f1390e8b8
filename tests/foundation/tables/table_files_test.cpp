#include "foundation/tables/table_files.h"

#include <gtest/gtest.h>

#include <tuple>

#include "foundation/tables/grid_sort.h"
#include "foundation/tables/var_array.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::kGoodsCode;
using test::kGoodsName;

TEST(TableFiles, WrittenAndReadBack) {
  test::TempDir tmp;
  ASSERT_TRUE(test::WriteGoods(tmp / "goods.dbf", {{"A", "Ёлка"_w, "1.50"}, {"B", "", "2"}, {"C", "", "3"}}));
  TDBF dbf;
  dbf.FileName = tmp / "goods.dbf";
  TStringBase table(&dbf);
  ASSERT_TRUE(table.LoadAll());
  table.MemTableGoto(1);
  table.SetDeleted(true);
  ASSERT_EQ(WriteBaseToFile(table, tmp / "copy.dbf"), TSaveResult::Saved);
  EXPECT_EQ(test::ReadGoods(tmp / "copy.dbf"), " 1|A;*2|B; 3|C");  // the deleted row as a deleted record

  // Only the fields of the same name are filled; deleted records are not read.
  TStringBase other;
  other.MakeTemporary({{"NAME", 'C', 5, 0}, {"EXTRA", 'C', 3, 0}, {"CODE", 'C', 4, 0}});
  other.Append();
  ASSERT_TRUE(ReadBaseFromFile(other, tmp / "copy.dbf"));
  ASSERT_EQ(other.Count(), 3);
  const auto row = [&](int32_t i) {
    std::string name, extra, code;
    other.MemTableGoto(i);
    other.GetFieldText(0, name);
    other.GetFieldText(1, extra);
    other.GetFieldText(2, code);
    return name + "|" + extra + "|" + code;
  };
  EXPECT_EQ(row(1), "Ёлка||A"_w);
  EXPECT_EQ(row(2), "||C");
  EXPECT_TRUE(other.Modified);
  EXPECT_FALSE(ReadBaseFromFile(other, tmp / "none.dbf"));
  EXPECT_EQ(other.Count(), 3);

  // No rows: the header, the descriptors and the end mark.
  table.MemTableClear();
  ASSERT_EQ(WriteBaseToFile(table, tmp / "empty.dbf"), TSaveResult::Saved);
  const std::string bytes = test::ReadBytes(tmp / "empty.dbf");
  ASSERT_EQ(bytes.size(), 32u + 5 * 32 + 1 + 1);
  EXPECT_EQ(std::tuple(bytes[0], bytes[32 + 5 * 32], bytes.back()), std::tuple(3, 0x0D, 0x1A));
}

TEST(TableFiles, AFailedWriteLeavesTheOldFile) {
  test::TempDir tmp;
  std::vector<test::GoodsRecord> records(2000, {"K", "Товар"_w, "1"});
  ASSERT_TRUE(test::WriteGoods(tmp / "goods.dbf", records));
  ASSERT_TRUE(test::WriteGoods(tmp / "copy.dbf", {{"OLD", "", "1"}}));
  const std::string before = test::ReadBytes(tmp / "copy.dbf");
  TDBF dbf;
  dbf.FileName = tmp / "goods.dbf";
  TStringBase table(&dbf);
  ASSERT_TRUE(table.LoadAll());
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 50000;
    EXPECT_EQ(WriteBaseToFile(table, tmp / "copy.dbf"), TSaveResult::Failed);
    EXPECT_EQ(WriteBaseToFile(table, tmp / "new.dbf"), TSaveResult::Failed);
  }
  EXPECT_FALSE(Files().Exists(tmp / "new.dbf"));  // no half of a new file either
  EXPECT_EQ(test::ReadBytes(tmp / "copy.dbf"), before);

  // A price another program filled with '*' is written as it stands, and
  // said.
  table.MemTableGoto(0);
  EXPECT_FALSE(table.SetValue(test::kGoodsPrice, {'N', "", 1e9, {}, {}}));
  table.SetFieldText(test::kGoodsPrice, "********");
  EXPECT_EQ(WriteBaseToFile(table, tmp / "copy.dbf"), TSaveResult::SavedTooWide);
}

// Prices of a file's N(12,2) read into an N(8,2) field: one that does not
// fit with the field's two decimals adds nothing, since with fewer it would
// be another number.
TEST(TableFiles, ANumberItsFieldCannotHoldAddsNothing) {
  test::TempDir tmp;
  const auto write = [&](const std::string& name, const std::vector<std::string>& prices) {
    TDBF t;
    t.FileName = tmp / name;
    ASSERT_TRUE(t.CreateTable());
    t.AddFieldEx("PRICE", 12, 'N', 2);
    ASSERT_TRUE(t.WriteStructure());
    for (const std::string& price : prices) {
      t.GoToRecord(t.RecCount() + 1);
      t.ClearRecordBuf();
      ASSERT_TRUE(t.SetFieldStr(0, price));
      ASSERT_TRUE(t.WriteRecord());
    }
    ASSERT_TRUE(t.Close());
  };
  write("wide.dbf", {"5.00", "123456789.00"});
  write("longer.dbf", {"1234567.50", "-123456.78"});
  write("fits.dbf", {"99999.99", "-9999.99"});
  TStringBase table;
  table.MakeTemporary({{"PRICE", 'N', 8, 2}});
  table.Append();
  table.SetFieldText(0, "1.00");
  table.Modified = false;
  EXPECT_FALSE(ReadBaseFromFile(table, tmp / "wide.dbf"));
  EXPECT_EQ(std::tuple(table.Count(), table.CurrentIndex(), table.Modified), std::tuple(1, 0, false));

  EXPECT_FALSE(ReadBaseFromFile(table, tmp / "longer.dbf"));
  EXPECT_EQ(table.Count(), 1);
  ASSERT_TRUE(ReadBaseFromFile(table, tmp / "fits.dbf"));
  std::string text;
  const auto price = [&](int32_t i) {
    table.MemTableGoto(i);
    table.GetFieldText(0, text);
    return text;
  };
  EXPECT_EQ(std::tuple(price(0), price(1), price(2)), std::tuple("1.00", "99999.99", "-9999.99"));
}

// A file's text field read into fields of each kind. A number is read as
// the program reads typed numbers (the comma as the point) and stored digit
// for digit, or rounded to the field's decimals when it has more of them
// and no more digits than the 80-bit numbers hold; a date must be a real
// one, as eight digits or as the documents write it; a logical value one of
// the letters its readers know. Anything else, a number the field cannot
// hold so among it, adds nothing, and no row's new-row program runs for it.
TEST(TableFiles, AFileTextIsStoredOnlyAsAValueOfItsFieldsKind) {
  test::TempDir tmp;
  const struct {
    const char* text;
    char type;
    int32_t length, decimals;
    const char* stored;  // nullptr: the file adds nothing
  } cases[] = {
      {"123456789,5", 'N', 8, 2, nullptr}, {"1234567,50", 'N', 8, 2, nullptr}, {"12,5", 'N', 8, 2, "12.50"},
      {"1.234", 'N', 8, 2, "1.23"},         {"-7", 'N', 8, 2, "-7.00"},          {"1E+40", 'N', 8, 2, nullptr},
      {"1.5E+20", 'N', 8, 0, nullptr},      {"1E+3", 'N', 8, 2, "1000.00"},       {"", 'N', 8, 2, ""},
      {"???", 'N', 8, 2, "???"},            {"12345678x", 'N', 8, 2, nullptr},   {"1234567x", 'N', 8, 2, nullptr},
      {"123456,78", 'N', 8, 2, nullptr},    {"-99999.99", 'N', 8, 2, nullptr},   {"99999,994", 'N', 8, 2, "99999.99"},
      {"1e5000", 'N', 8, 2, nullptr},       {"4E+5032", 'N', 8, 2, nullptr},     {"1e-5000", 'N', 8, 2, "0.00"},
      {"-1E-5000", 'N', 8, 0, "0"},         {"1 234,50", 'N', 10, 2, nullptr},   {"1,234.50", 'N', 10, 2, nullptr},
      {"12-", 'N', 10, 2, nullptr},         {"*****", 'N', 8, 2, "*****"},       {"12345.60", 'N', 7, 2, "12345.6"},
      // An unknown link's mark and a '*' fill are no numbers to cut: wider
      // than their field, they are refused.
      {"???", 'N', 2, 0, nullptr},          {"*****", 'N', 2, 0, nullptr},
      // Past the digits of the 80-bit numbers: digit for digit or nothing.
      {"92348234340767469509", 'N', 20, 0, "92348234340767469509"},
      {"4562176795334513057.38", 'N', 19, 0, nullptr},
      {"4562176795334513057.00", 'N', 19, 0, "4562176795334513057"},
      {"8600855638.214755289", 'N', 20, 9, "8600855638.214755289"},
      {"1.02.2026", 'D', 8, 0, "20260201"}, {"20260201", 'D', 8, 0, "20260201"}, {"20261301", 'D', 8, 0, nullptr},
      {"202602011", 'D', 8, 0, nullptr},   {"20250229", 'D', 8, 0, nullptr},   {"29.02.2025", 'D', 8, 0, nullptr},
      {"29.02.2024", 'D', 8, 0, "20240229"}, {"00000000", 'D', 8, 0, "00000000"}, {"", 'D', 8, 0, ""},
      {"\xC4\xE0" /* "Да" */, 'L', 1, 0, nullptr}, {"t", 'L', 1, 0, "t"},           {"?", 'L', 1, 0, "?"},
      {"", 'L', 1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " into " + c.type + std::to_string(c.length) + "." + std::to_string(c.decimals));
    TDBF file;
    file.FileName = tmp / "prices.dbf";
    ASSERT_TRUE(file.CreateTable());
    file.AddFieldEx("PRICE", 30, 'C', 0);
    ASSERT_TRUE(file.WriteStructure());
    for (const std::string text : {c.type == 'N' ? "5" : "", c.text}) {
      file.GoToRecord(file.RecCount() + 1);
      file.ClearRecordBuf();
      ASSERT_TRUE(file.SetFieldStr(0, text));
      ASSERT_TRUE(file.WriteRecord());
    }
    ASSERT_TRUE(file.Close());
    TStringBase table;
    table.MakeTemporary({{"PRICE", c.type, c.length, c.decimals}, {"NOTE", 'C', 3, 0}});
    int runs = 0;
    table.OnNewRow = [&] {
      ++runs;
      table.SetFieldText(0, "1");
      table.SetFieldText(1, "new");
    };
    EXPECT_EQ(ReadBaseFromFile(table, tmp / "prices.dbf"), c.stored != nullptr);
    if (c.stored == nullptr) {
      EXPECT_EQ(std::tuple(table.Count(), runs), std::tuple(0, 0));
      continue;
    }
    ASSERT_EQ(std::tuple(table.Count(), runs), std::tuple(2, 2));
    std::string price, note;
    table.MemTableGoto(1);
    table.GetFieldText(0, price);
    table.GetFieldText(1, note);
    EXPECT_EQ(std::tuple(TrimBlanks(price), note), std::tuple(c.stored, "new"));
  }
}

class Grid : public IStringGrid {
 public:
  std::vector<std::vector<std::string>> Rows;
  int32_t RowCount() const override { return static_cast<int32_t>(Rows.size()); }
  std::string Cell(int32_t col, int32_t row) const override {
    return Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  }
  void ExchangeRows(int32_t a, int32_t b) override {
    std::swap(Rows[static_cast<std::size_t>(a)], Rows[static_cast<std::size_t>(b)]);
  }
  std::string Column(std::size_t col) const {
    std::string out;
    for (const auto& r : Rows) out += r[col] + ",";
    return out;
  }
};

TEST(GridSort, NumbersAsNumbersOtherwiseTextByCode) {
  Grid grid;
  grid.Rows = {{"title", "x"}, {"10", "1"}, {"A", "2"}, {"9", "3"}, {"abc", "4"}, {"ABC", "5"}, {"b", "0"}};
  SortGridByKeys(grid, nullptr);
  EXPECT_EQ(grid.Column(1), "x,1,2,3,4,5,0,");
  TKeyCol key;
  key.Number = 0;
  key.Next = std::make_unique<TKeyCol>();
  key.Next->Number = 1;
  SortGridByKeys(grid, &key);
  EXPECT_EQ(grid.Column(0), "title,9,10,A,abc,ABC,b,");  // 10 before A: texts by code
  EXPECT_EQ(grid.Column(1), "x,3,1,2,4,5,0,");

  Grid one;
  one.Rows = {{"t"}, {"z"}};
  SortGridByKeys(one, &key);
  EXPECT_EQ(one.Column(0), "t,z,");
}

TEST(VarArray, PagesOf32K) {
  bool ok = false;
  TVarArray a(4, ok, 8193);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::tuple(a.TotalSize(), a.PageCount(), a.LastPageSize()), std::tuple(32772, 2, 4));
  EXPECT_EQ(a.GetItem(8192), a.GetPage(1));
  EXPECT_EQ(a.GetItem(8193), nullptr);
  EXPECT_EQ(a.GetItem(1), a.GetPage(0) + 4);
  TVarArray whole(4, ok, 8192);
  EXPECT_EQ(whole.LastPageSize(), 32768);
  TVarArray none(4, ok, 0);
  EXPECT_TRUE(ok && none.GetPage(0) == nullptr);
  TVarArray bad(3, ok, 10);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace vm
