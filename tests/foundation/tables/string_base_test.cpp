#include "foundation/tables/string_base.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <tuple>

#include "foundation/tables/table_rewrite.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/goods_table.h"
#include "support/number_order.h"
#include "support/plain_quicksort.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::GoodsRecord;
using test::kGoodsCode;
using test::kGoodsDate;
using test::kGoodsName;
using test::kGoodsNo;
using test::kGoodsPrice;

class StringBaseTest : public ::testing::Test {
 protected:
  void Open(const std::vector<GoodsRecord>& records) {
    path_ = tmp_ / "goods.dbf";
    ASSERT_TRUE(test::WriteGoods(path_, records));
    dbf_.FileName = path_;
    table_.SetDbf(&dbf_);
    ASSERT_TRUE(dbf_.Active());
  }

  // CODE of every row, "-" marking rows set deleted.
  std::string Codes() const {
    std::string out, s;
    for (int32_t i = 0; i < table_.Count(); ++i) {
      table_.GetBufferText(kGoodsCode, table_.MemTableLocate(i)->Buffer(), s);
      if (!out.empty()) out += ",";
      out += (table_.MemTableLocate(i)->Deleted ? "-" : "") + s;
    }
    return out;
  }

  // The file as another program reads it meanwhile.
  std::string FileRecords() {
    dbf_.Close();
    std::string out = test::ReadGoods(path_);
    dbf_.Open();
    return out;
  }

  std::string Field(int32_t field) const {
    std::string s;
    table_.GetFieldText(field, s);
    return s;
  }

  static TCommonVar Num(long double x) { return {'N', "", x, {}, {}}; }
  static TCommonVar Text(std::string s) { return {'C', std::move(s), 0, {}, {}}; }

  test::TempDir tmp_;
  std::string path_;
  TDBF dbf_;
  TStringBase table_;
};

TEST_F(StringBaseTest, LoadsLiveRecordsWithTheirNumbers) {
  Open({{"A", "Молоко"_w, "10.50"}, {"B", "", "1", true}, {"C", "", "2", false, {}, 40}, {"D", "", "x"}});
  ASSERT_TRUE(table_.LoadAll());
  EXPECT_EQ(Codes(), "A,C,D");
  // LastNo is the largest NO__, above the record count.
  EXPECT_EQ(std::tuple(table_.LastNo, table_.CurrentIndex(), table_.Modified), std::tuple(40, 0, false));
  EXPECT_EQ(Field(kGoodsName), "Молоко"_w);  // converted from code page 866
  const TRow* c = table_.MemTableLocate(1);
  EXPECT_EQ(std::tuple(c->No, c->RecNo, c->New), std::tuple(40, 3, false));

  TCommonVar v;
  table_.GetValue(kGoodsPrice, v);
  EXPECT_EQ(std::pair(v.Kind, v.Num), std::pair('N', 10.5L));
  table_.MemTableGoto(2);
  table_.GetValue(kGoodsPrice, v);  // unreadable text is 0
  EXPECT_EQ(v.Num, 0);
  table_.GetValue(kGoodsDate, v);
  EXPECT_EQ(v.Date, (TDateRec{1, 1, 2020}));
  // A value read over another keeps nothing of it but the part of its kind
  // (this row's name is empty, its price unreadable).
  const TDateRec date = v.Date;
  for (const int32_t field : {kGoodsName, kGoodsPrice, kGoodsDate}) {
    v.Str = "x";
    v.Num = 5;
    v.Date = {1, 2, 3};
    v.Time = {4, 5, 6};
    table_.GetValue(field, v);
    EXPECT_EQ(std::tuple(v.Str, v.Num, v.Date, v.Time),
              std::tuple(std::string(), 0.0L,
                         field == kGoodsDate ? date : TDateRec{}, TTimeRec{}))
        << field;
    EXPECT_FALSE(std::signbit(v.Num)) << field;
  }
  table_.MemTableGoto(7);
  table_.GetValue(kGoodsPrice, v);
  EXPECT_EQ(v.Kind, 0);

  table_.MemTableGoto(0);
  dbf_.GoToRecord(4);
  ASSERT_EQ(dbf_.ReadRecord(), 0);
  table_.ReadDbfRecord();
  EXPECT_EQ(Field(kGoodsCode), "D");
  table_.SetFieldText(kGoodsName, "Ёж"_w);
  table_.WriteDbfRecord();
  EXPECT_EQ(dbf_.GetFieldStr(kGoodsName), "Ёж"_w);

  ASSERT_TRUE(table_.LoadRange(2, 3));
  EXPECT_EQ(Codes(), "C");
  ASSERT_TRUE(table_.LoadRange(0, 99));
  EXPECT_EQ(Codes(), "A,C,D");

  EXPECT_EQ(table_.LoadNextRecord(2), 3);
  EXPECT_EQ(Codes(), "C");
  EXPECT_EQ(table_.LoadLastRecord(), 4);
  EXPECT_EQ(Codes(), "D");
  EXPECT_EQ(table_.LoadNextRecord(5), -1);
  EXPECT_EQ(table_.Count(), 0);

  int seen = 0;
  ASSERT_TRUE(table_.LoadWhile(1, [&] { return ++seen < 3; }));  // A, C, then stops at D
  EXPECT_EQ(Codes(), "A,C");
}

// "NO__" written as plain digits is read at once, anything else as the
// table engine reads an integer.
TEST_F(StringBaseTest, NumbersOfRowsAsTheEngineReadsThem) {
  const std::vector<std::string> texts = {"7",     "000000042", "999999999", "1234567890", "12a",  "a12", "-5",
                                          "+5",    "",          "1.0",       "12 3",       "4e1",  "0",   "00",
                                          "-0",    "+0",        "12345678",  "-1234567",   "+1234567", "5.", "-"};
  Open({});
  for (const std::string& text : texts) {
    dbf_.GoToRecord(dbf_.RecCount() + 1);
    dbf_.ClearRecordBuf();
    ASSERT_TRUE(dbf_.SetFieldStr(kGoodsNo, text));
    ASSERT_TRUE(dbf_.WriteRecord());
  }
  ASSERT_TRUE(table_.LoadAll());
  ASSERT_EQ(table_.Count(), static_cast<int32_t>(texts.size()));
  for (int32_t r = 0; r < table_.Count(); ++r) {
    dbf_.GoToRecord(r + 1);
    ASSERT_EQ(dbf_.ReadRecord(), 0);
    bool error = false;
    const int32_t engine = dbf_.GetFieldInt(kGoodsNo, error);
    EXPECT_EQ(table_.MemTableLocate(r)->No, error ? 0 : engine) << texts[static_cast<std::size_t>(r)];
  }
  EXPECT_EQ(table_.MemTableLocate(2)->No, 999999999);
}

