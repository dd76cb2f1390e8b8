// The program killed while a day starts and documents commit: the next start
// never takes the clock back before what the files say happened, the date
// index never runs ahead of the stored moment, and the numbered copies of
// the settings files never hold the same text twice.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "demo_rig.h"
#include "documents/headless_steps.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/dates.h"
#include "models/startup.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

namespace fs = std::filesystem;

struct TMoment {
  TDateRec Date;
  TTimeRec Time;
};

// A copy of the demo with its data in the program directory, or in a
// folder of its own that "basepath.ini" names.
class ClockRig {
 public:
  explicit ClockRig(bool dataApart) : dataApart_(dataApart) {
    const std::string data = dataApart ? pristine_ / "data/" : pristine_.Dir() + "/";
    fs::create_directories(data);
    CopyDemoTo(data);
    if (!dataApart) return;
    // Data apart are not local: their tables, the date index among them,
    // are made by a program that works on them as its own.
    const pid_t pid = ::fork();
    if (pid == 0) {
      ScriptedUi ui;
      ::setenv("VELOMAR_HOME", data.c_str(), 1);
      InitProgramDirectory();
      ChooseDataDirectory();
      ::_exit(StartUp() == 0 && fs::exists(data + "!BINDEX.DBF") ? 0 : 3);
    }
    int status = 0;
    EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    fs::remove(data + "lock.lck");
    fs::rename(data + "local.ini", pristine_ / "local.ini");
  }

  std::string DataDir() const { return dataApart_ ? home_ / "data/" : home_.Dir() + "/"; }
  std::string ProgramDir() const { return home_.Dir() + "/"; }

  // The demo afresh, as before any run.
  void Fresh() {
    for (const auto& e : fs::directory_iterator(home_.Dir())) fs::remove_all(e.path());
    fs::copy(pristine_.Dir(), home_.Dir(), fs::copy_options::recursive);
    if (dataApart_)
      WriteBytes(ProgramDir() + "basepath.ini",
                 "[Settings]\r\nBasePath=" + DataDir() + "\r\nLocalBases=" + "НЕТ"_w + "\r\n");
  }

  // "Ставка НДС" set to rate at each moment, in a child process that ends
  // without a word after the last, as a kill would; its change to the disk
  // numbered cutAt (from 0, counted from the first run) ends it at once.
  // The number of changes made when it was not ended; -1 when it was.
  int RunRates(const std::vector<std::pair<TMoment, std::string>>& runs, int cutAt = INT_MAX) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -2;
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(pipeFds[0]);
      ScriptedUi ui;
      ChooseDataDirectory();
      if (StartUp() != 0) ::_exit(3);
      std::optional<DieAtChange> killer;
      killer.emplace(cutAt);
      TDocData& doc = *FindDocument("Ставка НДС"_w);
      THeadlessSteps steps;
      for (const auto& [moment, rate] : runs) {
        const TMoment& m = moment;
        ui.DateTimeTyped = DateTimeFields{m.Date.Day, m.Date.Month, m.Date.Year,
                                          m.Time.Hour, m.Time.Minute, m.Time.Second};
        ui.QuestionAnswers = {{true, {rate}}};
        ui.Answers = {kIdYes};
        int32_t line = 0, code = 0;
        if (!RunDocumentChecked(doc, steps, line, code)) ::_exit(4);
      }
      const int changes = killer->Made();
      killer.reset();
      (void)!::write(pipeFds[1], &changes, sizeof changes);
      ::_exit(0);
    }
    ::close(pipeFds[1]);
    int changes = -1;
    const bool told = ::read(pipeFds[0], &changes, sizeof changes) == sizeof changes;
    ::close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -2;
    if (WEXITSTATUS(status) == DieAtChange::kDied) return -1;
    return WEXITSTATUS(status) == 0 && told ? changes : -2;
  }

  // What the next start does first under the lock.
  void Recover() {
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(DataDir(), messages), TRecoveryResult::Failed);
  }

  TMoment Stored() const {
    TMoment m{};
    EXPECT_TRUE(ReadStoredMoment(ProgramDir() + "local.ini", m.Date, m.Time));
    return m;
  }
  std::string Manager() const { return Cp1251ToUtf8(ReadBytes(DataDir() + "manager.ini")); }

  // The last day the date index has closed; the zero date when none.
  TDateRec IndexClosedUpTo() const {
    TDBF index;
    index.FileName = DataDir() + "!BINDEX.DBF";
    if (!index.OpenReadOnly() || index.RecCount() == 0) return {};
    index.GoToRecord(index.RecCount());
    bool error = false;
    const TDateRec last = index.ReadRecord() == 0 ? index.GetFieldDate(index.FieldIndex("_DATE2"), error)
                                                   : TDateRec{};
    return error ? TDateRec{} : last;
  }

  // The numbered copies of each settings file that changes with the runs.
  std::vector<std::vector<std::string>> CopiesOfEachFile() const {
    std::vector<std::vector<std::string>> files;
    for (const std::string& file : {DataDir() + "manager.in", ProgramDir() + "local.in"}) {
      files.emplace_back();
      for (int k = 1; k <= 5; ++k)
        if (const std::string path = file + std::to_string(k); fs::exists(path))
          files.back().push_back(ReadBytes(path));
    }
    return files;
  }

 private:
  static TDocData* FindDocument(const std::string& caption) {
    Settings().DocTree.CreateAllMenus();
    for (TDocNode* node : Settings().DocTree.Nodes())
      if (!node->HasChildren() && node->Data && node->Text == caption) return node->Data.get();
    return nullptr;
  }

  bool dataApart_;
  TempDir pristine_;
  ProgramHome home_;
};

