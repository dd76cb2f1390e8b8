// The port configuration block as the settings keep it, and the devices the
// configured port names stand for.
#include <gtest/gtest.h>

#include "devices/comm_config.h"
#include "devices/port_devices.h"
#include "support/program_home.h"

namespace vm::test {
namespace {

TEST(CommConfig, AFreshPortsDefaultsAndTheFlowControlsOfTheDialog) {
  TPortConfig c = DefaultPortConfig();
  EXPECT_TRUE(UsableConfig(c));
  EXPECT_EQ(std::tuple(ConfigWord(c, 0), ConfigWord(c, 8), ConfigWord(c, 12), ConfigWord(c, 16), c[26], c[27], c[28]),
            std::tuple(52u, 28u, 19200u, 1u, uint8_t{8}, uint8_t{0}, uint8_t{2}));
  // Settings that never named a port hold zeros; the line keeps its
  // defaults then, and the dialog makes a whole block of them.
  TPortConfig blank{};
  EXPECT_FALSE(UsableConfig(blank));
  SetFraming(blank, 4800, 8, 0, 0, TFlowControl::XonXoff);
  EXPECT_TRUE(UsableConfig(blank));
  TSerialLineSettings s = LineSettingsOf(blank);
  EXPECT_EQ(std::tuple(s.BaudRate, s.XonXoffIn, s.XonXoffOut, s.RtsCtsFlow, s.XonChar, s.XoffChar),
            std::tuple(4800u, true, true, false, uint8_t{17}, uint8_t{19}));
  SetFraming(c, 38400, 8, 0, 2, TFlowControl::Hardware);
  s = LineSettingsOf(c);
  EXPECT_EQ(std::tuple(FlowControlOf(c), s.RtsCtsFlow, s.XonXoffIn), std::tuple(TFlowControl::Hardware, true, false));
  // Rates between the line's standard ones run at the lower one.
  EXPECT_EQ(std::tuple(SupportedBaudRate(115200), SupportedBaudRate(14400), SupportedBaudRate(49)),
            std::tuple(115200u, 9600u, 0u));
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