// Loaded rows share blocks of memory; each row must stay its own while
// others around it are deleted, kept, sorted or loaded anew, and every
// block go with its last row.
TEST_F(StringBaseTest, LoadedRowsLiveAndDieOneByOne) {
  std::vector<GoodsRecord> records;
  for (int i = 0; i < 3000; ++i) records.push_back({std::to_string(i), "", std::to_string(i % 97)});
  Open(records);
  ASSERT_TRUE(table_.LoadAll());
  for (int32_t r = table_.LastIndex(); r >= 0; r -= 3) table_.Delete(r);
  std::vector<int32_t> kept;
  for (int32_t r = 0; r < table_.Count(); r += 5) kept.push_back(r);
  table_.KeepRows(kept);
  table_.Insert(1)->No = 77;
  table_.SetFieldText(kGoodsCode, "new");
  table_.SortByField(kGoodsPrice, false);
  std::string expected, code;
  for (int32_t r = 0; r < table_.Count(); ++r) {
    const TRow* row = table_.MemTableLocate(r);
    table_.GetBufferText(kGoodsCode, row->Buffer(), code);
    EXPECT_EQ(code, row->No == 77 ? "new" : std::to_string(row->RecNo - 1)) << r;
  }
  EXPECT_EQ(table_.Count(), 401);
  ASSERT_TRUE(table_.LoadRange(10, 20));
  EXPECT_EQ(Codes(), "9,10,11,12,13,14,15,16,17,18,19");
  // Each load fills again the blocks the rows before it leave, whether
  // those rows all lie in blocks, some were freed, or one lies alone.
  for (int load = 0; load < 4; ++load) {
    ASSERT_TRUE(table_.LoadAll());
    ASSERT_EQ(table_.Count(), 3000);
    for (const int32_t r : {0, 1234, 2999}) {
      table_.GetBufferText(kGoodsCode, table_.MemTableLocate(r)->Buffer(), code);
      EXPECT_EQ(code, std::to_string(r));
    }
    if (load == 1) table_.Delete(1234);
    if (load == 2) table_.Append();
  }
  table_.SetDbf(nullptr);
}

#if defined(__SANITIZE_ADDRESS__)
TEST_F(StringBaseTest, AFreedRowOfABlockIsNotToBeTouched) {
  Open({{"A", "", "1"}, {"B", "", "2"}, {"C", "", "3"}});
  ASSERT_TRUE(table_.LoadAll());
  const TRow* second = table_.MemTableLocate(1);
  const TRow* third = table_.MemTableLocate(2);
  table_.Delete(1);
  const auto read = [](const char* p) {
    const volatile char c = *p;
    (void)c;
  };
  EXPECT_DEATH(read(second->Buffer()), "use-after-poison");
  // Nor the bytes just past a live row.
  EXPECT_DEATH(read(third->Buffer() + table_.RecordSize()), "use-after-poison");
  read(third->Buffer() + table_.RecordSize() - 1);
  // Rows that all lie in blocks go with their blocks at once.
  table_.MemTableClear();
  EXPECT_DEATH(read(third->Buffer()), "use-after-");
}
#endif

TEST_F(StringBaseTest, InsertAndDeleteKeepTheCurrentRowInside) {
  Open({});
  int added = 0;
  table_.OnNewRow = [&] { ++added; };
  for (const char* code : {"A", "B", "C"}) {
    table_.Append();
    table_.SetFieldText(kGoodsCode, code);
  }
  table_.Insert(-5);
  table_.SetFieldText(kGoodsCode, "F");
  table_.Insert(2);
  table_.SetFieldText(kGoodsCode, "M");
  table_.Insert(99);
  table_.SetFieldText(kGoodsCode, "Z");
  EXPECT_EQ(added, 6);
  EXPECT_EQ(Codes(), "F,A,M,B,C,Z");
  for (int32_t i = 0; i < table_.Count(); ++i) EXPECT_EQ(table_.MemTableLocate(i)->Index, i);
  EXPECT_TRUE(table_.MemTableLocate(2)->New);

  table_.MemTableGoto(3);
  table_.Delete(1);  // before the current row: it keeps its row
  EXPECT_EQ(table_.CurrentIndex(), 2);
  EXPECT_EQ(Field(kGoodsCode), "B");
  table_.Delete(2);  // the current row: the next one takes its place
  EXPECT_EQ(Field(kGoodsCode), "C");
  table_.MemTableGoto(3);
  table_.Delete(3);  // the last one: the one before
  EXPECT_EQ(Field(kGoodsCode), "C");
  table_.Delete(7);
  EXPECT_EQ(Codes(), "F,M,C");
  while (table_.Count() > 0) table_.Delete(0);
  EXPECT_EQ(table_.Current(), nullptr);
  EXPECT_EQ(table_.Buffer(), nullptr);
}

TEST_F(StringBaseTest, ValuesAreWrittenByTheirKind) {
  Open({});
  table_.Append();
  // 123456.5 takes 9 characters where the price has 8: it drops its zero
  // decimal. A number that would lose a decimal that is not zero, or does
  // not fit even without decimals, leaves the field as it was.
  for (const auto& [field, value, stored, text] : std::vector<std::tuple<int32_t, TCommonVar, bool, std::string>>{
           {kGoodsNo, Num(1234567890), true, "1234567890"}, {kGoodsNo, Num(12345678901), false, "1234567890"},
           {kGoodsPrice, Num(12.5), true, "12.50"}, {kGoodsPrice, Num(123456.5), true, "123456.5"},
           {kGoodsPrice, Num(99999999.4), false, "123456.5"}, {kGoodsPrice, Num(99999999), true, "99999999"},
           {kGoodsPrice, Num(99999999.6), false, "99999999"},
           {kGoodsPrice, Num(-9999999.6), false, "99999999"}, {kGoodsPrice, Num(-0.125), true, "-0.12"},
           {kGoodsDate, {'D', "", 0, {5, 3, 2007}, {}}, true, "20070305"}, {kGoodsDate, {'D', "", 0, {}, {}}, true, "00000000"},
           {kGoodsDate, {'D', "", 0, {100, 1, 2000}, {}}, false, "00000000"},
           {kGoodsDate, {'D', "", 0, {-1, 1, 2000}, {}}, false, "00000000"},
           {kGoodsCode, Text("ОЧЕНЬ ДЛИННЫЙ КОД"_w), true, "ОЧЕНЬ ДЛИН"_w}}) {
    EXPECT_EQ(table_.SetValue(field, value), stored) << text;
    EXPECT_EQ(Field(field), text);
  }
  table_.SetFieldText(kGoodsNo, " 12");
  EXPECT_EQ(std::string(table_.Buffer() + 1, 10), "        12");
  EXPECT_TRUE(table_.Current()->Changed);
}

// Numbers without fixed-point digits (1e36 or more, NaN, the infinities)
// are too wide for any field: every writer of numbers refuses them and
// leaves the field as it was, though "1E+300" would take only six
// characters. Below 1e36 a field wide enough still takes the digits.
TEST_F(StringBaseTest, EveryNumberWriterRefusesWhatHasNoFixedDigits) {
  Open({{"A", "", "1.00"}});
  ASSERT_TRUE(table_.LoadAll());
  table_.MemTableGoto(0);
  const long double inf = std::numeric_limits<long double>::infinity();
  for (const long double x : {1e36L, 1e300L, -1e36L, -1.5e40L, std::numeric_limits<long double>::quiet_NaN(), inf, -inf}) {
    SCOPED_TRACE(static_cast<double>(x));
    EXPECT_FALSE(table_.FitsField(kGoodsPrice, Num(x)));
    EXPECT_FALSE(table_.SetValue(kGoodsPrice, Num(x)));
    EXPECT_EQ(Field(kGoodsPrice), "1.00");
    dbf_.ClearRecordBuf();
    ASSERT_TRUE(dbf_.SetFieldStr(kGoodsPrice, "1.00"));
    EXPECT_FALSE(dbf_.SetFieldNumber(kGoodsPrice, x));
    EXPECT_EQ(dbf_.GetFieldStr(kGoodsPrice), "1.00");
    EXPECT_EQ(FitFixed(x, 255, 0), "");
  }
  // The digits of 1e36 as a text too long for the field.
  EXPECT_FALSE(dbf_.SetFieldStr(kGoodsPrice, "1" + std::string(36, '0') + ".00"));
  EXPECT_EQ(dbf_.GetFieldStr(kGoodsPrice), "1.00");
  EXPECT_EQ(FitFixed(std::ldexp(1.0L, 119), 36, 2), "664613997892457936451903530140172288");
}

