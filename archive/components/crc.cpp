#include "archive/components/crc.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace vm {

uint32_t UpdateCrc32(uint32_t reg, const void* data, std::size_t n) {
  // zlib's crc32 works on final values: the register is its complement.
  const auto* p = static_cast<const Bytef*>(data);
  uLong value = reg ^ 0xFFFFFFFFu;
  while (n > 0) {
    const uInt piece = static_cast<uInt>(std::min<std::size_t>(n, UINT_MAX));
    value = crc32(value, p, piece);
    p += piece;
    n -= piece;
  }
  return static_cast<uint32_t>(value) ^ 0xFFFFFFFFu;
}

uint32_t UpdateCrc16(uint32_t reg, const void* data, std::size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = reg & 0xFFFF;
  for (std::size_t i = 0; i < n; ++i) c = kCrc16Table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c;
}

uint32_t UpdateCrc(int kind, uint32_t reg, const void* data, std::size_t n) {
  if (kind == kCrc32) return UpdateCrc32(reg, data, n);
  if (kind == kCrc16) return UpdateCrc16(reg, data, n);
  return reg;
}

void TCrcRegisters::Update(int kind, const void* data, std::size_t n) {
  if (kind == kCrc32) Crc32Value = UpdateCrc32(Crc32Value, data, n);
  else if (kind == kCrc16) Crc16Value = UpdateCrc16(Crc16Value, data, n);
}

uint32_t TCrcRegisters::Value(int kind) const {
  if (kind == kCrc32) return Crc32Value;
  if (kind == kCrc16) return Crc16Value;
  return 0;
}

void TCrcRegisters::SetValue(int kind, uint32_t reg) {
  if (kind == kCrc32) Crc32Value = reg;
  else if (kind == kCrc16) Crc16Value = reg;
}

}  // namespace vm
