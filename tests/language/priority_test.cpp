// HIGHPRIOR's priority switch, tried in a child process so that this one
// keeps its priority: the nice value of every thread, read as the system
// sees it, once raised and once back.
#include "language/priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vm::test {
namespace {

int NiceOf(pid_t tid) { return getpriority(PRIO_PROCESS, static_cast<id_t>(tid)); }

// A thread that sets its own nice value and waits until told to end.
class TWorker {
 public:
  explicit TWorker(int nice) : thread_([this, nice] {
      setpriority(PRIO_PROCESS, 0, nice);
      std::unique_lock lock(mutex_);
      tid_ = gettid();
      changed_.notify_all();
      changed_.wait(lock, [this] { return done_; });
    }) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tid_ != 0; });
  }
  ~TWorker() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  pid_t Tid() const { return tid_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  pid_t tid_ = 0;
  bool done_ = false;
  std::thread thread_;
};

// In a child with the nice limit given (-1: as inherited) and, when
// unprivileged, as the user nobody: the nice values of the calling thread
// and of two others (one at 3) raised, then of those and one started while
// raised, back to normal.
std::string RaisedAndBack(long niceLimit, bool unprivileged) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    std::string said;
    if (niceLimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(niceLimit), static_cast<rlim_t>(niceLimit)};
      if (setrlimit(RLIMIT_NICE, &limit) != 0) said = "no limit ";
    }
    if (unprivileged && (setgid(65534) != 0 || setuid(65534) != 0)) said += "no nobody ";
    {
      TWorker at0(0), at3(3);
      const pid_t self = gettid();
      SetHighPriority();
      said += "high " + std::to_string(NiceOf(self)) + " " + std::to_string(NiceOf(at0.Tid())) + " " +
              std::to_string(NiceOf(at3.Tid()));
      TWorker late(NiceOf(self));
      SetNormalPriority();
      said += " | normal " + std::to_string(NiceOf(self)) + " " + std::to_string(NiceOf(at0.Tid())) + " " +
              std::to_string(NiceOf(at3.Tid())) + " " + std::to_string(NiceOf(late.Tid()));
    }
    const ssize_t written = write(pipeFds[1], said.data(), said.size());
    _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
  }
  close(pipeFds[1]);
  std::string said;
  char buffer[256];
  ssize_t n = 0;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) said.append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return said;
}

TEST(HighPriority, RaisesEveryThreadAndTheCallerMostThenRestoresEach) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to lower nice values freely";
  EXPECT_EQ(RaisedAndBack(-1, false), "high -14 -10 -10 | normal 0 0 3 0");
}

// The usual limit of an ordinary user, 0: nothing changes, and nothing
// fails.
TEST(HighPriority, AnOrdinaryUserWithoutANiceLimitKeepsThePriority) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  EXPECT_EQ(RaisedAndBack(0, true), "high 0 0 3 | normal 0 0 3 0");
}

// A limit of 25 allows an ordinary user down to nice -5. Setting it needs
// a hard limit that high already, or CAP_SYS_RESOURCE.
TEST(HighPriority, GoesAsFarAsTheNiceLimitAllowsAnOrdinaryUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  const std::string said = RaisedAndBack(25, true);
  if (said.starts_with("no limit")) GTEST_SKIP() << "RLIMIT_NICE cannot be raised to 25 here";
  EXPECT_EQ(said, "high -5 -5 -5 | normal 0 0 3 0");
}

}  // namespace
}  // namespace vm::test
