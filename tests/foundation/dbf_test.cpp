#include "foundation/dbf.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "foundation/encoding.h"
#include "platform/clock.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using namespace std::string_literals;

uint8_t At(const std::string& s, std::size_t i) { return static_cast<uint8_t>(s.at(i)); }
uint32_t Le16(const std::string& s, std::size_t i) { return At(s, i) | (At(s, i + 1) << 8); }
uint32_t Le32(const std::string& s, std::size_t i) { return Le16(s, i) | (Le16(s, i + 2) << 16); }

// NO__ N(10,0), NAME C(20) with the given names appended.
void MakeTable(const std::string& path, const std::vector<std::string>& names) {
  TDBF t;
  t.FileName = path;
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("NO__", 10, 'N', 0));
  ASSERT_TRUE(t.AddFieldEx("NAME", 20, 'C', 0));
  ASSERT_TRUE(t.WriteStructure());
  for (std::size_t i = 0; i < names.size(); ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, static_cast<int32_t>(i + 1));
    t.SetFieldStr(1, names[i]);
    ASSERT_TRUE(t.WriteRecord());
  }
  ASSERT_TRUE(t.Close());
}

// Opens the table, empties it and writes one record named `name`.
void ZapToOneRecord(TDBF& t, const std::string& name) {
  ASSERT_TRUE(t.Open());
  ASSERT_TRUE(t.Zap());
  t.GoToRecord(1);
  t.ClearRecordBuf();
  t.SetFieldStr(1, name);
  ASSERT_TRUE(t.WriteRecord());
}

// The raw bytes of the field the buffer holds.
std::string Raw(TDBF& t, int index) {
  const TFieldRecord def = t.GetFieldDef(index);
  // A 'C' copy of the field shows its stored bytes with blanks kept.
  std::string s = t.GetFieldStr(index);
  if (def.FieldType == 'N') s.insert(0, def.Length - s.size(), ' ');
  return s;
}

TEST(Dbf, CreatesTablesByteExactly) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  // The header takes the date in UTC, which here is still the day before.
  {
    const FixedClock clock({2007, 3, 6, 1, 0, 0, 0}, {2007, 3, 5, 22, 0, 0, 0});
    const ScopedClock fixed(clock);
    MakeTable(path, {"Молоко"_w, "Kefir"});
  }

  const std::string f = test::ReadBytes(path);
  ASSERT_EQ(f.size(), 97u + 2 * 31 + 1);
  EXPECT_EQ(At(f, 0), 0x03);
  EXPECT_EQ(At(f, 1), 7);
  EXPECT_EQ(At(f, 2), 3);
  EXPECT_EQ(At(f, 3), 5);
  EXPECT_EQ(Le32(f, 4), 2u);
  EXPECT_EQ(Le16(f, 8), 97u);
  EXPECT_EQ(Le16(f, 10), 31u);
  EXPECT_EQ(At(f, 29), 0x65);
  for (std::size_t i : {12, 20, 28, 30, 31}) EXPECT_EQ(At(f, i), 0) << i;
  // Descriptors: name, type, offset, length, decimals, zeros elsewhere.
  EXPECT_EQ(f.substr(32, 11), std::string("NO__\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(f[43], 'N');
  EXPECT_EQ(Le16(f, 44), 1u);
  EXPECT_EQ(At(f, 48), 10);
  EXPECT_EQ(f.substr(64, 4), "NAME");
  EXPECT_EQ(f[75], 'C');
  EXPECT_EQ(Le16(f, 76), 11u);
  EXPECT_EQ(At(f, 80), 20);
  EXPECT_EQ(At(f, 96), 0x0D);
  // Records: mark, right-aligned number, text in code page 866.
  EXPECT_EQ(f.substr(97, 31), " " + std::string(9, ' ') + "1" + WinToDosStr("Молоко"_w) +
                                  std::string(14, ' '));
  EXPECT_EQ(f.substr(128, 31), "          2Kefir               ");
  EXPECT_EQ(At(f, f.size() - 1), 0x1A);

  // Read back, text converted, and nothing past the last record.
  TDBF t;
  t.FileName = path;
  t.SetReadOnly(true);
  ASSERT_TRUE(t.Open());
  EXPECT_TRUE(t.OemCoded());
  EXPECT_EQ(t.RecCount(), 2);
  EXPECT_EQ(t.ReadRecord(), 0);
  EXPECT_EQ(t.GetFieldStr(1), "Молоко"_w);
  EXPECT_EQ(t.GetFieldStr(0), "1");
  EXPECT_EQ(t.ReadRecord(), 0);
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_EQ(t.GetFieldStr(1), "Kefir");
  EXPECT_EQ(t.ReadRecord(), -1);
  EXPECT_EQ(t.RecNo(), 2);
  t.GoToRecord(0);
  EXPECT_EQ(t.ReadRecord(), -1);
}

TEST(Dbf, ReadsVersionsAndLanguagesOfOtherPrograms) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"Хлеб"_w});
  const std::string base = test::ReadBytes(path);
  auto variant = [&](uint8_t version, uint8_t language) {
    std::string f = base;
    f[0] = static_cast<char>(version);
    f[29] = static_cast<char>(language);
    test::WriteBytes(path, f);
    TDBF t;
    t.FileName = path;
    const bool ok = t.OpenReadOnly();
    std::string name;
    if (ok && t.ReadRecord() == 0) name = t.GetFieldStr(1);
    return std::make_tuple(ok, t.OpenResult(), t.OemCoded(), name);
  };
  for (uint8_t lang : {0x00, 0x26, 0x65})
    for (uint8_t version : {0x03, 0xF5})
      EXPECT_EQ(variant(version, lang), std::make_tuple(true, kDbfOk, true, "Хлеб"_w));
  // An unknown language byte opens, without conversion.
  EXPECT_EQ(variant(0x03, 0xC9), std::make_tuple(true, kDbfForeignLanguage, false, WinToDosStr("Хлеб"_w)));
  // Emptied and refilled, such a table keeps its text as it was written.
  variant(0x03, 0xC9);
  {
    TDBF t;
    t.FileName = path;
    ZapToOneRecord(t, "Сыр"_w);
    ASSERT_TRUE(t.Close());
    ASSERT_TRUE(t.OpenReadOnly());
    ASSERT_EQ(t.ReadRecord(), 0);
    EXPECT_EQ(t.GetFieldStr(1), "Сыр"_w);
  }
  EXPECT_EQ(std::get<1>(variant(0x04, 0x65)), kDbfUnreadable);
  EXPECT_FALSE(std::get<0>(variant(0x04, 0xC9)));
  EXPECT_EQ(std::get<1>(variant(0x04, 0xC9)), kDbfUnreadable);
}

