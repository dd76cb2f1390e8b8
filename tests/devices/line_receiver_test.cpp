// The scanner's receiver on a real terminal line: what becomes a line, what
// is dropped, and how the receive thread stops. These tests also run under
// ThreadSanitizer (scripts/test).
#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "devices/com_port.h"
#include "devices/comm_config.h"
#include "devices/pty_rig.h"

namespace vm::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// A port on a fresh pty whose lines go into Log, on a clock the test moves.
struct PortRig {
  explicit PortRig(uint32_t startTicks = 1000) : Ticks(startTicks) {
    Port.Open(Pty.Path());
    Port.SetReceiveEnabled(true);
  }
  // Waits until the receive thread holds count bytes of an unfinished line.
  bool Pending(std::size_t count) {
    return Eventually([&] { return Port.Lines().PendingLength() == count; });
  }

  PtyPair Pty;
  LineLog Log;
  std::atomic<uint32_t> Ticks;
  TComPort Port{[this](const uint8_t* d, std::size_t n) { Log.Add(d, n); }, nullptr,
                [this] { return Ticks.load(); }};
};

TEST(LineReceiver, CarriageReturnsEndLinesWhateverTheReadsHold) {
  PortRig r;
  ASSERT_FALSE(r.Port.ErrorFlag()) << r.Port.ErrorText();
  ASSERT_TRUE(r.Pty.Write(std::string("\x04\x06\x00\x01\r", 5)));
  ASSERT_TRUE(r.Pty.Write("\r"));
  ASSERT_TRUE(r.Pty.Write("AB\rCD\r"));
  // CR LF: the line feed opens the next line.
  ASSERT_TRUE(r.Pty.Write("E\r\nF\r"));
  EXPECT_EQ(r.Log.WaitFor(6), (Lines{std::string("\x04\x06\x00\x01", 4), "", "AB", "CD", "E", "\nF"}));
}

TEST(LineReceiver, TwoSecondsOfSilenceDropTheLineUnderWay) {
  // The counter wraps around between the halves of the line.
  PortRig r(0xFFFFFF00u);
  ASSERT_TRUE(r.Pty.Write("\x01\x02"));
  ASSERT_TRUE(r.Pending(2));
  r.Ticks += 2500;
  ASSERT_TRUE(r.Pty.Write("\x03\x04\r"));
  // A pause just short of the limit keeps the line.
  ASSERT_TRUE(r.Pty.Write("5"));
  ASSERT_TRUE(r.Pending(1));
  r.Ticks += 1999;
  ASSERT_TRUE(r.Pty.Write("6\r"));
  EXPECT_EQ(r.Log.WaitFor(2), (Lines{"\x03\x04", "56"}));
}

TEST(LineReceiver, LinesWhileDeliveryIsOffAreDroppedForGood) {
  PortRig r;
  r.Port.SetReceiveEnabled(false);
  ASSERT_TRUE(r.Pty.Write("LOST\rK"));
  ASSERT_TRUE(r.Pending(1));
  r.Port.SetReceiveEnabled(true);
  ASSERT_TRUE(r.Pty.Write("EPT\r"));
  EXPECT_EQ(r.Log.WaitFor(1), Lines{"KEPT"});
  EXPECT_EQ(r.Log.WaitFor(2, 100ms), Lines{"KEPT"});
}

TEST(LineReceiver, ALineLongerThanTheBufferIsCutToIt) {
  PortRig r;
  ASSERT_TRUE(r.Pty.Write(std::string(2000, 'x') + "\rOK\r"));
  EXPECT_EQ(r.Log.WaitFor(2), (Lines{std::string(TLineAssembler::kLineBufferSize, 'x'), "OK"}));
}

TEST(LineReceiver, APortThatDoesNotExistStaysClosedWithTheSystemsMessage) {
  LineLog log;
  TComPort port([&log](const uint8_t* d, std::size_t n) { log.Add(d, n); });
  port.Open("/dev/ttyNoSuchPort7");
  EXPECT_TRUE(port.ErrorFlag());
  EXPECT_NE(port.ErrorText().find("No such file or directory"), std::string::npos) << port.ErrorText();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.SetConfig(DefaultPortConfig()));
  port.SetReceiveEnabled(true);
  EXPECT_EQ(port.Wakeups(), 0u);
  // A file is no serial line either.
  port.Open("/dev/null");
  EXPECT_TRUE(port.ErrorFlag());
  EXPECT_TRUE(log.Lines().empty());
}

