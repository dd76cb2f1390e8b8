// The member header of ".BH" archives: 37 fixed bytes, the member name in the
// OEM code page, an extra field, then the packed data. There is no archive
// header or directory; members follow one another. Integers are
// little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vm {

inline constexpr std::size_t kBhHeadSize = 37;
inline constexpr uint32_t kBhSignature = 0x07054842;  // "BH" 05 07

// Method bytes.
inline constexpr uint8_t kBhStored = 0;
inline constexpr uint8_t kBhFused1 = 1;
inline constexpr uint8_t kBhDeflate = 2;  // read as 8
inline constexpr uint8_t kBhFused3 = 3;
inline constexpr uint8_t kBhDeflated = 8;

inline constexpr uint8_t kBhFlagEncrypted = 0x01;
inline constexpr uint8_t kBhEncryptionHeaderSize = 12;

struct BhHeader {
  uint16_t TotalHeadSize = 0;  // HeadSize + name length + extra length
  uint8_t HeadSize = kBhHeadSize;
  uint8_t VersionMadeBy = 6;
  uint8_t VersionNeeded = 3;
  uint8_t Flags = 0;
  uint8_t Method = 0;
  uint32_t DosDate = 0;
  uint32_t PackedSize = 0;
  uint32_t UnpackedSize = 0;
  uint32_t Crc = 0;
  uint16_t Attributes = 0;
  uint32_t Reserved = 0;  // written 0, never read
  uint16_t NameLength = 0;
  uint16_t ExtraLength = 0;

  bool Encrypted() const { return (Flags & kBhFlagEncrypted) != 0; }
  // Where the next member starts, counted from this one's start.
  uint64_t MemberSize() const {
    return kBhHeadSize + static_cast<uint64_t>(NameLength) + ExtraLength + PackedSize;
  }
};

using BhHeadBytes = std::array<uint8_t, kBhHeadSize>;

BhHeadBytes EncodeBhHeader(const BhHeader& h);
// False when the bytes do not start with the signature.
bool DecodeBhHeader(const uint8_t* bytes, BhHeader& h);

}  // namespace vm
