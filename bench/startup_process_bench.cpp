// Start-up as the user sees it: a whole process from its start until its
// main window is on the screen, the program on a copy of the demo beside
// the anchor, a Qt program showing an empty window. Both are started in the
// same way; run under a display (xvfb-run -a) with
// --benchmark_enable_random_interleaving=true so that the two alternate.
#include <benchmark/benchmark.h>

#ifdef VELOMAR_BENCH_BIN_DIR
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vm {
namespace {

namespace fs = std::filesystem;

// A copy of the demo as its own program directory, removed at the end.
const std::string& DemoDirectory() {
  static const struct Copy {
    Copy() : Dir((fs::temp_directory_path() / ("velomar_start_" + std::to_string(getpid()))).string()) {
      fs::create_directories(Dir);
      fs::copy(std::string(VELOMAR_SOURCE_DIR) + "/demo", Dir, fs::copy_options::recursive);
    }
    ~Copy() {
      std::error_code ignored;
      fs::remove_all(Dir, ignored);
    }
    std::string Dir;
  } copy;
  return copy.Dir;
}

bool RunChild(const std::string& program, const std::vector<std::string>& env) {
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) envp.push_back(*e);
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Run(benchmark::State& state, const std::string& program, const std::vector<std::string>& env) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    state.SkipWithError("no display: run under xvfb-run -a");
    return;
  }
  for (auto _ : state)
    if (!RunChild(program, env)) state.SkipWithError(("failed: " + program).c_str());
}

void BM_StartUpProcessDemoShown(benchmark::State& state) {
  Run(state, VELOMAR_BENCH_BIN_DIR "/velomar_bench_start", {"VELOMAR_HOME=" + DemoDirectory()});
}
BENCHMARK(BM_StartUpProcessDemoShown)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_StartUpProcessEmptyWindowAnchor(benchmark::State& state) {
  Run(state, VELOMAR_BENCH_BIN_DIR "/velomar_bench_empty_window", {});
}
BENCHMARK(BM_StartUpProcessEmptyWindowAnchor)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// What of the gap to the empty window any window with menus and standard
// pictures pays.
void BM_StartUpProcessMenuWindowAnchor(benchmark::State& state) {
  Run(state, VELOMAR_BENCH_BIN_DIR "/velomar_bench_menu_window", {});
}
BENCHMARK(BM_StartUpProcessMenuWindowAnchor)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace
}  // namespace vm
#endif
