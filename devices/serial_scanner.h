// The scanner services on a real serial port: the one port of the system,
// its lines handed to whatever the program that installs it listens with.
#pragma once

#include <memory>
#include <string>

#include "devices/com_port.h"
#include "devices/port_devices.h"
#include "platform/scanner.h"

namespace vm {

class TSerialScanner : public ScannerServices {
 public:
  // onLine: where each received line goes, on the receive thread; resolve:
  // how a port name becomes a device (tests name ptys).
  explicit TSerialScanner(TLineCallback onLine, TPortResolver resolve = PortDevice);
  ~TSerialScanner() override;

  bool PortExists() const override { return port_ != nullptr; }
  void CreatePort(const std::string& name, const TPortConfig& config) override;
  void SetReceiveEnabled(bool on) override;
  void FreePort() override;

  // The port while it exists; nullptr otherwise.
  const TComPort* Port() const { return port_.get(); }

 private:
  TLineCallback onLine_;
  TPortResolver resolve_;
  std::unique_ptr<TComPort> port_;
};

// Installs the serial scanner, its lines going to onLine, for the life of
// the object, then puts back what was installed before (its port closed
// first).
class TScannerInstallation {
 public:
  explicit TScannerInstallation(TLineCallback onLine);
  ~TScannerInstallation();
  TScannerInstallation(const TScannerInstallation&) = delete;
  TScannerInstallation& operator=(const TScannerInstallation&) = delete;

 private:
  TSerialScanner scanner_;
  ScannerServices* before_;
};

}  // namespace vm
