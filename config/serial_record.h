// The scanner-port settings ("ПРОЧЕЕ" of "local.ini"), kept byte for byte as
// other workstations write them: the port configuration block, the port
// name and the close-after flag. Only this type knows where each lies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/scanner.h"

namespace vm {

class TSerialRecord {
 public:
  static constexpr std::size_t kSize = 72;
  // The name's last byte is always its end.
  static constexpr std::size_t kMaxPortName = 15;

  TPortConfig PortConfig() const;
  void SetPortConfig(const TPortConfig& config);
  // "COM1".."COM8" or a device path; up to its first zero byte.
  std::string PortName() const;
  // Cut to kMaxPortName characters; the name's other bytes are cleared.
  void SetPortName(std::string_view name);
  // Set: the port is closed after use, else only silenced.
  bool CloseAfter() const;
  void SetCloseAfter(bool on);

  // The settings' hexadecimal text, read over the bytes (as far as it goes)
  // and written whole.
  void ReadHex(std::string_view text);
  std::string Hex() const;

  const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }
  bool operator==(const TSerialRecord&) const = default;

 private:
  static constexpr std::size_t kNameAt = sizeof(TPortConfig);
  static constexpr std::size_t kNameSize = kMaxPortName + 1;
  static constexpr std::size_t kCloseAfterAt = kNameAt + kNameSize;
  static_assert(kCloseAfterAt < kSize);

  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace vm
