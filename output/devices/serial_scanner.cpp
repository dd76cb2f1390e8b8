#include "output/devices/serial_scanner.h"

#include <utility>

#include "documents/document_window.h"
#include "output/devices/port_devices.h"

namespace vm {

TSerialScanner::TSerialScanner() : TSerialScanner(PortDevice) {}

TSerialScanner::TSerialScanner(TPortResolver resolve) : resolve_(std::move(resolve)) {}

TSerialScanner::~TSerialScanner() { FreePort(); }

void TSerialScanner::CreatePort(const std::string& name, const TPortConfig& config) {
  port_ = std::make_unique<TComPort>(OnScannerData, resolve_);
  port_->Open(name);
  // A block the line cannot take (settings that never named a port) leaves
  // the defaults in force.
  port_->SetConfig(config);
}

void TSerialScanner::SetReceiveEnabled(bool on) {
  if (port_) port_->SetReceiveEnabled(on);
}

void TSerialScanner::FreePort() { port_.reset(); }

TScannerInstallation::TScannerInstallation() : before_(&Scanner()) { InstallScannerServices(&scanner_); }

TScannerInstallation::~TScannerInstallation() {
  scanner_.FreePort();
  InstallScannerServices(before_ == &scanner_ ? nullptr : before_);
}

}  // namespace vm