TEST(LineReceiver, TheSettingsReachTheLineAndABadBlockLeavesThem) {
  PortRig r;
  termios t{};
  ASSERT_EQ(::tcgetattr(r.Pty.Terminal(), &t), 0);
  EXPECT_EQ(std::tuple(::cfgetispeed(&t), t.c_cflag & CSIZE, t.c_cflag & (PARENB | CSTOPB | CRTSCTS)),
            std::tuple(speed_t{B19200}, tcflag_t{CS8}, tcflag_t{CSTOPB}));
  TPortConfig c = DefaultPortConfig();
  SetFraming(c, 115200, 7, 2, 0, TFlowControl::Hardware);
  ASSERT_TRUE(r.Port.SetConfig(c));
  EXPECT_FALSE(r.Port.SetConfig(TPortConfig{}));
  EXPECT_EQ(r.Port.Config(), c);
  ASSERT_EQ(::tcgetattr(r.Pty.Terminal(), &t), 0);
  // A pseudo-terminal keeps 8 bits without parity whatever it is told.
  EXPECT_EQ(std::tuple(::cfgetispeed(&t), t.c_cflag & (CSTOPB | CRTSCTS)),
            std::tuple(speed_t{B115200}, tcflag_t{CRTSCTS}));
}

TEST(LineReceiver, StoppingAWaitingThreadIsPromptAndHoldsNoLock) {
  // The best of three, so that a busy machine does not decide it.
  auto best = std::chrono::steady_clock::duration::max();
  for (int i = 0; i < 3; ++i) {
    PortRig r;
    ASSERT_TRUE(r.Pty.Write("A\r"));
    ASSERT_EQ(r.Log.WaitFor(1).size(), 1u);
    // The thread now waits on the silent line.
    std::this_thread::sleep_for(20ms);
    const auto start = std::chrono::steady_clock::now();
    r.Port.ClosePort();
    best = std::min(best, std::chrono::steady_clock::now() - start);
    EXPECT_FALSE(r.Port.IsOpen());
    // Neither the callback's lock nor the receiver's is left taken: the
    // callback's is free and the port takes a new thread.
    ASSERT_TRUE(r.Log.Mutex().try_lock());
    r.Log.Mutex().unlock();
    r.Port.Open(r.Pty.Path());
    r.Port.SetReceiveEnabled(true);
    ASSERT_TRUE(r.Pty.Write("B\r"));
    EXPECT_EQ(r.Log.WaitFor(2), (Lines{"A", "B"}));
  }
  EXPECT_LT(best, 100ms);
}

TEST(LineReceiver, AReopenedPortStartsWithoutTheHalfLineOfTheOldOne) {
  PortRig r;
  ASSERT_TRUE(r.Pty.Write("12345"));
  ASSERT_TRUE(r.Pending(5));
  // The scanner hangs up and the port opens again, on a new line.
  r.Pty.CloseScannerSide();
  PtyPair second;
  r.Port.Open(second.Path());
  r.Port.SetReceiveEnabled(true);
  EXPECT_EQ(r.Port.Lines().PendingLength(), 0u);
  ASSERT_TRUE(second.Write("678\r"));
  EXPECT_EQ(r.Log.WaitFor(1), Lines{"678"});
}

TEST(LineReceiver, AHungUpLineNeitherSpinsNorStopsThePort) {
  PortRig r;
  ASSERT_TRUE(r.Pty.Write("A\r"));
  ASSERT_EQ(r.Log.WaitFor(1).size(), 1u);
  r.Pty.CloseScannerSide();
  ASSERT_TRUE(Eventually([&] { return r.Port.Wakeups() >= 2; }));
  const uint64_t before = r.Port.Wakeups();
  std::this_thread::sleep_for(1s);
  // A fault is retried after 200 ms: a handful of wakes, not thousands.
  EXPECT_LE(r.Port.Wakeups() - before, 10u);
  const auto start = std::chrono::steady_clock::now();
  r.Port.ClosePort();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(WaitTimer, MeasuresAcrossTheWrapOfTheCounter) {
  uint32_t now = 0xFFFFFFFFu - 500;
  TWaitTimer timer([&now] { return now; });
  timer.Start(2000);
  now += 1999;
  EXPECT_FALSE(timer.Elapsed());
  now += 1;
  EXPECT_TRUE(timer.Elapsed());
}

}  // namespace
}  // namespace vm::test
