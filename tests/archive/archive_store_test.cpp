// The archive commands' own files against a reader and writer written in
// Python from their record tables alone (tools/arc_store_tool.py), and the
// edges of the list, the combined file and the volumes.
#include "archive/archive_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/encoding.h"
#include "support/oracle_tools.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

const std::string kTool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/arc_store_tool.py";

std::string Tool(const std::string& args) { return "/usr/bin/python3 " + test::Quote(kTool) + " " + args; }

// What the tool prints.
std::string ToolOutput(const std::string& args, const std::string& out) {
  if (std::system((Tool(args) + " > " + test::Quote(out) + " 2>/dev/null").c_str()) != 0) return "<failed>";
  return test::ReadBytes(out);
}

TArchiveListRecord Record(int32_t id, int32_t number, const std::string& name = "Склад"_w) {
  TArchiveListRecord r;
  r.ConfigName = name;
  r.ConfigID = id;
  r.Sequence = number - 1;
  r.CafName = ArchiveNumberStr(number) + ".CAF";
  r.BhName = ArchiveNumberStr(number) + ".BH";
  r.Packed = 1;
  r.Made = {6, 12, 2026};
  r.CutDate = {30, 11, 2026};
  r.MadeTime = {23, 59, 58};
  return r;
}

class ArchiveStore : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp_.Dir() + name; }
  test::TempDir tmp_;
  test::ScriptedUi ui_;
};

TEST_F(ArchiveStore, NumbersAndNames) {
  EXPECT_EQ(ArchiveNumberStr(123456789), "23456789");
  EXPECT_EQ(ArchiveNumberStr(7), "00000007");
  EXPECT_EQ(VolumeNumberStr(7), "007");
  EXPECT_EQ(VolumeNumberStr(1234), "1234");
  EXPECT_TRUE(IsArchiveFileName("00000012.CAF", ".CAF"));
  EXPECT_TRUE(IsArchiveFileName("00000012.bh", ".BH"));
  for (const char* bad : {"0000012.CAF", "../../00.CAF", "0000001/.CAF", "00000012.BH", "00000012.CAF.x"})
    EXPECT_FALSE(IsArchiveFileName(bad, ".CAF")) << bad;
}

TEST_F(ArchiveStore, ListAgainstPython) {
  const std::string list = Path("archive.alf");
  ASSERT_TRUE(AppendArchiveList(list, Record(4, 12)));
  ASSERT_TRUE(AppendArchiveList(list, Record(9, 13, "Очень длинное имя конфигурации, длиннее сорока знаков"_w)));
  ASSERT_EQ(std::filesystem::file_size(list), 2u * kArchiveListRecordSize);
  // The Python side reads every field: what it writes back is the same bytes.
  const std::string json = ToolOutput("alf-dump " + test::Quote(list), Path("dump.json"));
  EXPECT_NE(json.find("\"caf\": \"00000012.CAF\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"cut\": [30, 11, 2026]"), std::string::npos) << json;
  ASSERT_TRUE(test::RunTool(Tool("alf-write " + test::Quote(Path("back.alf")) + " " + test::Quote(Path("dump.json")))));
  EXPECT_EQ(test::ReadBytes(Path("back.alf")), test::ReadBytes(list));
  // And what Python writes is read here.
  const auto records = LoadArchiveList(Path("back.alf"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], Record(4, 12));
  EXPECT_EQ(records[1].ConfigName.size(), 40u);
  int32_t last = 0;
  EXPECT_TRUE(ReadArchiveList(list, last));
  EXPECT_EQ(last, 13);
}

TEST_F(ArchiveStore, EmptyAndDamagedLists) {
  int32_t last = 0;
  EXPECT_TRUE(ReadArchiveList(Path("none.alf"), last));
  EXPECT_EQ(last, -1);
  test::WriteBytes(Path("empty.alf"), "");
  EXPECT_TRUE(ReadArchiveList(Path("empty.alf"), last));
  EXPECT_EQ(last, -1);
  TArcIDList items;
  EXPECT_FALSE(ReadConfigArchiveList(Path("empty.alf"), 4, items));
  TArchiveListRecord r;
  EXPECT_THROW(FindLastArchiveOfConfig(Path("none.alf"), 4, r), TArchiveFault);

  test::WriteBytes(Path("bad.alf"), std::string(133, 'x'));
  EXPECT_FALSE(ReadArchiveList(Path("bad.alf"), last));
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Text, "Испорчен файл списка архивов! "_w);
  EXPECT_EQ(ui_.Boxes[0].Caption, "Ошибка распаковки"_w);
  EXPECT_THROW(FindFirstArchiveOfConfig(Path("bad.alf"), 4, r), TArchiveFault);
  EXPECT_FALSE(AppendArchiveList(Path("bad.alf"), Record(4, 1)));
  EXPECT_EQ(test::ReadBytes(Path("bad.alf")), std::string(133, 'x'));  // left as it was

  // A last name that is not a number.
  TArchiveListRecord odd = Record(4, 1);
  odd.CafName = "ABC.CAF";
  ASSERT_TRUE(WriteArchiveList(Path("odd.alf"), {odd}));
  EXPECT_TRUE(ReadArchiveList(Path("odd.alf"), last));
  EXPECT_EQ(last, -1);
}

