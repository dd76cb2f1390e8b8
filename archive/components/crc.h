// The running checksums of archive members: the standard reflected CRC-32
// (polynomial 0xEDB88320) and CRC-16/ARC (polynomial 0xA001).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vm {

inline constexpr int kCrcNone = 0;
inline constexpr int kCrc16 = 16;
inline constexpr int kCrc32 = 32;
inline constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;

namespace crc_detail {
constexpr std::array<uint32_t, 256> MakeTable(uint32_t poly) {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ poly : c >> 1;
    t[i] = c;
  }
  return t;
}
}  // namespace crc_detail

inline constexpr std::array<uint32_t, 256> kCrc32Table = crc_detail::MakeTable(0xEDB88320u);
inline constexpr std::array<uint32_t, 256> kCrc16Table = crc_detail::MakeTable(0xA001u);

// One byte into a register (the cipher's key schedule steps this way).
constexpr uint32_t Crc32Step(uint32_t reg, uint8_t byte) {
  return kCrc32Table[(reg ^ byte) & 0xFF] ^ (reg >> 8);
}

// A register (not the final value: that is the register XOR 0xFFFFFFFF)
// carried over n bytes.
uint32_t UpdateCrc32(uint32_t reg, const void* data, std::size_t n);
uint32_t UpdateCrc16(uint32_t reg, const void* data, std::size_t n);
// Either of the two by kind; other kinds leave the register alone.
uint32_t UpdateCrc(int kind, uint32_t reg, const void* data, std::size_t n);
// The register a kind starts from: 0xFFFFFFFF for CRC-32, 0 for CRC-16.
constexpr uint32_t CrcStart(int kind) { return kind == kCrc32 ? kCrc32Start : 0; }

// The running CRCs of the member being processed. One set per archive
// component, so that two components can work in one process.
struct TCrcRegisters {
  uint32_t Crc32Value = kCrc32Start;
  uint32_t Crc16Value = 0;

  void Reset() {
    Crc32Value = kCrc32Start;
    Crc16Value = 0;
  }
  void Update(int kind, const void* data, std::size_t n);
  // The register of a kind (0 for kinds without one).
  uint32_t Value(int kind) const;
  void SetValue(int kind, uint32_t reg);
  // The member's CRC-32 as stored in archives.
  uint32_t FinalCrc32() const { return Crc32Value ^ 0xFFFFFFFFu; }
};

}  // namespace vm
