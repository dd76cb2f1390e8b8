// What the core asks of the serial port a barcode scanner sends its codes
// to. The system holds at most one such port; an installed implementation
// owns it and hands every received line to the handler it was installed
// with. Without one no port can be made and the document simply receives
// no lines.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vm {

// The port configuration block of the scanner settings.
using TPortConfig = std::array<uint8_t, 52>;

class ScannerServices {
 public:
  virtual ~ScannerServices() = default;

  virtual bool PortExists() const { return false; }
  // Makes the port, opens it by name and applies the configuration. A port
  // that cannot be opened stays made but closed, without a word to the user.
  virtual void CreatePort(const std::string& /*name*/, const TPortConfig& /*config*/) {}
  // Whether received lines reach the document; lines that arrive while
  // switched off are thrown away.
  virtual void SetReceiveEnabled(bool /*on*/) {}
  // Closes the port and stops its receiving.
  virtual void FreePort() {}
};

// The installed implementation (a headless one until something is installed).
ScannerServices& Scanner();
// nullptr goes back to the headless one. The caller keeps ownership.
void InstallScannerServices(ScannerServices* services);

}  // namespace vm
