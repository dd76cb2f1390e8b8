#include "language/table_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "language/bases_rig.h"
#include "language/expr_compiler.h"
#include "language/table_views.h"
#include "platform/encoding.h"

namespace vm {
namespace {

using test::GoodsRecord;
using test::kGoodsCode;
using test::kGoodsName;
using test::kGoodsPrice;

class BoundTableTest : public ::testing::Test {
 protected:
  void Bind(const std::vector<GoodsRecord>& records) { ASSERT_NE(goods_ = r_.Goods("GOODS", records), nullptr); }
  TStringBase& Table() { return goods_->Table; }
  std::string Column(int32_t field) { return test::BasesRig::Column(goods_, field); }

  // Code and message of a filter text on the goods table.
  std::pair<int32_t, std::string> Parse(std::string_view text) {
    Table().SetFilter(text);
    return {Table().GetFilterError(), Table().GetFilterMessage()};
  }

  test::BasesRig r_;
  TBaseList& bases_ = r_.Context.List;
  TUBL* goods_ = nullptr;
};

TEST_F(BoundTableTest, FilterTextsAndTheirErrors) {
  Bind({});
  using P = std::pair<int32_t, std::string>;
  EXPECT_EQ(Parse(""), P(0, ""));
  EXPECT_TRUE(goods_->Filter().NoFilter());
  EXPECT_EQ(Parse("[]"), P(1, " Неправильный формат фильтра "_w));
  EXPECT_EQ(Parse("GOODS.PRICE>0"), P(1, " Неправильный формат фильтра "_w));
  EXPECT_EQ(Parse("[ ]"), P(3, " Отсутствует выражение определения фильтра "_w));
  EXPECT_EQ(Parse("[GOODS.PRICE>0,]"), P(3, " Отсутствует выражение определения фильтра "_w));
  EXPECT_EQ(Parse("  [nofilter] "), P(0, ""));
  EXPECT_TRUE(goods_->Filter().NoFilter());
  EXPECT_EQ(Parse("[MINVAL]"), P(2, " Отсутствует название поля базы "_w));
  EXPECT_EQ(Parse("[MINVAL PRICE]"), P(5, " Имя поля должно быть заключено в скобки "_w));
  EXPECT_EQ(Parse("[MINVAL (PRICE)]"), P(5, " Имя поля должно быть заключено в скобки "_w));
  EXPECT_EQ(Parse("[MINVAL(OTHER.PRICE)]"), P(6, " Неправильное имя базы "_w));
  EXPECT_EQ(Parse("[MINVAL(NOSUCH)]"), P(7, " Неправильное имя поля базы "_w));
  EXPECT_EQ(Parse("[goods.name]"), P(4, " Тип значения выражения фильтра должен быть числовым "_w));
  EXPECT_EQ(Parse("['A,B'=GOODS.NAME]").first, 0);  // the comma in quotes does not split
  EXPECT_EQ(goods_->Filter().ConditionCount(), 1u);
  EXPECT_EQ(Parse("[maxval( goods . price ), GOODS.PRICE>0]").first, 0);
  EXPECT_EQ(goods_->Filter().MaxCols(), std::vector<int32_t>{kGoodsPrice});

  const auto [code, message] = Parse("[NOFILTER, GOODS.PRICE>1]");
  EXPECT_EQ(code, -1);  // the keyword is not alone: a formula naming nothing known
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(goods_->Filter().NoFilter());
  EXPECT_EQ(Parse("[GOODS.NOSUCH>1]").first, -1);

  TFilter unowned;
  unowned.SetText("[MINVAL(PRICE)]");
  EXPECT_EQ(unowned.ErrorCode(), 6);

  THelpFilter help(goods_);
  help.SetText("[MAXVAL(PRICE)]");
  EXPECT_EQ(std::tuple(help.ErrorCode(), help.Message(), help.Valid()),
            std::tuple(100, " Запрещенные функции для фильтра справочника "_w, false));
  help.SetText("");
  EXPECT_EQ(std::tuple(help.ErrorCode(), help.NoFilter(), help.ConditionsHold()), std::tuple(0, false, true));
}

TEST_F(BoundTableTest, FilteredLoadsAndRefusedFilters) {
  Bind({{"A", "", "1"}, {"B", "", "5"}, {"C", "", "0.00"}, {"D", "", "7"}});
  Table().SetFilter("[GOODS.PRICE>2, GOODS.CODE#'D']");
  ASSERT_TRUE(Table().LoadAll()) << Table().GetFilterError() << Table().GetFilterMessage();
  EXPECT_EQ(Column(kGoodsCode), "B");
  Table().SetFilter("[GOODS.PRICE]");  // a number is a condition: not exactly 0
  ASSERT_TRUE(Table().LoadAll());
  EXPECT_EQ(Column(kGoodsCode), "A,B,D");

  // A filter that did not compile loads nothing rather than everything.
  Table().SetFilter("[GOODS.NOSUCH>1]");
  EXPECT_FALSE(Table().LoadAll());
  EXPECT_EQ(Table().Count(), 0);
  EXPECT_EQ(Table().LoadNextRecord(1), -1);

  Table().SetFilter("");
  TBaseListContext context(&bases_);
  TExprChain cond;
  ASSERT_EQ(CompileExpr("GOODS.PRICE-0.9999999999", context, cond).ErrCode, 0);
  // 1 - 0.9999999999 is 1e-10: the load stops there, before the first record.
  ASSERT_TRUE(LoadWhile(Table(), 1, cond));
  EXPECT_EQ(Table().Count(), 0);
  ASSERT_TRUE(LoadWhile(Table(), 2, cond));
  EXPECT_EQ(Column(kGoodsCode), "B,C,D");  // below 0 is not 0
}

// A comparison of a field with a constant is tested straight on the record;
// the same comparison in brackets goes through the evaluator. Both must hold
// on the same records: numbers within the tolerance of the constant, -0,
// texts the field reads as 0 or another number, and texts compared with
// regard to case, Ё, blanks and one text starting another.
TEST_F(BoundTableTest, ComparisonsWithAConstantHoldAsTheEvaluatorHasThem) {
  const std::vector<std::string> prices = {"2500",     "2500.00", "2499.99", "2500.01", "-0.00", "0",    "",
                                           "1,5",      "1.5",     "-1.50",   "*****",   "abc",   "99999.99", "-7",
                                           "0.01",     "-0.01",   " 12.3 ",  "12.30",   "+3",    "3."};
  const std::vector<std::string> names = {"",       "Сыр"_w,    "сыр"_w,    "СЫР"_w,  "Сыр плавленый"_w, "Ёлка"_w,
                                          "Елка"_w, "ёлка"_w,   "Сы"_w,     "A",      "a",               "B b",
                                          "  x",    "Молоко"_w, "Я"_w,      "0",      "10",              "9"};
  std::vector<GoodsRecord> records;
  for (std::size_t i = 0; i < prices.size() * names.size(); ++i)
    records.push_back({"", names[i % names.size()], prices[i / names.size()]});
  // Numbers of 0 to 4 decimals, and constants equal to some of them, or
  // off by less than the tolerance, by it, or by more.
  std::mt19937 random(42);
  std::vector<std::string> numbers = {"2500",         "2500.0000000001", "2499.9999999995", "2500.000000002",
                                      "0",            "-0",              "0.0000000005",    "1.5",
                                      "-1.5",         "12.3",            "99999.99",        "-7",
                                      "0.01",         "3",               "0.001",           "268435455.99",
                                      "268435456",    "12345678",        "1234567.5"};
  for (int i = 0; i < 300; ++i) {
    const auto n = random();
    std::string text = std::to_string(n % 100000);
    if (const auto decimals = n / 100000 % 5; decimals > 0)
      text = std::to_string(n % 100000 / 10) + "." + std::to_string(n % 10) + std::string(decimals - 1, '3');
    text.resize(std::min<std::size_t>(text.size(), 8));
    records.push_back({"", names[i % names.size()], (n & 1 ? "-" : "") + text.substr(0, 7)});
    if (i % 10 == 0)
      numbers.push_back(text + (text.find('.') == std::string::npos ? "." : "") +
                        std::vector<std::string>{"", "0000000001", "000000001", "00000001", "9"}[n / 7 % 5]);
  }
  Bind(records);
  ASSERT_TRUE(Table().LoadAll());
  const std::vector<std::string> texts = {"''",     "'Сыр'"_w, "'сыр'"_w, "'Сыр '"_w, "'Сы'"_w, "'Ёлка'"_w,
                                          "'Елка'"_w, "'A'",     "'a'",     "'B b'",    "'  x'",  "'10'"};
  std::vector<std::string> conditions;
  for (const char* op : {"<", ">", "<=", ">=", "#", "="}) {
    for (const std::string& n : numbers) {
      conditions.push_back("GOODS.PRICE" + std::string(op) + n);
      conditions.push_back(n + op + "GOODS.PRICE");
    }
    for (const std::string& t : texts) {
      conditions.push_back("GOODS.NAME" + std::string(op) + t);
      conditions.push_back(t + op + "GOODS.NAME");
    }
  }
  for (const std::string& condition : conditions) {
    SCOPED_TRACE(condition);
    TFilter direct(goods_), general(goods_);
    direct.SetText("[" + condition + "]");
    general.SetText("[(" + condition + ")]");
    ASSERT_EQ(std::tuple(direct.ErrorCode(), general.ErrorCode()), std::tuple(0, 0)) << direct.Message();
    // A minus before a constant is an operator of its own.
    ASSERT_EQ(direct.ComparesDirectly(0), condition.find('-') == std::string::npos);
    ASSERT_FALSE(general.ComparesDirectly(0));
    for (int32_t r = 0; r < Table().Count(); ++r) {
      Table().MemTableGoto(r);
      EXPECT_EQ(direct.ConditionsHold(), general.ConditionsHold()) << "row " << r;
    }
  }

  // Another table's field, a field against a field, a constant of the other
  // kind and arithmetic are left to the evaluator.
  TUBL* other = r_.Goods("OTHER", {});
  ASSERT_NE(other, nullptr);
  for (const char* text : {"[OTHER.PRICE>1]", "[GOODS.PRICE>GOODS.NO__]", "[GOODS.PRICE+1>1]", "[GOODS.NAME='1'+'2']",
                           "[GOODS.PRICE*2]", "[GOODS.NAME=1]"}) {
    TFilter filter(goods_);
    filter.SetText(text);
    EXPECT_FALSE(filter.ComparesDirectly(0)) << text;
  }
}

// Loads decide on number comparisons before a record's texts are converted,
// and take a record all of whose conditions hold straight into its row; the
// same conditions in brackets go through the evaluator on the converted
// record. Both must load the same rows, byte for byte, with the same numbers,
// and leave the same last number.
TEST_F(BoundTableTest, LoadsDecidedBeforeConversionTakeWhatTheEvaluatorTakes) {
  const std::vector<std::string> prices = {"2500", "2500.01", "-0.00", "", "*****", "abc", "1,5", "99999.9", "7", "3."};
  const std::vector<std::string> names = {"Сыр"_w, "ёлка"_w, "Молоко Я"_w, "", "A b"};
  std::vector<GoodsRecord> records;
  for (std::size_t i = 0; i < 60; ++i) {
    GoodsRecord& r = records.emplace_back();
    r.Code = i % 3 == 0 ? "Щ"_w : std::string(1, static_cast<char>('A' + i % 4));
    r.Name = names[i % names.size()];
    r.Price = prices[i * 7 % prices.size()];
    r.Deleted = i % 11 == 5;
    r.No = i % 13 == 4 ? 1000 + static_cast<int32_t>(i) : 0;
  }
  Bind(records);
  struct Load {
    std::vector<std::tuple<std::string, int32_t, int32_t>> Rows;
    int32_t LastNo;
    bool operator==(const Load&) const = default;
  };
  const auto load = [&](const std::string& filter) {
    Table().SetFilter(filter);
    EXPECT_EQ(Table().GetFilterError(), 0) << filter << Table().GetFilterMessage();
    EXPECT_TRUE(Table().LoadAll());
    Load l{{}, Table().LastNo};
    for (int32_t i = 0; i < Table().Count(); ++i) {
      const TRow* row = Table().MemTableLocate(i);
      l.Rows.emplace_back(std::string(row->Buffer(), static_cast<std::size_t>(Table().RecordSize())), row->No,
                          row->RecNo);
    }
    return l;
  };
  const std::vector<std::vector<std::string>> filters = {
      {"GOODS.PRICE>7"},
      {"GOODS.PRICE>=7", "GOODS.NO__#4"},
      {"2500<GOODS.PRICE", "GOODS.NAME#'Сыр'"_w},
      {"GOODS.NAME#'Сыр'"_w, "GOODS.PRICE<2500"},
      {"GOODS.PRICE=0", "GOODS.PRICE+1>0", "GOODS.CODE='Щ'"_w},
      {"GOODS.NO__<1040", "GOODS.NO__>2"},
      {"GOODS.PRICE<GOODS.NO__", "GOODS.PRICE>=7"},
      {"GOODS.PRICE#2500", "MINVAL(PRICE)"},
      {"MAXVAL(NO__)", "GOODS.PRICE<99999"},
  };
  for (const bool grouped : {false, true}) {
    if (grouped) AddKeyCol(Table().Keys, Table().KeyCount)->Number = kGoodsCode;
    for (const auto& parts : filters) {
      std::string direct, general;
      for (const std::string& part : parts) {
        const std::string sep = direct.empty() ? "" : ",";
        direct += sep + part;
        general += sep + (part.find("VAL(") == std::string::npos ? "(" + part + ")" : part);
      }
      SCOPED_TRACE(direct);
      const Load taken = load("[" + direct + "]");
      EXPECT_EQ(taken, load("[" + general + "]"));
      EXPECT_FALSE(taken.Rows.empty());
      EXPECT_LT(taken.Rows.size(), records.size());
      Table().SetFilter("[" + direct + "]");
      const int32_t next = Table().LoadNextRecord(2), last = Table().LoadLastRecord();
      Table().SetFilter("[" + general + "]");
      EXPECT_EQ(std::pair(next, last), std::pair(Table().LoadNextRecord(2), Table().LoadLastRecord()));
    }
  }
  FreeKeyCols(Table().Keys, Table().KeyCount);
  // Taken straight into their rows, the texts are converted all the same.
  Table().SetFilter("[GOODS.PRICE>=7]");
  ASSERT_TRUE(Table().LoadAll());
  EXPECT_EQ(Column(kGoodsName).substr(0, 8), "Сыр,ёлка"_w);
}

// A load reads each record's NO__ once, and its conditions on NO__ use that
// number where the field holds plain right-aligned digits. NO__ of every
// shape (signs, -0, a point, blanks after the digits, nine and ten digits,
// no number at all) must give the rows, numbers and last number of the same
// conditions through the evaluator, and each row the number the table
// engine reads.
TEST_F(BoundTableTest, ConditionsOnTheRecordNumberTakeWhatTheEvaluatorTakes) {
  const std::vector<std::string> numbers = {"5",        "-5",        "+5",         "-0",        "0",          "5.",
                                            "5.0",      "12345678",  "-1234567",   "+1234567",  "123456789",  "1234567890",
                                            "00000005", "",          "abc",        "**********", "1 2",       "7",
                                            "4",        "1040",      "99999999",   "-99999999"};
  std::vector<GoodsRecord> records;
  for (std::size_t i = 0; i < numbers.size() * 3; ++i)
    records.push_back({"A", "", std::vector<std::string>{"7", "2500.01", "1"}[i % 3]});
  Bind(records);
  r_.CloseFiles();
  TDBF dbf;
  dbf.FileName = Table().Dbf()->FileName;
  ASSERT_TRUE(dbf.Open());
  const int noOffset = dbf.FieldOffset(test::kGoodsNo);
  for (int32_t rec = 1; rec <= dbf.RecCount(); ++rec) {
    dbf.GoToRecord(rec);
    ASSERT_GE(dbf.ReadRecord(), 0);
    const std::string& text = numbers[static_cast<std::size_t>(rec - 1) % numbers.size()];
    // Right-aligned, left-aligned and in the middle of the field.
    std::string field(10, ' ');
    const std::size_t at = std::vector<std::size_t>{10 - text.size(), 0, (10 - text.size()) / 2}[rec % 3];
    field.replace(at, text.size(), text);
    std::copy(field.begin(), field.end(), dbf.RecordBytes() + noOffset);
    dbf.GoToRecord(rec);
    ASSERT_TRUE(dbf.WriteRecord());
  }
  ASSERT_TRUE(dbf.Close());
  Table().SetDbf(Table().Dbf());
  const auto load = [&](const std::string& filter) {
    Table().SetFilter(filter);
    EXPECT_EQ(Table().GetFilterError(), 0) << filter << Table().GetFilterMessage();
    EXPECT_TRUE(Table().LoadAll());
    std::vector<std::tuple<int32_t, int32_t, int32_t>> rows;
    for (int32_t i = 0; i < Table().Count(); ++i) {
      const TRow* row = Table().MemTableLocate(i);
      rows.emplace_back(row->RecNo, row->No, Table().LastNo);
    }
    return rows;
  };
  for (const std::string condition :
       {"GOODS.NO__>4", "GOODS.NO__#5", "GOODS.NO__=-5", "GOODS.NO__<=0", "GOODS.NO__>=123456789", "5=GOODS.NO__",
        "GOODS.NO__>4.5", "GOODS.NO__<99999999", "GOODS.NO__#0"}) {
    for (const std::string& other : {std::string(), std::string("GOODS.PRICE>2"), std::string("GOODS.PRICE<2")}) {
      const std::string direct = other.empty() ? condition : other + "," + condition;
      const std::string general = other.empty() ? "(" + condition + ")" : "(" + other + "),(" + condition + ")";
      SCOPED_TRACE(direct);
      const auto taken = load("[" + direct + "]");
      EXPECT_EQ(taken, load("[" + general + "]"));
      EXPECT_FALSE(taken.empty());
    }
  }
  // Every row with the number the engine reads from its record.
  Table().SetFilter("");
  ASSERT_TRUE(Table().LoadAll());
  TDBF& engine = *Table().Dbf();
  ASSERT_EQ(Table().Count(), engine.RecCount());
  int32_t last = engine.RecCount();
  for (int32_t r = 0; r < Table().Count(); ++r) {
    engine.GoToRecord(r + 1);
    ASSERT_EQ(engine.ReadRecord(), 0);
    bool error = false;
    const int32_t number = engine.GetFieldInt(test::kGoodsNo, error);
    if (!error) last = std::max(last, number);
    EXPECT_EQ(Table().MemTableLocate(r)->No, error ? 0 : number) << "record " << r + 1;
  }
  EXPECT_EQ(Table().LastNo, last);
}

TEST_F(BoundTableTest, GroupedLoadsKeepTheStrictlySmallestOrLargest) {
  Bind({{"A", "1", "5"}, {"B", "2", "3"}, {"A", "3", "2"}, {"A", "4", "2"}, {"B", "5", "9"}, {"C", "6", "1"}});
  AddKeyCol(Table().Keys, Table().KeyCount)->Number = kGoodsCode;
  Table().SetFilter("[MINVAL(PRICE)]");
  ASSERT_TRUE(Table().LoadAll()) << Table().GetFilterError() << Table().GetFilterMessage();
  EXPECT_EQ(Column(kGoodsCode), "A,B,C");
  EXPECT_EQ(Column(kGoodsName), "3,2,6");  // of the equal prices of A the one read first
  EXPECT_EQ(Table().MemTableLocate(0)->RecNo, 3);

  Table().SetFilter("[MAXVAL(GOODS.PRICE), GOODS.NAME#'5']");
  ASSERT_TRUE(Table().LoadAll());
  EXPECT_EQ(Column(kGoodsName), "1,2,6");

  FreeKeyCols(Table().Keys, Table().KeyCount);  // without keys no grouping
  ASSERT_TRUE(Table().LoadAll());
  EXPECT_EQ(Table().Count(), 5);
}

TEST_F(BoundTableTest, RowsGoIntoViews) {
  Bind({{"A", "Сыр"_w, "1.5"}, {"B", "", "5"}, {"C", "", "7"}});
  ASSERT_TRUE(Table().LoadAll());
  test::FakeDataView view;
  view.Columns = {{kGoodsCode, 'C', {}}, {kGoodsPrice, 'N', {}}, {-1, 'C', {}}};
  THelpFilter pageFilter(goods_);
  pageFilter.SetText("[GOODS.PRICE<6]");
  Table().ViewFilter = &pageFilter;
  Table().MemTableGoto(2);
  ShowInView(Table(), view, false);
  EXPECT_EQ(std::tuple(view.Text(), view.TableRow(1), view.Current, view.UpdatingOn, Table().CurrentIndex()),
            std::tuple("A|1.50|;B|5|", 1, 0, false, 2));
  view.Columns[2] = {kGoodsPrice, 'E', {}};  // a fixed-text cell keeps the whole number
  ShowInView(Table(), view, false);
  EXPECT_EQ(view.Text(), "A|1.50|1.500000000;B|5|5");
  view.Columns[2].Field = -1;

  TBaseListContext context(&bases_);
  ASSERT_EQ(CompileExpr("GOODS.PRICE*2", context, view.Columns[1].Expr).ErrCode, 0);
  ASSERT_EQ(CompileExpr("GOODS.NAME", context, view.Columns[2].Expr).ErrCode, 0);
  view.Columns[2].Kind = 'N';  // a text does not go into a number cell
  std::unique_ptr<TKeyCol> skipped;
  int32_t keyCount = 0;
  for (auto [number, column] : {std::pair{-1, 0}, {0, 1}, {0, 2}}) {
    TKeyCol* k = AddKeyCol(skipped, keyCount);
    k->Number = number;
    k->ViewColumn = column;
  }
  int32_t err = -5;
  CopyToView(Table(), view, err, skipped.get(), false);
  EXPECT_EQ(err, 22);
  EXPECT_EQ(view.Text(), "|3|;|10|");
  view.Columns[2].Kind = 'E';
  MoveToView(Table(), view, err, true, skipped.get(), true);
  EXPECT_EQ(std::tuple(err, view.Text(), view.TableRow(2)), std::tuple(0, "|3|;|10|;|3|Сыр;|10|"_w, -1));
  EXPECT_EQ(Column(kGoodsCode), "C");  // moved rows left the table

  Table().ViewFilter = nullptr;
  ShowInView(Table(), view, true);
  EXPECT_EQ(view.Text(), "|14|");  // the text is not of the cell's kind
}

TEST_F(BoundTableTest, BindingsAndNewRowPrograms) {
  Bind({});
  goods_->Table.Number = 7;
  TUBL* temp = r_.Temp("TMP", {{"QTY", 'N', 5, 0}});
  EXPECT_EQ(std::tuple(bases_.FindByAlias("goods"), bases_.FindByNumber(7), bases_.FindByAlias("NONE")),
            std::tuple(goods_, goods_, static_cast<TUBL*>(nullptr)));
  EXPECT_TRUE(temp->Table.OwnsDbf() && temp->Bound);
  EXPECT_TRUE(temp->Table.LoadAll());  // no file behind it: nothing to do
  temp->Table.Append();
  temp->Table.SetFieldText(0, "12");
  EXPECT_EQ(temp->FieldValue(0).Num, 12);
  EXPECT_EQ(temp->Table.SaveChanges(), TSaveResult::Saved);

  // Every row added runs the binding's new-row program while it is bound.
  ASSERT_EQ(r_.Rig.Compile("TMP.QTY := TMP.QTY + 5\nENDSECTION"), 0) << r_.Rig.Message;
  temp->NewRowProgram = r_.Rig.Main;
  temp->Table.Insert(0);
  EXPECT_EQ(temp->FieldValue(0).Num, 5);
  temp->Bound = false;
  temp->Table.Append();
  EXPECT_EQ(temp->FieldValue(0).Num, 0);
  temp->NewRowProgram = nullptr;
}

}  // namespace
}  // namespace vm
