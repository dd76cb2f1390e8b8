// Archiving a period and restoring it: which records go, how the links are
// renumbered, the list, the counters and the files, and the way back.
#include "archive/archive_period.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/archive_store.h"
#include "foundation/tables/commit_journal.h"
#include "period_rig.h"
#include "support/faulty_files.h"
#include "support/oracle_tools.h"

namespace vm {
namespace {

using test::PeriodRow;
using Rows = std::vector<std::string>;

constexpr TDateRec kJan1{1, 1, 2026}, kJan5{5, 1, 2026}, kFeb1{1, 2, 2026}, kMar1{1, 3, 2026};

class ArchivePeriodTest : public test::PeriodRig {
 protected:
  // Heads 1, 2 and 4 (an empty date) are old; 3 and 5 are new.
  void Invoices(std::vector<int32_t> refs) {
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{"h1", kJan1}, {"h2", kJan5}, {"h3", kFeb1}, {"h4", {}}, {"h5", kMar1}}));
    std::vector<PeriodRow> lines;
    for (std::size_t i = 0; i < refs.size(); ++i) lines.push_back({"l" + std::to_string(i + 1), kMar1, 0, refs[i]});
    ASSERT_TRUE(test::WritePeriodTable(Lines(), lines));
  }
};

TEST_F(ArchivePeriodTest, ArchiveRenumbersLinksAndRestoreBringsTheTablesBack) {
  Invoices({3, 5, 3});
  const std::string head = test::ReadBytes(Head()), lines = test::ReadBytes(Lines());
  ASSERT_TRUE(Archive("31.01.2026"));
  EXPECT_EQ(LastBox(), "Архивация успешно завершена"_w);
  EXPECT_EQ(ui_.InputBoxes.at(0).Caption, "Архивация до даты (включительно)"_w);
  EXPECT_EQ(ui_.Boxes.at(0).Text, "Архивировать базы по конфигурации 'Накладные'\r по 31 января 2026 г. включительно?"_w);
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"h3/0", "h5/0"}));
  EXPECT_EQ(test::ReadPeriodTable(Lines()), (Rows{"l1/1", "l2/2", "l3/1"}));
  // The list, the counter and the archive file changed with the tables.
  const auto list = LoadArchiveList(env_.ListFile());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].ConfigID, 7);
  EXPECT_EQ(list[0].Sequence, 0);
  EXPECT_EQ(list[0].CutDate, (TDateRec{31, 1, 2026}));
  EXPECT_EQ(list[0].Packed, 1);
  EXPECT_EQ(config_.ArchiveNo, 1);
  EXPECT_EQ(test::ReadBytes(env_.ConfigFile), "НОМ_АРХИВА=1"_w);
  const std::string bh = env_.ArchiveDir() + list[0].BhName;
  ASSERT_TRUE(std::filesystem::exists(bh));
  // The independent reader of the format lists the packed combined file.
  EXPECT_TRUE(test::RunTool("/usr/bin/python3 " + std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/bh_tool.py list " +
                            test::Quote(bh) + " | grep -q " + list[0].CafName));
  EXPECT_TRUE(test::DirNames(env_.WorkDir()).empty());
  EXPECT_FALSE(std::filesystem::exists(Dir() + kCommitJournalName));

  ASSERT_TRUE(Restore());
  EXPECT_EQ(LastBox(), "Восстановление данных успешно завершено"_w);
  EXPECT_TRUE(test::ReadBytes(Head()) == head);
  EXPECT_TRUE(test::ReadBytes(Lines()) == lines);
  EXPECT_EQ(config_.ArchiveNo, 0);
  EXPECT_TRUE(LoadArchiveList(env_.ListFile()).empty());
  EXPECT_TRUE(test::DirNames(env_.ArchiveDir()).empty());
  EXPECT_TRUE(test::DirNames(env_.WorkDir()).empty());
}

