// Archiving and restoring killed (SIGKILL) at random moments: after the
// recovery the next start runs, the tables, "archive.alf", "ARCHIVE" and
// the counter are together all as before or all as after, and every table
// is one that python3-dbfread reads whole.
//
// VELOMAR_ARCHIVE_KILLS sets the kills per command (40 by default, 200 for
// the full run) and VELOMAR_ARCHIVE_RECORDS the records of the tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "archive/archive_store.h"
#include "foundation/tables/commit_journal.h"
#include "period_rig.h"
#include "support/oracle_tools.h"
#include "support/random_kills.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

int EnvCount(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

// The files of the commands' state, by name; archive.alf and the archive
// file carry the moment they were made, so they are told by what they hold.
struct DataState {
  std::string Head, Lines, Counter;
  std::size_t ListRecords = 0;
  std::vector<std::string> Archives;
  bool operator==(const DataState&) const = default;
};

class ArchiveCrash : public test::PeriodRig {
 protected:
  void SetUp() override {
    PeriodRig::SetUp();
    const int records = EnvCount("VELOMAR_ARCHIVE_RECORDS", 100000);
    // Half heads, half lines that link to the heads that stay (a link to an
    // archived one becomes "???", which dbfread refuses in a number field);
    // the first third of both lies before the cut date.
    std::vector<test::PeriodRow> heads, lines;
    const int half = records / 2, old = records / 6;
    for (int i = 0; i < half; ++i) {
      const TDateRec date = i < old ? TDateRec{10, 1, 2026} : TDateRec{10, 3, 2026};
      heads.push_back({"h" + std::to_string(i), date, 0, 0});
      lines.push_back({"l" + std::to_string(i), date, 0, old + 1 + (i * 7) % (half - old)});
    }
    ASSERT_TRUE(test::WritePeriodTable(Head(), heads));
    ASSERT_TRUE(test::WritePeriodTable(Lines(), lines));
    test::WriteBytes(env_.ConfigFile, "НОМ_АРХИВА=0"_w);
    Keep(&before_, "before");
  }

  DataState Current() {
    DataState s;
    s.Head = test::ReadBytes(Head());
    s.Lines = test::ReadBytes(Lines());
    s.Counter = test::ReadBytes(env_.ConfigFile);
    s.ListRecords = fs::exists(env_.ListFile()) ? LoadArchiveList(env_.ListFile()).size() : 0;
    s.Archives = test::DirNames(env_.ArchiveDir());
    return s;
  }
  // Notes the state and keeps its files to start runs from.
  void Keep(DataState* state, const std::string& folder) {
    *state = Current();
    const fs::path to = tmp_ / folder;
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(Dir()))
      if (e.is_regular_file()) fs::copy_file(e.path(), to / e.path().filename());
    if (fs::exists(env_.ArchiveDir())) fs::copy(env_.ArchiveDir(), to / "ARCHIVE");
  }
  void StartFrom(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(Dir()))
      if (e.path().filename() != "before" && e.path().filename() != "after") fs::remove_all(e.path());
    fs::copy(tmp_ / folder, Dir(), fs::copy_options::recursive);
  }
  // What the next start does first, then the state must be one of the two.
  void ExpectBeforeOrAfter(int run) {
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(Dir(), messages), TRecoveryResult::Failed) << run;
    const DataState now = Current();
    auto same = [&](const DataState& s) {
      return std::to_string(now.Head == s.Head) + std::to_string(now.Lines == s.Lines) +
             std::to_string(now.Counter == s.Counter) + std::to_string(now.ListRecords == s.ListRecords) +
             std::to_string(now.Archives == s.Archives);
    };
    EXPECT_TRUE(now == before_ || now == after_) << "run " << run << ": as before " << same(before_) << ", as after "
                                                 << same(after_);
  }
  // The tables of a state as python3-dbfread reads them: whole, every record.
  void ExpectReadWhole(int records) {
    for (const std::string& table : {Head(), Lines()}) {
      const std::string out = Dir() + "dbfread.txt";
      ASSERT_EQ(std::system(("/usr/bin/python3 " + std::string(VELOMAR_SOURCE_DIR) + "/tests/data/dbf_crosscheck.py read " +
                             test::Quote(table) + " > " + test::Quote(out))
                                .c_str()),
                0);
      const std::string text = test::ReadBytes(out);
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), records + 2) << table;
      fs::remove(out);
    }
  }
  // Each run starts from its state's counters, as a program started anew.
  bool RunArchive() {
    ui_.Answers.clear();
    config_.ArchiveNo = 0;
    NextArchiveNumber() = 1;
    return Archive("31.01.2026");
  }
  bool RunRestore() {
    config_.ArchiveNo = 1;
    return Restore();
  }

  DataState before_, after_;
};

TEST_F(ArchiveCrash, KilledArchivingAndRestoringLeaveAllBeforeOrAllAfter) {
  const int kills = EnvCount("VELOMAR_ARCHIVE_KILLS", 40);
  const int records = EnvCount("VELOMAR_ARCHIVE_RECORDS", 100000);
  ExpectReadWhole(records / 2);
  ASSERT_TRUE(RunArchive());
  Keep(&after_, "after");
  ExpectReadWhole(records / 2 - records / 6);
  ASSERT_EQ(after_.Archives.size(), 1u);

  test::KillAtRandomMoments(
      kills, 32, [&] { StartFrom("before"); }, [&] { return RunArchive(); },
      [&](int run) { ExpectBeforeOrAfter(run); });
  test::KillAtRandomMoments(
      kills, 33, [&] { StartFrom("after"); }, [&] { return RunRestore(); },
      [&](int run) { ExpectBeforeOrAfter(run); });
  // The restore's "after" is the state before archiving, to the byte.
  StartFrom("after");
  ASSERT_TRUE(RunRestore());
  EXPECT_TRUE(Current() == before_);
}

}  // namespace
}  // namespace vm