TEST_F(ArchiveStore, FindingRemovingAndExtracting) {
  const std::string list = Path("archive.alf");
  ASSERT_TRUE(WriteArchiveList(list, {Record(4, 1), Record(5, 2), Record(4, 3), Record(4, 4)}));
  TArchiveListRecord r;
  EXPECT_EQ(FindLastArchiveOfConfig(list, 4, r), 3);
  EXPECT_EQ(r.CafName, "00000004.CAF");
  EXPECT_EQ(FindFirstArchiveOfConfig(list, 4, r), 0);
  EXPECT_EQ(FindLastArchiveOfConfig(list, 6, r), -1);
  TArcIDList items;
  ASSERT_TRUE(ReadConfigArchiveList(list, 4, items));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].Position, 3);
  EXPECT_EQ(NewArchiveListItem(items).Position, -1);

  ASSERT_TRUE(RewriteArchiveList(list, 4, 3, Path("out.alf")));
  const auto kept = LoadArchiveList(list), taken = LoadArchiveList(Path("out.alf"));
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].ConfigID, 5);
  EXPECT_EQ(kept[1].CafName, "00000004.CAF");
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[1].CafName, "00000003.CAF");
  ASSERT_TRUE(RemoveArchiveListRecord(list, 0));
  EXPECT_EQ(LoadArchiveList(list).size(), 1u);
  EXPECT_FALSE(RemoveArchiveListRecord(list, 1));
}

class CafFiles : public ArchiveStore {
 protected:
  void SetUp() override {
    for (const auto& [alias, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"GOODS", test::RandomBytes(70000, 1)}, {"SALES", ""}, {"PAYS", test::TextBytes(5000, 2)}}) {
      TBaseArchive* b = config_.AddBase();
      b->Alias = alias;
      b->PackName = alias + ".DPK";
      test::WriteBytes(Path(b->PackName), bytes);
      bytes_.push_back(bytes);
    }
    config_.ID = 77;
    config_.ArchiveNo = 3;
    std::filesystem::create_directories(tmp_ / "py");
    std::filesystem::create_directories(tmp_ / "out");
  }
  TArchiveConfig config_;
  std::vector<std::string> bytes_;
};

TEST_F(CafFiles, BothWaysThroughPython) {
  ASSERT_TRUE(MergeBasesToCaf(config_, tmp_.Dir(), Path("00000001.CAF")));
  EXPECT_EQ(ui_.ProgressTexts.front(), "Идет объединение баз данных ..."_w);
  const std::string json = ToolOutput("caf-split " + test::Quote(Path("00000001.CAF")) + " " + test::Quote(Path("py")),
                                      Path("caf.json"));
  EXPECT_NE(json.find("\"id\": 77, \"seq\": 3"), std::string::npos) << json;
  EXPECT_NE(json.find("[\"SALES\", 70108, 70107]"), std::string::npos) << json;  // an empty base
  for (int i = 0; i < config_.Count(); ++i)
    EXPECT_EQ(test::ReadBytes(Path("py/" + config_.GetBase(i)->Alias + ".dbf")), bytes_[static_cast<std::size_t>(i)]);

  // Python's file, in another order, split here.
  ASSERT_TRUE(test::RunTool(Tool("caf-make " + test::Quote(Path("00000002.CAF")) + " 77 4 PAYS=" +
                                 test::Quote(Path("PAYS.DPK")) + " GOODS=" + test::Quote(Path("GOODS.DPK")) +
                                 " SALES=" + test::Quote(Path("SALES.DPK")))));
  ASSERT_TRUE(SplitCafToBases(config_, Path("out/"), Path("00000002.CAF")));
  for (int i = 0; i < config_.Count(); ++i)
    EXPECT_EQ(test::ReadBytes(Path("out/" + config_.GetBase(i)->PackName)), bytes_[static_cast<std::size_t>(i)]);
}

TEST_F(CafFiles, DirectoriesThatDoNotFitAreRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(MergeBasesToCaf(config_, tmp_.Dir(), Path("good.CAF")));
  const std::string good = test::ReadBytes(Path("good.CAF"));
  auto refused = [&](std::string caf, const char* why) {
    test::WriteBytes(Path("bad.CAF"), caf);
    EXPECT_THROW(SplitCafToBases(config_, Path("out/"), Path("bad.CAF")), TArchiveFault) << why;
    EXPECT_TRUE(test::DirNames(Path("out/")).empty()) << why;
  };
  auto patched = [&](std::size_t at, const std::string& bytes) {
    std::string caf = good;
    caf.replace(at, bytes.size(), bytes);
    return caf;
  };
  refused(patched(13, "OTHER"), "an alias the configuration lacks");
  refused(patched(13 + 32, "GOODS"), "one base twice");
  refused(patched(8, std::string("\x02\0\0\0", 4)), "fewer bases");
  refused(patched(12 + 24, std::string("\x05\0\0\0", 4)), "a start inside the directory");
  refused(patched(12 + 28, std::string("\xFF\xFF\x01\0", 4)), "an end past the file");
  refused(patched(12 + 28, std::string("\x00\x00\x00\x80", 4)), "an end before the start");
  refused(good.substr(0, 12 + 32 * 3), "no data");
}