// What the commit puts in place, and the folders it lies in, go on the disk
// before the journal; the work files, gone with the command, never do.
TEST_F(ArchivePeriodTest, TheCommitPutsItsFilesOnTheDiskAndTheWorkFilesStayOff) {
  Invoices({3, 5, 3});
  for (const bool archiving : {true, false}) {
    SCOPED_TRACE(archiving ? "archiving" : "restoring");
    test::FaultyFileSystem fs;
    ASSERT_TRUE(archiving ? Archive("31.01.2026") : Restore());
    const auto list = LoadArchiveList(env_.ListFile());
    std::vector<std::string> expected = {Head() + ".$NW", Lines() + ".$NW", env_.ListFile() + ".$NW"};
    if (archiving) expected.push_back(env_.ArchiveDir() + list.at(0).BhName + ".$NW");
    for (const std::string& path : expected)
      EXPECT_NE(std::find(fs.SyncedFiles.begin(), fs.SyncedFiles.end(), path), fs.SyncedFiles.end()) << path;
    for (const std::string& folder : {Dir(), env_.ArchiveDir()})
      EXPECT_NE(std::find(fs.SyncedFolders.begin(), fs.SyncedFolders.end(), folder), fs.SyncedFolders.end())
          << folder;
    for (const std::string& path : fs.SyncedFiles) EXPECT_FALSE(path.starts_with(env_.WorkDir())) << path;
    for (const std::string& folder : fs.SyncedFolders) EXPECT_FALSE(folder.starts_with(env_.WorkDir())) << folder;
  }
}

TEST_F(ArchivePeriodTest, LinksToArchivedRecordsBecomeTheLastKeptBeforeThemOrUnknown) {
  Invoices({1, 2, 4, 5});
  ASSERT_TRUE(Archive("31.01.2026"));
  // 1 and 2 have no kept head before them; 4 follows the kept 3.
  EXPECT_EQ(test::ReadPeriodTable(Lines()), (Rows{"l1/???", "l2/???", "l3/1", "l4/2"}));
  ASSERT_TRUE(Restore());
  // Unknown stays unknown; the others are back at their heads.
  EXPECT_EQ(test::ReadPeriodTable(Lines()), (Rows{"l1/???", "l2/???", "l3/3", "l4/5"}));
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"h1/0", "h2/0", "h3/0", "h4/0", "h5/0"}));
}

TEST_F(ArchivePeriodTest, GroupsLastRecordsAndConditions) {
  ASSERT_TRUE(test::WritePeriodTable(Head(), {{"a1", kJan1, 1},
                                              {"a2", kJan1, 2},
                                              {"a3", kFeb1, 2},  // later: keeps its group 2
                                              {"a4", kJan5, 3},
                                              {"a5", kJan1, 4, 9},  // the condition keeps it and group 4
                                              {"a6", kJan1, 4},
                                              {"a7", kJan1, 5, 0, true},  // deleted: stays in place
                                              {"a8", kJan1, 6}}));        // the last record
  ASSERT_TRUE(test::WritePeriodTable(Lines(), {{"x1", kJan1, 0, 0}, {"x2", kJan1, 0, 0}}));
  lines_->LinkedFields.clear();
  head_->GroupField = "GRP";
  head_->Condition = "HEAD.REF>5";
  head_->KeepLast = true;
  ASSERT_TRUE(Archive("31.01.2026"));
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"a2/0", "a3/0", "a5/9", "a6/0", "*a7/0", "a8/0"}));
  EXPECT_TRUE(test::ReadPeriodTable(Lines()).empty());

  ASSERT_TRUE(Restore());
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"a1/0", "a2/0", "a3/0", "a4/0", "a5/9", "a6/0", "*a7/0", "a8/0"}));
  EXPECT_EQ(test::ReadPeriodTable(Lines()), (Rows{"x1/0", "x2/0"}));
}

// Without an exclusion condition the kept last record stays alone: the older
// records of its group still go.
TEST_F(ArchivePeriodTest, WithoutAConditionTheKeptLastRecordKeepsOnlyItself) {
  ASSERT_TRUE(test::WritePeriodTable(Head(), {{"a1", kJan1, 1}, {"a2", kJan1, 2}, {"a3", kJan5, 1}, {"a4", kJan5, 1}}));
  ASSERT_TRUE(test::WritePeriodTable(Lines(), {}));
  lines_->LinkedFields.clear();
  head_->GroupField = "GRP";
  head_->Condition.clear();
  head_->KeepLast = true;
  ASSERT_TRUE(Archive("31.01.2026"));
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"a4/0"}));
}

