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
      // Only a volume's own temporary, in an absolute folder.
      {head + "Delarch.000\tDelarch.000.~/../../outside/other.~0123456789abcdef~\r\n", false},
      {head + "Delarch.000\tDelarch.000.~\r.~0123456789abcdef~\r\n", false},
      {head + "manager.ini\tmanager.ini.~0123456789abcdef~\r\n", false},
      {head + "Delarch.0001\tDelarch.0001.~0123456789abcdef~\r\n", false},
      {head + "Delarch.1000\tDelarch.1000.~0123456789abcdef~\r\n", true},
      {"FINISH\r\nmedium/\r\nDelarch.000\t" + std::string(kTemp) + "\r\n", false},
      {"FINISH\r\n/media/a\tb/\r\nDelarch.000\t" + std::string(kTemp) + "\r\n", false},
      // What the temporary holds, by which its volume is known.
      {head + "Delarch.000\t" + kTemp + "\t131072\t0A1B2C3D\r\n", true},
      {head + "Delarch.000\t" + kTemp + "\t131072\r\n", false},
      {"DROP\r\n" + medium + "\r\nDelarch.000\t\t131072\t0A1B2C3D\r\n", false},
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
  const std::string stray = "GOODS.DBF.~0123456789abcdef~";
  EXPECT_FALSE(PendingTemporaries(record));
  // Told to move another file, or no record at all: it stays, each start
  // says so, and nothing moves; no sweep takes a volume's temporary while
  // it stands.
  std::vector<std::string> messages;
  test::WriteBytes(record, head + "Delarch.000\tGOODS.DBF\r\n");
  EXPECT_FALSE(SettlePendingRenames(record, messages));
  EXPECT_TRUE(PendingTemporaries(record)(kTemp));
  EXPECT_FALSE(PendingTemporaries(record)(stray));
  std::filesystem::remove(record);
  std::filesystem::create_directory(record);
  EXPECT_FALSE(SettlePendingRenames(record, messages));
  EXPECT_EQ(messages, (std::vector<std::string>{"Запись томов удаленного периода не читается: "_w + record,
                                                "Запись томов удаленного периода не является файлом: "_w + record}));
  EXPECT_TRUE(std::filesystem::is_directory(record));
  EXPECT_EQ(test::DirNames(medium), (std::vector<std::string>{kTemp, "GOODS.DBF"}));
  std::filesystem::remove(record);

  TPendingRenames marked;
  marked.Finish = true;
  marked.Folder = medium;
  marked.Names = {{.Name = "Delarch.000", .Temp = kTemp}};
  ASSERT_TRUE(MarkPendingName(medium, marked.Names[0]));
  test::WriteBytes(record, EncodePendingRenames(marked));
  EXPECT_TRUE(PendingTemporaries(record)(kTemp));
  EXPECT_FALSE(PendingTemporaries(record)(stray));
  // While the commit is undecided nothing moves.
  test::WriteBytes(tmp / kCommitJournalName, "");
  EXPECT_FALSE(SettlePendingRenames(record, messages));
  std::filesystem::remove(tmp / kCommitJournalName);
  // Another medium's volume at the name, of the same size, settles
  // nothing; its own does.
  std::filesystem::rename(medium + kTemp, tmp / "away");
  test::WriteBytes(medium + "Delarch.000", "VOLUME");
  EXPECT_FALSE(SettlePendingRenames(record, messages));
  EXPECT_TRUE(std::filesystem::exists(record));
  std::filesystem::rename(tmp / "away", medium + kTemp);
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  EXPECT_EQ(test::DirNames(medium), (std::vector<std::string>{"Delarch.000", "GOODS.DBF"}));
  EXPECT_EQ(test::ReadBytes(medium + "Delarch.000"), "volume");
  EXPECT_FALSE(std::filesystem::exists(record));
  test::WriteBytes(record, EncodePendingRenames(marked));
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  // A record written before the mark was kept takes any file at the name.
  test::WriteBytes(medium + "Delarch.000", "VOLUME");
  test::WriteBytes(record, cases[0].Text);
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  EXPECT_FALSE(std::filesystem::exists(record));
  // Volumes that go, none of whose temporaries is where the record says
  // (another medium there, or none): the record is given up, and the user
  // told what to look for.
  test::WriteBytes(record, "DROP\r\n" + medium + "\r\nDelarch.000\t\r\nDelarch.001\t\r\n");
  messages.clear();
  EXPECT_TRUE(SettlePendingRenames(record, messages));
  EXPECT_EQ(messages, std::vector<std::string>{"Запись томов удаленного периода снята: в папке "_w + medium +
                                               " нет их временных файлов Delarch.000.~*~, Delarch.001.~*~; "_w
                                               "если они остались на другом диске, удалите их с него"_w});
  EXPECT_FALSE(std::filesystem::exists(record));
}

}  // namespace
}  // namespace vm
