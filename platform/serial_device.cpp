#include "platform/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace vm {

namespace {

struct TSpeed {
  uint32_t Rate;
  speed_t Code;
};

constexpr std::array<TSpeed, 30> kSpeeds = {{
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

const TSpeed* SpeedFor(uint32_t rate) {
  const TSpeed* best = nullptr;
  for (const TSpeed& s : kSpeeds)
    if (s.Rate <= rate) best = &s;
  return best;
}

std::string SystemMessage(int code) {
  char buffer[256] = {};
  // The GNU strerror_r returns its text, which need not be in the buffer.
  return strerror_r(code, buffer, sizeof buffer);
}

tcflag_t SizeFlag(uint8_t bits) {
  switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

tcflag_t ParityFlags(uint8_t parity) {
  switch (parity) {
    case 1: return PARENB | PARODD;
    case 2: return PARENB;
    case 3: return PARENB | CMSPAR | PARODD;
    case 4: return PARENB | CMSPAR;
    default: return 0;
  }
}

}  // namespace

uint32_t SupportedBaudRate(uint32_t rate) {
  const TSpeed* s = SpeedFor(rate);
  return s ? s->Rate : 0;
}

TSerialDevice::~TSerialDevice() { Close(); }

bool TSerialDevice::Open(const std::string& path, std::string& error) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = SystemMessage(errno);
    return false;
  }
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    error = SystemMessage(errno);
    ::close(fd);
    return false;
  }
  // Another process that opens the line later is refused.
  ::ioctl(fd, TIOCEXCL);
  // A code scanned while nobody listened would join the next document's
  // lines: the line starts empty.
  ::tcflush(fd, TCIFLUSH);
  const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    error = SystemMessage(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  wake_ = wake;
  return true;
}

bool TSerialDevice::Apply(const TSerialLineSettings& settings) {
  if (fd_ < 0) return false;
  const TSpeed* speed = SpeedFor(settings.BaudRate);
  if (speed == nullptr || settings.DataBits < 5 || settings.DataBits > 8) return false;
  termios t{};
  if (::tcgetattr(fd_, &t) != 0) return false;
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD | SizeFlag(settings.DataBits) | ParityFlags(settings.Parity);
  if (settings.StopBits != 0) t.c_cflag |= CSTOPB;
  if (settings.RtsCtsFlow) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~(INPCK | IXON | IXOFF);
  if (settings.ParityCheck) t.c_iflag |= INPCK;
  if (settings.XonXoffOut) t.c_iflag |= IXON;
  if (settings.XonXoffIn) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = settings.XonChar;
  t.c_cc[VSTOP] = settings.XoffChar;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, speed->Code);
  ::cfsetospeed(&t, speed->Code);
  if (::tcsetattr(fd_, TCSANOW, &t) != 0) return false;
  SetModemLines(settings);
  return true;
}

void TSerialDevice::SetModemLines(const TSerialLineSettings& settings) {
  // A pseudo-terminal or an adapter without modem lines refuses; the
  // framing is in force all the same.
  const int dtr = TIOCM_DTR;
  const int rts = TIOCM_RTS;
  ::ioctl(fd_, settings.DtrControl != 0 ? TIOCMBIS : TIOCMBIC, &dtr);
  if (settings.RtsControl == 1 || settings.RtsControl == 2) {
    ::ioctl(fd_, TIOCMBIS, &rts);
  } else {
    ::ioctl(fd_, TIOCMBIC, &rts);
  }
}

void TSerialDevice::Close() {
  if (fd_ >= 0) {
    ::tcflush(fd_, TCIOFLUSH);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
  }
  if (wake_ >= 0) {
    ::close(wake_);
    wake_ = -1;
  }
}

long TSerialDevice::WaitAndRead(uint8_t* buffer, std::size_t size) {
  if (fd_ < 0) return -1;
  std::array<pollfd, 2> fds = {{{fd_, POLLIN, 0}, {wake_, POLLIN, 0}}};
  if (::poll(fds.data(), fds.size(), -1) < 0) return errno == EINTR ? 0 : -1;
  if (fds[1].revents != 0) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t drained = ::read(wake_, &count, sizeof count);
    return 0;
  }
  if ((fds[0].revents & POLLIN) != 0) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return -1;
  }
  // Hung up (the far end of a pseudo-terminal closed, an adapter pulled).
  return fds[0].revents != 0 ? -1 : 0;
}

void TSerialDevice::Wake() {
  if (wake_ < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
}

}  // namespace vm