TEST_F(ArchivePeriodTest, AnErrorInTheConditionKeepsTheRecordButNotItsGroup) {
  // REF 1: 0/0, an error; REF 2: 1, the condition holds; REF 3: 0.
  ASSERT_TRUE(test::WritePeriodTable(Head(), {{"a", kJan1, 1, 1}, {"b", kJan1, 1, 3}, {"c", kJan1, 2, 2},
                                              {"d", kJan1, 2, 3}}));
  ASSERT_TRUE(test::WritePeriodTable(Lines(), {}));
  lines_->LinkedFields.clear();
  head_->GroupField = "GRP";
  head_->Condition = "(HEAD.REF=2)/(HEAD.REF-1)";
  ASSERT_TRUE(Archive("31.01.2026"));
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"a/1", "c/2", "d/3"}));
}

// A line written after the archive links to the head now first; the
// restore gives that head its number 1000, which the line's REF N(3)
// cannot hold: the link is marked unknown rather than left naming head 1.
TEST_F(ArchivePeriodTest, ALinkWhoseRestoredNumberItsFieldCannotHoldIsMarkedUnknown) {
  std::vector<PeriodRow> heads(999, {"h", kJan1});
  heads.push_back({"last", kFeb1});
  ASSERT_TRUE(test::WritePeriodTable(Head(), heads));
  ASSERT_TRUE(test::WritePeriodTable(Lines(), {}, 3));
  ASSERT_TRUE(Archive("31.01.2026"));
  ASSERT_TRUE(test::WritePeriodTable(Lines(), {{"l1", kMar1, 0, 1}}, 3));
  ASSERT_TRUE(Restore());
  EXPECT_EQ(test::ReadPeriodTable(Lines()), (Rows{"l1/???"}));
  EXPECT_EQ(test::ReadPeriodTable(Head()).back(), "last/0");
}

TEST_F(ArchivePeriodTest, TwoArchivesAndARestoreIntoTablesThatGrew) {
  Invoices({});
  ASSERT_TRUE(Archive("01.01.2026"));
  ASSERT_TRUE(Archive("31.01.2026"));
  const auto list = LoadArchiveList(env_.ListFile());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].CutDate, kJan1);
  EXPECT_EQ(list[0].Sequence + 1, list[1].Sequence);
  EXPECT_EQ(list[1].CafName, ArchiveNumberStr(std::stoi(list[0].CafName.substr(0, 8)) + 1) + ".CAF");
  EXPECT_EQ(config_.ArchiveNo, 2);
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"h3/0", "h5/0"}));

  // New records since: the restored ones go to their former places as far
  // as the merged positions reach them.
  {
    TDBF t;
    t.FileName = Head();
    ASSERT_TRUE(t.OpenExclusive());
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(test::kNo, 3);
    t.SetFieldStr(test::kName, "h6");
    t.SetFieldInt(test::kRef, 0);
    ASSERT_TRUE(t.WriteRecord());
    ASSERT_TRUE(t.Close());
  }
  ASSERT_TRUE(Restore());  // the last archive: h2
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"h2/0", "h3/0", "h5/0", "h6/0"}));
  EXPECT_EQ(config_.ArchiveNo, 1);
  ASSERT_TRUE(Restore());
  EXPECT_EQ(test::ReadPeriodTable(Head()), (Rows{"h1/0", "h2/0", "h3/0", "h4/0", "h5/0", "h6/0"}));
  ASSERT_FALSE(Restore());
  EXPECT_EQ(LastBox(), "Архивы по конфигурации 'Накладные' не найдены !"_w);
}

