// A pseudo-terminal pair standing in for a scanner on a serial line: the
// port under test opens the terminal side by its path, the test writes the
// scanner's traffic into the other side.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vm::test {

class PtyPair {
 public:
  PtyPair() {
    if (::openpty(&master_, &terminal_, nullptr, nullptr, nullptr) == 0) path_ = ::ttyname(terminal_);
  }
  ~PtyPair() {
    CloseScannerSide();
    if (terminal_ >= 0) ::close(terminal_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // The device path the port opens.
  const std::string& Path() const { return path_; }
  // The terminal side as this test holds it (its settings are the port's).
  int Terminal() const { return terminal_; }

  bool Write(std::string_view bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  // The scanner goes away: the line hangs up.
  void CloseScannerSide() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int terminal_ = -1;
  std::string path_;
};

// What a port's callback delivered, in order; any thread may wait for it.
class LineLog {
 public:
  void Add(const uint8_t* data, std::size_t length) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      lines_.emplace_back(reinterpret_cast<const char*>(data), length);
    }
    changed_.notify_all();
  }
  // The lines so far once there are at least count of them or the time is
  // up.
  std::vector<std::string> WaitFor(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return lines_.size() >= count; });
    return lines_;
  }
  std::vector<std::string> Lines() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  std::mutex& Mutex() { return mutex_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
};

// Waits until cond holds or the limit passes; returns cond().
template <class Cond>
bool Eventually(Cond cond, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace vm::test