// Eight digits are read straight; any other text of a date field goes the
// way of a number, as before.
TEST_F(StringBaseTest, DatesAreReadFromTheirText) {
  Open({});
  table_.Append();
  for (const auto& [text, date] : std::vector<std::pair<std::string, TDateRec>>{
           {"20070305", {5, 3, 2007}}, {"00000000", {}}, {"99991299", {99, 12, 9999}},
           {"        ", {}}, {" 2007030", {30, 70, 200}}, {"2007030 ", {30, 70, 200}}, {"2007.3e1", {73, 0, 2}},
           {"-2007030", {}}, {"1e7     ", {0, 0, 1000}}, {"2007O305", {}}}) {
    table_.SetFieldText(kGoodsDate, text);
    TCommonVar v;
    table_.GetValue(kGoodsDate, v);
    EXPECT_EQ(v.Date, date) << text;
  }
}

TEST_F(StringBaseTest, SaveAppendsNewRowsAndMarksDeletedOnes) {
  Open({{"A", "", "1"}, {"B", "", "2", false, {}, 7}, {"C", "", "3"}});
  ASSERT_TRUE(table_.LoadAll());
  table_.MemTableGoto(0);
  table_.SetDeleted(true);
  table_.MemTableGoto(1);
  table_.SetValue(kGoodsPrice, Num(9));
  table_.Append();
  table_.SetFieldText(kGoodsCode, "N1");
  table_.Append();
  table_.SetFieldText(kGoodsCode, "N2");
  table_.SetDeleted(true);  // new and deleted: never written
  ASSERT_EQ(table_.SaveChanges(), TSaveResult::Saved);
  EXPECT_EQ(FileRecords(), "*1|A; 7|B; 3|C; 4|N1");
  const TRow* n1 = table_.MemTableLocate(3);
  EXPECT_EQ(std::tuple(n1->No, n1->RecNo, n1->New, table_.LastNo), std::tuple(4, 4, false, 4));
  // Existing rows keep their NO__.
  const TRow* b = table_.MemTableLocate(1);
  EXPECT_EQ(std::tuple(b->No, b->Changed, table_.CurrentIndex()), std::tuple(7, false, 0));

  // A value that does not fit changes nothing; a field another program
  // filled with '*' is saved as it stands, and said.
  table_.MemTableGoto(2);
  EXPECT_FALSE(table_.SetValue(kGoodsPrice, Num(1e12)));
  EXPECT_FALSE(table_.Current()->Changed);
  table_.SetFieldText(kGoodsPrice, "********");
  table_.Current()->Changed = true;
  EXPECT_EQ(table_.SaveChanges(), TSaveResult::SavedTooWide);
}

TEST_F(StringBaseTest, RewriteNumbersRowsByPosition) {
  Open({{"A", "", "1", false, {}, 10}, {"B", "", "2", false, {}, 20}, {"C", "", "3", false, {}, 30}});
  ASSERT_TRUE(table_.LoadAll());
  table_.MemTableGoto(1);
  table_.SetDeleted(true);
  ASSERT_EQ(table_.Rewrite(), TSaveResult::Saved);
  EXPECT_EQ(FileRecords(), " 1|A; 3|C");
  EXPECT_EQ(table_.MemTableLocate(2)->No, 30);  // rows in memory keep theirs
  ASSERT_TRUE(table_.LoadAll());
  EXPECT_EQ(Codes(), "A,C");
}

// Bytes another program wrote into a text field that no text gives back
// (frames and signs: "A─B▓C∙D√■█", which read as letters or stand-ins)
// stay in a field nobody changed, an assignment of the text it holds
// included, on every way a table is saved; a changed field is written as
// its text. A new row that copies such a record whole, as ADDBASE of the
// same fields does, keeps them when the table is made anew.
TEST_F(StringBaseTest, ATextFieldNobodyChangedKeepsTheBytesAnotherProgramWrote) {
  const std::string odd = "A\xC4" "B\xB2" "C\xF9" "D\xFB\xFE\xDB";
  const auto count = [](const std::string& bytes, const std::string& part) {
    int n = 0;
    for (std::size_t at = bytes.find(part); at != std::string::npos; at = bytes.find(part, at + 1)) ++n;
    return n;
  };
  const auto planned = [this](bool rewrite) {
    TPendingSave plan;
    if (!table_.PlanSave(rewrite, plan) || !RewriteTable(dbf_, plan.Records)) return TSaveResult::Failed;
    table_.SaveDone(plan);
    return TSaveResult::Saved;
  };
  for (const auto& [road, rewrite, save] :
       {std::tuple("SaveChanges", false, std::function<TSaveResult()>([this] { return table_.SaveChanges(); })),
        {"Rewrite", true, [this] { return table_.Rewrite(); }},
        {"planned update", false, [&] { return planned(false); }},
        {"planned rewrite", true, [&] { return planned(true); }}}) {
    SCOPED_TRACE(road);
    dbf_.Close();
    Open({{"A", "ODDODDODDO", "1"}, {"B", "ODDODDODDO", "2"}, {"C", "Хлеб"_w, "3"}});
    dbf_.Close();
    std::string bytes = test::ReadBytes(path_);
    while (bytes.find("ODDODDODDO") != std::string::npos) bytes.replace(bytes.find("ODDODDODDO"), 10, odd);
    test::WriteBytes(path_, bytes);
    ASSERT_TRUE(dbf_.Open());
    ASSERT_TRUE(table_.LoadAll());
    table_.MemTableGoto(0);
    table_.SetValue(kGoodsPrice, Num(9));
    table_.MemTableGoto(1);
    table_.SetValue(kGoodsName, Text(Field(kGoodsName)));
    table_.MemTableGoto(2);
    table_.SetValue(kGoodsName, Text(Field(kGoodsName) + "ы"_w));
    const std::string copied(table_.MemTableLocate(1)->Buffer(), static_cast<std::size_t>(table_.RecordSize()));
    std::memcpy(table_.Append()->Buffer(), copied.data(), copied.size());
    ASSERT_EQ(save(), TSaveResult::Saved);
    dbf_.Close();
    bytes = test::ReadBytes(path_);
    EXPECT_EQ(count(bytes, odd), rewrite ? 3 : 2);
    EXPECT_EQ(count(bytes, WinToDosStr("Хлебы"_w)), 1);
    EXPECT_EQ(count(bytes, "    9.00"), 1);
    ASSERT_TRUE(dbf_.Open());
  }

  // So in a record shorter than the pieces the bytes are compared in.
  for (const bool rewrite : {false, true}) {
    TDBF file;
    file.FileName = tmp_ / "short.dbf";
    ASSERT_TRUE(file.CreateTable() && file.AddFieldEx("NAME", 4, 'C', 0) && file.AddFieldEx("MARK", 1, 'C', 0) &&
                file.WriteStructure());
    std::memcpy(file.RecordBytes(), " \xC4\xB2\xF9\xFB ", 6);
    ASSERT_TRUE(file.WriteRecord() && file.Close() && file.Open());
    TStringBase shortTable(&file);
    ASSERT_TRUE(shortTable.LoadAll());
    shortTable.MemTableGoto(0);
    shortTable.SetValue(1, Text("x"));
    ASSERT_EQ(rewrite ? shortTable.Rewrite() : shortTable.SaveChanges(), TSaveResult::Saved);
    file.Close();
    EXPECT_EQ(count(test::ReadBytes(tmp_ / "short.dbf"), " \xC4\xB2\xF9\xFBx"), 1) << rewrite;
  }
}