TEST_F(ArchivePeriodTest, RefusalsLeaveEverythingAsItWas) {
  Invoices({3});
  const std::string head = test::ReadBytes(Head());
  freeBytes_ = 1000;  // less than four times the tables
  ASSERT_FALSE(Archive("31.01.2026"));
  EXPECT_EQ(ui_.Boxes.at(1).Text, "Недостаточно места на диске C: !"_w);
  EXPECT_EQ(LastBox(), "Архивация не была завершена из-за возникших ошибок"_w);

  freeBytes_ = int64_t{1} << 40;
  failSave_ = true;  // the last step of the commit fails
  ASSERT_FALSE(Archive("31.01.2026"));
  EXPECT_EQ(config_.ArchiveNo, 0);
  EXPECT_TRUE(test::ReadBytes(Head()) == head);
  EXPECT_FALSE(std::filesystem::exists(env_.ListFile()));
  EXPECT_TRUE(test::DirNames(env_.ArchiveDir()).empty());

  // Cancelled date or confirmation: nothing, not even a closing message.
  failSave_ = false;
  Prepare();
  const std::size_t boxes = ui_.Boxes.size();
  EXPECT_FALSE(ArchivePeriod(config_, env_));
  ui_.InputTexts.push_back("31.01.2026");
  EXPECT_FALSE(ArchivePeriod(config_, env_));
  EXPECT_EQ(ui_.Boxes.size(), boxes + 1);
  ReleaseAll(config_);
  EXPECT_TRUE(test::ReadBytes(Head()) == head);
}

// Links planted at "WORK" or "ARCHIVE": archiving and restoring refuse,
// and the folder a link points at keeps every file.
// Fields narrower than the archived values: 12345 archived from GRP N(5)
// into N(3), a name of ten letters into C(6). Nothing is restored, and the
// base, the field and the value are told under the closing message and in
// "Errors.log".
TEST_F(ArchivePeriodTest, AValueItsNarrowerFieldCannotHoldRestoresNothing) {
  const std::vector<PeriodRow> old = {{"h1", kJan1, 12345}, {"h2", kFeb1, 7}};
  const std::vector<PeriodRow> named = {{"h1-longest", kJan1}, {"h2", kFeb1}};
  struct Case {
    std::vector<PeriodRow> Rows;
    test::PeriodWidths Narrower;
    std::string Fault;
  };
  for (const Case& c : {Case{old, {10, 3}, "База HEAD, поле GRP: значение 12345 не помещается в поле"_w},
                        Case{named, {6, 5}, "База HEAD, поле NAME: значение h1-longest не помещается в поле"_w}}) {
    SCOPED_TRACE(c.Fault);
    ASSERT_TRUE(test::WritePeriodTable(Head(), c.Rows));
    ASSERT_TRUE(test::WritePeriodTable(Lines(), {}));
    ASSERT_TRUE(Archive("31.01.2026"));
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{"h2", kFeb1, 7}}, 10, c.Narrower));
    const std::string head = test::ReadBytes(Head());
    const auto list = LoadArchiveList(env_.ListFile());
    ui_.Log.clear();
    EXPECT_FALSE(Restore());
    EXPECT_EQ(LastBox(), "Восстановление данных не было завершено из-за возникших ошибок\r"_w + c.Fault);
    ASSERT_FALSE(ui_.Log.empty());
    EXPECT_EQ(ui_.Log.back(), "Восстановление данных: "_w + c.Fault);
    EXPECT_TRUE(test::ReadBytes(Head()) == head);
    EXPECT_EQ(LoadArchiveList(env_.ListFile()).size(), list.size());
    EXPECT_EQ(config_.ArchiveNo, 1);
    EXPECT_TRUE(test::DirNames(env_.WorkDir()).empty());
    // Widened again, the archive comes back whole.
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{"h2", kFeb1, 7}}));
    ASSERT_TRUE(Restore());
    EXPECT_EQ(test::ReadPeriodTable(Head()).front(), c.Rows[0].Name + "/0");
  }
}

