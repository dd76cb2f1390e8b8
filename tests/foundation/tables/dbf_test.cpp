#include "foundation/tables/dbf.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/tables/string_base.h"
#include "foundation/text/number_text.h"
#include "platform/encoding.h"
#include "platform/clock.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using namespace std::string_literals;

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

// A field descriptor as the file holds it, without decimals.
std::string Descriptor(std::string name, char type, int offset, int length) {
  name.resize(11, '\0');
  return name + type + static_cast<char>(offset) + Zeros(3) + static_cast<char>(length) + Zeros(15);
}

// Appends a record to a table of NO__ N(10,0), NAME C(20).
bool Append(TDBF& t, int32_t no, std::string_view name = "") {
  t.GoToRecord(t.RecCount() + 1);
  t.ClearRecordBuf();
  t.SetFieldInt(0, no);
  t.SetFieldStr(1, name);
  return t.WriteRecord();
}

// Reads record n and writes it back in place after `change`.
template <class F>
bool Rewrite(TDBF& t, int32_t n, F change) {
  t.GoToRecord(n);
  if (t.ReadRecord() < 0) return false;
  t.GoToRecord(n);
  change();
  return t.WriteRecord();
}

// Reads the next record: its mark, number and both fields.
std::string Next(TDBF& t) {
  const int r = t.ReadRecord();
  return std::to_string(r) + " " + std::to_string(t.RecNo()) +
         (r < 0 ? "" : " " + t.GetFieldStr(0) + "|" + t.GetFieldStr(1));
}

// The raw bytes of the field the buffer holds.
std::string Raw(TDBF& t, int index) {
  const TFieldRecord def = t.GetFieldDef(index);
  std::string s = t.GetFieldStr(index);
  if (def.FieldType == 'N') s.insert(0, def.Length - s.size(), ' ');
  return s;
}