bool NotBefore(const TMoment& a, const TMoment& b) {
  return CompareDateTimeRec(a.Date, a.Time, b.Date, b.Time) != 0;
}

const TMoment kNine{{6, 12, 2026}, {9, 0, 0}};
const TMoment kTen{{6, 12, 2026}, {10, 0, 0}};
const TMoment kHalfPastNine{{6, 12, 2026}, {9, 30, 0}};
const TMoment kEleven{{6, 12, 2026}, {11, 0, 0}};

// Two documents of one day committed, and the program killed before it
// ended: a start at a time between theirs goes on from the later one.
TEST(ClockCrash, AStartAfterAKillGoesOnFromTheLastCommittedDocument) {
  ClockRig r(false);
  r.Fresh();
  ASSERT_GT(r.RunRates({{kNine, "18"}, {kTen, "19"}}), 0);
  EXPECT_TRUE(NotBefore(r.Stored(), kTen));
  ASSERT_GT(r.RunRates({{kHalfPastNine, "20"}}), 0);
  EXPECT_TRUE(NotBefore(r.Stored(), kTen));
}

// Killed at every change to the disk while a new day starts and two
// documents commit, with the data beside the program and apart from it:
// whatever the files hold of the runs, "local.ini" holds a moment no
// earlier, and a document run after leaves no two numbered copies alike.
TEST(ClockCrash, NoKillLeavesTheFilesAheadOfTheStoredMomentNorTwoCopiesAlike) {
  const std::vector<std::pair<TMoment, std::string>> runs = {{kNine, "18"}, {kTen, "19"}};
  for (const bool apart : {false, true}) {
    SCOPED_TRACE(apart ? "data apart" : "data beside the program");
    ClockRig r(apart);
    r.Fresh();
    const int changes = r.RunRates(runs);
    ASSERT_GT(changes, 0);
    // A workstation whose data lie apart reads their tables only: the date
    // index is kept where they are the program's own.
    ASSERT_EQ(CompareDateRec(r.IndexClosedUpTo(), {5, 12, 2026}), apart ? 0 : 1);
    ASSERT_NE(r.Manager().find("ЗНАЧЕН_ПАРАМ='19'"), std::string::npos);
    for (int cutAt = 0; cutAt < changes && !HasFailure(); ++cutAt) {
      SCOPED_TRACE(cutAt);
      r.Fresh();
      ASSERT_EQ(r.RunRates(runs, cutAt), -1);
      r.Recover();
      const TMoment stored = r.Stored();
      const std::string manager = r.Manager();
      const auto holds = [&manager](const std::string& value) {
        return manager.find("ЗНАЧЕН_ПАРАМ='" + value + "'") != std::string::npos;
      };
      // The day begun by the index, the start of the day or the first
      // document; the second document.
      if (CompareDateRec(r.IndexClosedUpTo(), {5, 12, 2026}) != 0 || holds("6.12.2026") || holds("18")) {
        EXPECT_TRUE(NotBefore(stored, kNine)) << DateRecToStr(stored.Date) << manager;
      }
      if (holds("19")) {
        EXPECT_TRUE(NotBefore(stored, kTen)) << TimeRecToStr(stored.Time, false, true);
      }
      ASSERT_GT(r.RunRates({{kEleven, "20"}}), 0);
      for (const std::vector<std::string>& copies : r.CopiesOfEachFile())
        for (std::size_t i = 0; i < copies.size(); ++i)
          for (std::size_t j = i + 1; j < copies.size(); ++j)
            EXPECT_NE(copies[i], copies[j]) << "copies " << i + 1 << " and " << j + 1;
    }
  }
}

// At the numbered copies' names, links to a file only its owner may read
// and a file far bigger than any settings file: the documents' commits read
// none of them, write nothing where a link points, and every copy they
// leave is a settings text of its own; the big file is named once.
TEST(ClockCrash, CommitsTakeNothingFromLinksOrOversizedFilesAtTheCopiesNames) {
  ClockRig r(false);
  r.Fresh();
  TempDir outside;
  const std::string secret = outside / "secret";
  const fs::perms ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
  WriteBytes(secret, "secret");
  fs::permissions(secret, ownerOnly);
  for (const char* copy : {"manager.in1", "local.in1", "local.in3"}) fs::create_symlink(secret, r.DataDir() + copy);
  WriteBytes(r.DataDir() + "manager.in2", "big");
  fs::resize_file(r.DataDir() + "manager.in2", 17u << 20);
  ASSERT_GT(r.RunRates({{kNine, "18"}, {kTen, "19"}}), 0);
  EXPECT_EQ(ReadBytes(secret), "secret");
  EXPECT_EQ(fs::status(secret).permissions(), ownerOnly);
  for (const char* file : {"manager.in", "local.in"})
    for (int k = 1; k <= 5; ++k) {
      const std::string copy = r.DataDir() + file + std::to_string(k);
      EXPECT_FALSE(fs::is_symlink(copy)) << copy;
      EXPECT_TRUE(!fs::exists(copy) || ReadBytes(copy).find("[АВТОПАРАМЕТРЫ]"_w) != std::string::npos) << copy;
    }
  const std::string log = ReadBytes(r.ProgramDir() + "Errors.log"), big = "/manager.in2 больше 16 МБ"_w;
  EXPECT_NE(log.find(big), std::string::npos) << Cp1251ToUtf8(log);
  EXPECT_EQ(log.find(big), log.rfind(big));
}

}  // namespace
}  // namespace vm::test