TEST(Dbf, RefusesDamagedFiles) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a", "b", "c"});
  const std::string good = test::ReadBytes(path);
  auto openResult = [&](const std::string& bytes) {
    test::WriteBytes(path, bytes);
    TDBF t;
    t.FileName = path;
    const bool ok = t.OpenReadOnly();
    EXPECT_EQ(ok, t.OpenResult() == kDbfOk);
    if (!ok) {
      EXPECT_EQ(t.ReadRecord(), -1);
    }
    return t.OpenResult();
  };
  EXPECT_EQ(openResult(good), kDbfOk);

  std::string longField = good;
  longField[80] = static_cast<char>(60);  // NAME longer than the record
  EXPECT_EQ(openResult(longField), kDbfDamaged);

  std::string shortHeader = good;
  shortHeader[8] = static_cast<char>(65);  // room for one descriptor only
  EXPECT_EQ(openResult(shortHeader), kDbfDamaged);

  std::string tooMany = good;
  tooMany[4] = static_cast<char>(4);  // four records counted, three there
  EXPECT_EQ(openResult(tooMany), kDbfDamaged);

  std::string noEnd = good.substr(0, 96);  // descriptors never terminated
  EXPECT_EQ(openResult(noEnd), kDbfDamaged);

  // 255 descriptors without the terminator.
  std::string endless = good.substr(0, 32);
  for (int i = 0; i < 256; ++i) endless += good.substr(64, 32);
  EXPECT_EQ(openResult(endless), kDbfDamaged);

  EXPECT_EQ(openResult(good.substr(0, 20)), kDbfUnreadable);
  TDBF missing;
  missing.FileName = tmp / "none.dbf";
  EXPECT_FALSE(missing.Open());
  EXPECT_EQ(missing.LastFileError(), FileError::NotFound);
}

// Random damage to the header and descriptors: every open either fails or
// gives a table whose records and fields read and write inside the file.
TEST(Dbf, RandomlyDamagedHeadersStayInBounds) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a", "b", "c"});
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
    TDBF t;
    t.FileName = path;
    if (!t.Open()) continue;
    ++opened;
    std::string text;
    bool error = false;
    for (int r = 0; r <= t.RecCount() && r < 10; ++r) {
      t.ReadRecord();
      for (int i = 0; i < t.FieldCount(); ++i) {
        t.GetFieldStr(i, text);
        t.GetFieldInt(i, error);
        t.GetFieldDate(i, error);
        t.SetFieldStr(i, "12");
      }
    }
    t.GoToRecord(t.RecCount() + 1);
    t.WriteRecord();
    t.Close();
    ASSERT_TRUE(t.OpenReadOnly()) << "a table that opened once opens again, round " << round;
  }
  EXPECT_GT(opened, 50);
}