// Opens the table in a child process; the child's exit code is the result.
bool OpensInOtherProcess(const std::string& path, bool readOnly) {
  const pid_t pid = fork();
  if (pid == 0) {
    TDBF t;
    t.FileName = path;
    t.SetReadOnly(readOnly);
    _exit(t.Open() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Dbf : public ::testing::Test {
 protected:
  void SetUp() override { t.FileName = path; }

  // A new NO__ N(10,0), NAME C(20) table with the given names, left open.
  void Create(TDBF& table, const std::vector<std::string>& names = {}) {
    ASSERT_TRUE(table.CreateTable());
    ASSERT_TRUE(table.AddFieldEx("NO__", 10, 'N', 0));
    ASSERT_TRUE(table.AddFieldEx("NAME", 20, 'C', 0));
    ASSERT_TRUE(table.WriteStructure());
    for (std::size_t i = 0; i < names.size(); ++i)
      ASSERT_TRUE(Append(table, static_cast<int32_t>(i + 1), names[i]));
  }

  void MakeTable(const std::vector<std::string>& names) {
    TDBF table;
    table.FileName = path;
    Create(table, names);
    ASSERT_TRUE(table.Close());
  }

  // Opens the table, empties it and writes one record named `name`.
  void ZapToOneRecord(const std::string& name) {
    ASSERT_TRUE(t.Open());
    ASSERT_TRUE(t.Zap());
    ASSERT_TRUE(Append(t, 1, name));
  }

  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  TDBF t;
};

TEST_F(Dbf, CreatesTablesByteExactly) {
  {
    // The header takes the date in UTC, which here is still the day before.
    const FixedClock clock({2007, 3, 6, 1, 0, 0, 0}, {2007, 3, 5, 22, 0, 0, 0});
    const ScopedClock fixed(clock);
    MakeTable({"Молоко"_w, "Kefir"});
  }
  EXPECT_EQ(test::ReadBytes(path),
            "\x03\x07\x03\x05\x02"s + Zeros(3) + "\x61" + Zeros(1) + "\x1F" + Zeros(18) + "\x65" +
                Zeros(2) + Descriptor("NO__", 'N', 1, 10) + Descriptor("NAME", 'C', 11, 20) + "\x0D" +
                "          1" + WinToDosStr("Молоко"_w) + std::string(14, ' ') +
                "          2Kefir               \x1A");

  // Read back, text converted, and nothing past the last record.
  t.SetReadOnly(true);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(std::pair(t.OemCoded(), t.RecCount()), std::pair(true, 2));
  EXPECT_EQ(Next(t), "0 1 1|" + "Молоко"_w);
  EXPECT_EQ(Next(t), "0 2 2|Kefir");
  EXPECT_EQ(Next(t), "-1 2");
  t.GoToRecord(0);
  EXPECT_EQ(t.ReadRecord(), -1);
}

TEST_F(Dbf, ReadsVersionsAndLanguagesOfOtherPrograms) {
  MakeTable({"Хлеб"_w});
  const std::string base = test::ReadBytes(path);
  auto variant = [&](uint8_t version, uint8_t language) {
    std::string f = base;
    f[0] = static_cast<char>(version);
    f[29] = static_cast<char>(language);
    test::WriteBytes(path, f);
    TDBF r;
    r.FileName = path;
    const bool ok = r.OpenReadOnly();
    std::string name;
    if (ok && r.ReadRecord() == 0) name = r.GetFieldStr(1);
    return std::make_tuple(ok, r.OpenResult(), r.OemCoded(), name);
  };
  for (uint8_t lang : {0x00, 0x26, 0x65})
    for (uint8_t version : {0x03, 0xF5})
      EXPECT_EQ(variant(version, lang), std::make_tuple(true, kDbfOk, true, "Хлеб"_w));
  for (uint8_t lang : {0x65, 0xC9}) {
    EXPECT_FALSE(std::get<0>(variant(0x04, lang)));
    EXPECT_EQ(std::get<1>(variant(0x04, lang)), kDbfUnreadable);
  }
  // An unknown language byte opens, without conversion; emptied and refilled,
  // such a table keeps its text as it was written.
  EXPECT_EQ(variant(0x03, 0xC9), std::make_tuple(true, kDbfForeignLanguage, false, WinToDosStr("Хлеб"_w)));
  ZapToOneRecord("Сыр"_w);
  ASSERT_TRUE(t.Close());
  ASSERT_TRUE(t.OpenReadOnly());
  EXPECT_EQ(Next(t), "0 1 1|" + "Сыр"_w);
}

TEST_F(Dbf, RefusesDamagedFiles) {
  MakeTable({"a", "b", "c"});
  const std::string good = test::ReadBytes(path);
  auto patched = [&](std::size_t at, int byte) {
    std::string f = good;
    f[at] = static_cast<char>(byte);
    return f;
  };
  std::string endless = good.substr(0, 32);  // 256 descriptors without the terminator
  for (int i = 0; i < 256; ++i) endless += good.substr(64, 32);
  for (const auto& [bytes, result, why] : std::vector<std::tuple<std::string, int, const char*>>{
           {good, kDbfOk, "good"},
           {patched(80, 60), kDbfDamaged, "NAME longer than the record"},
           {patched(8, 65), kDbfDamaged, "room for one descriptor only"},
           {patched(4, 4), kDbfDamaged, "four records counted, three there"},
           {good.substr(0, 96), kDbfDamaged, "descriptors never terminated"},
           {endless, kDbfDamaged, "endless descriptors"},
           {good.substr(0, 20), kDbfUnreadable, "short header"}}) {
    test::WriteBytes(path, bytes);
    TDBF r;
    r.FileName = path;
    EXPECT_EQ(r.OpenReadOnly(), result == kDbfOk) << why;
    EXPECT_EQ(r.OpenResult(), result) << why;
    EXPECT_EQ(r.ReadRecord() == -1, result != kDbfOk) << why;
  }
  t.FileName = tmp / "none.dbf";
  EXPECT_FALSE(t.Open());
  EXPECT_EQ(t.LastFileError(), FileError::NotFound);
}

// Random damage to the header and descriptors: every open either fails or
// gives a table whose records and fields read and write inside the file.
TEST_F(Dbf, RandomlyDamagedHeadersStayInBounds) {
  MakeTable({"a", "b", "c"});
  const std::string good = test::ReadBytes(path);
  std::mt19937 rng(20070305);
  int opened = 0;
  for (int round = 0; round < 800; ++round) {
    std::string f = good;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < changes; ++k) {
      // Mostly the counts and sizes of the header and the descriptor lengths.
      static const int hot[] = {4, 5, 8, 9, 10, 11, 43, 48, 49, 64, 75, 80, 81, 96, 97};
      const std::size_t at = rng() % 2 ? hot[rng() % std::size(hot)] : rng() % f.size();
      f[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
    }
    if (rng() % 4 == 0) f.resize(rng() % f.size());
    test::WriteBytes(path, f);
    TDBF r;
    r.FileName = path;
    if (!r.Open()) continue;
    ++opened;
    std::string text;
    bool error = false;
    for (int n = 0; n <= r.RecCount() && n < 10; ++n) {
      r.ReadRecord();
      for (int i = 0; i < r.FieldCount(); ++i) {
        r.GetFieldStr(i, text);
        r.GetFieldInt(i, error);
        r.GetFieldDate(i, error);
        r.SetFieldStr(i, "12");
      }
    }
    r.GoToRecord(r.RecCount() + 1);
    r.WriteRecord();
    r.Close();
    ASSERT_TRUE(r.OpenReadOnly()) << "a table that opened once opens again, round " << round;
  }
  EXPECT_GT(opened, 50);
}

TEST_F(Dbf, FieldValuesFollowTheirTypes) {
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("P", 6, 'N', 2);
  t.AddFieldEx("Q", 3, 'N', 0);
  t.AddFieldEx("N5", 5, 'N', 0);
  t.AddFieldEx("C5", 5, 'C', 0);
  t.AddFieldEx("D", 8, 'D', 0);
  ASSERT_TRUE(t.WriteStructure());
  t.ClearRecordBuf();

  // A number that does not fit is never stored as another number: it loses
  // decimals, or when it does not fit even without them the field keeps what
  // it held.
  struct Case { int field; int32_t value; bool stored; const char* raw; };
  for (const Case& c : {Case{0, 5, true, "  5.00"}, {1, -12, true, "-12"}, {1, 12345, false, "-12"},
                        {0, 1000, true, "1000.0"}, {0, 99999, true, " 99999"}, {0, 999999, true, "999999"},
                        {0, -99999, true, "-99999"}, {0, 1000000, false, "-99999"}}) {
    EXPECT_EQ(t.SetFieldInt(c.field, c.value), c.stored) << c.value;
    EXPECT_EQ(Raw(t, c.field), c.raw) << c.value;
  }
  bool error = false;
  EXPECT_EQ(t.GetFieldInt(1, error), -12);
  EXPECT_FALSE(error);
  for (const auto& [field, text, stored, raw] : std::vector<std::tuple<int, const char*, bool, const char*>>{
           {2, "123456", false, "     "}, {2, "abc", true, "  abc"}, {2, "abcdefg", false, "  abc"},
           {0, "1234.567", true, "1234.6"}, {0, "999999.6", false, "1234.6"}, {0, "-0.00001", true, "0.0000"},
           {0, "  12.5", true, "  12.5"}, {0, "1.5e+03", true, "1500.0"}, {0, "12,34567", false, "1500.0"},
           {3, "abcdefg", true, "abcde"}, {3, "abc", true, "abc"}}) {
    EXPECT_EQ(t.SetFieldStr(field, text), stored) << text;
    EXPECT_EQ(Raw(t, field), raw) << text;
  }

  for (auto [text, value] : {std::pair{"2.5", "2"}, {"3.5", "4"}, {"-2.5", "-2"}, {"-3.5", "-4"},
                             {"0.5", "0"}, {"-0.5", "0"}, {" 17", "17"},
                             {"1e3", "1000"}, {"0.49", "0"}, {"", "bad"}, {"abc", "bad"}, {"1.2.3", "bad"},
                             {"-", "bad"}, {"99999e9", "bad"}}) {
    t.SetFieldStr(2, text);
    const int32_t got = t.GetFieldInt(2, error);
    EXPECT_EQ(error ? "bad" : std::to_string(got), value) << text;
  }

  for (const auto& [text, date, bad] : std::vector<std::tuple<const char*, TDateRec, bool>>{
           {"", {}, true}, {"21991231", {31, 12, 2199}, false}, {"22000101", {}, true}}) {
    t.SetFieldStr(4, text);
    const TDateRec got = t.GetFieldDate(4, error);
    EXPECT_EQ(std::pair(bad ? TDateRec{} : got, error), std::pair(date, bad)) << text;
  }
  EXPECT_TRUE(t.SetFieldDate(4, {5, 3, 2007}));
  EXPECT_EQ(t.GetFieldStr(4), "20070305");

  EXPECT_FALSE(t.SetFieldStr(9, "x"));
  EXPECT_EQ(t.GetFieldStr(9), "");
}

// Whole numbers are read without floating point; every text reads as the
// general reader reads it, bounds of the 32-bit range included.
TEST_F(Dbf, WholeNumbersReadAsTheGeneralReaderReadsThem) {
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("N", 22, 'N', 0);
  ASSERT_TRUE(t.WriteStructure());
  bool error = false;
  auto read = [&](std::string_view text) {
    t.SetFieldStr(0, text);
    const int32_t got = t.GetFieldInt(0, error);
    return error ? "bad" : std::to_string(got);
  };
  for (auto [text, value] : {std::pair{"2147483647", "2147483647"}, {"2147483648", "bad"},
                             {"-2147483648", "-2147483648"}, {"-2147483649", "bad"}, {"+12", "12"},
                             {"-0", "0"}, {"0000000000000000042", "42"}, {"999999999999999999", "bad"},
                             {"12345678901234567890", "bad"}, {"+", "bad"}, {"-", "bad"}, {"- 1", "bad"},
                             {"1 2", "bad"}, {"12-", "bad"}, {"1.", "1"}, {"2.50", "2"}, {"7e1", "70"}}) {
    EXPECT_EQ(read(text), value) << text;
  }
  // Blanks and zero bytes after the digits, as other programs leave them.
  std::memcpy(t.RecordBytes() + 1, "    \0\0\0\0\0\0\0\0\0\0 -17\0 \0\0\0", 22);
  EXPECT_EQ(t.GetFieldInt(0, error), 0);
  EXPECT_TRUE(error);
  std::memcpy(t.RecordBytes() + 1, "               -17\0 \0 ", 22);
  EXPECT_EQ(t.GetFieldInt(0, error), -17);
  EXPECT_FALSE(error);
  // Every width of padding, against the same number with a fraction, which
  // takes the general way.
  std::mt19937 random(3);
  for (int round = 0; round < 3000; ++round) {
    const int digits = 1 + round % 12;
    int64_t v = 0;
    for (int d = 0; d < digits; ++d) v = v * 10 + static_cast<int64_t>(random() % 10);
    const std::string whole = (random() % 2 ? "-" : "") + std::to_string(v);
    const std::string whole_read = read(whole);
    ASSERT_EQ(whole_read, read(whole + ".0")) << whole;
    ASSERT_EQ(whole_read, read(std::string(random() % 8, ' ') + whole + std::string(random() % 3, ' '))) << whole;
  }
}

// Date fields and short numbers of fields of every width are read a word at
// a time: each text, padded, signed, with junk or zero bytes in it, reads as
// the same text with ".0" after its digits, which takes the general way.
TEST_F(Dbf, FieldsOfEveryWidthReadTheirWholeNumbersAsTheGeneralReader) {
  ASSERT_TRUE(t.CreateTable());
  for (int width = 1; width <= 20; ++width) {
    ASSERT_TRUE(t.AddFieldEx("W" + std::to_string(width), width, width == 8 ? 'D' : 'N', 0));
    ASSERT_TRUE(t.AddFieldEx("G" + std::to_string(width), width + 2, 'N', 0));
  }
  ASSERT_TRUE(t.WriteStructure());
  std::mt19937 random(11);
  // Junk that makes no other number of either text.
  const std::string junk = std::string("+- x9\0", 6);
  bool error = false, generalError = false;
  for (int round = 0; round < 40000; ++round) {
    const int width = 1 + round % 20;
    const int field = 2 * (width - 1);
    std::string digits(static_cast<std::size_t>(1 + random() % width), '0');
    for (char& c : digits) c = static_cast<char>('0' + random() % 10);
    if (digits.size() > 1 && random() % 4 == 0) digits[random() % (digits.size() - 1)] = junk[random() % junk.size()];
    std::string sign = random() % 3 == 0 ? (random() % 2 ? "-" : "+") : "";
    if (sign.size() + digits.size() > static_cast<std::size_t>(width)) sign.clear();
    const std::size_t free = static_cast<std::size_t>(width) - sign.size() - digits.size();
    const std::size_t before = free == 0 ? 0 : random() % (free + 1);
    const std::string after(free - before, random() % 5 == 0 ? '\0' : ' ');
    const std::string text = std::string(before, ' ') + sign + digits + after;
    const std::string general = std::string(before, ' ') + sign + digits + ".0" + after;
    std::memcpy(t.RecordBytes() + t.FieldOffset(field), text.data(), text.size());
    std::memcpy(t.RecordBytes() + t.FieldOffset(field + 1), general.data(), general.size());
    const int32_t got = t.GetFieldInt(field, error);
    const int32_t wanted = t.GetFieldInt(field + 1, generalError);
    ASSERT_EQ(std::pair(error ? 0 : got, error), std::pair(generalError ? 0 : wanted, generalError))
        << '"' << text << '"';
    if (width == 8) {
      const TDateRec date = t.GetFieldDate(field, error);
      const bool dateError = generalError || wanted < 0 || wanted > 21991231;
      ASSERT_EQ(error, dateError) << text;
      if (!error) {
        ASSERT_EQ(date, (TDateRec{wanted % 100, wanted / 100 % 100, wanted / 10000})) << text;
      }
    }
  }
}

// A field that is not there reads as an error, also right after a good
// read has cleared the flag, and so does a field past a closed table's
// record.
TEST_F(Dbf, MissingFieldsReadAsErrors) {
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("N", 10, 'N', 0));
  ASSERT_TRUE(t.AddFieldEx("D", 8, 'D', 0));
  ASSERT_TRUE(t.WriteStructure());
  ASSERT_TRUE(t.SetFieldInt(0, 42));
  ASSERT_TRUE(t.SetFieldDate(1, {5, 3, 2007}));
  bool error = true;
  for (int missing : {-1, 2, 255, -1000}) {
    ASSERT_EQ(t.GetFieldInt(0, error), 42);
    ASSERT_FALSE(error);
    EXPECT_EQ(t.GetFieldInt(missing, error), 0) << missing;
    EXPECT_TRUE(error) << missing;
    ASSERT_EQ(t.GetFieldDate(1, error), (TDateRec{5, 3, 2007}));
    ASSERT_FALSE(error);
    EXPECT_EQ(t.GetFieldDate(missing, error), TDateRec{}) << missing;
    EXPECT_TRUE(error) << missing;
  }
  t.Reset();
  EXPECT_EQ(t.GetFieldInt(0, error), 0);
  EXPECT_TRUE(error);
}

// Numbers and dates are written straight into their fields, byte for byte
// what the text would have stored.
TEST_F(Dbf, NumbersAndDatesStoreTheirUsualText) {
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("N", 11, 'N', 0);
  t.AddFieldEx("P", 10, 'N', 3);
  t.AddFieldEx("C", 6, 'C', 0);
  t.AddFieldEx("D", 8, 'D', 0);
  t.AddFieldEx("W", 10, 'D', 0);
  ASSERT_TRUE(t.WriteStructure());
  t.ClearRecordBuf();
  struct IntCase { int field; int32_t value; bool stored; const char* raw; };
  for (const IntCase& c : {IntCase{0, -2147483647 - 1, true, "-2147483648"}, {0, 0, true, "          0"},
                           {1, -7, true, "    -7.000"}, {1, 123456, true, "123456.000"},
                           {1, 1234567, true, "1234567.00"}, {1, -1234567, true, "-1234567.0"},
                           {1, 123456789, true, " 123456789"}, {1, -2147483647 - 1, false, " 123456789"},
                           {2, -42, true, "-42"}, {2, 1234567, true, "123456"}}) {
    EXPECT_EQ(t.SetFieldInt(c.field, c.value), c.stored) << c.value;
    EXPECT_EQ(Raw(t, c.field), c.raw) << c.value;
  }
  // A date whose parts do not fit the eight digits is refused, the field
  // left as it was: it would read as another date.
  struct DateCase { TDateRec date; bool stored; const char* raw; };
  for (const DateCase& c : {DateCase{{5, 3, 2007}, true, "20070305"}, {{0, 0, 0}, true, "00000000"},
                            {{31, 12, 9999}, true, "99991231"}, {{1, 1, 10000}, false, "99991231"},
                            {{-1, 1, 2000}, false, "99991231"}, {{100, 1, 2000}, false, "99991231"},
                            {{9, 9, 99}, true, "00990909"}}) {
    EXPECT_EQ(t.SetFieldDate(3, c.date), c.stored) << c.raw;
    EXPECT_EQ(t.GetFieldStr(3), c.raw) << c.raw;
  }
  EXPECT_TRUE(t.SetFieldDate(4, {5, 3, 2007}));
  EXPECT_EQ(t.GetFieldStr(4), "20070305  ");
}

// The bytes a text takes in a field, worked out one byte at a time; a
// number text too long for its field as the number with fewer decimals; ""
// when nothing is stored.
std::string StoredText(std::string_view text, const TFieldRecord& f, bool oem) {
  const auto width = static_cast<std::size_t>(f.Length);
  if (f.FieldType == 'N') {
    if (text.size() > width) {
      long double x = 0;
      if (!TextToExtended(text, x)) return "";
      const std::size_t point = text.find('.');
      const std::size_t decimals =
          point == std::string_view::npos ? 0 : std::min(text.size(), text.find_first_not_of("0123456789", point + 1)) - point - 1;
      const std::string fitted = FitFixed(x, f.Length, static_cast<int>(decimals));
      return fitted.empty() ? "" : std::string(width - fitted.size(), ' ') + fitted;
    }
    return std::string(width - text.size(), ' ') + std::string(text);
  }
  std::string out(text.substr(0, std::min(width, text.size())));
  if (f.FieldType == 'C' && oem)
    for (char& c : out) c = WinToDosChar(c);
  out.resize(width, ' ');
  return out;
}

// Random typed values of every kind into fields of every type and many
// widths store exactly the bytes of their texts, and tables written through
// the typed calls equal, byte for byte, tables given those bytes directly.
TEST_F(Dbf, TypedValuesStoreTheBytesOfTheirTexts) {
  const std::vector<std::tuple<const char*, char, int, int>> layout = {
      {"N1", 'N', 1, 0},   {"N3", 'N', 3, 0},    {"N8", 'N', 8, 0},    {"N10", 'N', 10, 0}, {"N11", 'N', 11, 0},
      {"P12", 'N', 12, 2}, {"P16", 'N', 16, 3},  {"N20", 'N', 20, 0},  {"N32", 'N', 32, 0}, {"N33", 'N', 33, 0},
      {"N9", 'N', 9, 0},   {"N16", 'N', 16, 0},  {"N17", 'N', 17, 0},  {"N7", 'N', 7, 0},
      {"P40", 'N', 40, 9}, {"P18", 'N', 18, 12}, {"C1", 'C', 1, 0},    {"C5", 'C', 5, 0},   {"C8", 'C', 8, 0},
      {"C15", 'C', 15, 0}, {"C16", 'C', 16, 0},  {"C17", 'C', 17, 0},  {"C30", 'C', 30, 0}, {"C32", 'C', 32, 0},
      {"C33", 'C', 33, 0}, {"C60", 'C', 60, 0},  {"D8", 'D', 8, 0},    {"D10", 'D', 10, 0}, {"D6", 'D', 6, 0},
      {"L", 'L', 1, 0}};
  const std::string typedPath = tmp / "typed.dbf", plainPath = tmp / "plain.dbf";
  auto create = [&](TDBF& table, const std::string& file) {
    table.FileName = file;
    ASSERT_TRUE(table.CreateTable());
    for (const auto& [name, type, width, dec] : layout) ASSERT_TRUE(table.AddFieldEx(name, width, type, dec));
    ASSERT_TRUE(table.WriteStructure());
    table.ClearRecordBuf();
  };
  TDBF typed, plain;
  create(typed, typedPath);
  create(plain, plainPath);
  const int fields = static_cast<int>(layout.size());
  const auto size = static_cast<std::size_t>(typed.RecordSize());

  std::mt19937 random(11);
  auto randomText = [&] {
    std::string text(random() % 70, ' ');
    const unsigned mix = random() % 4;  // digits and signs, Latin, Russian letters, anything
    for (char& c : text) {
      if (random() % 5 == 0) continue;
      c = static_cast<char>(mix == 0   ? "0123456789.-+"[random() % 13]
                            : mix == 1 ? 'a' + random() % 26
                            : mix == 2 ? 0xC0 + random() % 0x40
                                       : random() % 256);
    }
    if (mix == 0) text.resize(random() % 24);
    return text;
  };
  const std::vector<int32_t> bounds = {0,     9,     10,       99,        100,        9999,      10000,
                                       -1,    -10,   99999999, 100000000, -99999999, -100000000, 12345678};
  auto randomInt = [&]() -> int32_t {
    switch (random() % 5) {
      case 4: return bounds[random() % bounds.size()];
      case 0: return static_cast<int32_t>(random());
      case 1: return static_cast<int32_t>(random() % 2001) - 1000;
      case 2: return random() % 2 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
      default: return static_cast<int32_t>(random() % 100000000);
    }
  };
  // Dates repeat, as in the records of one day; some cannot be written as
  // eight digits.
  const std::vector<TDateRec> repeated = {{0, 0, 0}, {5, 3, 2007}, {-1, -1, -1}, {31, 12, 9999}, {1, 1, 10000}};
  auto randomDate = [&]() -> TDateRec {
    if (random() % 3 == 0) return repeated[random() % repeated.size()];
    if (random() % 5 == 0)
      return {static_cast<int>(random() % 300) - 100, static_cast<int>(random() % 300) - 100,
              static_cast<int>(random() % 30000) - 10000};
    return {static_cast<int>(random() % 100), static_cast<int>(random() % 100), static_cast<int>(random() % 10000)};
  };

  std::string want(size, ' ');
  for (int record = 0; record < 3000; ++record) {
    for (int round = 0; round < fields; ++round) {
      const int index = static_cast<int>(random() % static_cast<unsigned>(fields));
      const TFieldRecord def = typed.GetFieldDef(index);
      std::string text;
      bool stored = false, refused = false;
      switch (random() % 3) {
        case 0: {
          const int32_t v = randomInt();
          text = std::to_string(v) + (def.Decimals > 0 ? "." + std::string(def.Decimals, '0') : "");
          stored = typed.SetFieldInt(index, v);
          break;
        }
        case 1: {
          const TDateRec d = randomDate();
          char digits[40];
          if (d.Day >= 0 && d.Day <= 99 && d.Month >= 0 && d.Month <= 99 && d.Year >= 0 && d.Year <= 9999) {
            std::snprintf(digits, sizeof digits, "%04d%02d%02d", d.Year, d.Month, d.Day);
            text = digits;
          } else {
            refused = true;
          }
          stored = typed.SetFieldDate(index, d);
          break;
        }
        default:
          text = randomText();
          stored = typed.SetFieldStr(index, text);
      }
      const std::string bytes = refused ? std::string() : StoredText(text, def, true);
      ASSERT_EQ(stored, !bytes.empty()) << text;
      if (stored)
        want.replace(static_cast<std::size_t>(typed.FieldOffset(index)), static_cast<std::size_t>(def.Length), bytes);
      ASSERT_EQ(std::string(reinterpret_cast<const char*>(typed.RecordBytes()), size), want)
          << record << " " << def.Name << " " << text;
    }
    typed.GoToRecord(typed.RecCount() + 1);
    ASSERT_TRUE(typed.WriteRecord());
    plain.GoToRecord(plain.RecCount() + 1);
    std::memcpy(plain.RecordBytes(), want.data(), size);
    ASSERT_TRUE(plain.WriteRecord());
  }
  ASSERT_TRUE(typed.Close());
  ASSERT_TRUE(plain.Close());
  EXPECT_EQ(test::ReadBytes(typedPath), test::ReadBytes(plainPath));

  // A table of another language keeps its text as given.
  std::string file = test::ReadBytes(typedPath);
  file[29] = 0x57;
  {
    std::ofstream out(typedPath, std::ios::binary | std::ios::trunc);
    out << file;
  }
  typed.FileName = typedPath;
  ASSERT_TRUE(typed.OpenExclusive());
  ASSERT_FALSE(typed.OemCoded());
  ASSERT_EQ(typed.ReadRecord(), 0);
  for (int round = 0; round < 2000; ++round) {
    const int index = static_cast<int>(random() % static_cast<unsigned>(fields));
    const TFieldRecord def = typed.GetFieldDef(index);
    const std::string text = randomText();
    const auto offset = static_cast<std::size_t>(typed.FieldOffset(index));
    const auto length = static_cast<std::size_t>(def.Length);
    const std::string before(reinterpret_cast<const char*>(typed.RecordBytes()) + offset, length);
    typed.SetFieldStr(index, text);
    const std::string bytes = StoredText(text, def, false);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(typed.RecordBytes()) + offset, length),
              bytes.empty() ? before : bytes)
        << def.Name << " " << text;
  }
}

