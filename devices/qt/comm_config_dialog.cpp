#include "devices/qt/comm_config_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "devices/comm_config.h"
#include "devices/port_devices.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr std::array<uint32_t, 14> kRates = {110,   300,   600,   1200,  2400,   4800,   9600,
                                             19200, 38400, 57600, 115200, 230400, 460800, 921600};

QComboBox* ChoiceBox(std::initializer_list<std::string_view> items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::string_view item : items) box->addItem(ToQt(item));
  return box;
}

}  // namespace

TCommConfigDialog::TCommConfigDialog(const std::string& portName, const TPortConfig& config, QWidget* parent)
    : QDialog(parent), config_(config) {
  setWindowTitle(ToQt("Настройка порта "_w + portName));
  auto* group = new QGroupBox(ToQt("Параметры порта"_wv), this);
  auto* form = new QFormLayout(group);
  device_ = new QComboBox(group);
  device_->setEditable(true);
  for (const std::string& d : SerialDeviceChoices()) device_->addItem(ToQt(d));
  device_->setCurrentText(ToQt(PortDevice(portName)));
  // A port named by its device has nothing to choose.
  device_->setEnabled(!DefaultPortDevice(portName).empty());
  rate_ = new QComboBox(group);
  for (uint32_t r : kRates) rate_->addItem(QString::number(r), r);
  dataBits_ = ChoiceBox({"5", "6", "7", "8"}, group);
  parity_ = ChoiceBox({"Нет"_wv, "Нечёт"_wv, "Чёт"_wv, "Маркер"_wv, "Пробел"_wv}, group);
  stopBits_ = ChoiceBox({"1", "1,5", "2"}, group);
  flow_ = ChoiceBox({"Нет"_wv, "Аппаратное"_wv, "Xon / Xoff"}, group);
  form->addRow(ToQt("Устройство:"_wv), device_);
  form->addRow(ToQt("Скорость (бит/с):"_wv), rate_);
  form->addRow(ToQt("Биты данных:"_wv), dataBits_);
  form->addRow(ToQt("Чётность:"_wv), parity_);
  form->addRow(ToQt("Стоповые биты:"_wv), stopBits_);
  form->addRow(ToQt("Управление потоком:"_wv), flow_);
  defaults_ = new QPushButton(ToQt("Восстановить умолчания"_wv), group);
  form->addRow(QString(), defaults_);
  connect(defaults_, &QPushButton::clicked, this, [this] { Show(DefaultPortConfig()); });
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(ToQt("Отмена"_wv), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
  // A small dialog of the designer: the close button alone beside its
  // title, and the size its fields need, which nothing can change.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // A block that was never set up shows what a fresh port gets.
  Show(UsableConfig(config) ? config : DefaultPortConfig());
}

void TCommConfigDialog::Show(const TPortConfig& config) {
  const uint32_t rate = ConfigWord(config, comm_config::kBaudRate);
  int index = rate_->findData(rate);
  if (index < 0) {
    rate_->addItem(QString::number(rate), rate);
    index = rate_->count() - 1;
  }
  rate_->setCurrentIndex(index);
  dataBits_->setCurrentIndex(config[comm_config::kByteSize] - 5);
  parity_->setCurrentIndex(config[comm_config::kParity]);
  stopBits_->setCurrentIndex(config[comm_config::kStopBits]);
  flow_->setCurrentIndex(static_cast<int>(FlowControlOf(config)));
}

TPortConfig TCommConfigDialog::Config() const {
  TPortConfig c = config_;
  SetFraming(c, rate_->currentData().toUInt(), static_cast<uint8_t>(dataBits_->currentIndex() + 5),
             static_cast<uint8_t>(parity_->currentIndex()), static_cast<uint8_t>(stopBits_->currentIndex()),
             static_cast<TFlowControl>(flow_->currentIndex()));
  return c;
}

std::string TCommConfigDialog::Device() const { return FromQt(device_->currentText().trimmed()); }

bool ShowCommConfigDialog(QWidget* owner, const std::string& portName, TPortConfig& config) {
  config[comm_config::kSize] = comm_config::kBlockSize;
  config[comm_config::kSize + 1] = config[comm_config::kSize + 2] = config[comm_config::kSize + 3] = 0;
  TCommConfigDialog dialog(portName, config, owner);
  if (dialog.exec() != QDialog::Accepted) return false;
  config = dialog.Config();
  if (dialog.DeviceBox()->isEnabled()) SetPortDevice(portName, dialog.Device());
  return true;
}

}  // namespace vm