TEST_F(StringBaseTest, SavesThatFailHalfWayLeaveTheFileAsItWas) {
  std::vector<GoodsRecord> records;
  for (int i = 0; i < 3000; ++i) records.push_back({"K" + std::to_string(i), "Товар"_w, "1.00"});
  Open(records);
  ASSERT_TRUE(table_.LoadAll());
  const std::string before = test::ReadBytes(path_);
  table_.MemTableGoto(5);
  table_.SetFieldText(kGoodsCode, "CHANGED");
  table_.SetValue(kGoodsPrice, Num(2));
  for (int i = 0; i < 10; ++i) table_.Append();
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 100000;  // about half of the table
    EXPECT_EQ(table_.SaveChanges(), TSaveResult::Failed);
    EXPECT_EQ(table_.Rewrite(), TSaveResult::Failed);
    fs.WriteBudget = -1;
    fs.FailRename = true;
    EXPECT_EQ(table_.SaveChanges(), TSaveResult::Failed);
    EXPECT_TRUE(dbf_.Active());
    dbf_.Close();  // its file goes with the faulty file system
  }
  EXPECT_EQ(test::ReadBytes(path_), before);
  ASSERT_TRUE(dbf_.Open());
  // The rows still wait to be saved, and the table still works.
  EXPECT_TRUE(table_.MemTableLocate(5)->Changed);
  EXPECT_TRUE(table_.MemTableLocate(3001)->New);
  ASSERT_EQ(table_.SaveChanges(), TSaveResult::Saved);
  EXPECT_EQ(dbf_.RecCount(), 3010);
  ASSERT_TRUE(table_.LoadRange(6, 6));
  EXPECT_EQ(Field(kGoodsCode), "CHANGED");
}

TEST_F(StringBaseTest, SortsLikeTheQuicksortAndKeepsTheCurrentRecord) {
  Open({{"B", "", "3"}, {"a", "", "10"}, {"A", "", "2"}, {"C", "", "10.00"}, {"б"_w, "", "1"}});
  ASSERT_TRUE(table_.LoadAll());
  table_.MemTableGoto(3);  // C
  EXPECT_TRUE(table_.SortByField(kGoodsPrice, false));
  // Equal keys keep no particular order.
  EXPECT_THAT(Codes(), ::testing::AnyOf("б,A,B,a,C"_w, "б,A,B,C,a"_w));
  EXPECT_EQ(Field(kGoodsCode), "C");
  EXPECT_EQ(table_.CurrentIndex(), Codes().back() == 'C' ? 4 : 3);

  EXPECT_TRUE(table_.SortByField(kGoodsCode, true));
  EXPECT_EQ(Codes(), "a,A,B,C,б"_w);
  EXPECT_FALSE(table_.SortByField(kGoodsCode, true));
  table_.MemTableClear();
  EXPECT_FALSE(table_.SortByField(kGoodsCode, true));
}

TEST_F(StringBaseTest, BinarySearchGivesTheRowOrWhereItBelongs) {
  Open({{"10", "", "1"}, {"20", "", "2"}, {"20", "", "3"}, {"40", "", "4"}});
  ASSERT_TRUE(table_.LoadAll());
  TKeyCol key;
  key.Number = kGoodsCode;
  key.Next = std::make_unique<TKeyCol>();
  key.Next->Number = kGoodsPrice;
  key.Next->Value = Num(3);
  for (auto [code, found, place] : {std::tuple{"20", 2, 2}, {"30", -1, 3}, {"50", -1, 4}, {"05", -1, 0}}) {
    key.Value = Text(code);
    int32_t pos = -9;
    TRow* row = table_.BinarySearch(pos, &key, false, 3, 0);
    EXPECT_EQ(std::pair(row, pos), std::pair(found < 0 ? nullptr : table_.MemTableLocate(found), place)) << code;
  }

  bool inserted = false;
  key.Value = Text("30");
  key.Next->Value = Num(7);
  TRow* row = table_.LocateOrInsert(&key, inserted, false);
  EXPECT_EQ(std::pair(inserted, row->Index), std::pair(true, 3));
  EXPECT_EQ(Codes(), "10,20,20,30,40");
  EXPECT_EQ(Field(kGoodsPrice), "7.00");
  EXPECT_EQ(table_.LocateOrInsert(&key, inserted, false), row);
  EXPECT_FALSE(inserted);

  table_.MemTableClear();
  EXPECT_NE(table_.LocateOrInsert(&key, inserted, false), nullptr);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(table_.Count(), 1);
}

TEST_F(StringBaseTest, DuplicatesGoByTheKeyColumns) {
  Open({{"a", "1", "1"}, {"B", "2", "2"}, {"A", "3", "3"}, {"b", "4", "4"}, {"C", "5", "5"}});
  auto names = [&] {
    std::string out, s;
    for (int32_t i = 0; i < table_.Count(); ++i) {
      table_.GetBufferText(kGoodsName, table_.MemTableLocate(i)->Buffer(), s);
      out += s;
    }
    return out;
  };
  table_.RemoveDuplicatesKeepFirst();  // no keys: nothing
  ASSERT_TRUE(table_.LoadAll());
  AddKeyCol(table_.Keys, table_.KeyCount)->Number = kGoodsCode;
  table_.RemoveDuplicatesKeepFirst();
  EXPECT_EQ(names(), "125");
  ASSERT_TRUE(table_.LoadAll());
  table_.RemoveDuplicatesKeepLast();
  EXPECT_EQ(names(), "345");
  ASSERT_TRUE(table_.LoadAll());
  table_.SortByField(kGoodsName, false);
  table_.RemoveAdjacentDuplicates(true);  // a and A differ in case
  EXPECT_EQ(names(), "12345");
  table_.SortByField(kGoodsCode, false);
  table_.RemoveAdjacentDuplicates(false);
  EXPECT_EQ(table_.Count(), 3);
}

// One key sorts by a path of its own; a second, constant key sends
// the same comparisons through the general one. The rows, numbered in field
// 0, must come out in the same order from both, with the same "changed"
// result, which is returned.
bool ExpectOneKeySortAsGeneral(const TFieldRecord& key, const std::vector<std::string>& texts,
                               bool caseSensitive = false) {
  const auto fill = [&](TStringBase& t) {
    t.MakeTemporary({{"ID", 'N', 6, 0}, key, {"SAME", 'C', 1, 0}});
    for (std::size_t i = 0; i < texts.size(); ++i) {
      t.Append();
      t.SetFieldText(0, std::to_string(i));
      t.SetFieldText(1, texts[i]);
    }
  };
  TStringBase one, two;
  fill(one);
  fill(two);
  TKeyCol keys;
  keys.Number = 1;
  keys.Next = std::make_unique<TKeyCol>();
  keys.Next->Number = 2;
  const bool changed = one.SortByField(1, caseSensitive);
  EXPECT_EQ(changed, two.Sort(&keys, caseSensitive));
  std::string a, b;
  for (int32_t i = 0; i < one.Count(); ++i) {
    one.GetBufferText(0, one.MemTableLocate(i)->Buffer(), a);
    two.GetBufferText(0, two.MemTableLocate(i)->Buffer(), b);
    EXPECT_EQ(a, b) << "row " << i;
    if (a != b) break;
  }
  return changed;
}

