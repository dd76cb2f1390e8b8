#include "config/data_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <tuple>

#include "platform/encoding.h"
#include "platform/clock.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

class DataDirTest : public ::testing::Test {
 protected:
  // The program directory is named in Russian, inside a home that is let go
  // of, lock and all, at the end.
  void SetUp() override {
    home_ = fs::path(base_.Dir()) / "Прог";
    fs::create_directories(home_);
    ::setenv("VELOMAR_HOME", home_.c_str(), 1);
    InitProgramDirectory();
  }
  void WriteBasePath(const std::string& text) { test::WriteBytes(home_ / "basepath.ini", text); }
  void Args(std::vector<const char*> args) {
    args.insert(args.begin(), "velomar");
    SetCommandLine(static_cast<int>(args.size()), args.data());
  }
  std::string Home() const { return Utf8ToCp1251(home_.string()) + "/"; }

  test::ProgramHome base_;
  fs::path home_;
};

TEST_F(DataDirTest, ProgramDirectoryFollowsTheEnvironmentOrTheCurrentDirectory) {
  EXPECT_EQ(ProgramDirectory(), Home());
  EXPECT_EQ(DataDir(), Home());
  ::unsetenv("VELOMAR_HOME");
  InitProgramDirectory();
  EXPECT_EQ(ProgramDirectory(), Utf8ToCp1251(fs::current_path().string()) + "/");
}

TEST_F(DataDirTest, ChoosesTheDataDirectoryForEveryBasePathAndSwitch) {
  struct Case {
    std::string ini;
    std::vector<const char*> args;
    std::string data;  // "" for the program directory
    bool local;
    std::string base = "";  // BasePath when it is not data
  };
  const std::string other = "/srv/данные/"_w;
  const std::string remote = "[Settings]\r\nBasePath=/srv/данные\r\nLocalBases=НЕТ\r\n";
  const std::vector<Case> cases = {
      {"", {}, "", true},  // no file at all
      {"[Settings]\r\nBasePath=/srv/данные/\r\nLocalBases=НЕТ\r\n", {}, other, false},
      {"[settings]\nbasepath = /srv/данные\nlocalbases=нет\n", {}, other, false},
      {"[Settings]\r\nBasePath=/srv/данные\r\n", {}, "", true},  // LocalBases defaults to ДА
      {"[Settings]\r\nBasePath=/srv/данные\r\nLocalBases=ДА\r\n", {}, "", true},
      {"[Settings]\r\nBasePath=\r\nLocalBases=НЕТ\r\n", {}, "", true},
      {remote, {"L"}, "", true},
      {remote, {"x", "/l"}, "", true},
      {remote, {"-L"}, other, false},
      {remote, {"//L"}, other, false},
      {"[Other]\r\nBasePath=/srv/данные\r\nLocalBases=НЕТ\r\n", {}, "", true},
      // Taken from the program directory, whatever the current folder; the
      // file keeps it as written.
      {"[Settings]\r\nBasePath=данные\r\nLocalBases=НЕТ\r\n", {}, Home() + "данные/"_w, false, "данные/"_w},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    fs::remove(home_ / "basepath.ini");
    if (!cases[i].ini.empty()) WriteBasePath(Utf8ToCp1251(cases[i].ini));
    Args(cases[i].args);
    ChooseDataDirectory();
    const std::string want = cases[i].data.empty() ? Home() : cases[i].data;
    EXPECT_EQ(DataDir(), want);
    EXPECT_EQ(BasePath(), cases[i].base.empty() ? want : cases[i].base);
    EXPECT_EQ(LocalBases(), cases[i].local);
    // The shared settings go with the data, the local ones stay home.
    EXPECT_EQ(ProgramIniName() + LocalIniName(), want + "program.ini" + Home() + "local.ini");
  }
}

TEST_F(DataDirTest, ProgramDirectoryInAnotherCaseCountsAsLocal) {
  const std::string upper = Utf8ToCp1251(home_.parent_path().string()) + "/" + "ПРОГ"_w;
  WriteBasePath("[Settings]\r\nBasePath=" + upper + "\r\nLocalBases=НЕТ\r\n"_w);
  ChooseDataDirectory();
  EXPECT_TRUE(LocalBases());
  EXPECT_EQ(DataDir(), upper + "/");
}

TEST_F(DataDirTest, SwitchLeavesBasePathPointingAtTheProgramDirectory) {
  WriteBasePath("[Settings]\r\nBasePath=/srv/x\r\nLocalBases=НЕТ\r\n"_w);
  Args({"/L"});
  ChooseDataDirectory();
  WriteBasePathIni();
  EXPECT_EQ(test::ReadBytes(home_ / "basepath.ini"), "[Settings]\r\nBasePath=" + Home() + "\r\nLocalBases=ДА\r\n"_w);
  EXPECT_FALSE(fs::exists(home_ / "basepath.in1"));

  // A line break in the path cannot add a line of its own.
  BasePath() = "/srv/x\r\nLocalBases=ДА"_w;
  LocalBases() = false;
  WriteBasePathIni();
  ReadBasePathIni();
  EXPECT_FALSE(LocalBases());
}

