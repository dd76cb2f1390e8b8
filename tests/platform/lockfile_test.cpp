#include "platform/lockfile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace vm {
namespace {

std::string TempLockPath() {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vm_lock_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / "lock.lck").string();
}

// Runs body in a child process and gives its exit code.
template <typename F>
int InChild(F body) {
  const pid_t pid = ::fork();
  if (pid == 0) _exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LockFileTest, ExcludesOtherProcessesAndOtherOpens) {
  const std::string path = TempLockPath();
  TLockFile lock;
  ASSERT_TRUE(lock.Acquire(path));
  EXPECT_EQ(InChild([&] { TLockFile other; return other.Acquire(path) ? 0 : 1; }), 1);

  // A second open in the same process is refused too.
  TLockFile again;
  EXPECT_FALSE(again.Acquire(path));

  lock.Release();
  EXPECT_EQ(InChild([&] { TLockFile other; return other.Acquire(path) ? 0 : 1; }), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(LockFileTest, DeadHolderReleasesAndLeftoverFileDoesNotBlock) {
  const std::string path = TempLockPath();
  // The child takes the lock and dies without releasing it.
  EXPECT_EQ(InChild([&] {
              auto* leaked = new TLockFile;
              return leaked->Acquire(path) ? 0 : 1;
            }),
            0);
  TLockFile lock;
  EXPECT_TRUE(lock.Acquire(path));
  EXPECT_FALSE(TLockFile().Acquire("/nonexistent-dir/lock.lck"));
}

}  // namespace
}  // namespace vm
