#include "archive/components/zip_cipher.h"

#include <chrono>
#include <random>

#include "archive/components/crc.h"

namespace vm {

void TZipCipher::UpdateKeys(uint8_t plain) {
  Key0 = Crc32Step(Key0, plain);
  Key1 = (Key1 + (Key0 & 0xFF)) * 134775813u + 1;
  Key2 = Crc32Step(Key2, static_cast<uint8_t>(Key1 >> 24));
}

uint8_t TZipCipher::CryptByte() const {
  const uint32_t t = (Key2 & 0xFFFF) | 2;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

void TZipCipher::InitKeys(const std::string& password) {
  Key0 = kInitKey0;
  Key1 = kInitKey1;
  Key2 = kInitKey2;
  for (char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

void TZipCipher::DecryptBuffer(uint8_t* buf, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    buf[i] ^= CryptByte();
    UpdateKeys(buf[i]);
  }
}

void TZipCipher::EncryptBuffer(uint8_t* buf, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) buf[i] = EncryptByte(buf[i]);
}

uint8_t TZipCipher::EncryptByte(uint8_t plain) {
  const uint8_t t = CryptByte();
  UpdateKeys(plain);
  return t ^ plain;
}

std::string TZipCipher::MakeEncryptionHeader(const std::string& password, uint16_t /*flags*/,
                                             uint32_t crcOrTime) {
  InitKeys(password);
  std::minstd_rand random(static_cast<uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> below(0, 32766);
  std::string header(kEncryptionHeaderSize, '\0');
  for (int i = 0; i < 10; ++i) header[i] = static_cast<char>(EncryptByte(static_cast<uint8_t>(below(random) >> 7)));
  header[10] = static_cast<char>(EncryptByte(static_cast<uint8_t>(crcOrTime >> 16)));
  header[11] = static_cast<char>(EncryptByte(static_cast<uint8_t>(crcOrTime >> 24)));
  return header;
}

bool TZipCipher::CheckEncryptionHeader(uint8_t* header24, uint16_t flags, uint32_t crc,
                                       const std::string& password, uint16_t dosTime) {
  if (password.empty()) return false;
  InitKeys(password);
  for (int i = 0; i < kEncryptionHeaderSize; ++i) {
    header24[i] = header24[i + kEncryptionHeaderSize] ^ CryptByte();
    UpdateKeys(header24[i]);
  }
  const uint8_t expected = (flags & 0x08) ? static_cast<uint8_t>(dosTime >> 8) : static_cast<uint8_t>(crc >> 24);
  return header24[kEncryptionHeaderSize - 1] == expected;
}

}  // namespace vm
