#include "config/scramble.h"

#include "foundation/text/hex_text.h"
#include "platform/random.h"

namespace vm {

namespace {

constexpr uint32_t kHexSeed = 0x0B7E2D41u;
constexpr uint32_t kTextSeed = 0x5A3C91E7u;

uint32_t ReadSeed(const TScrambledRecord& r) {
  return static_cast<uint32_t>(r[0]) | (static_cast<uint32_t>(r[1]) << 8) |
         (static_cast<uint32_t>(r[2]) << 16) | (static_cast<uint32_t>(r[3]) << 24);
}

void WriteSeed(TScrambledRecord& r, uint32_t seed) {
  for (int i = 0; i < 4; ++i) r[i] = static_cast<uint8_t>(seed >> (8 * i));
}

uint16_t ByteSum(const TScrambledRecord& r) {
  uint32_t sum = 0;
  for (int i = 0; i < 14; ++i) sum += r[i];
  return static_cast<uint16_t>(sum);
}

void WriteSum(TScrambledRecord& r) {
  const uint16_t sum = ByteSum(r);
  r[14] = static_cast<uint8_t>(sum);
  r[15] = static_cast<uint8_t>(sum >> 8);
}

bool SumMatches(const TScrambledRecord& r) {
  return ByteSum(r) == static_cast<uint16_t>(r[14] | (r[15] << 8));
}

// Exclusive-or is its own inverse, so one routine scrambles and unscrambles.
void ApplyKeyStream(TScrambledRecord& r, uint32_t key, uint32_t shifts) {
  for (int i = 4; i < 16; ++i) {
    const uint32_t shift = Random(shifts);
    const uint32_t x = (key << shift) + Random(256);
    r[i] ^= static_cast<uint8_t>(x);
  }
}

void ApplyHexStream(TScrambledRecord& r) {
  SeedScope scope(kHexSeed);
  for (auto& b : r) b ^= static_cast<uint8_t>(Random(256));
}

}  // namespace

void PackPassword(std::string_view s, TScrambledRecord& record, int32_t key) {
  record.fill(0);
  const std::size_t n = s.size() < 10 ? s.size() : 10;
  for (std::size_t i = 0; i < n; ++i) record[4 + i] = static_cast<uint8_t>(s[i]);
  WriteSeed(record, GetRandSeed());
  WriteSum(record);
  ApplyKeyStream(record, static_cast<uint32_t>(key), 4);
}

void UnpackPassword(const TScrambledRecord& record, int32_t key, std::string& s) {
  TScrambledRecord plain = record;
  {
    SeedScope scope(ReadSeed(record));
    ApplyKeyStream(plain, static_cast<uint32_t>(key), 4);
  }
  s.clear();
  if (SumMatches(plain)) {
    for (int i = 4; i < 14 && plain[i] != 0; ++i) s += static_cast<char>(plain[i]);
    return;
  }
  for (int i = 0; i < 10; ++i) s += static_cast<char>(Random(200) + 48);
}

int32_t TextChecksum(std::string_view s) {
  uint32_t sum = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == 9 || c == 10 || c == 13 || c == 32) continue;
    sum = (sum + ((c ^ static_cast<uint32_t>(i + 1)) & 0xFFu)) & 0xFFFFu;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(s.size()) * 65536u + sum);
}

void PackDocAccess(uint8_t passwordNumber, int32_t id, std::string_view description,
                   TScrambledRecord& record) {
  const auto t = static_cast<uint32_t>(TextChecksum(description));
  record.fill(0);
  for (int i = 0; i < 14; ++i) record[i] = static_cast<uint8_t>(Random(256));
  record[8] = passwordNumber;
  WriteSeed(record, GetRandSeed() ^ t);
  WriteSum(record);
  ApplyKeyStream(record, static_cast<uint32_t>(id), 3);
}

uint32_t UnpackDocAccess(const TScrambledRecord& record, int32_t id,
                         std::string_view description) {
  const auto t = static_cast<uint32_t>(TextChecksum(description));
  TScrambledRecord plain = record;
  {
    SeedScope scope(ReadSeed(record) ^ t);
    ApplyKeyStream(plain, static_cast<uint32_t>(id), 3);
  }
  return SumMatches(plain) ? plain[8] : kDocAccessRefused;
}

void RecordToScrambledHex(const TScrambledRecord& record, std::string& s) {
  TScrambledRecord r = record;
  ApplyHexStream(r);
  s = BytesToHexStr(r.data(), r.size());
}

void ScrambledHexToRecord(std::string_view s, TScrambledRecord& record) {
  for (std::size_t i = 0; i < 16; ++i) {
    char pair[2];
    for (std::size_t k = 0; k < 2; ++k) {
      const std::size_t pos = 2 * i + k;
      pair[k] = pos < s.size() ? s[pos] : static_cast<char>(Random(6) + 65);
    }
    record[i] = HexStrToByte(std::string_view(pair, 2));
  }
  ApplyHexStream(record);
}

void UnscrambleStr(std::string_view s, std::string& result) {
  SeedScope scope(kTextSeed);
  result.clear();
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const uint32_t r = Random(256);
    const bool single = i + 1 >= s.size();
    const auto c1 = static_cast<char>(static_cast<unsigned char>(s[i]) + 40 - Random(200));
    const char c2raw = single ? '\0' : s[i + 1];
    const auto c2 = static_cast<char>(static_cast<unsigned char>(c2raw) + 40 - Random(200));
    const char pair[2] = {c1, c2};
    const uint8_t b = HexStrToByte(std::string_view(pair, single ? 1 : 2));
    result += static_cast<char>(b ^ r);
  }
}

}  // namespace vm