// A record's text has its text fields converted and every other byte as
// stored, for the fields the table has now: made anew, after fields are
// added, reopened from its file, made again with other fields, and from a
// file in a language that is not converted.
TEST_F(Dbf, RecordTextsConvertTheTextFieldsOfTheLayoutInForce) {
  std::mt19937 random(17);
  const auto check = [&](TDBF& table, const std::string& where) {
    const auto size = static_cast<std::size_t>(table.RecordSize());
    for (int round = 0; round < 200; ++round) {
      for (std::size_t i = 0; i < size; ++i) table.RecordBytes()[i] = static_cast<uint8_t>(random());
      std::string wanted(reinterpret_cast<const char*>(table.RecordBytes()), size);
      for (int f = 0; table.OemCoded() && f < table.FieldCount(); ++f) {
        const TFieldRecord def = table.GetFieldDef(f);
        if (def.FieldType != 'C') continue;
        for (int k = 0; k < def.Length; ++k) {
          char& c = wanted[static_cast<std::size_t>(table.FieldOffset(f) + k)];
          c = DosToWinChar(c);
        }
      }
      // In a buffer of its own size, so that no piece reaches past it.
      std::vector<char> out(size);
      table.GetRecordText(out.data());
      ASSERT_EQ(std::string(out.begin(), out.end()), wanted) << where << ' ' << round;
    }
  };
  const auto layout = [&](TDBF& table, const std::vector<std::tuple<const char*, char, int>>& fields) {
    ASSERT_TRUE(table.CreateTable());
    for (const auto& [name, type, width] : fields) ASSERT_TRUE(table.AddFieldEx(name, width, type, 0));
    ASSERT_TRUE(table.WriteStructure());
  };
  // Text fields of every size, side by side and apart.
  layout(t, {{"A", 'C', 1}, {"B", 'N', 5}, {"C", 'C', 17}, {"D", 'C', 30}, {"E", 'C', 16}, {"F", 'D', 8},
             {"G", 'C', 40}, {"H", 'L', 1}, {"I", 'C', 8}, {"J", 'C', 7}});
  check(t, "made");
  ASSERT_TRUE(t.Close());
  ASSERT_TRUE(t.OpenReadOnly());
  ASSERT_EQ(t.ReadRecord(), -1);
  check(t, "reopened");
  layout(t, {{"N", 'N', 10}, {"D", 'D', 8}});
  check(t, "no texts");
  layout(t, {{"N", 'N', 10}});
  ASSERT_TRUE(t.AddFieldEx("T", 25, 'C', 0));
  check(t, "a text added");
  // Records of every size, short ones among them, texts anywhere.
  static const char* const kNames[] = {"F0", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9"};
  for (int round = 0; round < 80; ++round) {
    std::vector<std::tuple<const char*, char, int>> fields;
    for (int f = 0, n = 1 + static_cast<int>(random() % 10); f < n; ++f)
      fields.emplace_back(kNames[f], "CCNDL"[random() % 5], 1 + static_cast<int>(random() % (round % 2 ? 40 : 9)));
    layout(t, fields);
    check(t, "random layout " + std::to_string(round));
  }
  layout(t, {{"N", 'N', 10}});
  ASSERT_TRUE(t.AddFieldEx("T", 25, 'C', 0));
  ASSERT_TRUE(Append(t, 1));
  ASSERT_TRUE(t.Close());
  std::string bytes = test::ReadBytes(path);
  bytes[29] = static_cast<char>(0xC9);
  test::WriteBytes(path, bytes);
  ASSERT_TRUE(t.OpenReadOnly());
  ASSERT_FALSE(t.OemCoded());
  check(t, "not converted");
  t.Reset();
  std::vector<char> untouched(8, 'x');
  t.GetRecordText(untouched.data());
  EXPECT_EQ(std::string(untouched.begin(), untouched.end()), "xxxxxxxx");
}

// Text fields lose only their trailing blanks, however long the padding.
TEST_F(Dbf, TextFieldsLoseOnlyTrailingBlanks) {
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("C", 30, 'C', 0);
  ASSERT_TRUE(t.WriteStructure());
  for (const std::string& text : std::vector<std::string>{"", " ", "a", "abcdefgh", "a        b", "        x", "Молоко пастеризованное"_w,
                                 std::string(30, 'z'), " 1234567 "}) {
    t.SetFieldStr(0, text);
    std::string want = text;
    while (!want.empty() && want.back() == ' ') want.pop_back();
    EXPECT_EQ(t.GetFieldStr(0), want) << text;
  }
}

// The trailing padding counted a word at a time against a walk over the
// characters, each field in a buffer of its own size.
TEST(DbfText, TrimsTrailingBlanksAsAWalk) {
  for (std::size_t width = 0; width <= 26; ++width)
    for (std::size_t blanks = 0; blanks <= width; ++blanks)
      for (const char before : {'1', '\t', '\0', '\xa0', ' '}) {
        std::string field(width - blanks, before);
        if (!field.empty()) field.front() = 'x';
        field.resize(width, ' ');
        const std::vector<char> own(field.begin(), field.end());
        std::size_t walk = own.size();
        while (walk > 0 && own[walk - 1] == ' ') --walk;
        ASSERT_EQ(TrimmedFieldLength(own.data(), own.size()), walk) << width << ' ' << blanks;
      }
}

TEST_F(Dbf, StructureNamesAndLimits) {
  EXPECT_TRUE(t.AddFieldEx("ABCDEFGHIJKL", 5, 'C', 0));
  EXPECT_EQ(t.GetFieldName(0), "ABCDEFGHIJ");
  EXPECT_TRUE(t.AddFieldEx("NAME", 5, 'C', 0));
  EXPECT_EQ(t.FieldIndex("NAME"), 1);
  EXPECT_EQ(t.FieldIndex("name"), -1);
  EXPECT_EQ(t.FieldIndex("ABCDEFGHIJKL"), -1);
  EXPECT_FALSE(t.AddFieldEx("BIG", 256, 'C', 0));
  for (int i = 2; i < kDbfMaxFields; ++i) ASSERT_TRUE(t.AddFieldEx("F" + std::to_string(i), 1, 'C', 0));
  EXPECT_FALSE(t.AddFieldEx("LAST", 1, 'C', 0));
  EXPECT_EQ(t.FieldCount(), kDbfMaxFields);
  EXPECT_EQ(t.GetFieldName(kDbfMaxFields), "");

  TDBF a, b, c;
  a.AddFieldEx("X", 5, 'C', 0);
  a.AddFieldEx("Y", 6, 'N', 2);
  b.AddFieldEx("Y", 6, 'N', 2);
  b.AddFieldEx("X", 5, 'C', 0);
  c.AddFieldEx("Y", 6, 'N', 1);
  c.AddFieldEx("X", 5, 'C', 0);
  EXPECT_TRUE(a.SameStructure(b) && !a.SameStructure(c));

  EXPECT_TRUE(IsValidFieldName("Цена_1"_w));
  for (const std::string& bad : {"1A"s, "ЁЛКА"_w, "ABCDEFGHIJK"s, "A-B"s, ""s})
    EXPECT_FALSE(IsValidFieldName(bad)) << bad;
}

TEST_F(Dbf, AppendsUpdatesDeletesAndCuts) {
  // Enough records to cross the read-ahead and write-behind blocks.
  const int n = 20000;
  bool error = false;
  Create(t);
  for (int i = 1; i <= n; ++i) ASSERT_TRUE(Append(t, i));
  // Records still in the write-behind block read and update like others.
  ASSERT_TRUE(Rewrite(t, n, [&] { t.SetFieldStr(1, "last" + t.GetFieldStr(0)); }));
  ASSERT_TRUE(t.Close());

  ASSERT_TRUE(t.Open());
  ASSERT_EQ(t.RecCount(), n);
  for (int i = 1; i <= n; ++i) {
    ASSERT_EQ(t.ReadRecord(), 0);
    ASSERT_EQ(t.GetFieldInt(0, error), i);
  }
  EXPECT_EQ(t.GetFieldStr(1), "last" + std::to_string(n));

  // Update record 3 in place, delete record 4, then append one.
  ASSERT_TRUE(Rewrite(t, 3, [&] { t.SetFieldStr(1, "Обновлено"_w); }));
  ASSERT_TRUE(Rewrite(t, 4, [&] { t.SetDeleted(true); }));
  EXPECT_EQ(t.RecCount(), n);
  t.GoToRecord(3);
  EXPECT_EQ(Next(t), "0 3 3|" + "Обновлено"_w);
  EXPECT_EQ(Next(t), "1 4 4|");
  t.GoToRecord(n + 1);
  ASSERT_TRUE(t.WriteRecord());
  EXPECT_EQ(t.RecCount(), n + 1);
  t.GoToRecord(n + 5);
  EXPECT_FALSE(t.WriteRecord()) << "a write past the end would leave a hole";
  ASSERT_TRUE(t.Close());

  const std::size_t sizeBefore = test::ReadBytes(path).size();
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.RecCount(), n + 1);
  t.Truncate(0);
  ASSERT_TRUE(t.Close());
  const std::string f = test::ReadBytes(path);
  EXPECT_EQ(f.substr(4, 4), Zeros(4));
  EXPECT_EQ(f[97], '\x1A');
  EXPECT_EQ(f.size(), sizeBefore);
}

