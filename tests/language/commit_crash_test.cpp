// A child process commits a document's bases and is killed (SIGKILL) at
// random moments; after the recovery every table opens whole and all of
// them hold the state before the commit or all the state after it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "language/bound_tables.h"
#include "support/random_kills.h"
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
  return bases.WriteSavedBases(failure);
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
  TempDir work;
  auto fresh = [&] {
    for (const auto& e : std::filesystem::directory_iterator(work.Dir()))
      std::filesystem::remove(e.path());
    for (const char* name : {"STOCK.DBF", "SALES.DBF"})
      std::filesystem::copy_file(pristine / name, work / name);
  };
  ExpectAllOrNothing(
      kRuns, 20261206, fresh, [&] { return Commit(work.Dir()); }, [&] { return Tables(work.Dir()); },
      [&](int run) {
        std::vector<std::string> messages;
        ASSERT_NE(RecoverInterruptedCommit(work.Dir(), messages), TRecoveryResult::Failed)
            << "run " << run;
        ASSERT_TRUE(OpensWhole(work / "STOCK.DBF") && OpensWhole(work / "SALES.DBF"))
            << "run " << run;
      });
}

}  // namespace
}  // namespace vm::test