// Ties and keys a hundredth apart.
TEST(StringBaseSort, OneNumberKeyOrdersAsTheGeneralComparison) {
  std::mt19937 random(5);
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(std::to_string(random() % 40) + "." + std::to_string(random() % 3));
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"PRICE", 'N', 12, 2}, texts));
}

// Texts of one value written many ways, texts read as 0, and keys beyond
// what an integer key stands for, which must send the whole sort back to
// the general comparison; in a directed rounding mode too.
TEST(StringBaseSort, OneNumberKeyOrdersOddTextsAsTheGeneralComparison) {
  const std::vector<std::string> odd = {
      "",      "            ", "************", "-0.00",        "0.00", "-0",     "0",          "+0",  ".5",
      "-.5",   "0.5",          "0.50",         "12.5",         "12.50", "12.5        ", "  12.5  ", "1,25", "+3.10",
      "3.1",   "-3.1",         "-3.10",        "99999999.99",  "-99999999.99", "1e2", "100", "abc", "-", "1.",
      "-.01",  "-0.01",        "0.01"};
  const std::vector<std::string> oddWhole = {"", "     ", "*****", "-0", "0", "+0", "abc", "-", "1,0", "7.", "007"};
  const auto mix = [&](std::vector<std::string> extra, unsigned seed, bool whole = false) {
    const std::vector<std::string>& pool = whole ? oddWhole : odd;
    std::mt19937 random(seed);
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i) {
      const auto n = random();
      if (n % 3 == 0) texts.push_back(pool[n / 3 % pool.size()]);
      else if (n % 3 == 1 && !extra.empty()) texts.push_back(extra[n / 3 % extra.size()]);
      else texts.push_back((n & 1 ? "-" : "") + std::to_string(n / 3 % 50) + (whole ? "" : "." + std::to_string(n / 7 % 100)));
    }
    return texts;
  };
  const TFieldRecord price{"PRICE", 'N', 12, 2};
  EXPECT_TRUE(ExpectOneKeySortAsGeneral(price, mix({}, 1)));
  // More decimals than the field has.
  EXPECT_TRUE(ExpectOneKeySortAsGeneral(price, mix({"1.234", "1.23"}, 2)));
  EXPECT_TRUE(ExpectOneKeySortAsGeneral(price, mix({"1,234", "1.23", "1.234e0"}, 9)));
  // Integers up to the largest an integer key takes, a hundredth apart; then
  // one past it.
  std::vector<std::string> big;
  std::mt19937 random(3);
  for (int i = 0; i < 3000; ++i)
    big.push_back(i % 7 == 0 ? "90071992547409.91" : "900719925473" + std::to_string(random() % 90 + 10) + ".91");
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"BIG", 'N', 20, 2}, big));
  for (std::string& text : big) text.back() = static_cast<char>('0' + random() % 2);
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"BIG", 'N', 20, 2}, big));
  big[1234] = "90071992547409.92";
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"BIG", 'N', 20, 2}, big));
  // Keys too far apart to share a word with the row number.
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"BIG", 'N', 20, 2}, mix({"20000000000000", "-20000000000000"}, 5)));
  // Decimals finer than the tolerance of comparisons.
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"FINE", 'N', 20, 10},
                                        mix({"0.0000000001", "0.0000000002", "0.00000001", "0.00000002"}, 6)));
  EXPECT_TRUE(ExpectOneKeySortAsGeneral({"WHOLE", 'N', 5, 0}, mix({"7", "-7", "07", "7.", "+7"}, 7, true)));
  const int mode = std::fegetround();
  std::fesetround(FE_DOWNWARD);
  EXPECT_TRUE(ExpectOneKeySortAsGeneral(price, mix({}, 8)));
  std::fesetround(mode);
}

// The rows' IDs in the order the plain quicksort of the values gives: the
// middle row as pivot, scanning in from both ends, exchanging rows that
// differ in place, numbers ordered as sorts order them; and whether it
// exchanged any.
std::pair<std::vector<std::string>, bool> PlainQuicksortOrder(TStringBase& table, int32_t field) {
  std::vector<std::pair<TCommonVar, std::string>> rows(static_cast<std::size_t>(table.Count()));
  for (int32_t r = 0; r < table.Count(); ++r) {
    table.GetBufferValue(field, table.MemTableLocate(r)->Buffer(), rows[static_cast<std::size_t>(r)].first);
    table.GetBufferText(0, table.MemTableLocate(r)->Buffer(), rows[static_cast<std::size_t>(r)].second);
  }
  const bool exchanged = test::PlainQuicksort(
      rows, [](const auto& a, const auto& b) { return CompareValuesInOrder(a.first, b.first, false); });
  std::vector<std::string> ids;
  for (const auto& row : rows) ids.push_back(row.second);
  return {ids, exchanged};
}

