// A child process commits a document's bases and is killed (SIGKILL) at
// random moments; after the recovery every table opens whole and all of
// them hold the state before the commit or all the state after it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "documents/document_commit.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

constexpr int kRows = 2000;
constexpr int kRuns = 110;

void MakeTable(const std::string& path, int rows) {
  TDBF t;
  t.FileName = path;
  if (!(t.CreateTable() && t.AddFieldEx("NO__", 10, 'N', 0) && t.AddFieldEx("NAME", 20, 'C', 0) &&
        t.AddFieldEx("QTY", 8, 'N', 0) && t.WriteStructure()))
    std::abort();
  for (int i = 1; i <= rows; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, i);
    t.SetFieldStr(1, "row " + std::to_string(i));
    t.SetFieldInt(2, i);
    if (!t.WriteRecord()) std::abort();
  }
  if (!t.Close()) std::abort();
}

// The commit a sale makes: the stock changed in place and grown, the sales
// rewritten whole.
bool Commit(const std::string& dir) {
  TDBF stockFile, salesFile;
  stockFile.FileName = dir + "STOCK.DBF";
  salesFile.FileName = dir + "SALES.DBF";
  TBaseList bases;
  TUBL* stock = bases.AddNew();
  TUBL* sales = bases.AddNew();
  stock->Table.SetDbf(&stockFile);
  sales->Table.SetDbf(&salesFile);
  if (!stock->Table.LoadAll() || !sales->Table.LoadAll()) return false;
  for (int32_t i = 0; i < stock->Table.Count(); i += 7) {
    stock->Table.MemTableGoto(i);
    stock->Table.SetFieldText(2, "0");
  }
  for (int i = 0; i < kRows; ++i) {
    sales->Table.Append();
    sales->Table.SetFieldText(1, "sold");
    stock->Table.Append();
    stock->Table.SetFieldText(1, "new");
  }
  sales->RewriteAll = true;
  stock->Table.Number = 1;
  sales->Table.Number = 2;
  bases.SaveCount = 2;
  std::string failure;
  return CommitBases(bases, failure);
}

std::string Tables(const std::string& dir) {
  return ReadBytes(dir + "STOCK.DBF") + "|" + ReadBytes(dir + "SALES.DBF");
}

bool OpensWhole(const std::string& path) {
  TDBF t;
  t.FileName = path;
  return t.OpenReadOnly() && t.ReadStructure() == kDbfOk;
}

TEST(CommitCrash, KilledAtRandomMomentsEveryTableIsAllBeforeOrAllAfter) {
  TempDir pristine;
  MakeTable(pristine / "STOCK.DBF", kRows);
  MakeTable(pristine / "SALES.DBF", kRows / 2);
  auto fresh = [&](const TempDir& work) {
    for (const auto& e : std::filesystem::directory_iterator(work.Dir())) std::filesystem::remove(e.path());
    for (const char* name : {"STOCK.DBF", "SALES.DBF"})
      std::filesystem::copy_file(pristine / name, work / name);
  };
  auto runChild = [](const std::string& dir) {
    const pid_t pid = fork();
    if (pid == 0) _exit(Commit(dir) ? 0 : 3);
    return pid;
  };

  TempDir work;
  fresh(work);
  const std::string before = Tables(work.Dir());
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t timed = runChild(work.Dir());
  int status = 0;
  ASSERT_EQ(waitpid(timed, &status, 0), timed);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto span =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count();
  const std::string after = Tables(work.Dir());
  ASSERT_NE(before, after);

  // The kills follow the commit's pace, so they spread over all of it.
  std::mt19937 rng(20261206);
  double window = static_cast<double>(span);
  int sawBefore = 0, sawAfter = 0;
  for (int run = 0; run < kRuns; ++run) {
    fresh(work);
    const pid_t pid = runChild(work.Dir());
    std::uniform_int_distribution<long> delay(0, static_cast<long>(window));
    std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
    kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    window *= WIFSIGNALED(status) ? 1.1 : 0.9;

    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(work.Dir(), messages), TRecoveryResult::Failed) << "run " << run;
    ASSERT_TRUE(OpensWhole(work / "STOCK.DBF") && OpensWhole(work / "SALES.DBF")) << "run " << run;
    const std::string now = Tables(work.Dir());
    ASSERT_TRUE(now == before || now == after) << "run " << run;
    (now == before ? sawBefore : sawAfter)++;
  }
  RecordProperty("before", sawBefore);
  RecordProperty("after", sawAfter);
  EXPECT_GT(sawBefore, 0);
  EXPECT_GT(sawAfter, 0);
}

}  // namespace
}  // namespace vm::test
