#include "devices/scanner_port.h"

#include "platform/scanner.h"

namespace vm {

void OpenScanner(const TSerialRecord& settings) {
  ScannerServices& scanner = Scanner();
  if (!scanner.PortExists()) scanner.CreatePort(settings.PortName(), settings.PortConfig());
  scanner.SetReceiveEnabled(true);
}

void CloseScanner() {
  if (Scanner().PortExists()) Scanner().FreePort();
}

void ReleaseScanner(const TSerialRecord& settings) {
  if (settings.CloseAfter()) {
    CloseScanner();
  } else if (Scanner().PortExists()) {
    Scanner().SetReceiveEnabled(false);
  }
}

}  // namespace vm
