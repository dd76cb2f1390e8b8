// A child process doing a job is killed (SIGKILL) at random moments, again
// and again on fresh data, so that the kills spread over every step of the
// job: the window of the kills follows the job's own pace on this machine,
// widening while the kills land inside the job and narrowing while they
// come after its end, under any load.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace vm::test {

// fresh() makes the data anew; job() runs in the child and says whether it
// succeeded; after(run) checks what a killed or finished child left. The
// first run is timed, not killed, and must succeed; after(-1) checks it.
inline void KillAtRandomMoments(int runs, uint32_t seed, const std::function<void()>& fresh,
                                const std::function<bool()>& job,
                                const std::function<void(int)>& after) {
  auto start = [&] {
    const pid_t pid = fork();
    if (pid == 0) _exit(job() ? 0 : 3);
    return pid;
  };
  fresh();
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t timed = start();
  int status = 0;
  ASSERT_EQ(waitpid(timed, &status, 0), timed);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  double window = static_cast<double>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
          .count());
  after(-1);
  std::mt19937 rng(seed);
  for (int run = 0; run < runs && !::testing::Test::HasFatalFailure(); ++run) {
    fresh();
    const pid_t pid = start();
    std::uniform_int_distribution<long> delay(0, static_cast<long>(window));
    std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
    kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    window *= WIFSIGNALED(status) ? 1.1 : 0.9;
    after(run);
  }
}

// The kills above on a job that must change the data all or nothing: after
// each kill recover(run) does what the next start does (with its own
// checks), and the data, as state() reads them, must then be as before the
// job or as after it. Both must be seen over the runs; the test records how
// often each was.
inline void ExpectAllOrNothing(int runs, uint32_t seed, const std::function<void()>& fresh,
                               const std::function<bool()>& job, const std::function<std::string()>& state,
                               const std::function<void(int)>& recover) {
  fresh();
  const std::string before = state();
  std::string after;
  int sawBefore = 0, sawAfter = 0;
  KillAtRandomMoments(runs, seed, fresh, job, [&](int run) {
    if (run < 0) {
      after = state();
      ASSERT_NE(after, before);
      return;
    }
    recover(run);
    if (::testing::Test::HasFatalFailure()) return;
    const std::string now = state();
    ASSERT_TRUE(now == before || now == after) << "run " << run;
    (now == before ? sawBefore : sawAfter)++;
  });
  ::testing::Test::RecordProperty("before", sawBefore);
  ::testing::Test::RecordProperty("after", sawAfter);
  EXPECT_GT(sawBefore, 0);
  EXPECT_GT(sawAfter, 0);
}

}  // namespace vm::test