TEST_F(DataDirTest, SecondHolderOfTheLockIsWarned) {
  ChooseDataDirectory();
  ASSERT_TRUE(LockBases());
  const pid_t pid = ::fork();
  if (pid == 0) {
    test::ScriptedUi ui;
    const bool locked = LockBases();
    _exit(!locked && ui.Boxes.size() == 1 &&
          ui.Boxes[0].Text == "Базы заблокированы! Повторите попытку позже!"_w &&
          ui.Boxes[0].Caption == "Не могу открыть базы"_w && ui.Boxes[0].Flags == kMbWarning);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);

  // Not counted: taking it again inside the process is refused as well.
  test::ScriptedUi ui;
  EXPECT_FALSE(LockBases());
  EXPECT_EQ(ui.Boxes.size(), 1u);
  EXPECT_TRUE(BasesLocked());
  EXPECT_TRUE(UnlockBases());
  EXPECT_FALSE(BasesLocked());
  EXPECT_TRUE(LockBases());
  EXPECT_TRUE(fs::exists(home_ / "lock.lck"));
}

// A data directory where nobody can make the lock is warned of as a busy
// one is, with the folder and why under the warning.
TEST_F(DataDirTest, AFolderThatCannotBeUsedIsToldWithWhy) {
  test::WriteBytes(home_ / "file", "");
  std::string deep;
  while (deep.size() < 5000) deep += "/" + std::string(99, 'a');
  const struct {
    std::string path;
    bool readOnly;
    std::string shown, why;
  } rows[] = {
      {Home() + "file", false, Home() + "file", "это не папка"},
      {Home() + "нет"_w, false, Home() + "нет"_w, "папки нет"},
      {deep, false, deep.substr(0, 80) + "...", "слишком длинное имя (5000 символов)"},
      {Home(), true, Home().substr(0, Home().size() - 1), "нет права записи в папку"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Cp1251ToUtf8(row.shown));
    WriteBasePath("[Settings]\r\nBasePath=" + row.path + "\r\nLocalBases=НЕТ\r\n"_w);
    ChooseDataDirectory();
    test::ScriptedUi ui;
    std::optional<test::FaultyFileSystem> files;
    if (row.readOnly) files.emplace().ReadOnlyFiles = true;
    EXPECT_FALSE(LockBases());
    ASSERT_EQ(ui.Boxes.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(ui.Boxes[0].Text),
              Cp1251ToUtf8("Базы заблокированы! Повторите попытку позже!\rПапка данных "_w + row.shown + ": " +
                           Utf8ToCp1251(row.why)));
  }
}

TEST_F(DataDirTest, DeadHolderLeavesTheLockFree) {
  ChooseDataDirectory();
  const pid_t pid = ::fork();
  if (pid == 0) _exit(LockBases() ? 0 : 1);  // dies holding it
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::exists(home_ / "lock.lck"));
  EXPECT_TRUE(LockBases());
}

TEST(WorkingDateTest, AsksOnlyForAnEarlierDateOrMoreThanAWeekLater) {
  FixedClock clock({2007, 3, 13, 9, 0, 0, 0});
  ScopedClock scoped(clock);
  test::ScriptedUi ui;
  ui.Answers = {kIdNo, kIdNo, kIdYes};

  // 7 days back, the same day, and any date on the program's own clock pass
  // unasked; 8 days back or a day ahead are asked (and refused here).
  const std::tuple<bool, TDateRec, bool> cases[] = {
      {true, {6, 3, 2007}, true},   {true, {13, 3, 2007}, true},  {false, {1, 1, 2007}, true},
      {false, {14, 3, 2007}, true}, {true, {5, 3, 2007}, false}, {true, {14, 3, 2007}, false}};
  for (const auto& [systemClock, date, ok] : cases)
    EXPECT_EQ(ConfirmWorkingDate(systemClock, date), ok) << date.Day << "." << date.Month << " " << systemClock;
  ASSERT_EQ(ui.Boxes.size(), 2u);
  EXPECT_EQ(std::tie(ui.Boxes[0].Text, ui.Boxes[0].Caption, ui.Boxes[0].Flags),
            std::tuple("Проверьте правильность сегодняшней даты!\rСегодня 13 марта 2007 г. Дата верна?"_w,
                       "Внимание"_w, kMbYesNoQuestion));
  EXPECT_TRUE(ConfirmWorkingDate(true, {1, 1, 2006}));
}

}  // namespace
}  // namespace vm