// A number key is sorted a block at a time; the order, ties included, must
// be the plain quicksort's, on long tables of few distinct keys, of keys
// all distinct, of -0 beside 0, and already sorted or reversed; with
// decimals finer than the tolerance too, numbers within it of each other,
// keys spread too far for the quick path and past the integers.
TEST(StringBaseSort, NumberKeyOrdersAsThePlainQuicksort) {
  std::mt19937 random(11);
  const auto check = [](const TFieldRecord& field, std::vector<std::string> texts) {
    TStringBase table;
    table.MakeTemporary({{"ID", 'N', 7, 0}, field});
    for (std::size_t i = 0; i < texts.size(); ++i) {
      table.Append();
      table.SetFieldText(0, std::to_string(i));
      table.SetFieldText(1, texts[i]);
    }
    const auto [expected, exchanged] = PlainQuicksortOrder(table, 1);
    EXPECT_EQ(table.SortByField(1, false), exchanged);
    std::vector<std::string> ids;
    std::string id;
    for (int32_t r = 0; r < table.Count(); ++r) {
      table.GetBufferText(0, table.MemTableLocate(r)->Buffer(), id);
      ids.push_back(id);
    }
    EXPECT_EQ(ids, expected);
  };
  // Each as it comes, sorted by value and reversed.
  const auto checkArranged = [&](const TFieldRecord& field, std::vector<std::string> texts) {
    check(field, texts);
    std::vector<std::pair<long double, std::string>> byValue;
    for (const std::string& t : texts) byValue.emplace_back(std::stold(t), t);
    std::stable_sort(byValue.begin(), byValue.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = byValue[i].second;
    check(field, texts);
    std::reverse(texts.begin(), texts.end());
    check(field, texts);
  };
  for (const int distinct : {1, 2, 3, 7, 40, 1000, 1000000}) {
    SCOPED_TRACE(distinct);
    for (const int count : {300, 5000, 40000}) {
      std::vector<std::string> texts;
      for (int i = 0; i < count; ++i) {
        const int n = static_cast<int>(random() % static_cast<unsigned>(distinct)) - distinct / 2;
        texts.push_back(n == 0 && random() % 2 ? "-0.00" : std::to_string(n / 100) + "." + std::to_string(std::abs(n % 100)));
        if (n < 0 && n > -100) texts.back() = "-" + texts.back();
        // Whole numbers written without the point, as other programs may.
        if (n % 7 == 3) texts.back() = std::to_string(n);
      }
      checkArranged({"PRICE", 'N', 12, 2}, texts);
    }
  }
  for (const std::string base : {"4", "0", "3000", "9000000000"}) {
    for (const unsigned steps : {2u, 9u, 400u}) {
      SCOPED_TRACE(base + " " + std::to_string(steps));
      std::vector<std::string> texts;
      for (int i = 0; i < 3000; ++i) {
        texts.push_back(test::ChainedNumber(random() % 4 == 0 ? "-" + base : base, random() % steps, 3, 10));
        // Far from the rest: keys spread past what a word holds with the rows.
        if (random() % 50 == 0) texts.back() = std::to_string(random() % 200) + ".5";
      }
      checkArranged({"FINE", 'N', 24, 10}, texts);
    }
  }
}

// Numbers closer than the tolerance link into chains longer than it; a sort
// by them, alone or before a name, must still leave no row before a row
// more than the tolerance below it, and where two numbers are the same to
// nine decimals, and so equal, the name decides. That sameness is worked
// out here on the numbers' digits, as whole units of their last decimal.
TEST(StringBaseSort, NumbersCloserThanTheToleranceStayInOrder) {
  std::mt19937 random(17);
  for (const auto& [decimals, step] : {std::pair{9, 1u}, {10, 4u}, {10, 7u}, {12, 300u}}) {
    SCOPED_TRACE(::testing::Message() << decimals << " decimals, steps of " << step);
    // The number in units of the ninth decimal, halves to even.
    long long below = 1;
    for (int d = 9; d < decimals; ++d) below *= 10;
    const auto ninthDecimals = [below](long long units) {
      const long long sign = units < 0 ? -1 : 1, whole = units * sign / below, rest = units * sign % below;
      return sign * (whole + (2 * rest > below || (2 * rest == below && whole % 2 == 1)));
    };
    for (int round = 0; round < 150; ++round) {
      TStringBase table;
      table.MakeTemporary({{"NUM", 'N', 20, decimals}, {"NAME", 'C', 4, 0}, {"NINTH", 'N', 20, 0}});
      const int rows = 2 + static_cast<int>(random() % 60);
      for (int i = 0; i < rows; ++i) {
        table.Append();
        const bool negative = random() % 3 == 0;
        const unsigned steps = random() % 9;
        table.SetFieldText(0, test::ChainedNumber(negative ? "-4" : "4", steps, step, decimals));
        table.SetFieldText(1, std::string(1, static_cast<char>('a' + random() % 5)));
        const long long units = 4 * below * 1000000000LL + static_cast<long long>(steps) * step;
        table.SetFieldText(2, std::to_string(ninthDecimals(negative ? -units : units)));
      }
      TKeyCol keys;
      keys.Number = 0;
      keys.Next = std::make_unique<TKeyCol>();
      keys.Next->Number = 1;
      for (const bool byName : {false, true}) {
        if (byName) table.Sort(&keys, false);
        else table.SortByField(0, false);
        std::vector<long double> numbers;
        std::vector<std::string> names, ninths;
        TCommonVar v;
        for (int32_t r = 0; r < table.Count(); ++r) {
          table.GetBufferValue(0, table.MemTableLocate(r)->Buffer(), v);
          numbers.push_back(v.Num);
          table.GetBufferValue(1, table.MemTableLocate(r)->Buffer(), v);
          names.push_back(v.Str);
          std::string ninth;
          table.GetBufferText(2, table.MemTableLocate(r)->Buffer(), ninth);
          ninths.push_back(ninth);
        }
        ASSERT_EQ(test::FirstRowOutOfOrder(numbers), -1) << "round " << round << (byName ? " by name too" : "");
        for (std::size_t r = 1; byName && r < numbers.size(); ++r) {
          if (ninths[r - 1] != ninths[r]) continue;
          ASSERT_LE(names[r - 1], names[r]) << "round " << round << ", row " << r;
        }
      }
    }
  }
}

// Numbers equal to nine decimals are equal keys, and the next key orders
// them: each pair below lies within the tolerance, and the name puts the
// larger number first.
TEST(StringBaseSort, NumbersEqualByTheToleranceLeaveTheOrderToTheNextKey) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"4.0000000001", "c"},  {"4.5000000000", "a"},  {"-4.0000000001", "b"}, {"4.9999999998", "d"},
      {"4.0000000002", "a"},  {"5.0000000003", "b"},  {"-4.0000000002", "a"}, {"4.0000000016", "a"}};
  const std::vector<std::string> expected = {"-4.0000000002 a", "-4.0000000001 b", "4.0000000002 a",
                                             "4.0000000001 c",  "4.0000000016 a",  "4.5000000000 a",
                                             "5.0000000003 b",  "4.9999999998 d"};
  for (const bool reversed : {false, true}) {
    TStringBase table;
    table.MakeTemporary({{"NUM", 'N', 20, 10}, {"NAME", 'C', 4, 0}});
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const auto& [number, name] = rows[reversed ? rows.size() - 1 - i : i];
      table.Append();
      table.SetFieldText(0, number);
      table.SetFieldText(1, name);
    }
    TKeyCol keys;
    keys.Number = 0;
    keys.Next = std::make_unique<TKeyCol>();
    keys.Next->Number = 1;
    table.Sort(&keys, false);
    std::vector<std::string> order;
    for (int32_t r = 0; r < table.Count(); ++r) {
      std::string number, name;
      table.GetBufferText(0, table.MemTableLocate(r)->Buffer(), number);
      table.GetBufferText(1, table.MemTableLocate(r)->Buffer(), name);
      order.push_back(TrimBlanks(number) + " " + TrimBlanks(name));
    }
    EXPECT_EQ(order, expected) << (reversed ? "reversed" : "as listed");
  }
}

// Keys found or inserted one by one in rows sorted by a number and a name
// must leave them sorted, with numbers closer than the tolerance; a key
// inserted is found again.
TEST(StringBaseSort, SearchesPlaceNumbersCloserThanTheToleranceInOrder) {
  std::mt19937 random(19);
  for (int round = 0; round < 200; ++round) {
    TStringBase table;
    table.MakeTemporary({{"NUM", 'N', 20, 10}, {"NAME", 'C', 4, 0}});
    TKeyCol keys;
    keys.Number = 0;
    keys.Next = std::make_unique<TKeyCol>();
    keys.Next->Number = 1;
    for (int i = 0; i < 40; ++i) {
      keys.Value = {'N', "", std::stold(test::ChainedNumber("4", random() % 9, 4, 10)), {}, {}};
      keys.Next->Value = {'C', std::string(1, static_cast<char>('a' + random() % 5)), 0, {}, {}};
      bool inserted = false;
      const TRow* row = table.LocateOrInsert(&keys, inserted, false);
      std::vector<long double> numbers;
      TCommonVar v;
      for (int32_t r = 0; r < table.Count(); ++r) {
        table.GetBufferValue(0, table.MemTableLocate(r)->Buffer(), v);
        numbers.push_back(v.Num);
      }
      ASSERT_EQ(test::FirstRowOutOfOrder(numbers), -1) << "round " << round << ", key " << i;
      int32_t pos = -1;
      ASSERT_EQ(table.BinarySearch(pos, &keys, false, table.LastIndex(), 0), row);
    }
  }
}