// A field narrowed since the archive takes what reads back as the archived
// value: a sum with fewer decimals only when the ones dropped were zeros
// (and then without them), a name that just fills it; a field of another
// type only a value of its type. Blanks and unknown links stay as they
// were. Any other value restores nothing and is told.
TEST_F(ArchivePeriodTest, ANarrowedFieldTakesOnlyWhatReadsBackAsTheArchivedValue) {
  struct Case {
    std::string Name, Sum;
    test::PeriodWidths Archived, Narrowed;
    std::string Restored;  // NAME/SUM as restored; empty: refused
  };
  const test::PeriodWidths sum82{10, 5, 8, 2};
  const Case cases[] = {
      {"h1", "12345.67", sum82, {10, 5, 6, 2}, ""},
      {"h1", "12345.67", sum82, {10, 5, 7, 2}, ""},
      {"h1", "123.4567", {10, 5, 10, 4}, {10, 5, 6, 4}, ""},
      {"h1", "-123.45", sum82, {10, 5, 6, 0}, ""},
      {"h1", "123.00", sum82, {10, 5, 5, 2}, "h1/123.0"},
      {"h1", "50000.00", sum82, {10, 5, 7, 2}, "h1/50000.0"},
      {"h1-longest", "1.00", {12, 5, 8, 2}, {10, 5, 8, 2}, "h1-longest/1.00"},
      {"h1-longest", "1.00", {12, 5, 8, 2}, {9, 5, 8, 2}, ""},
      // Decimals the field has not: read as 123.45 by sums, as 123 by links.
      {"h1", "123.45", sum82, {10, 5, 6, 0}, ""},
      {"h1", "12.50", sum82, {10, 5, 5, 0}, ""},
      {"h1", "1.50", sum82, {10, 5, 3, 0}, ""},
      {"h1", "12.34", sum82, {10, 5, 5, 1}, ""},
      {"h1", "12.00", sum82, {10, 5, 5, 0}, "h1/12"},
      {"h1", "", sum82, {10, 5, 6, 0}, "h1/"},
      {"h1-longest", "", {12, 5, 8, 2}, {10, 5, 8, 2}, "h1-longest/"},
      {"h1-longest", "???", {12, 5, 8, 2}, {10, 5, 8, 2}, "h1-longest/???"},
      // The type changed: "abc" is no date and no number, "T" no number.
      {"h1", "abc", {10, 5, 8, 0, 'C'}, {10, 5, 8, 0, 'D'}, ""},
      {"h1", "abc", {10, 5, 8, 0, 'C'}, {10, 5, 8, 0, 'N'}, ""},
      {"h1", "T", {10, 5, 1, 0, 'L'}, {10, 5, 3, 0, 'N'}, ""},
      {"h1", "20260105", {10, 5, 10, 0, 'C'}, {10, 5, 8, 0, 'D'}, "h1/20260105"},
      {"h1-longest", "T", {12, 5, 1, 0, 'L'}, {10, 5, 1, 0, 'L'}, "h1-longest/T"},
      {"h1", "x", {10, 5, 1, 0, 'C'}, {10, 5, 1, 0, 'L'}, ""},
      {"h1", "", {10, 5, 8, 0, 'D'}, {10, 5, 4, 0, 'C'}, "h1/"},
      // Past the digits of the 80-bit numbers: beside a widened name, a sum
      // that stayed as it was takes the archived text as it stands; one
      // whose field changed goes digit for digit.
      {"h1", "72072248594656829.91", {10, 5, 20, 2}, {12, 5, 20, 2}, "h1/72072248594656829.91"},
      {"h1", "12,5", {10, 5, 8, 2}, {12, 5, 8, 2}, "h1/12,5"},
      {"h1", "8600855638.214755289", {10, 5, 20, 9}, {12, 5, 20, 9}, "h1/8600855638.214755289"},
      {"h1", "18446744073709551617", {10, 5, 20, 0}, {12, 5, 20, 0}, "h1/18446744073709551617"},
      {"h1", "72072248594656829.91", {10, 5, 20, 2}, {10, 5, 22, 3}, "h1/72072248594656829.910"},
      {"h1", "4562176795334513057.38", {10, 5, 22, 2}, {10, 5, 22, 1}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name + " " + c.Sum + " into " + std::to_string(c.Narrowed.Name) + ", " + c.Narrowed.SumType +
                 std::to_string(c.Narrowed.SumLength) + "." + std::to_string(c.Narrowed.SumDecimals));
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{c.Name, kJan1, 0, 0, false, c.Sum}, {"h2", kFeb1, 7, 0, false, "1"}},
                                       10, c.Archived));
    ASSERT_TRUE(test::WritePeriodTable(Lines(), {}));
    ASSERT_TRUE(Archive("31.01.2026"));
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{"h2", kFeb1, 7, 0, false, "1"}}, 10, c.Narrowed));
    const std::string head = test::ReadBytes(Head());
    const bool restored = Restore();
    EXPECT_EQ(restored, !c.Restored.empty()) << Cp1251ToUtf8(LastBox());
    if (!c.Restored.empty()) {
      TDBF t;
      t.FileName = Head();
      ASSERT_TRUE(t.OpenReadOnly());
      t.GoToRecord(1);
      ASSERT_EQ(t.ReadRecord(), 0);
      EXPECT_EQ(t.GetFieldStr(test::kName) + "/" + t.GetFieldStr(test::kSum), c.Restored);
      continue;
    }
    const std::string field = c.Name == "h1" ? "SUM" : "NAME";
    const std::string value = c.Name == "h1" ? c.Sum : c.Name;
    EXPECT_EQ(LastBox(), "Восстановление данных не было завершено из-за возникших ошибок\r"_w + "База HEAD, поле "_w +
                             field + ": значение "_w + value + " не помещается в поле"_w);
    EXPECT_TRUE(test::ReadBytes(Head()) == head);
    if (restored) continue;
    // Widened again, the archive comes back whole.
    ASSERT_TRUE(test::WritePeriodTable(Head(), {{"h2", kFeb1, 7, 0, false, "1"}}, 10, c.Archived));
    ASSERT_TRUE(Restore());
  }
}

