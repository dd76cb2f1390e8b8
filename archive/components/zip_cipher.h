// The traditional ZIP stream cipher: three 32-bit keys stepped with the
// CRC-32 table, and a 12-byte encryption header in front of each member.
// One cipher object belongs to one archive component; its keys run across
// the buffers of one member in order.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

inline constexpr int kEncryptionHeaderSize = 12;

class TZipCipher {
 public:
  uint32_t Key0 = kInitKey0;
  uint32_t Key1 = kInitKey1;
  uint32_t Key2 = kInitKey2;

  static constexpr uint32_t kInitKey0 = 0x12345678u;
  static constexpr uint32_t kInitKey1 = 0x23456789u;
  static constexpr uint32_t kInitKey2 = 0x34567890u;

  void UpdateKeys(uint8_t plain);
  uint8_t CryptByte() const;
  void InitKeys(const std::string& password);
  void DecryptBuffer(uint8_t* buf, std::size_t count);
  void EncryptBuffer(uint8_t* buf, std::size_t count);
  uint8_t EncryptByte(uint8_t plain);

  // Ten random bytes and the two check bytes (bits 16..31 of crcOrTime),
  // encrypted with keys made from the password; the keys then stand ready
  // for the member's data.
  std::string MakeEncryptionHeader(const std::string& password, uint16_t flags, uint32_t crcOrTime);
  // header24[12..23] holds the encrypted header; it is decrypted into
  // header24[0..11]. The last byte must be the top byte of crc, or with bit 3
  // of flags (sizes after the data) the high byte of the DOS time. False for
  // an empty password.
  bool CheckEncryptionHeader(uint8_t* header24, uint16_t flags, uint32_t crc,
                             const std::string& password, uint16_t dosTime);
};

}  // namespace vm