TEST(Dbf, FieldValuesFollowTheirTypes) {
  test::TempDir tmp;
  TDBF t;
  t.FileName = tmp / "f.dbf";
  ASSERT_TRUE(t.CreateTable());
  t.AddFieldEx("P", 6, 'N', 2);
  t.AddFieldEx("Q", 3, 'N', 0);
  t.AddFieldEx("N5", 5, 'N', 0);
  t.AddFieldEx("C5", 5, 'C', 0);
  t.AddFieldEx("D", 8, 'D', 0);
  ASSERT_TRUE(t.WriteStructure());
  t.ClearRecordBuf();

  EXPECT_TRUE(t.SetFieldInt(0, 5));
  EXPECT_EQ(Raw(t, 0), "  5.00");
  EXPECT_TRUE(t.SetFieldInt(1, -12));
  EXPECT_EQ(Raw(t, 1), "-12");
  // A number that does not fit is never stored as another number.
  EXPECT_FALSE(t.SetFieldInt(1, 12345));
  EXPECT_EQ(Raw(t, 1), "***");
  EXPECT_FALSE(t.SetFieldInt(0, 1000));
  EXPECT_EQ(Raw(t, 0), "******");
  EXPECT_FALSE(t.SetFieldStr(2, "123456"));
  EXPECT_EQ(Raw(t, 2), "*****");
  bool error = false;
  t.GetFieldInt(1, error);
  EXPECT_TRUE(error);

  EXPECT_TRUE(t.SetFieldStr(2, "abc"));
  EXPECT_EQ(Raw(t, 2), "  abc");
  EXPECT_TRUE(t.SetFieldStr(3, "abcdefg"));
  EXPECT_EQ(t.GetFieldStr(3), "abcde");
  t.SetFieldStr(3, "abc");
  EXPECT_EQ(t.GetFieldStr(3), "abc");

  for (auto [text, value] : std::vector<std::pair<std::string, int32_t>>{
           {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {" 17", 17}, {"1e3", 1000}, {"0.49", 0}}) {
    t.SetFieldStr(2, text);
    EXPECT_EQ(t.GetFieldInt(2, error), value) << text;
    EXPECT_FALSE(error) << text;
  }
  for (std::string bad : {"", "abc", "1.2.3", "-", "99999e9"}) {
    t.SetFieldStr(2, bad);
    t.GetFieldInt(2, error);
    EXPECT_TRUE(error) << bad;
  }

  TDateRec d = t.GetFieldDate(4, error);
  EXPECT_TRUE(error);
  EXPECT_EQ(d, TDateRec{});
  t.SetFieldStr(4, "21991231");
  EXPECT_EQ(t.GetFieldDate(4, error), (TDateRec{31, 12, 2199}));
  EXPECT_FALSE(error);
  t.SetFieldStr(4, "22000101");
  t.GetFieldDate(4, error);
  EXPECT_TRUE(error);
  EXPECT_TRUE(t.SetFieldDate(4, {5, 3, 2007}));
  EXPECT_EQ(t.GetFieldStr(4), "20070305");
  EXPECT_EQ(t.GetFieldDate(4, error), (TDateRec{5, 3, 2007}));

  EXPECT_FALSE(t.SetFieldStr(9, "x"));
  EXPECT_EQ(t.GetFieldStr(9), "");
}

TEST(Dbf, StructureNamesAndLimits) {
  TDBF t;
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

  TDBF a, b;
  a.AddFieldEx("X", 5, 'C', 0);
  a.AddFieldEx("Y", 6, 'N', 2);
  b.AddFieldEx("Y", 6, 'N', 2);
  b.AddFieldEx("X", 5, 'C', 0);
  EXPECT_TRUE(a.SameStructure(b));
  TDBF c;
  c.AddFieldEx("Y", 6, 'N', 1);
  c.AddFieldEx("X", 5, 'C', 0);
  EXPECT_FALSE(a.SameStructure(c));

  EXPECT_TRUE(IsValidFieldName("Цена_1"_w));
  for (const std::string& bad : {"1A"s, "ЁЛКА"_w, "ABCDEFGHIJK"s, "A-B"s, ""s})
    EXPECT_FALSE(IsValidFieldName(bad)) << bad;
}

TEST(Dbf, AppendsUpdatesDeletesAndCuts) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  // Enough records to cross the read-ahead and write-behind blocks.
  const int n = 20000;
  {
    TDBF t;
    t.FileName = path;
    ASSERT_TRUE(t.CreateTable());
    t.AddFieldEx("NO__", 10, 'N', 0);
    t.AddFieldEx("NAME", 20, 'C', 0);
    ASSERT_TRUE(t.WriteStructure());
    for (int i = 1; i <= n; ++i) {
      t.GoToRecord(t.RecCount() + 1);
      t.ClearRecordBuf();
      t.SetFieldInt(0, i);
      ASSERT_TRUE(t.WriteRecord());
    }
    // Records still in the write-behind block read and update like others.
    t.GoToRecord(n);
    ASSERT_EQ(t.ReadRecord(), 0);
    bool error = false;
    EXPECT_EQ(t.GetFieldInt(0, error), n);
    t.GoToRecord(n);
    t.SetFieldStr(1, "last");
    ASSERT_TRUE(t.WriteRecord());
    EXPECT_TRUE(t.Close());
  }
  TDBF t;
  t.FileName = path;
  ASSERT_TRUE(t.Open());
  ASSERT_EQ(t.RecCount(), n);
  bool error = false;
  for (int i = 1; i <= n; ++i) {
    ASSERT_EQ(t.ReadRecord(), 0);
    ASSERT_EQ(t.GetFieldInt(0, error), i);
  }
  EXPECT_EQ(t.GetFieldStr(1), "last");

  // Update record 3 in place, delete record 4, then append one.
  t.GoToRecord(3);
  ASSERT_EQ(t.ReadRecord(), 0);
  t.GoToRecord(3);
  t.SetFieldStr(1, "Обновлено"_w);
  ASSERT_TRUE(t.WriteRecord());
  EXPECT_EQ(t.RecCount(), n);
  t.GoToRecord(4);
  t.ReadRecord();
  t.GoToRecord(4);
  t.SetDeleted(true);
  ASSERT_TRUE(t.WriteRecord());
  t.GoToRecord(3);
  EXPECT_EQ(t.ReadRecord(), 0);
  EXPECT_EQ(t.GetFieldStr(1), "Обновлено"_w);
  EXPECT_EQ(t.ReadRecord(), 1);
  t.GoToRecord(n + 1);
  ASSERT_TRUE(t.WriteRecord());
  EXPECT_EQ(t.RecCount(), n + 1);
  // A write past the end would leave a hole.
  t.GoToRecord(n + 5);
  EXPECT_FALSE(t.WriteRecord());
  ASSERT_TRUE(t.Close());

  const int64_t sizeBefore = static_cast<int64_t>(test::ReadBytes(path).size());
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.RecCount(), n + 1);
  t.Truncate(0);
  ASSERT_TRUE(t.Close());
  const std::string f = test::ReadBytes(path);
  EXPECT_EQ(Le32(f, 4), 0u);
  EXPECT_EQ(At(f, 97), 0x1A);
  EXPECT_EQ(static_cast<int64_t>(f.size()), sizeBefore);
}

