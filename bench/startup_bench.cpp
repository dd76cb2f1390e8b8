// Start-up to a shown main window on a data directory of 50 databases
// holding a million records in all, beside the start-up without windows
// on the same directory. Run under a display (Xvfb) for the window figure.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "config/settings.h"
#include "platform/encoding.h"
#include "models/main_state.h"
#include "models/startup.h"

#if __has_include(<QApplication>)
#include <QApplication>
#include <QWindow>

#include "foundation/qt/font_families.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_services.h"
#define VELOMAR_BENCH_WINDOWS 1
#endif

namespace vm {
namespace {

namespace fs = std::filesystem;

constexpr int kBases = 50;
constexpr int kRecords = 1000000;

// The sample data with 46 more databases shaped like its goods, so that
// the 50 hold a million records.
const std::string& DataDirectory() {
  static const std::string dir = [] {
    const std::string d = "/tmp/velomar_startup_" + std::to_string(getpid()) + "/";
    fs::create_directories(d);
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), d + e.path().filename().string());
    ::setenv("VELOMAR_HOME", d.c_str(), 1);
    InitProgramDirectory();
    SetCommandLine(0, nullptr);
    ChooseDataDirectory();
    if (!LoadAllSettings()) std::abort();
    TUsedBaseList& bases = Settings().Bases;
    const TDbaseStructure* model = bases.GetItem(0);
    const int added = kBases - bases.Count();
    const int each = kRecords / added;
    for (int i = 0; i < added; ++i) {
      TDbaseStructure* b = bases.AddNew();
      b->Assign(*model);
      b->Alias = "БАЗА"_w + std::to_string(i);
      b->SetFileName("base" + std::to_string(i) + ".dbf");
      TDBF t;
      t.FileName = d + b->FileName;
      t.CreateTable();
      t.AddFieldEx("NO__", 10, 'N', 0);
      for (const TFieldRecord& f : b->Fields) t.AddField(f);
      t.WriteStructure();
      for (int n = 1; n <= each; ++n) {
        t.GoToRecord(t.RecCount() + 1);
        t.ClearRecordBuf();
        t.SetFieldInt(0, n);
        if (!t.WriteRecord()) std::abort();
      }
      if (!t.Close()) std::abort();
    }
    if (!SaveConfiguration()) std::abort();
    return d;
  }();
  return dir;
}

void StartOnce() {
  ResetErrorLogRun();
  if (StartUp() != 0) std::abort();
}

// The anchor: the start-up without a window.
void BM_StartUpWithoutWindows(benchmark::State& state) {
  DataDirectory();
  for (auto _ : state) {
    StartOnce();
    ShutDown();
  }
}
BENCHMARK(BM_StartUpWithoutWindows)->Unit(benchmark::kMillisecond)->Iterations(5);

#ifdef VELOMAR_BENCH_WINDOWS
void BM_StartUpToShownMainWindow(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "velomar_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    UseFormFont();
    return a;
  }();
  (void)app;
  DataDirectory();
  TQtUiServices ui;
  InstallUiServices(&ui);
  for (auto _ : state) {
    StartOnce();
    {
      TMainWindowOptions options;
      options.LocalBases = LocalBases();
      options.ValidArchives = MainState().ValidArchives;
      TMainWindow window(Settings(), std::move(options));
      window.RestorePlace();
      window.show();
      while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    ShutDown();
  }
  InstallUiServices(nullptr);
}
BENCHMARK(BM_StartUpToShownMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

}  // namespace
}  // namespace vm