TEST_F(Dbf, UntouchedTableIsNotWritten) {
  MakeTable({"a", "b"});
  std::string noMark = test::ReadBytes(path);
  noMark.pop_back();
  test::WriteBytes(path, noMark);
  ASSERT_TRUE(t.Open());
  while (t.ReadRecord() >= 0) {
  }
  ASSERT_TRUE(Rewrite(t, 1, [] {})) << "an update in place keeps the header as it is";
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(test::ReadBytes(path), noMark);
}

TEST_F(Dbf, ZapEmptiesAndCreatingAgainCutsTheFile) {
  MakeTable({"a", "b", "c"});
  const std::string old = test::ReadBytes(path);
  ZapToOneRecord("z");
  // Until Close the old table stands whole, and nobody else opens it.
  EXPECT_EQ(test::ReadBytes(path), old);
  EXPECT_FALSE(OpensInOtherProcess(path, true));
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(test::ReadBytes(path).size(), 97u + 31 + 1);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(std::pair(t.RecCount(), Next(t)), std::pair(1, "0 1 1|z"s));
  t.Close();

  MakeTable({});
  EXPECT_EQ(test::ReadBytes(path).size(), 98u);

  // A table made anew that does not reach the disk leaves the old one.
  MakeTable({"a", "b", "c"});
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 200;
    ASSERT_TRUE(t.Open());
    ASSERT_TRUE(t.Zap());
    for (int i = 1; i <= 20; ++i) Append(t, i);
    EXPECT_FALSE(t.Close());
    fs.WriteBudget = -1;
    fs.FailRename = true;
    ASSERT_TRUE(t.CreateTable());
    ASSERT_TRUE(t.AddFieldEx("X", 3, 'C', 0));
    ASSERT_TRUE(t.WriteStructure());
    EXPECT_FALSE(t.Close());
  }
  EXPECT_EQ(test::ReadBytes(path), old);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(Files().ListDirectory(tmp.Dir(), entries));
  EXPECT_EQ(entries.size(), 1u) << "nothing is left beside the table";
}

