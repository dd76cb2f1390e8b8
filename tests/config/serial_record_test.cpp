// The scanner-port record keeps its fields where other workstations write
// them, whatever is set through it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "config/serial_record.h"

namespace vm::test {
namespace {

TEST(SerialRecord, FieldsLieWhereTheSettingsKeepThemAndNeverOverlap) {
  TSerialRecord r;
  r.ReadHex(std::string(2 * TSerialRecord::kSize, 'F'));
  // The name's last byte is its end even when the text fills it.
  EXPECT_EQ(r.PortName(), std::string(15, '\xFF'));
  TPortConfig config{};
  config.fill(0x11);
  r.SetPortConfig(config);
  r.SetPortName("COM3");
  r.SetCloseAfter(false);
  std::string expected = std::string(2 * 52, '1') + "434F4D33" + std::string(24, '0') + "00" + "FFFFFF";
  EXPECT_EQ(r.Hex(), expected);
  EXPECT_EQ(std::tuple(r.PortConfig(), r.PortName(), r.CloseAfter()), std::tuple(config, "COM3", false));
  r.SetPortName("/dev/serial/by-id/usb");
  r.SetCloseAfter(true);
  EXPECT_EQ(std::tuple(r.PortConfig(), r.PortName(), r.Bytes()[68], r.Bytes()[69]),
            std::tuple(config, "/dev/serial/by-", uint8_t{1}, uint8_t{0xFF}));
}

}  // namespace
}  // namespace vm::test
