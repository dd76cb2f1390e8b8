#include "platform/calc_link.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace vm {

namespace {

// Debian's interpreter, which finds the office's python3-uno module.
constexpr const char* kPython = "/usr/bin/python3";
// The helper's answer to "quit" comes after the office has shut down.
constexpr int kQuitTimeoutMs = 15000;

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

[[noreturn]] void RunHelper(int socket, pid_t parent, const std::string& officePath, bool windows) {
  // The helper goes when we go, however we end.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);
  dup2(socket, 0);
  dup2(socket, 1);
  // Neither the helper nor the office may hold our files open (the
  // database lock among them).
  for (int fd = 3; fd < 1024; ++fd) close(fd);
  const int null = open("/dev/null", O_RDONLY);
  if (null >= 0 && null != 0) close(null);
  execl(kPython, kPython, "-I", "-c", CalcHelperScript(), officePath.c_str(), windows ? "windows" : nullptr,
        static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

std::string TCalcLink::Encode(const TCalcFields& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    for (char ch : fields[i]) {
      switch (ch) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += ch;
      }
    }
  }
  return line + '\n';
}

TCalcFields TCalcLink::Decode(std::string_view line) {
  TCalcFields fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (ch == '\t') {
      fields.emplace_back();
    } else if (ch == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      fields.back() += ch;
    }
  }
  return fields;
}

bool TCalcLink::Spawn(const std::string& officePath, bool windows, std::string& error) {
  Quit();
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    error = std::strerror(errno);
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::strerror(errno);
    close(sockets[0]);
    close(sockets[1]);
    return false;
  }
  if (pid == 0) {
    // dup2 clears close-on-exec on the copies the helper keeps.
    RunHelper(sockets[1], parent, officePath, windows);
  }
  close(sockets[1]);
  pid_ = pid;
  fd_ = sockets[0];
  input_.clear();
  return true;
}

void TCalcLink::Reap() {
  CloseFd(fd_);
  if (pid_ > 0) {
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  input_.clear();
}

bool TCalcLink::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    CloseFd(fd_);
    input_.clear();
    return false;
  }
  return true;
}

bool TCalcLink::Send(const TCalcFields& fields) {
  if (fd_ < 0) return false;
  const std::string line = Encode(fields);
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool TCalcLink::ReadLine(std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const std::size_t end = input_.find('\n');
    if (end != std::string::npos) {
      line = input_.substr(0, end);
      input_.erase(0, end + 1);
      return true;
    }
    int wait = -1;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      wait = static_cast<int>(left.count());
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char chunk[65536];
    const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    input_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool TCalcLink::Call(const TCalcFields& fields, TCalcFields& answer) {
  std::string line;
  // The office may take its time (a large file, a slow start), so an
  // answer is awaited as long as the helper lives.
  if (!Send(fields) || !ReadLine(line, -1)) {
    Running();
    return false;
  }
  answer = Decode(line);
  return true;
}

void TCalcLink::Quit() {
  if (pid_ <= 0) return;
  std::string line;
  if (!Send({"quit"}) || !ReadLine(line, kQuitTimeoutMs)) kill(pid_, SIGKILL);
  Reap();
}

}  // namespace vm