TEST_F(Dbf, OpenModesKeepWritersOut) {
  MakeTable({"a"});
  TDBF r1;
  r1.FileName = path;
  ASSERT_TRUE(r1.OpenReadOnly());
  EXPECT_TRUE(OpensInOtherProcess(path, true));
  EXPECT_FALSE(OpensInOtherProcess(path, false));
  EXPECT_FALSE(t.OpenExclusive());
  EXPECT_EQ(t.LastFileError(), FileError::Busy);
  EXPECT_FALSE(t.CreateTable());
  r1.GoToRecord(1);
  EXPECT_FALSE(r1.WriteRecord());
  r1.Close();
  ASSERT_TRUE(t.OpenExclusive());
  EXPECT_FALSE(r1.OpenReadOnly());
  EXPECT_FALSE(OpensInOtherProcess(path, true));
  // Fields cannot be added under records laid out without them.
  EXPECT_FALSE(t.AddFieldEx("MORE", 10, 'C', 0));
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("A", 1, 'C', 0));
  ASSERT_TRUE(t.WriteStructure());
  t.GoToRecord(1);
  ASSERT_TRUE(t.WriteRecord());
  EXPECT_FALSE(t.AddFieldEx("B", 255, 'C', 0));
  EXPECT_EQ(t.RecordSize(), 2);
}

