// A program folder for the backup and deleted-period commands: two tables,
// the four settings files, an archive list with its archive files, the
// archive dialogs answered by the test, and a removable medium (a folder
// whose free room the test decides).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

#include "archive/archive_dialogs.h"
#include "archive/archive_store.h"
#include "archive/backup.h"
#include "foundation/tables/commit_journal.h"
#include "support/oracle_tools.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {

namespace fs = std::filesystem;

// Every file under a folder by its relative path, but the commands' own
// folders, which hold nothing of the data.
inline std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    const std::string rel = fs::relative(it->path(), dir).string();
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (name == "WORK" || name == "RESERV" || name == "media")) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) files[rel] = ReadBytes(it->path().string());
  }
  return files;
}

inline TArchiveListRecord ListRecord(int32_t id, int32_t seq, int32_t number, bool packed) {
  TArchiveListRecord r;
  r.ConfigName = "Конфигурация "_w + std::to_string(id);
  r.ConfigID = id;
  r.Sequence = seq;
  r.CafName = ArchiveNumberStr(number) + ".CAF";
  r.BhName = ArchiveNumberStr(number) + ".BH";
  r.Packed = packed ? 1 : 0;
  r.Made = {static_cast<int32_t>(number % 28) + 1, 11, 2026};
  r.CutDate = {1, 10, 2026};
  r.MadeTime = {10, number % 60, 0};
  return r;
}

class BackupRig : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = tmp_.Dir() + "prog/";
    media_ = tmp_.Dir() + "media/";
    fs::create_directories(dir_ + "ARCHIVE");
    fs::create_directories(media_);
    WriteBytes(dir_ + "GOODS.DBF", RandomBytes(70000, 1));
    WriteBytes(dir_ + "SALES.DBF", TextBytes(300000, 2));
    for (const char* ini : {"manager.ini", "program.ini", "local.ini", "basepath.ini"})
      WriteBytes(dir_ + ini, std::string("[") + ini + "]\r\n");
    env_.Dir = env_.DataDir = dir_;
    env_.BaseFiles = {dir_ + "GOODS.DBF", dir_ + "SALES.DBF"};
    for (const char* ini : {"manager.ini", "program.ini", "local.ini", "basepath.ini"})
      env_.SettingsFiles.push_back(dir_ + ini);
    env_.Title = "Магазин"_w;
    env_.Disk = "C";
    env_.FreeBytes = [this](const std::string& dir) { return dir == media_ ? mediaFree_ : dataFree_; };
    env_.Packer = &packer_;
    env_.Exit = [this](int code) { exitCode_ = code; };
    dialogs_.SelectDrive = [this](const std::string& prompt, std::string& drive) {
      prompts_.push_back(prompt);
      drive = media_;
      return toMedia_;
    };
    dialogs_.AskVolumeFolder = [this](const std::string& filter, const std::string& initial, const std::string& name,
                                      std::string& folder) {
      asked_.push_back({filter, initial, name});
      folder = volumeFolder_.empty() ? initial : volumeFolder_;
      return !volumeFolder_.empty() || !cancelFolder_;
    };
    InstallArchiveDialogs(&dialogs_);
  }
  void TearDown() override { InstallArchiveDialogs(nullptr); }

  void AddArchives(int count) {
    std::vector<TArchiveListRecord> list;
    for (int n = 1; n <= count; ++n) {
      list.push_back(ListRecord(5, n - 1, n, n % 2 == 1));
      WriteBytes(dir_ + "ARCHIVE/" + list.back().KeptFile(), RandomBytes(1000 + 100 * n, 10 + n));
    }
    ASSERT_TRUE(WriteArchiveList(dir_ + "archive.alf", list));
  }
  bool Backup() {
    ui_.Answers = {kIdYes};
    return MakeBackup(env_);
  }
  bool Restore() {
    ui_.Answers = {kIdYes, kIdYes};
    exitCode_ = -1;
    return RestoreBackup(env_);
  }
  // Each named folder in turn replaced by a link to a folder outside that
  // holds a victim and `planted`: both commands refuse, each says why, the
  // folder outside keeps every file, and the program folder is unchanged.
  void ExpectLinksRefused(std::initializer_list<const char*> names, const std::string& planted,
                          const std::function<bool()>& first, const std::function<bool()>& second) {
    const std::string outside = tmp_.Dir() + "outside/";
    fs::create_directories(outside);
    WriteBytes(outside + "victim", "keep me");
    WriteBytes(outside + planted, "keep me too");
    const auto kept = Snapshot(outside);
    const auto data = Snapshot(dir_);
    for (const char* name : names) {
      SCOPED_TRACE(name);
      {
        PlantedLink link(dir_, name, outside);
        ui_.Boxes.clear();
        EXPECT_FALSE(first());
        EXPECT_FALSE(second());
        EXPECT_EQ(Snapshot(outside), kept);
        const std::string refused = "Папка "_w + dir_ + name + " должна быть обычной папкой, а не ссылкой или файлом!"_w;
        EXPECT_EQ(std::count_if(ui_.Boxes.begin(), ui_.Boxes.end(), [&](const BoxShown& b) { return b.Text == refused; }),
                  2);
      }
      EXPECT_EQ(Snapshot(dir_), data);
    }
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> texts;
    for (const BoxShown& b : ui_.Boxes) texts.push_back(b.Text);
    return texts;
  }

  TempDir tmp_;
  ScriptedUi ui_;
  TArchiveDialogs dialogs_;
  TArchivePacker packer_{std::string()};
  TBackupEnv env_;
  std::string dir_, media_, volumeFolder_;
  bool toMedia_ = false, cancelFolder_ = false;
  int64_t mediaFree_ = int64_t{1} << 40, dataFree_ = int64_t{1} << 40;
  int exitCode_ = -1;
  std::vector<std::string> prompts_;
  struct Asked {
    std::string Filter, Initial, Name;
  };
  std::vector<Asked> asked_;
};

}  // namespace vm::test
