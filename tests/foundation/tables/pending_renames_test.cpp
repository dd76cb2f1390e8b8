// The record of files to be named on a medium once a commit stands: only
// a file's own temporary ever takes its name, whatever the record says, and
// a record is settled only once its folder's commit is.
#include "foundation/tables/pending_renames.h"

#include <gtest/gtest.h>

#include "foundation/tables/commit_journal.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

constexpr const char* kTemp = "Delarch.000.~0123456789abcdef~";

TEST(PendingRenames, OnlyAFilesOwnTemporaryTakesItsNameAndOnlyOnceTheCommitStands) {
  test::TempDir tmp;
  const std::string medium = tmp.Dir() + "medium/", record = tmp / "Delarch.ini";
  const std::string head = std::string("FINISH\r\n") + medium + "\r\n";
  struct Case {
    std::string Text;
    bool Read;
  };
  const Case cases[] = {
      {head + "Delarch.000\t" + kTemp + "\r\n", true},
      {"DROP\r\n" + medium + "\r\nDelarch.000\t\r\n", true},
      {head + "Delarch.000\tGOODS.DBF\r\n", false},
      {head + "GOODS.DBF\t" + kTemp + "\r\n", false},
      {head + "../GOODS.DBF\t../GOODS.DBF.~0123456789abcdef~\r\n", false},
      {head + "Delarch.000\tDelarch.000.~not hex here~\r\n", false},
      {"DROP\r\n" + medium + "\r\nDelarch.000\t" + kTemp + "\r\n", false},
      {std::string("FINISH\r\n") + tmp.Dir() + "medium\r\nDelarch.000\t" + kTemp + "\r\n", false},
      {head + "Delarch.000\t" + kTemp, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TPendingRenames r;
    ASSERT_EQ(DecodePendingRenames(c.Text, r), c.Read);
    EXPECT_EQ(c.Read ? EncodePendingRenames(r) : c.Text, c.Text);
  }

  std::filesystem::create_directories(medium);
  test::WriteBytes(medium + kTemp, "volume");
  test::WriteBytes(medium + "GOODS.DBF", "goods");
  // Told to move another file: removed, nothing renamed.
  test::WriteBytes(record, head + "Delarch.000\tGOODS.DBF\r\n");
  std::vector<std::string> messages;
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  EXPECT_EQ(test::DirNames(medium), (std::vector<std::string>{kTemp, "GOODS.DBF"}));
  // While the commit is undecided nothing moves.
  test::WriteBytes(record, cases[0].Text);
  test::WriteBytes(tmp / kCommitJournalName, "");
  EXPECT_FALSE(SettlePendingRenames(record, messages));
  std::filesystem::remove(tmp / kCommitJournalName);
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  EXPECT_EQ(test::DirNames(medium), (std::vector<std::string>{"Delarch.000", "GOODS.DBF"}));
  EXPECT_FALSE(std::filesystem::exists(record));
}

}  // namespace
}  // namespace vm