// Whole numbers in fields without decimals and dates of eight digits are
// read a word at a time: every text, padded, signed, zero, with junk or zero
// bytes in it, gives the bits the general readers give, in every rounding
// mode.
TEST(StringBaseValues, WholeNumbersAndDatesReadAsTheGeneralReaders) {
  std::vector<TFieldRecord> fields;
  for (int width = 1; width <= 20; ++width) fields.push_back({"W" + std::to_string(width), 'N', width, 0});
  fields.push_back({"D", 'D', 8, 0});
  TStringBase table;
  table.MakeTemporary(fields);
  std::vector<char> buf(static_cast<std::size_t>(table.RecordSize()), ' ');
  const int32_t date = table.FieldCount() - 1;
  const auto place = [&](int32_t field, const std::string& text) {
    const std::string_view bytes = table.FieldBytes(field, buf.data());
    std::memcpy(buf.data() + (bytes.data() - buf.data()), text.data(), text.size());
    return std::string_view(bytes.data(), text.size());
  };
  const auto bits = [](long double x) {
    std::array<unsigned char, 10> b{};
    std::memcpy(b.data(), &x, b.size());
    return b;
  };
  std::mt19937 random(13);
  const std::string junk = std::string("+- x9.,\0", 8);
  const auto randomText = [&](int width) {
    std::string digits(static_cast<std::size_t>(1 + random() % static_cast<unsigned>(std::min(width, 10))), '0');
    for (char& c : digits) c = random() % 3 == 0 ? '0' : static_cast<char>('0' + random() % 10);
    if (random() % 5 == 0) digits[random() % digits.size()] = junk[random() % junk.size()];
    std::string sign = random() % 3 == 0 ? (random() % 2 ? "-" : "+") : "";
    if (sign.size() + digits.size() > static_cast<std::size_t>(width)) sign.clear();
    const std::size_t free = static_cast<std::size_t>(width) - sign.size() - digits.size();
    const std::size_t before = free == 0 ? 0 : random() % (free + 1);
    return std::string(before, ' ') + sign + digits + std::string(free - before, random() % 6 == 0 ? '\0' : ' ');
  };
  const int mode = std::fegetround();
  TCommonVar v;
  for (const int rounding : {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD}) {
    std::fesetround(rounding);
    for (int round = 0; round < 30000; ++round) {
      const int32_t field = round % 20;
      const std::string_view text = place(field, randomText(field + 1));
      table.GetBufferValue(field, buf.data(), v);
      ASSERT_EQ(bits(v.Num), bits(ReadNumberField(text))) << '"' << text << '"' << rounding;
      std::string day(8, '0');
      for (char& c : day) c = static_cast<char>('0' + random() % 10);
      if (round % 3 == 0) day = randomText(8);
      const std::string_view dayText = place(date, day);
      table.GetBufferValue(date, buf.data(), v);
      ASSERT_EQ(v.Date, ReadOtherDateField(dayText)) << '"' << dayText << '"';
    }
  }
  std::fesetround(mode);
}

// The text of a number field is made straight from its digits where they
// tell it; wherever they do, it is ValueToText's text of the value read:
// padded, signed, zero and "-0", with leading zeros, junk, a comma, more
// decimals than the field's, up to nineteen digits, shown with fewer, as
// many or more decimals, in every rounding mode. The usual texts must take
// the way at all.
TEST(StringBaseValues, NumberTextsFromTheDigitsAreTheTextsOfTheValues) {
  std::vector<TFieldRecord> fields;
  for (int width = 1; width <= 22; ++width) fields.push_back({"W" + std::to_string(width), 'N', width, width % 5});
  TStringBase table;
  table.MakeTemporary(fields);
  std::vector<char> buf(static_cast<std::size_t>(table.RecordSize()), ' ');
  std::mt19937 random(29);
  const std::string junk = std::string("+- x9.,e\0", 9);
  const auto someDigits = [&](int count) {
    std::string digits(static_cast<std::size_t>(count), '0');
    for (char& c : digits) c = random() % 3 == 0 ? '0' : static_cast<char>('0' + random() % 10);
    return digits;
  };
  const auto upTo = [&](int most) { return 1 + static_cast<int>(random() % static_cast<unsigned>(std::max(most, 1))); };
  // Usual: as saves write the field, right-aligned with all its decimals.
  const auto randomText = [&](int width, int decimals, bool usual) {
    const int tail = decimals > 0 ? decimals + 1 : 0;
    std::string digits = someDigits(upTo(usual ? std::min(width - tail, 15) : std::min(width, 19)));
    if (usual && decimals > 0) digits += "." + someDigits(decimals);
    const int point = usual ? 0 : static_cast<int>(random() % 13);
    if (point > 0 && static_cast<int>(digits.size()) > point) digits.insert(digits.end() - point, '.');
    if (!usual && random() % 5 == 0) digits[random() % digits.size()] = junk[random() % junk.size()];
    std::string sign = random() % 3 == 0 ? (usual || random() % 2 ? "-" : "+") : "";
    if (sign.size() + digits.size() > static_cast<std::size_t>(width)) sign.clear();
    std::string text = sign + digits;
    if (text.size() > static_cast<std::size_t>(width)) text.resize(static_cast<std::size_t>(width));
    const std::size_t free = static_cast<std::size_t>(width) - text.size();
    const std::size_t before = usual || free == 0 ? free : random() % (free + 1);
    return std::string(before, ' ') + text + std::string(free - before, ' ');
  };
  const int mode = std::fegetround();
  TCommonVar v;
  std::string scratch;
  std::string_view made;
  int usualTaken = 0, usualTried = 0;
  for (const int rounding : {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD}) {
    std::fesetround(rounding);
    for (int round = 0; round < 40000; ++round) {
      const auto field = static_cast<int32_t>(random() % fields.size());
      const TFieldRecord& f = fields[static_cast<std::size_t>(field)];
      const bool usual = random() % 2 == 0 && f.Length > f.Decimals + 1 + (f.Decimals > 0 ? 1 : 0);
      const std::string text = randomText(f.Length, f.Decimals, usual);
      std::memcpy(buf.data() + (table.FieldBytes(field, buf.data()).data() - buf.data()), text.data(), text.size());
      const int shown = random() % 10 == 0 ? static_cast<int>(random() % 300) : static_cast<int>(random() % 7);
      const bool taken = table.NumberFieldText(field, buf.data(), shown, scratch, made);
      table.GetBufferValue(field, buf.data(), v);
      if (taken) {
        ASSERT_EQ(made, ValueToText(v, 1, shown)) << '"' << text << "\" with " << shown << " decimals, rounding " << rounding;
      }
      // Up to eighteen digits shown.
      const auto digits = std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
      const bool plain = shown >= f.Decimals && digits + shown - f.Decimals <= 18;
      if (usual && plain && rounding == FE_TONEAREST) {
        ++usualTried;
        usualTaken += taken ? 1 : 0;
      }
    }
  }
  std::fesetround(mode);
  // Near zero, near the limit of the digits, and odd shapes.
  TStringBase wide;
  wide.MakeTemporary({{"N", 'N', 22, 3}});
  std::vector<char> record(static_cast<std::size_t>(wide.RecordSize()), ' ');
  for (const char* odd : {"0.0000000001", "-0.000000001", "0.00000001", "0.000000015", "-0", "-0.000", "00012.50",
                          "+5", ".5", "5.", "1,5", "1e-10", "123456789012345678", "1152921504606846975",
                          "1152921504606846976", "115292150460684697.5", "9999999999999999999", "-99999999999.99999"}) {
    const std::string text = std::string(22 - std::strlen(odd), ' ') + odd;
    std::memcpy(record.data() + 1, text.data(), text.size());
    wide.GetBufferValue(0, record.data(), v);
    for (int shown = 0; shown <= 14; ++shown) {
      if (wide.NumberFieldText(0, record.data(), shown, scratch, made)) {
        EXPECT_EQ(made, ValueToText(v, 1, shown)) << odd << " with " << shown << " decimals";
      }
    }
  }
  EXPECT_GT(usualTried, 5000);
  EXPECT_EQ(usualTaken, usualTried) << "numbers as saves write them";
}

