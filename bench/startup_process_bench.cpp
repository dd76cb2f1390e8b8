// Start-up as the user sees it: a whole process from its start until its
// main window is on the screen, the program on a copy of the demo beside
// the anchor, a Qt program showing an empty window. Both are started in the
// same way; run on a display of its own (scripts/on-display) with
// --benchmark_enable_random_interleaving=true so that the two alternate.
//
// Each child runs with a runtime and temporary folder of this benchmark's
// own, so that a copy of the program running elsewhere on the machine never
// meets it as "already loaded", and is ended when it has not shown its
// window within VELOMAR_BENCH_START_LIMIT_S seconds (60 unless set; a run
// under a profiler needs more). The children's CPU time is the counter
// tools_cpu_s. Once a child has failed, every repetition after it fails
// with the same words: see Run.
#include <benchmark/benchmark.h>

#ifdef VELOMAR_BENCH_BIN_DIR
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_cpu.h"

extern char** environ;

namespace vm {
namespace {

namespace fs = std::filesystem;

// A folder made for this process and removed at its end.
class TOwnFolder {
 public:
  explicit TOwnFolder(const std::string& name)
      : dir_((fs::temp_directory_path() / (name + std::to_string(getpid()))).string()) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // A runtime folder is its user's alone.
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::replace);
  }
  ~TOwnFolder() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  TOwnFolder(const TOwnFolder&) = delete;
  TOwnFolder& operator=(const TOwnFolder&) = delete;
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

// A copy of the demo as its own program directory.
const std::string& DemoDirectory() {
  static const struct Copy {
    Copy() : Folder("velomar_start_") {
      fs::copy(std::string(VELOMAR_SOURCE_DIR) + "/demo", Folder.Dir(), fs::copy_options::recursive);
    }
    TOwnFolder Folder;
  } copy;
  return copy.Folder.Dir();
}

const std::string& RuntimeDirectory() {
  static const TOwnFolder folder("velomar_start_run_");
  return folder.Dir();
}

// A child program: the build's, or a stand-in of the same name in the
// folder VELOMAR_BENCH_CHILDREN_DIR names.
std::string Child(const char* name) {
  const char* dir = std::getenv("VELOMAR_BENCH_CHILDREN_DIR");
  return std::string(dir && *dir ? dir : VELOMAR_BENCH_BIN_DIR) + "/" + name;
}

int LimitSeconds() {
  const char* v = std::getenv("VELOMAR_BENCH_START_LIMIT_S");
  const int limit = v && *v ? std::atoi(v) : 60;
  return limit > 0 ? limit : 60;
}

// Waits for the child until the limit; false when it is still running then.
bool WaitWithin(pid_t pid, int seconds, int& status) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, seconds * 1000);
    close(fd);
    if (ready <= 0) return false;
    return waitpid(pid, &status, 0) == pid;
  }
  // Without process descriptors: asked every millisecond.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) return true;
    if (got < 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// Empty when the child showed its window and ended well, else why not.
std::string RunChild(const std::string& program, std::vector<std::string> env) {
  env.push_back("XDG_RUNTIME_DIR=" + RuntimeDirectory());
  env.push_back("TMPDIR=" + RuntimeDirectory());
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  // The benchmark's own environment but for what is set above.
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    const std::string name(*e, eq ? static_cast<std::size_t>(eq - *e) : std::strlen(*e));
    bool replaced = false;
    for (const std::string& mine : env) replaced = replaced || mine.compare(0, name.size() + 1, name + "=") == 0;
    if (!replaced) envp.push_back(*e);
  }
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return "cannot start " + program;
  int status = 0;
  const int limit = LimitSeconds();
  if (!WaitWithin(pid, limit, status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return program + " showed no window within " + std::to_string(limit) + " s and was ended";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  const char* display = std::getenv("DISPLAY");
  const std::string on = display && *display ? std::string(" on display ") + display : std::string();
  if (WIFSIGNALED(status))
    return program + on + " was ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
           strsignal(WTERMSIG(status)) + ")";
  return program + on + " ended with code " + std::to_string(WEXITSTATUS(status));
}

void Run(benchmark::State& state, const std::string& program, const std::vector<std::string>& env) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    state.SkipWithError("no display: run on one of its own (scripts/on-display)");
    return;
  }
  // The benchmark library sums the repetitions up from the first one's
  // report, which a failed repetition leaves without its statistics: a
  // first repetition failed and two good ones after it ended the program
  // with a segmentation fault. So the first failure fails every repetition
  // after it, of either benchmark, and the figures beside it are not taken.
  static std::string firstFailure;
  if (!firstFailure.empty()) {
    state.SkipWithError(("not run after an earlier failure: " + firstFailure).c_str());
    return;
  }
  const bench::TChildrenCpu cpu(state);
  for (auto _ : state) {
    if (std::string failed = RunChild(program, env); !failed.empty()) {
      firstFailure = std::move(failed);
      state.SkipWithError(firstFailure.c_str());
      break;
    }
  }
}

void BM_StartUpProcessDemoShown(benchmark::State& state) {
  Run(state, Child("velomar_bench_start"), {"VELOMAR_HOME=" + DemoDirectory()});
}
BENCHMARK(BM_StartUpProcessDemoShown)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_StartUpProcessEmptyWindowAnchor(benchmark::State& state) {
  Run(state, Child("velomar_bench_empty_window"), {});
}
BENCHMARK(BM_StartUpProcessEmptyWindowAnchor)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// What of the gap to the empty window any window with menus and standard
// pictures pays.
void BM_StartUpProcessMenuWindowAnchor(benchmark::State& state) {
  Run(state, Child("velomar_bench_menu_window"), {});
}
BENCHMARK(BM_StartUpProcessMenuWindowAnchor)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace
}  // namespace vm
#endif
