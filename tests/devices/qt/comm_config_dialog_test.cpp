// The port-settings dialog as the designer shows it: it edits the block in
// place only on OK and keeps the chosen device for the port name.
#include "devices/qt/comm_config_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdlib>

#include "devices/comm_config.h"
#include "devices/port_devices.h"
#include "support/program_home.h"
#include "tests/ui/qt/modal.h"

namespace vm {
namespace {

void Answer(bool ok, std::function<void(TCommConfigDialog&)> fill) {
  test::WhenModal([ok, fill](QWidget* modal) {
    auto* dialog = qobject_cast<TCommConfigDialog*>(modal);
    if (!dialog) return;
    fill(*dialog);
    ok ? dialog->accept() : dialog->reject();
  });
}

TEST(CommConfigDialog, OkWritesTheFieldsAndTheDeviceCancelWritesNothing) {
  test::ProgramHome home;
  // Settings that never named a port: the dialog starts from a fresh port.
  TPortConfig config{};
  QString rate, flow;
  Answer(false, [&](TCommConfigDialog& d) {
    rate = d.RateBox()->currentText();
    flow = d.FlowBox()->currentText();
    d.RateBox()->setCurrentText("115200");
  });
  EXPECT_FALSE(ShowCommConfigDialog(nullptr, "COM2", config));
  EXPECT_EQ(std::tuple(rate, flow), std::tuple(QString("19200"), QString::fromUtf8("Нет")));
  TPortConfig untouched{};
  untouched[0] = 52;
  EXPECT_EQ(config, untouched);

  config = DefaultPortConfig();
  config[40] = 0x77;  // provider data of another workstation
  Answer(true, [](TCommConfigDialog& d) {
    d.RateBox()->setCurrentText("9600");
    d.DataBitsBox()->setCurrentIndex(2);
    d.ParityBox()->setCurrentIndex(2);
    d.StopBitsBox()->setCurrentIndex(0);
    d.FlowBox()->setCurrentIndex(1);
    d.DeviceBox()->setCurrentText("/dev/ttyUSB0");
  });
  ASSERT_TRUE(ShowCommConfigDialog(nullptr, "COM2", config));
  const TSerialLineSettings s = LineSettingsOf(config);
  EXPECT_EQ(std::tuple(s.BaudRate, s.DataBits, s.Parity, s.StopBits, s.RtsCtsFlow, config[40]),
            std::tuple(9600u, uint8_t{7}, uint8_t{2}, uint8_t{0}, true, uint8_t{0x77}));
  EXPECT_EQ(PortDevice("COM2"), "/dev/ttyUSB0");

  // "Восстановить умолчания" shows a fresh port's settings again.
  Answer(true, [](TCommConfigDialog& d) {
    EXPECT_EQ(d.DeviceBox()->currentText(), "/dev/ttyUSB0");
    d.DefaultsButton()->click();
  });
  ASSERT_TRUE(ShowCommConfigDialog(nullptr, "COM2", config));
  EXPECT_EQ(std::tuple(LineSettingsOf(config).BaudRate, LineSettingsOf(config).StopBits, FlowControlOf(config)),
            std::tuple(19200u, uint8_t{2}, TFlowControl::None));
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// A picture of the dialog on the screen, for people to look at; taken only
// when VELOMAR_SCREENSHOTS names a folder.
TEST(Screenshot, PortSettingsDialog) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  test::ProgramHome home;
  TCommConfigDialog dialog("COM1", DefaultPortConfig());
  dialog.show();
  QTest::qWait(800);
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_TRUE(screen->grabWindow(0).save(QString::fromLocal8Bit(folder) + "/port_settings_dialog.png"));
}

}  // namespace
}  // namespace vm
