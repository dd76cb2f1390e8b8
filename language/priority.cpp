#include "language/priority.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace vm {

namespace {

// A nice value applies to one thread on Linux, so the raise goes to each.
constexpr int kHighNice = -10;
// The thread that asked, above the others as well.
constexpr int kHighestNice = -14;

struct TRaise {
  std::mutex Mutex;
  bool Raised = false;
  int ProcessNice = 0;
  std::map<pid_t, int> Before;
};

TRaise& Raise() {
  static TRaise raise;
  return raise;
}

std::vector<pid_t> Threads() {
  std::vector<pid_t> threads;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(dir)) {
      const pid_t tid = static_cast<pid_t>(std::atoi(entry->d_name));
      if (tid > 0) threads.push_back(tid);
    }
    closedir(dir);
  }
  return threads;
}

bool NiceOf(pid_t tid, int& nice) {
  errno = 0;
  nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  return errno == 0;
}

// The lowest nice value an unprivileged thread may take (20 - RLIMIT_NICE).
int NiceFloor() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return 20;
  return 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
}

// Never lowers the thread's priority; without CAP_SYS_NICE it goes down to
// the floor the limit sets.
void LowerNice(pid_t tid, int target) {
  int now = 0;
  if (!NiceOf(tid, now) || now <= target) return;
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), target) == 0) return;
  const int reachable = std::max(target, NiceFloor());
  if (reachable < now) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), reachable);
}

}  // namespace

void SetHighPriority() {
  TRaise& raise = Raise();
  std::lock_guard lock(raise.Mutex);
  if (!raise.Raised && !NiceOf(getpid(), raise.ProcessNice)) raise.ProcessNice = 0;
  raise.Raised = true;
  const pid_t self = gettid();
  for (pid_t tid : Threads()) {
    int nice = 0;
    if (!raise.Before.contains(tid) && NiceOf(tid, nice)) raise.Before[tid] = nice;
    LowerNice(tid, tid == self ? kHighestNice : kHighNice);
  }
}

void SetNormalPriority() {
  TRaise& raise = Raise();
  std::lock_guard lock(raise.Mutex);
  if (!raise.Raised) return;
  for (pid_t tid : Threads()) {
    const auto before = raise.Before.find(tid);
    const int nice = before != raise.Before.end() ? before->second : raise.ProcessNice;
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
  }
  raise.Before.clear();
  raise.Raised = false;
}

}  // namespace vm