TEST(Dbf, UntouchedTableIsNotWritten) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a", "b"});
  std::string noMark = test::ReadBytes(path);
  noMark.pop_back();
  test::WriteBytes(path, noMark);
  TDBF t;
  t.FileName = path;
  ASSERT_TRUE(t.Open());
  while (t.ReadRecord() >= 0) {
  }
  // An update in place keeps the header as it is.
  t.GoToRecord(1);
  t.ReadRecord();
  t.GoToRecord(1);
  ASSERT_TRUE(t.WriteRecord());
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(test::ReadBytes(path), noMark);
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

TEST(Dbf, ZapEmptiesAndCreatingAgainCutsTheFile) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a", "b", "c"});
  const std::string old = test::ReadBytes(path);
  TDBF t;
  t.FileName = path;
  ZapToOneRecord(t, "z");
  // Until Close the old table stands whole, and nobody else opens it.
  EXPECT_EQ(test::ReadBytes(path), old);
  EXPECT_FALSE(OpensInOtherProcess(path, true));
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(test::ReadBytes(path).size(), 97u + 31 + 1);
  ASSERT_TRUE(t.Open());
  EXPECT_EQ(t.RecCount(), 1);
  t.ReadRecord();
  EXPECT_EQ(t.GetFieldStr(1), "z");
  t.Close();

  MakeTable(path, {});
  EXPECT_EQ(test::ReadBytes(path).size(), 98u);

  // A table made anew that does not reach the disk leaves the old one.
  MakeTable(path, {"a", "b", "c"});
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 200;
    ASSERT_TRUE(t.Open());
    ASSERT_TRUE(t.Zap());
    for (int i = 0; i < 20; ++i) {
      t.GoToRecord(i + 1);
      t.WriteRecord();
    }
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

