// The port-settings dialog of the scanner's serial port: the device the
// port name stands for on this workstation, the line's rate, character
// size, parity, stop bits and flow control.
#pragma once

#include <QDialog>
#include <string>

#include "platform/scanner.h"

class QComboBox;
class QPushButton;

namespace vm {

class TCommConfigDialog : public QDialog {
  Q_OBJECT

 public:
  TCommConfigDialog(const std::string& portName, const TPortConfig& config, QWidget* parent = nullptr);

  // The block as the fields set it; the bytes they do not show stay.
  TPortConfig Config() const;
  std::string Device() const;

  QComboBox* DeviceBox() const { return device_; }
  QComboBox* RateBox() const { return rate_; }
  QComboBox* DataBitsBox() const { return dataBits_; }
  QComboBox* ParityBox() const { return parity_; }
  QComboBox* StopBitsBox() const { return stopBits_; }
  QComboBox* FlowBox() const { return flow_; }
  QPushButton* DefaultsButton() const { return defaults_; }

 private:
  void Show(const TPortConfig& config);

  TPortConfig config_;
  QComboBox* device_;
  QComboBox* rate_;
  QComboBox* dataBits_;
  QComboBox* parity_;
  QComboBox* stopBits_;
  QComboBox* flow_;
  QPushButton* defaults_;
};

// Shows the dialog for the port over a copy of config (its size field set
// first); on OK the whole block is copied back and the chosen device kept
// for the port name. True on OK.
bool ShowCommConfigDialog(QWidget* owner, const std::string& portName, TPortConfig& config);

}  // namespace vm