TEST_F(Dbf, FailedWritesAreReportedAndNeverCounted) {
  MakeTable({"a", "b"});
  bool error = false;
  int lost = 0;
  int kept = 0;
  {
    // A full disk part way through a long append, past the first
    // write-behind block (a megabyte).
    test::FaultyFileSystem fs;
    ASSERT_TRUE(t.Open());
    fs.WriteBudget = 31 * 40000 + 15;
    bool failed = false;
    int tried = 0;
    for (int i = 3; i < 80003 && !failed; ++i, ++tried) failed = !Append(t, i);
    fs.WriteBudget = -1;
    EXPECT_FALSE(t.Close() && !failed);
    lost = t.LostRecords();
    EXPECT_GT(lost, 0);
    kept = tried - lost;
  }
  ASSERT_TRUE(t.Open()) << "the table stays readable";
  const int32_t count = t.RecCount();
  EXPECT_EQ(count, 2 + kept) << "every append is either in the file or counted lost";
  EXPECT_LE(count, 2 + 40000);
  EXPECT_GT(count, 2) << "the blocks before the full disk are kept";
  for (int i = 1; i <= count; ++i) {
    ASSERT_EQ(t.ReadRecord(), 0);
    ASSERT_EQ(t.GetFieldInt(0, error), i);
  }
  t.Close();
  {
    // An update that cannot be written says so.
    test::FaultyFileSystem fs;
    ASSERT_TRUE(t.Open());
    fs.WriteBudget = 3;
    t.GoToRecord(1);
    EXPECT_FALSE(t.WriteRecord());
    t.GoToRecord(t.RecCount() + 1);
    EXPECT_FALSE(t.WriteRecord() && t.Flush());
    EXPECT_FALSE(t.Close());
    // A record that cannot be read says so and is passed over.
    ASSERT_TRUE(t.OpenReadOnly());
    fs.FailReads = true;
    EXPECT_EQ(Next(t), "-1 1");
    fs.FailReads = false;
    EXPECT_EQ(Next(t), "0 2 2|b");
    t.Close();
  }
  // A read-only file opens for reading only.
  test::FaultyFileSystem fs;
  fs.ReadOnlyFiles = true;
  EXPECT_FALSE(t.OpenExclusive());
  EXPECT_EQ(t.LastFileError(), FileError::Denied);
  EXPECT_FALSE(t.CreateTable());
  EXPECT_FALSE(t.Zap());
  ASSERT_TRUE(t.OpenReadOnly());
  t.GoToRecord(1);
  EXPECT_FALSE(t.WriteRecord());
  t.Close();
}

// Records given in a batch, as a commit and a rewrite give them: behind
// records still waiting to be written, in blocks of a megabyte and more
// straight from the caller's buffer, and a full disk part way through
// loses only records it counts.
TEST_F(Dbf, AppendedBatchesKeepTheirOrderAndAFullDiskLosesOnlyWhatItCounts) {
  MakeTable({"a", "b"});
  const auto batch = [&](int32_t first, int32_t count) {
    std::vector<uint8_t> records(static_cast<std::size_t>(count) * 31, ' ');
    for (int32_t i = 0; i < count; ++i) {
      uint8_t* r = &records[static_cast<std::size_t>(i) * 31];
      const std::string no = std::to_string(first + i);
      std::memcpy(r + 11 - no.size(), no.data(), no.size());
    }
    return records;
  };
  ASSERT_TRUE(t.Open());
  ASSERT_TRUE(Append(t, 3));
  const std::vector<uint8_t> big = batch(4, 70000);
  ASSERT_TRUE(t.AppendRecords(big.data(), 70000));
  ASSERT_TRUE(t.AppendRecords(batch(70004, 3).data(), 3));
  ASSERT_TRUE(t.Close());
  bool error = false;
  ASSERT_TRUE(t.OpenReadOnly());
  ASSERT_EQ(t.RecCount(), 70006);
  for (int32_t i = 1; i <= 70006; ++i) {
    ASSERT_EQ(t.ReadRecord(), 0);
    ASSERT_EQ(t.GetFieldInt(0, error), i);
  }
  t.Close();
  int32_t counted = 0;
  {
    test::FaultyFileSystem fs;
    ASSERT_TRUE(t.OpenExclusive());
    fs.WriteBudget = 31 * 40000 + 15;
    EXPECT_FALSE(t.AppendRecords(batch(70007, 70000).data(), 70000) && t.Flush());
    fs.WriteBudget = -1;
    counted = t.RecCount();
    EXPECT_FALSE(t.Close());
    EXPECT_GT(t.LostRecords(), 0);
  }
  ASSERT_TRUE(t.OpenReadOnly()) << "the table stays readable";
  EXPECT_EQ(t.RecCount(), counted) << "what is counted is in the file";
  EXPECT_GT(counted, 70006) << "the blocks before the full disk are kept";
  for (int32_t i = 1; i <= t.RecCount(); ++i) {
    ASSERT_EQ(t.ReadRecord(), 0);
    ASSERT_EQ(t.GetFieldInt(0, error), i);
  }
}

TEST_F(Dbf, FlushAndCloseSayHowManyAppendsWereLost) {
  MakeTable({"a", "b"});
  {
    test::FaultyFileSystem fs;
    ASSERT_TRUE(t.Open());
    for (int i = 3; i <= 12; ++i) ASSERT_TRUE(Append(t, i));
    fs.WriteBudget = 31 * 4;
    EXPECT_FALSE(t.Flush());
    EXPECT_EQ(t.LostRecords(), 10);
    fs.WriteBudget = -1;
    ASSERT_TRUE(Append(t, 3));
    EXPECT_FALSE(t.Close()) << "a lost append spoils the whole session";
    EXPECT_EQ(t.LostRecords(), 10);
    ASSERT_TRUE(t.Open());
    EXPECT_EQ(t.RecCount(), 3);
    EXPECT_EQ(t.LostRecords(), 0);

    // A table made anew that cannot be put in place loses every record.
    ASSERT_TRUE(t.Zap());
    for (int i = 1; i <= 20; ++i) ASSERT_TRUE(Append(t, i));
    ASSERT_TRUE(t.Flush());
    fs.FailRename = true;
    EXPECT_FALSE(t.Close());
    EXPECT_EQ(t.LostRecords(), 20);
  }
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.RecCount(), 3);
  ASSERT_TRUE(Append(t, 4));
  EXPECT_TRUE(t.Close());
  EXPECT_EQ(t.LostRecords(), 0);
}

