#include "config/serial_record.h"

#include <algorithm>

#include "foundation/text/hex_text.h"

namespace vm {

TPortConfig TSerialRecord::PortConfig() const {
  TPortConfig config{};
  std::copy_n(bytes_.begin(), config.size(), config.begin());
  return config;
}

void TSerialRecord::SetPortConfig(const TPortConfig& config) { std::copy(config.begin(), config.end(), bytes_.begin()); }

std::string TSerialRecord::PortName() const {
  const auto first = bytes_.begin() + kNameAt;
  return std::string(first, std::find(first, first + kNameSize, uint8_t{0}));
}

void TSerialRecord::SetPortName(std::string_view name) {
  name = name.substr(0, kMaxPortName);
  std::fill_n(bytes_.begin() + kNameAt, kNameSize, uint8_t{0});
  std::copy(name.begin(), name.end(), bytes_.begin() + kNameAt);
}

bool TSerialRecord::CloseAfter() const { return bytes_[kCloseAfterAt] != 0; }

void TSerialRecord::SetCloseAfter(bool on) { bytes_[kCloseAfterAt] = on ? 1 : 0; }

void TSerialRecord::ReadHex(std::string_view text) {
  HexStrToBytes(text, bytes_.data(), bytes_.size());
  bytes_[kNameAt + kMaxPortName] = 0;
}

std::string TSerialRecord::Hex() const { return BytesToHexStr(bytes_.data(), bytes_.size()); }

}  // namespace vm
