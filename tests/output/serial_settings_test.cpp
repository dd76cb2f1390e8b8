// The port configuration block as the settings keep it, and the devices the
// configured port names stand for.
#include <gtest/gtest.h>

#include <numeric>

#include "output/devices/comm_config.h"
#include "output/devices/port_devices.h"
#include "support/program_home.h"

namespace vm::test {
namespace {

TEST(CommConfig, TheDefaultsAreWhatAFreshPortIsSetTo) {
  const TPortConfig c = DefaultPortConfig();
  EXPECT_TRUE(UsableConfig(c));
  EXPECT_EQ(std::tuple(ConfigWord(c, 0), ConfigWord(c, 8), ConfigWord(c, 12), ConfigWord(c, 16), c[26], c[27], c[28]),
            std::tuple(52u, 28u, 19200u, 1u, uint8_t{8}, uint8_t{0}, uint8_t{2}));
  const TSerialLineSettings s = LineSettingsOf(c);
  EXPECT_EQ(std::tuple(s.RtsCtsFlow, s.XonXoffIn, s.XonXoffOut, s.DtrControl, s.RtsControl),
            std::tuple(false, false, false, uint8_t{0}, uint8_t{0}));
  // Settings that never named a port hold zeros; the line keeps its
  // defaults then.
  EXPECT_FALSE(UsableConfig(TPortConfig{}));
}

TEST(CommConfig, TheDialogsFieldsChangeOnlyTheirBytes) {
  TPortConfig c = DefaultPortConfig();
  // Provider data and the reserved words of another workstation stay.
  std::iota(c.begin() + 36, c.end(), uint8_t{100});
  c[20] = 0x5A;
  const TPortConfig before = c;
  SetFraming(c, 9600, 7, 1, 0, TFlowControl::XonXoff);
  for (std::size_t i : {std::size_t{20}, std::size_t{36}, std::size_t{51}}) EXPECT_EQ(c[i], before[i]) << i;
  EXPECT_EQ(FlowControlOf(c), TFlowControl::XonXoff);
  TSerialLineSettings s = LineSettingsOf(c);
  EXPECT_EQ(std::tuple(s.BaudRate, s.DataBits, s.Parity, s.StopBits, s.XonXoffIn, s.XonXoffOut, s.RtsCtsFlow),
            std::tuple(9600u, uint8_t{7}, uint8_t{1}, uint8_t{0}, true, true, false));
  SetFraming(c, 38400, 8, 0, 2, TFlowControl::Hardware);
  s = LineSettingsOf(c);
  EXPECT_EQ(std::tuple(FlowControlOf(c), s.RtsCtsFlow, s.XonXoffIn), std::tuple(TFlowControl::Hardware, true, false));
  SetFraming(c, 38400, 8, 0, 2, TFlowControl::None);
  EXPECT_EQ(FlowControlOf(c), TFlowControl::None);
  // A zeroed block set up in the dialog becomes a whole one.
  TPortConfig blank{};
  SetFraming(blank, 4800, 8, 0, 0, TFlowControl::None);
  EXPECT_TRUE(UsableConfig(blank));
  EXPECT_EQ(ConfigWord(blank, 12), 4800u);
}

TEST(CommConfig, RatesBetweenTheLinesStandardOnesRunAtTheLowerOne) {
  EXPECT_EQ(std::tuple(SupportedBaudRate(115200), SupportedBaudRate(14400), SupportedBaudRate(256000),
                       SupportedBaudRate(49)),
            std::tuple(115200u, 9600u, 230400u, 0u));
}

TEST(PortDevices, ComNamesMapToSerialDevicesUnlessConfiguredOtherwise) {
  ProgramHome home;
  EXPECT_EQ(std::tuple(PortDevice("COM1"), PortDevice("com8"), PortDevice("/dev/ttyACM0"), PortDevice("LPT1"),
                       PortDevice("")),
            std::tuple("/dev/ttyS0", "/dev/ttyS7", "/dev/ttyACM0", "", ""));
  ASSERT_TRUE(SetPortDevice("COM3", "/dev/ttyUSB0"));
  ASSERT_TRUE(SetPortDevice("COM4", "/dev/ttyACM1"));
  EXPECT_EQ(std::tuple(PortDevice("COM3"), PortDevice("Com4"), PortDevice("COM2")),
            std::tuple("/dev/ttyUSB0", "/dev/ttyACM1", "/dev/ttyS1"));
  // Back to its own device, the name leaves the file.
  ASSERT_TRUE(SetPortDevice("COM3", "/dev/ttyS2"));
  EXPECT_EQ(PortDevice("COM3"), "/dev/ttyS2");
  EXPECT_FALSE(SetPortDevice("LPT1", "/dev/ttyUSB0"));
  const std::vector<std::string> choices = SerialDeviceChoices();
  ASSERT_GE(choices.size(), 8u);
  EXPECT_EQ(std::tuple(choices.front(), choices[7]), std::tuple("/dev/ttyS0", "/dev/ttyS7"));
}

}  // namespace
}  // namespace vm::test