// Appended records of every size reach the file whole, each as it was
// when written, whatever the record size.
TEST_F(Dbf, AppendedRecordsOfEverySizeReachTheFileWhole) {
  for (int size = 2; size <= 80; ++size) {
    ASSERT_TRUE(t.CreateTable());
    ASSERT_TRUE(t.AddFieldEx("T", size - 1, 'C', 0));
    ASSERT_TRUE(t.WriteStructure());
    std::string want;
    for (int record = 0; record < 40; ++record) {
      t.GoToRecord(t.RecCount() + 1);
      for (int i = 1; i < size; ++i) t.RecordBytes()[i] = static_cast<uint8_t>('A' + (record * 7 + i) % 26);
      if (record % 3 == 0) t.SetDeleted(true);
      want.append(reinterpret_cast<const char*>(t.RecordBytes()), static_cast<std::size_t>(size));
      ASSERT_TRUE(t.WriteRecord());
    }
    ASSERT_TRUE(t.Close());
    const std::string file = test::ReadBytes(path);
    ASSERT_EQ(file.size(), 32u + 32u + 1u + want.size() + 1u) << size;
    EXPECT_EQ(file.substr(65, want.size()), want) << size;
  }
}

// A text that lies in the record itself, in its own field or in another,
// overlapping the field or not, is stored as a copy of it would be.
TEST_F(Dbf, TextsFromTheRecordItselfStoreAsTheirCopies) {
  ASSERT_TRUE(t.CreateTable());
  for (const auto& [name, type, width, dec] : std::vector<std::tuple<const char*, char, int, int>>{
           {"A", 'C', 30, 0}, {"B", 'C', 12, 0}, {"C", 'N', 12, 2}, {"D", 'N', 10, 0}, {"E", 'C', 6, 0}})
    ASSERT_TRUE(t.AddFieldEx(name, width, type, dec));
  ASSERT_TRUE(t.WriteStructure());
  const auto size = static_cast<std::size_t>(t.RecordSize());
  std::mt19937 random(5);
  const std::string letters = "0123456789.-Молоко пастеризованное №5 Ёж"_w;
  for (int round = 0; round < 4000; ++round) {
    for (std::size_t i = 1; i < size; ++i) t.RecordBytes()[i] = static_cast<uint8_t>(letters[random() % letters.size()]);
    const int field = static_cast<int>(random() % 5);
    const std::size_t from = 1 + random() % (size - 1);
    const std::size_t n = random() % (size - from + 1);
    const std::string before(reinterpret_cast<const char*>(t.RecordBytes()), size);
    const std::string copy = before.substr(from, n);
    const bool stored = t.SetFieldStr(field, std::string_view(reinterpret_cast<const char*>(t.RecordBytes()) + from, n));
    const std::string got(reinterpret_cast<const char*>(t.RecordBytes()), size);
    std::memcpy(t.RecordBytes(), before.data(), size);
    ASSERT_EQ(t.SetFieldStr(field, copy), stored);
    ASSERT_EQ(got, std::string(reinterpret_cast<const char*>(t.RecordBytes()), size))
        << field << ' ' << from << ' ' << n;
  }
}

// A record read is not copied until something would change it: whatever is
// done to the table after a read, the record, its text and its fields are
// those of a table that copies every record it reads, and so is the file.
// Reads, writes in place and appends cross the read-ahead and write-behind
// blocks, and the table is cut, emptied, flushed and opened again on the way.
TEST_F(Dbf, RecordsReadWhereTheyLieStayAsACopyWould) {
  Create(t);
  const auto size = static_cast<std::size_t>(t.RecordSize());
  std::mt19937 random(23);
  const std::string letters = "AZaz09 .-"s + WinToDosStr("Ёжик №7"_w);
  const auto randomRecord = [&] {
    std::string r(size, ' ');
    for (std::size_t i = 1; i < size; ++i) r[i] = letters[random() % letters.size()];
    r[0] = random() % 4 == 0 ? '*' : ' ';
    return r;
  };
  std::vector<std::string> file;
  std::string buffer(size, ' ');
  int32_t recNo = 0;
  const auto put = [&](const std::string& r) { std::memcpy(t.RecordBytes(), r.data(), size); };
  const auto write = [&] {
    const bool ok = t.WriteRecord();
    const bool wanted = recNo >= 0 && recNo <= static_cast<int32_t>(file.size());
    if (wanted) {
      if (recNo == static_cast<int32_t>(file.size()))
        file.push_back(buffer);
      else
        file[static_cast<std::size_t>(recNo)] = buffer;
      ++recNo;
      buffer[0] = ' ';
    }
    return ok == wanted;
  };
  const auto read = [&] {
    const int got = t.ReadRecord();
    if (recNo < 0 || recNo >= static_cast<int32_t>(file.size())) return got == -1;
    buffer = file[static_cast<std::size_t>(recNo++)];
    return got == (buffer[0] == '*' ? 1 : 0);
  };
  const auto go = [&](int32_t n) {
    t.GoToRecord(n);
    recNo = n - 1;
    buffer[0] = ' ';
  };
  // Two read-ahead blocks and more than a write-behind block of records.
  for (int i = 0; i < 40000; ++i) {
    go(static_cast<int32_t>(file.size()) + 1);
    buffer = randomRecord();
    put(buffer);
    ASSERT_TRUE(write());
  }
  std::vector<char> text(size);
  for (int step = 0; step < 6000; ++step) {
    const auto count = static_cast<int32_t>(file.size());
    const int32_t somewhere = count > 0 ? static_cast<int32_t>(random() % static_cast<uint32_t>(count)) + 1 : 1;
    std::string what;
    switch (random() % 14) {
      case 0:
      case 1:
        what = "read on";
        for (int k = random() % 40; k >= 0; --k) ASSERT_TRUE(read()) << step;
        break;
      case 2:
        what = "read somewhere";
        go(somewhere);
        ASSERT_TRUE(read()) << step;
        break;
      case 3:
        what = "read the last";
        go(count);
        ASSERT_TRUE(read()) << step;
        break;
      case 4:
        what = "change a field and write in place";
        go(somewhere);
        ASSERT_TRUE(read()) << step;
        go(somewhere);
        {
          std::string name(random() % 21, 'x');
          for (char& c : name) c = static_cast<char>('a' + random() % 26);
          ASSERT_TRUE(t.SetFieldStr(1, name));
          name.resize(20, ' ');
          buffer.replace(11, 20, name);
        }
        ASSERT_TRUE(write()) << step;
        break;
      case 5:
        what = "append what was read";
        go(somewhere);
        ASSERT_TRUE(read()) << step;
        go(count + 1);
        if (random() % 2) {
          t.SetDeleted(true);
          buffer[0] = '*';
        }
        ASSERT_TRUE(write()) << step;
        break;
      case 6:
        what = "write where nothing is";
        go(count + 2);
        ASSERT_TRUE(write()) << step;
        break;
      case 7:
        what = "append anew";
        go(count + 1);
        buffer = randomRecord();
        if (random() % 2) {
          put(buffer);
        } else {
          std::string win = buffer;
          for (std::size_t i = 11; i < size; ++i) win[i] = DosToWinChar(win[i]);
          t.SetRecordText(win.data());
        }
        ASSERT_TRUE(write()) << step;
        break;
      case 8:
        what = "flush";
        ASSERT_TRUE(t.Flush());
        break;
      case 9:
        if (count > 1 && random() % 4 == 0) {
          what = "cut";
          const int32_t keep = static_cast<int32_t>(random() % static_cast<uint32_t>(count));
          t.Truncate(keep);
          file.resize(static_cast<std::size_t>(keep));
          recNo = keep;
        }
        break;
      case 10:
        if (random() % 20 == 0) {
          what = "empty";
          ASSERT_TRUE(t.Zap());
          file.clear();
          recNo = 0;
          buffer[0] = ' ';
        }
        break;
      case 11:
        if (random() % 10 == 0) {
          what = "close and open";
          ASSERT_TRUE(t.Close());
          ASSERT_TRUE(t.OpenExclusive());
          buffer.assign(size, ' ');
          recNo = 0;
        }
        break;
      case 12:
        what = "read and write over the next";
        go(somewhere);
        ASSERT_TRUE(read()) << step;
        ASSERT_TRUE(write()) << step;
        break;
      default:
        what = "change the mark";
        {
          const bool deleted = random() % 2 == 0;
          t.SetDeleted(deleted);
          buffer[0] = deleted ? '*' : ' ';
        }
        break;
    }
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(t.RecordView()), size), buffer) << step << ' ' << what;
    ASSERT_EQ(t.RecNo(), recNo) << step << ' ' << what;
    ASSERT_EQ(t.RecCount(), static_cast<int32_t>(file.size())) << step << ' ' << what;
    t.GetRecordText(text.data());
    std::string wanted = buffer;
    for (std::size_t i = 11; i < size; ++i) wanted[i] = DosToWinChar(wanted[i]);
    ASSERT_EQ(std::string(text.begin(), text.end()), wanted) << step << ' ' << what;
  }
  ASSERT_TRUE(t.Close());
  std::string records;
  for (const std::string& r : file) records += r;
  // A table that was cut keeps its old bytes after the end mark.
  ASSERT_TRUE(t.OpenReadOnly());
  ASSERT_EQ(t.RecCount(), static_cast<int32_t>(file.size()));
  const std::string bytes = test::ReadBytes(path);
  ASSERT_GE(bytes.size(), 97u + records.size() + 1u);
  EXPECT_TRUE(bytes.substr(97, records.size() + 1) == records + "\x1A");
}