TEST(Dbf, OpenModesKeepWritersOut) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a"});
  TDBF r1, r2, w;
  r1.FileName = r2.FileName = w.FileName = path;
  ASSERT_TRUE(r1.OpenReadOnly());
  ASSERT_TRUE(r2.OpenReadOnly());
  EXPECT_TRUE(OpensInOtherProcess(path, true));
  EXPECT_FALSE(OpensInOtherProcess(path, false));
  EXPECT_FALSE(w.OpenExclusive());
  EXPECT_EQ(w.LastFileError(), FileError::Busy);
  EXPECT_FALSE(w.CreateTable());
  r1.GoToRecord(1);
  EXPECT_FALSE(r1.WriteRecord());
  r1.Close();
  r2.Close();
  ASSERT_TRUE(w.OpenExclusive());
  EXPECT_FALSE(r1.OpenReadOnly());
  EXPECT_FALSE(OpensInOtherProcess(path, true));
  // Fields cannot be added under records laid out without them.
  EXPECT_FALSE(w.AddFieldEx("MORE", 10, 'C', 0));
  ASSERT_TRUE(w.CreateTable());
  ASSERT_TRUE(w.AddFieldEx("A", 1, 'C', 0));
  ASSERT_TRUE(w.WriteStructure());
  w.GoToRecord(1);
  ASSERT_TRUE(w.WriteRecord());
  EXPECT_FALSE(w.AddFieldEx("B", 255, 'C', 0));
  EXPECT_EQ(w.RecordSize(), 2);
}

TEST(Dbf, FailedWritesAreReportedAndNeverCounted) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  MakeTable(path, {"a", "b"});
  {
    // A full disk part way through a long append.
    test::FaultyFileSystem fs;
    TDBF t;
    t.FileName = path;
    ASSERT_TRUE(t.Open());
    fs.WriteBudget = 31 * 10000 + 15;
    bool failed = false;
    for (int i = 0; i < 20000 && !failed; ++i) {
      t.GoToRecord(t.RecCount() + 1);
      t.ClearRecordBuf();
      t.SetFieldInt(0, i + 3);
      failed = !t.WriteRecord();
    }
    fs.WriteBudget = -1;
    EXPECT_FALSE(t.Close() && !failed);
  }
  {
    TDBF t;
    t.FileName = path;
    ASSERT_TRUE(t.Open()) << "the table stays readable";
    const int32_t count = t.RecCount();
    EXPECT_GE(count, 2);
    EXPECT_LE(count, 2 + 10000);
    bool error = false;
    for (int i = 1; i <= count; ++i) {
      ASSERT_EQ(t.ReadRecord(), 0);
      ASSERT_EQ(t.GetFieldInt(0, error), i);
    }
    // An update that cannot be written says so.
    test::FaultyFileSystem fs;
    TDBF u;
    t.Close();
    u.FileName = path;
    ASSERT_TRUE(u.Open());
    fs.WriteBudget = 3;
    u.GoToRecord(1);
    EXPECT_FALSE(u.WriteRecord());
    u.GoToRecord(u.RecCount() + 1);
    EXPECT_FALSE(u.WriteRecord() && u.Flush());
    EXPECT_FALSE(u.Close());
    // A record that cannot be read says so and is passed over.
    ASSERT_TRUE(u.OpenReadOnly());
    fs.FailReads = true;
    EXPECT_EQ(u.ReadRecord(), -1);
    EXPECT_EQ(u.RecNo(), 1);
    fs.FailReads = false;
    EXPECT_EQ(u.ReadRecord(), 0);
    EXPECT_EQ(u.GetFieldInt(0, error), 2);
  }
  // A read-only file opens for reading only.
  test::FaultyFileSystem fs;
  fs.ReadOnlyFiles = true;
  TDBF t;
  t.FileName = path;
  EXPECT_FALSE(t.OpenExclusive());
  EXPECT_EQ(t.LastFileError(), FileError::Denied);
  EXPECT_FALSE(t.CreateTable());
  EXPECT_FALSE(t.Zap());
  ASSERT_TRUE(t.OpenReadOnly());
  t.GoToRecord(1);
  EXPECT_FALSE(t.WriteRecord());
}

}  // namespace
}  // namespace vm
