#include "foundation/tables/table_files.h"

#include <gtest/gtest.h>

#include <tuple>

#include "foundation/tables/grid_sort.h"
#include "foundation/tables/var_array.h"
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

// A file's text field read into number fields: a number is read as the
// program reads typed numbers (the comma as the point) and stored with the
// field's decimals; one the field cannot hold so, an exponent's too, adds
// nothing, and no row's new-row program runs for it. A number too small
// for any is 0. Any other text stays as it was, when it fits.
TEST(TableFiles, ANumberFromATextFieldIsStoredAsItsFieldWritesNumbers) {
  test::TempDir tmp;
  const struct {
    const char* text;
    int32_t length, decimals;
    const char* stored;  // nullptr: the file adds nothing
  } cases[] = {
      {"123456789,5", 8, 2, nullptr}, {"1234567,50", 8, 2, nullptr},  {"12,5", 8, 2, "12.50"},
      {"1.234", 8, 2, "1.23"},        {"-7", 8, 2, "-7.00"},          {"1E+40", 8, 2, nullptr},
      {"1.5E+20", 8, 0, nullptr},     {"1E+3", 8, 2, "1000.00"},       {"", 8, 2, ""},
      {"???", 8, 2, "???"},           {"12345678x", 8, 2, nullptr},   {"1234567x", 8, 2, "1234567x"},
      {"123456,78", 8, 2, nullptr},   {"-99999.99", 8, 2, nullptr},   {"99999,994", 8, 2, "99999.99"},
      {"1e5000", 8, 2, nullptr},      {"4E+5032", 8, 2, nullptr},     {"1e-5000", 8, 2, "0.00"},
      {"-1E-5000", 8, 0, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " into " + std::to_string(c.length) + "." + std::to_string(c.decimals));
    TDBF file;
    file.FileName = tmp / "prices.dbf";
    ASSERT_TRUE(file.CreateTable());
    file.AddFieldEx("PRICE", 12, 'C', 0);
    ASSERT_TRUE(file.WriteStructure());
    for (const std::string text : {"5", c.text}) {
      file.GoToRecord(file.RecCount() + 1);
      file.ClearRecordBuf();
      ASSERT_TRUE(file.SetFieldStr(0, text));
      ASSERT_TRUE(file.WriteRecord());
    }
    ASSERT_TRUE(file.Close());
    TStringBase table;
    table.MakeTemporary({{"PRICE", 'N', c.length, c.decimals}, {"NOTE", 'C', 3, 0}});
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
    EXPECT_EQ(std::tuple(price, note), std::tuple(c.stored, "new"));
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
