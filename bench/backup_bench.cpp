// The backup copy of a data folder of 1 GB (VELOMAR_BENCH_BACKUP_MB sets
// the size) into 131,072-byte volumes and its restore. The anchors, in the
// same run: tar | gzip -6 | split -b 131072 of the same folder, and its
// reverse; their tools' CPU time is the counter tools_cpu_s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "archive/archive_dialogs.h"
#include "archive/backup.h"
#include "bench/child_cpu.h"
#include "platform/services.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

class YesUi : public UiServices {
 public:
  int32_t MsgBox(const std::string&, const std::string&, uint32_t) override { return kIdYes; }
};

std::string Root() { return "/tmp/velomar_bench_backup_" + std::to_string(getpid()) + "/"; }
std::string Dir() { return Root() + "prog/"; }

struct RemoveRoot {
  ~RemoveRoot() {
    std::error_code ec;
    fs::remove_all(Root(), ec);
  }
} removeRoot;

int64_t SizeMb() {
  const char* v = std::getenv("VELOMAR_BENCH_BACKUP_MB");
  return v && *v ? std::atoll(v) : 1024;
}

// Tables of fixed-width records of words and numbers, as the databases
// hold, 64 MB each.
void MakeData() {
  if (fs::exists(Dir() + "done")) return;
  fs::create_directories(Dir() + "ARCHIVE");
  static const char* const kWords[] = {"Хлеб      ", "Молоко    ", "Сахар     ", "Мука      ", "Соль      "};
  std::mt19937 gen(7);
  const int64_t total = SizeMb() << 20;
  for (int64_t made = 0, n = 0; made < total; ++n) {
    std::ofstream out(Dir() + "T" + std::to_string(n) + ".DBF", std::ios::binary);
    std::string record;
    for (int64_t size = 0; size < (int64_t{64} << 20) && made < total; size += 100, made += 100) {
      record = " " + std::to_string(1000000 + gen() % 9000000) + kWords[gen() % 5] + "20261207" +
               std::to_string(gen() % 100000) + ".00";
      record.resize(100, ' ');
      out << record;
    }
  }
  for (const char* ini : {"program.ini", "manager.ini", "local.ini"}) std::ofstream(Dir() + ini) << "[x]\r\n";
  // The data lie on the disk, as the program's own tables do once
  // committed: what is timed never writes them out for the generator.
  sync();
  std::ofstream(Dir() + "done");
}

TBackupEnv Env(TArchivePacker& packer) {
  TBackupEnv env;
  env.Dir = env.DataDir = Dir();
  for (const auto& e : fs::directory_iterator(Dir()))
    if (e.path().extension() == ".DBF") env.BaseFiles.push_back(e.path().string());
  for (const char* ini : {"manager.ini", "program.ini", "local.ini"}) env.SettingsFiles.push_back(Dir() + ini);
  env.Title = "bench";
  env.Packer = &packer;
  env.Exit = [](int) {};
  return env;
}

void Shell(benchmark::State& state, const std::string& command) {
  const bench::TChildrenCpu cpu(state);
  if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
}

void BM_BackupOfTheDataFolder(benchmark::State& state) {
  MakeData();
  YesUi ui;
  InstallUiServices(&ui);
  TArchivePacker packer(Dir() + "WORK/");
  const TBackupEnv env = Env(packer);
  for (auto _ : state)
    if (!MakeBackup(env)) state.SkipWithError("backup failed");
  InstallUiServices(nullptr);
  state.SetBytesProcessed(state.iterations() * (SizeMb() << 20));
}
BENCHMARK(BM_BackupOfTheDataFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_AnchorTarGzipSplit(benchmark::State& state) {
  MakeData();
  for (auto _ : state) {
    fs::remove_all(Root() + "anchor");
    fs::create_directories(Root() + "anchor");
    Shell(state, "tar -c -C " + Dir() + " --exclude=WORK --exclude=RESERV . | gzip -6 | split -b 131072 - " +
                     Root() + "anchor/part.");
  }
  state.SetBytesProcessed(state.iterations() * (SizeMb() << 20));
}
BENCHMARK(BM_AnchorTarGzipSplit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_RestoreOfTheDataFolder(benchmark::State& state) {
  MakeData();
  YesUi ui;
  InstallUiServices(&ui);
  TArchiveDialogs dialogs;
  dialogs.AskVolumeFolder = [](const std::string&, const std::string&, const std::string&, std::string& folder) {
    folder = Dir() + "RESERV/";
    return true;
  };
  InstallArchiveDialogs(&dialogs);
  TArchivePacker packer(Dir() + "WORK/");
  const TBackupEnv env = Env(packer);
  if (!fs::exists(Dir() + "RESERV/Reserv.000")) MakeBackup(env);
  for (auto _ : state)
    if (!RestoreBackup(env)) state.SkipWithError("restore failed");
  InstallArchiveDialogs(nullptr);
  InstallUiServices(nullptr);
  state.SetBytesProcessed(state.iterations() * (SizeMb() << 20));
}
BENCHMARK(BM_RestoreOfTheDataFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_AnchorJoinGunzipUntar(benchmark::State& state) {
  MakeData();
  if (!fs::exists(Root() + "anchor/part.aa"))
    Shell(state, "mkdir -p " + Root() + "anchor && tar -c -C " + Dir() +
                     " --exclude=WORK --exclude=RESERV . | gzip -6 | split -b 131072 - " + Root() + "anchor/part.");
  state.counters["tools_cpu_s"] = 0;
  for (auto _ : state) {
    fs::remove_all(Root() + "untar");
    fs::create_directories(Root() + "untar");
    Shell(state, "cat " + Root() + "anchor/part.* | gzip -d | tar -x -C " + Root() + "untar");
  }
  state.SetBytesProcessed(state.iterations() * (SizeMb() << 20));
}
BENCHMARK(BM_AnchorJoinGunzipUntar)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace vm