TEST_F(ArchiveStore, VolumesAgainstPython) {
  const int32_t room = kVolumeSize - kVolumeHeaderSize;
  std::filesystem::create_directories(tmp_ / "vol");
  std::filesystem::create_directories(tmp_ / "work");
  int32_t last = -1;
  test::WriteBytes(Path("Delarch.DAF"), test::RandomBytes(static_cast<std::size_t>(room), 3));
  ASSERT_TRUE(SplitIntoVolumes(Path("vol/"), Path("Delarch.DAF"), kVolumeSize, "Склад"_w, last));
  EXPECT_EQ(last, 0);
  EXPECT_EQ(test::DirNames(Path("vol/")), (std::vector<std::string>{"Delarch.000"}));

  const std::string data = test::RandomBytes(static_cast<std::size_t>(room) + 1 + kVolumeSize, 4);
  test::WriteBytes(Path("Delarch.DAF"), data);
  ASSERT_TRUE(SplitIntoVolumes(Path("vol/"), Path("Delarch.DAF"), kVolumeSize, std::string(200, 'd'), last));
  EXPECT_EQ(last, 2);
  EXPECT_EQ(std::filesystem::file_size(tmp_ / "vol/Delarch.002"), 1u);
  const std::string json = ToolOutput("vol-join " + test::Quote(Path("vol/Delarch.001")) + " " +
                                          test::Quote(Path("py.DAF")), Path("vol.json"));
  EXPECT_NE(json.find("\"name\": \"Delarch.DAF\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"description\": \"" + std::string(128, 'd') + "\""), std::string::npos);
  EXPECT_EQ(test::ReadBytes(Path("py.DAF")), data);
  TDateRec date;
  TTimeRec time;
  std::string description;
  ReadVolumeHeader(Path("vol/Delarch.002"), date, time, description, last);
  EXPECT_EQ(last, 2);
  EXPECT_GE(date.Year, 2026);
  ReadVolumeHeader(Path("vol/None.000"), date, time, description, last);
  EXPECT_EQ(date.Year, -1);

  // Python's volumes joined here; then a damaged one and a foreign name.
  std::filesystem::create_directories(tmp_ / "pyvol");
  ASSERT_TRUE(test::RunTool(Tool("vol-split " + test::Quote(Path("Delarch.DAF")) + " " + test::Quote(Path("pyvol")) +
                                 " 131072 desc")));
  ASSERT_TRUE(JoinVolumes(Path("pyvol/"), "Delarch.001", Path("work/"), "Delarch.DAF"));
  EXPECT_EQ(test::ReadBytes(Path("work/Delarch.DAF")), data);
  std::string v1 = test::ReadBytes(Path("pyvol/Delarch.001"));
  v1[5] ^= 1;
  test::WriteBytes(Path("pyvol/Delarch.001"), v1);
  std::string fault;
  EXPECT_FALSE(JoinVolumes(Path("pyvol/"), "Delarch.000", Path("work/"), "Delarch.DAF", &fault));
  EXPECT_EQ(fault, "Неверная контрольная сумма томов "_w + Path("pyvol/Delarch.000"));
  EXPECT_FALSE(JoinVolumes(Path("pyvol/"), "Delarch.000", Path("work/"), "archive.alf", &fault));
  EXPECT_EQ(fault, "Испорчен заголовок тома "_w + Path("pyvol/Delarch.000"));
  std::filesystem::remove(tmp_ / "pyvol/Delarch.001");
  EXPECT_FALSE(JoinVolumes(Path("pyvol/"), "Delarch.000", Path("work/"), "Delarch.DAF", &fault));
  EXPECT_EQ(fault, "Не читается том "_w + Path("pyvol/Delarch.001"));
  EXPECT_FALSE(std::filesystem::exists(tmp_ / "work/archive.alf"));
}

TEST_F(ArchiveStore, BackupFileListTakesOnlyPlainNames) {
  const std::vector<TBackupFileRecord> files = {{"", "GOODS.DBF", 32}, {"ARCHIVE\\", "00000001.BH", 3}};
  std::vector<TBackupFileRecord> back;
  const std::string bytes = EncodeBackupFileList(files);
  ASSERT_EQ(bytes.size(), 72u);
  ASSERT_TRUE(DecodeBackupFileList(bytes, back));
  EXPECT_EQ(back, files);
  for (const TBackupFileRecord& bad : std::vector<TBackupFileRecord>{
           {"", "../x", 0}, {"", "..", 0}, {"..\\", "GOODS.DBF", 0}, {"", "a\\b", 0}, {"", "", 0}})
    EXPECT_FALSE(DecodeBackupFileList(EncodeBackupFileList({bad}), back)) << bad.Folder << bad.Name;
  EXPECT_FALSE(DecodeBackupFileList(bytes + "x", back));
}

}  // namespace
}  // namespace vm