TEST_F(ArchivePeriodTest, LinksAtTheWorkOrArchiveFolderAreRefusedAndWhatTheyPointAtIsKept) {
  Invoices({3});
  ASSERT_TRUE(Archive("31.01.2026"));
  const std::string head = test::ReadBytes(Head());
  test::TempDir outside;
  test::WriteBytes(outside / "victim", "keep me");
  const std::string refused =
      "Папка "_w + Dir() + "%s должна быть обычной папкой, а не ссылкой или файлом!"_w;
  for (const std::string name : {"WORK", "ARCHIVE"}) {
    SCOPED_TRACE(name);
    test::PlantedLink link(Dir(), name, outside.Dir());
    ui_.Boxes.clear();
    EXPECT_FALSE(Archive("31.01.2026"));
    EXPECT_FALSE(Restore());
    EXPECT_EQ(test::DirNames(outside.Dir()), std::vector<std::string>{"victim"});
    std::string text = refused;
    text.replace(text.find("%s"), 2, name);
    EXPECT_EQ(std::count_if(ui_.Boxes.begin(), ui_.Boxes.end(), [&](const auto& b) { return b.Text == text; }), 2);
    EXPECT_TRUE(test::ReadBytes(Head()) == head);
  }
}

TEST_F(ArchivePeriodTest, ARestoreChecksTheListAndTheArchive) {
  Invoices({});
  ASSERT_TRUE(Archive("31.01.2026"));
  const std::string head = test::ReadBytes(Head());
  auto list = LoadArchiveList(env_.ListFile());
  const std::string name = list[0].BhName;
  // A name from the list that is no archive name is never opened.
  // The fault is shown under the closing message and logged.
  list[0].BhName = "../HEAD.DBF";
  ASSERT_TRUE(WriteArchiveList(env_.ListFile(), list));
  EXPECT_FALSE(Restore());
  EXPECT_EQ(LastBox(), "Восстановление данных не было завершено из-за возникших ошибок\r"_w +
                           "Испорчена запись списка архивов"_w);
  ASSERT_FALSE(ui_.Log.empty());
  EXPECT_EQ(ui_.Log.back(), "Восстановление данных: Испорчена запись списка архивов"_w);
  EXPECT_TRUE(test::ReadBytes(Head()) == head);

  // A gap in the sequence asks first; No stops without a closing message.
  list[0].BhName = name;
  list[0].Sequence = 5;
  ASSERT_TRUE(WriteArchiveList(env_.ListFile(), list));
  Prepare();
  ui_.Answers = {kIdNo};
  EXPECT_FALSE(RestoreFromArchive(config_, env_));
  EXPECT_EQ(LastBox(), "Нарушена непрерывность архивов! Продолжить ?"_w);
  ReleaseAll(config_);
  ASSERT_TRUE(Restore());
  EXPECT_EQ(test::ReadPeriodTable(Head()).size(), 5u);
}

}  // namespace
}  // namespace vm
