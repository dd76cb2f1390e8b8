#include "language/scanner_port.h"

#include <algorithm>
#include <string>

#include "platform/scanner.h"

namespace vm {

namespace {

constexpr std::size_t kNameOffset = 52;
constexpr std::size_t kNameSize = 16;
constexpr std::size_t kCloseAfterOffset = 68;

std::string PortName(const TSerialRecord& settings) {
  const auto first = settings.begin() + kNameOffset;
  const auto last = std::find(first, first + kNameSize, uint8_t{0});
  return std::string(first, last);
}

TPortConfig PortConfig(const TSerialRecord& settings) {
  TPortConfig config{};
  std::copy_n(settings.begin(), config.size(), config.begin());
  return config;
}

}  // namespace

void OpenScanner(const TSerialRecord& settings) {
  ScannerServices& scanner = Scanner();
  if (!scanner.PortExists()) scanner.CreatePort(PortName(settings), PortConfig(settings));
  scanner.SetReceiveEnabled(true);
}

void CloseScanner() {
  if (Scanner().PortExists()) Scanner().FreePort();
}

void ReleaseScanner(const TSerialRecord& settings) {
  if (settings[kCloseAfterOffset] != 0) {
    CloseScanner();
  } else if (Scanner().PortExists()) {
    Scanner().SetReceiveEnabled(false);
  }
}

}  // namespace vm
