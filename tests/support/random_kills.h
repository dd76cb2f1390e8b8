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

}  // namespace vm::test