// One text key sorts on keys held in the sorted entries; ties, texts that
// start others, case, Ё, blanks and empty texts must come out as the general
// comparison orders them, for every length of key the entries hold and past
// it.
TEST(StringBaseSort, OneTextKeyOrdersAsTheGeneralComparison) {
  const std::vector<std::string> pool = {
      "", " ", "a", "A", "b", "ab", "Ab", "aB", "abc", "abc ", "ABC", "abd", "Молоко"_w, "молоко"_w, "Молоко 3,2%"_w,
      "Ёлка"_w, "Елка"_w, "ёлка"_w, "Жук"_w, "Яблоко"_w, "z", "Z", "0", "10", "9", "#", "-", "Молоко пастеризованное 3,2% 12"_w,
      "Молоко пастеризованное 3,2% 1"_w, "Молоко пастеризованное 3,2% 12345678901234567890123"_w};
  for (const auto& [length, caseSensitive] : {std::pair{30, false}, {30, true}, {1, false}, {8, false}, {9, true},
                                              {64, false}, {31, true}, {32, true}, {65, false}}) {
    SCOPED_TRACE(::testing::Message() << length << (caseSensitive ? " case-sensitive" : ""));
    std::mt19937 random(static_cast<unsigned>(length));
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) {
      const auto n = random();
      std::string text = pool[n % pool.size()];
      if (n / 64 % 3 == 0) text += " " + std::to_string(n / 256 % 100);
      texts.push_back(text);
    }
    ExpectOneKeySortAsGeneral({"NAME", 'C', length, 0}, texts, caseSensitive);
  }
}


// A load reads records where they lie in the table's blocks and converts
// their texts from code page 866 as it copies them into rows: every row and
// every value must be those of the file's own bytes, each text byte
// converted alone, bit for bit, for records of every size (short ones,
// which are converted another way, among them), deleted records left out,
// over several read-ahead blocks.
TEST(StringBaseValues, LoadedRowsHoldTheFileBytesAndTheirValues) {
  test::TempDir tmp;
  const std::string path = tmp / "values.dbf";
  std::mt19937 random(47);
  const std::string letters = "09 .-+AZaz" + WinToDosStr("АЯабпрсяЁё№"_w) + "\xB0\xDB\xF2\xFF\x7F";
  const std::string digits = "0123456789   .-";
  static const char* const kNames[] = {"NO__", "F1", "F2", "F3", "F4", "F5", "F6", "F7"};
  for (int round = 0; round < 24; ++round) {
    TDBF made;
    made.FileName = path;
    ASSERT_TRUE(made.CreateTable());
    const int fieldCount = 1 + static_cast<int>(random() % 8);
    for (int f = 0; f < fieldCount; ++f) {
      const char type = f == 0 && round % 2 ? 'N' : "CCNND"[random() % 5];
      const int width = type == 'D' ? 8 : 1 + static_cast<int>(random() % (round % 3 == 0 ? 4 : 30));
      const int decimals = type == 'N' && width > 2 && random() % 2 ? 1 + static_cast<int>(random() % 2) : 0;
      ASSERT_TRUE(made.AddFieldEx(kNames[f], width, type, decimals));
    }
    ASSERT_TRUE(made.WriteStructure());
    const auto size = static_cast<std::size_t>(made.RecordSize());
    const int records = round % 4 == 0 ? 25000 : 500;
    for (int r = 0; r < records; ++r) {
      made.GoToRecord(made.RecCount() + 1);
      uint8_t* bytes = made.RecordBytes();
      bytes[0] = random() % 5 == 0 ? '*' : ' ';
      for (int f = 0; f < fieldCount; ++f) {
        const TFieldRecord def = made.GetFieldDef(f);
        const std::string& from = def.FieldType == 'C' ? letters : digits;
        for (int i = 0; i < def.Length; ++i)
          bytes[made.FieldOffset(f) + i] = static_cast<uint8_t>(from[random() % from.size()]);
      }
      ASSERT_TRUE(made.WriteRecord());
    }
    ASSERT_TRUE(made.Close());

    TDBF dbf;
    dbf.FileName = path;
    dbf.SetReadOnly(true);
    TStringBase table(&dbf);
    ASSERT_TRUE(dbf.Active());
    ASSERT_TRUE(dbf.OemCoded());
    ASSERT_TRUE(table.LoadAll());
    const std::string file = test::ReadBytes(path);
    const std::size_t header = 32 + 32 * static_cast<std::size_t>(fieldCount) + 1;
    std::vector<bool> text(size, false);
    for (int f = 0; f < fieldCount; ++f)
      if (table.FieldType(f) == 'C')
        std::fill_n(text.begin() + dbf.FieldOffset(f), dbf.GetFieldDef(f).Length, true);
    TCommonVar loaded, wanted;
    int32_t row = 0;
    for (int r = 0; r < records; ++r) {
      std::string record = file.substr(header + static_cast<std::size_t>(r) * size, size);
      if (record[0] == '*') continue;
      for (std::size_t i = 0; i < size; ++i)
        if (text[i]) record[i] = DosToWinChar(record[i]);
      ASSERT_LT(row, table.Count()) << round;
      const TRow* got = table.MemTableLocate(row++);
      ASSERT_EQ(got->RecNo, r + 1) << round;
      ASSERT_TRUE(std::string(got->Buffer(), size) == record) << round << ' ' << r;
      for (int32_t f = 0; f < fieldCount; ++f) {
        table.GetBufferValue(f, got->Buffer(), loaded);
        table.GetBufferValue(f, record.data(), wanted);
        ASSERT_EQ(std::tuple(loaded.Kind, loaded.Str, loaded.Date), std::tuple(wanted.Kind, wanted.Str, wanted.Date))
            << round << ' ' << r << ' ' << f;
        ASSERT_EQ(std::memcmp(&loaded.Num, &wanted.Num, 10), 0) << round << ' ' << r << ' ' << f;
      }
      // Each text as the table reads that field alone.
      dbf.GoToRecord(r + 1);
      ASSERT_EQ(dbf.ReadRecord(), 0);
      for (int32_t f = 0; f < fieldCount; ++f) {
        if (table.FieldType(f) != 'C') continue;
        table.GetBufferValue(f, got->Buffer(), loaded);
        ASSERT_EQ(loaded.Str, dbf.GetFieldStr(f)) << round << ' ' << r << ' ' << f;
      }
    }
    ASSERT_EQ(row, table.Count()) << round;
  }
}

}  // namespace
}  // namespace vm
