// The scanner services on a real serial port: the one port of the system,
// its lines handed to the open document window.
#pragma once

#include <memory>
#include <string>

#include "output/devices/com_port.h"
#include "platform/scanner.h"

namespace vm {

class TSerialScanner : public ScannerServices {
 public:
  TSerialScanner();
  // resolve: how a port name becomes a device (tests name ptys).
  explicit TSerialScanner(TPortResolver resolve);
  ~TSerialScanner() override;

  bool PortExists() const override { return port_ != nullptr; }
  void CreatePort(const std::string& name, const TPortConfig& config) override;
  void SetReceiveEnabled(bool on) override;
  void FreePort() override;

  // The port while it exists; nullptr otherwise.
  const TComPort* Port() const { return port_.get(); }

 private:
  TPortResolver resolve_;
  std::unique_ptr<TComPort> port_;
};

// Installs the serial scanner for the life of the object, then puts back
// what was installed before (its port closed first).
class TScannerInstallation {
 public:
  TScannerInstallation();
  ~TScannerInstallation();
  TScannerInstallation(const TScannerInstallation&) = delete;
  TScannerInstallation& operator=(const TScannerInstallation&) = delete;

 private:
  TSerialScanner scanner_;
  ScannerServices* before_;
};

}  // namespace vm