// The blocks that reads and appends go through are not cleared when they
// are made: a table written by a table object that wrote others before,
// with other records and another record size, is the same file byte for
// byte as one written by a fresh object, and none of the earlier bytes
// reach it, however its appends, writes in place and reads cross the blocks.
TEST_F(Dbf, TablesWrittenThroughUsedBlocksAreTheSameBytes) {
  const FixedClock clock({2007, 3, 6, 12, 0, 0, 0}, {2007, 3, 6, 12, 0, 0, 0});
  const ScopedClock fixed(clock);
  const auto writeTable = [](TDBF& table, const std::string& name, int width, int records) {
    table.FileName = name;
    ASSERT_TRUE(table.CreateTable());
    ASSERT_TRUE(table.AddFieldEx("NO__", 10, 'N', 0));
    ASSERT_TRUE(table.AddFieldEx("NAME", width, 'C', 0));
    ASSERT_TRUE(table.WriteStructure());
    for (int i = 1; i <= records; ++i) {
      ASSERT_TRUE(Append(table, i, std::string(static_cast<std::size_t>(i % width), static_cast<char>('a' + i % 26))));
      if (i % 997 == 0) {
        // A record still in the write-behind block read back and written in place.
        table.GoToRecord(i - 3);
        ASSERT_EQ(table.ReadRecord(), 0);
        table.GoToRecord(i - 3);
        table.SetFieldStr(1, "changed");
        ASSERT_TRUE(table.WriteRecord());
      }
    }
    table.GoToRecord(1);
    for (int i = 1; i <= records; ++i) ASSERT_GE(table.ReadRecord(), 0);
    ASSERT_TRUE(table.Close());
  };
  TDBF used;
  writeTable(used, tmp / "wide.dbf", 250, 6000);
  writeTable(used, tmp / "a.dbf", 20, 40000);
  TDBF fresh;
  writeTable(fresh, tmp / "b.dbf", 20, 40000);
  const std::string a = test::ReadBytes(tmp / "a.dbf"), b = test::ReadBytes(tmp / "b.dbf");
  ASSERT_EQ(a.size(), 32u + 2 * 32u + 1u + 40000u * 31u + 1u);
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.find('\0', 97), std::string::npos);
  EXPECT_EQ(a.substr(97 + 993 * 31, 31), "        994changed             ");
}

TEST_F(Dbf, RewritesAndNewTablesNeverFollowLinks) {
  test::TempDir outside;
  const std::string victim = outside / "victim";
  test::WriteBytes(victim, "secret");
  MakeTable({"a", "b"});
  // The name earlier versions used for a rewrite, planted in advance.
  std::filesystem::create_symlink(outside / "nowhere",
                                  path + "." + std::to_string(::getpid()) + ".new");
  // A dangling link where a new table is to be made.
  const std::string fresh = tmp / "fresh.dbf";
  std::filesystem::create_symlink(outside / "elsewhere", fresh);
  {
    test::FaultyFileSystem fs;
    fs.LinkTarget = victim;
    fs.PlantLinkEvery = 2;
    ZapToOneRecord("z");
    ASSERT_TRUE(t.Close());
    t.FileName = fresh;
    Create(t, {"n"});
    ASSERT_TRUE(t.Close());
    EXPECT_EQ(fs.NewNames.size(), 4u);
  }
  EXPECT_EQ(test::ReadBytes(victim), "secret");
  EXPECT_FALSE(std::filesystem::exists(outside / "nowhere"));
  EXPECT_FALSE(std::filesystem::exists(outside / "elsewhere"));
  for (const std::string& table : {path, fresh}) {
    EXPECT_FALSE(Files().IsSymlink(table));
    t.FileName = table;
    ASSERT_TRUE(t.Open());
    EXPECT_EQ(t.RecCount(), 1);
    t.Close();
  }
}


// Numbers stored through the typed call and through a table's row buffer
// take exactly the text the general writer gives them in their field: with
// the field's decimals, or without as many zero decimals as the width
// needs, right-aligned; nothing at all when that does not fit. Values cluster where the quick writers
// change their minds: 10^8 once scaled, halves, signs, the widths 8 and 16.
TEST_F(Dbf, NumbersStoreTheTextOfTheGeneralWriterInEveryField) {
  std::vector<std::tuple<std::string, int, int>> layout;
  for (int width : {1, 3, 7, 8, 9, 10, 11, 12, 15, 16, 17, 20})
    for (int dec : {0, 1, 2, 3, 6, 7, 8})
      if (dec < width) layout.emplace_back("F" + std::to_string(layout.size()), width, dec);
  ASSERT_TRUE(t.CreateTable());
  for (const auto& [name, width, dec] : layout) ASSERT_TRUE(t.AddFieldEx(name, width, 'N', dec));
  ASSERT_TRUE(t.WriteStructure());
  t.ClearRecordBuf();
  const TStringBase base(&t);
  std::string row(static_cast<std::size_t>(t.RecordSize()), ' ');

  std::mt19937_64 random(5);
  const std::vector<long double> edges = {0.0L, -0.0L, 0.5L, 1.5L, 2.5L, 0.005L, 0.015L, 0.125L, 99999999.0L,
                                          999999.995L, 999999.994L, 99999.9995L, 9999999.95L, 1e8L, 1e7L, 12345.678L,
                                          -0.004L, -1.0L, -12.5L, 1e17L, 1e19L, 1e36L, 1e300L,
                                          std::numeric_limits<long double>::infinity(),
                                          std::numeric_limits<long double>::quiet_NaN()};
  auto value = [&]() -> long double {
    switch (random() % 5) {
      case 0: return edges[random() % edges.size()];
      case 1: return static_cast<long double>(static_cast<int64_t>(random() % 2000000001) - 1000000000) / 1000;
      case 2: return std::ldexp(static_cast<long double>(random() % (1u << 30)), static_cast<int>(random() % 40) - 30);
      case 3: return static_cast<long double>(random() % 100000000) / 100 + (random() % 2 ? 0.005L : 0.0L);
      default: return static_cast<long double>(random() % 100000000) / std::pow(10.0L, random() % 9);
    }
  };
  for (int round = 0; round < 200000; ++round) {
    const auto field = static_cast<int>(random() % layout.size());
    const auto& [name, width, dec] = layout[static_cast<std::size_t>(field)];
    const long double x = value();
    const std::string fitted = FitNumber(x, width, dec);
    const std::string want = fitted.empty() ? "" : std::string(static_cast<std::size_t>(width) - fitted.size(), ' ') + fitted;
    const auto offset = static_cast<std::size_t>(t.FieldOffset(field));
    const std::string before(reinterpret_cast<const char*>(t.RecordBytes()) + offset, static_cast<std::size_t>(width));
    ASSERT_EQ(t.SetFieldNumber(field, x), !want.empty()) << name << " " << static_cast<double>(x);
    const std::string stored(reinterpret_cast<const char*>(t.RecordBytes()) + offset, static_cast<std::size_t>(width));
    ASSERT_EQ(stored, want.empty() ? before : want) << name << " " << static_cast<double>(x);

    TCommonVar v;
    v.Kind = 'N';
    v.Num = x;
    const std::string rowBefore = row.substr(offset, static_cast<std::size_t>(width));
    ASSERT_EQ(base.SetBufferValue(field, v, row.data()), !want.empty()) << name << " " << static_cast<double>(x);
    ASSERT_EQ(row.substr(offset, static_cast<std::size_t>(width)), want.empty() ? rowBefore : want)
        << name << " " << static_cast<double>(x);
  }
}

}  // namespace
}  // namespace vm
