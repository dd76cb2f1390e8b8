#include "devices/serial_scanner.h"

#include <utility>

namespace vm {

TSerialScanner::TSerialScanner(TLineCallback onLine, TPortResolver resolve)
    : onLine_(std::move(onLine)), resolve_(std::move(resolve)) {}

TSerialScanner::~TSerialScanner() { FreePort(); }

void TSerialScanner::CreatePort(const std::string& name, const TPortConfig& config) {
  port_ = std::make_unique<TComPort>(onLine_, resolve_);
  port_->Open(name);
  // A block the line cannot take (settings that never named a port) leaves
  // the defaults in force.
  port_->SetConfig(config);
}

void TSerialScanner::SetReceiveEnabled(bool on) {
  if (port_) port_->SetReceiveEnabled(on);
}

void TSerialScanner::FreePort() { port_.reset(); }

TScannerInstallation::TScannerInstallation(TLineCallback onLine) : scanner_(std::move(onLine)), before_(&Scanner()) {
  InstallScannerServices(&scanner_);
}

TScannerInstallation::~TScannerInstallation() {
  scanner_.FreePort();
  InstallScannerServices(before_ == &scanner_ ? nullptr : before_);
}

}  // namespace vm
