#include "foundation/text/hex_text.h"

#include <algorithm>

namespace vm {

namespace {

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

int AnyCaseNibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string BytesToHexStr(const void* buf, size_t size) {
  const auto* p = static_cast<const uint8_t*>(buf);
  std::string s;
  s.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    s += NibbleToHexChar(p[i] >> 4);
    s += NibbleToHexChar(p[i]);
  }
  return s;
}

// The one decoder: the characters Keep admits, two to a byte; whatever it
// admits that is no digit counts as 0.
template <class Keep>
size_t DecodeHexPairs(std::string_view s, void* buf, size_t size, Keep keep) {
  auto* p = static_cast<uint8_t*>(buf);
  size_t written = 0;
  int high = -1;
  for (char c : s) {
    if (written >= size) break;
    if (!keep(c)) continue;
    const int nibble = std::max(0, AnyCaseNibble(c));
    if (high < 0) {
      high = nibble;
    } else {
      p[written++] = static_cast<uint8_t>((high << 4) | nibble);
      high = -1;
    }
  }
  return written;
}

size_t HexStrToBytes(std::string_view s, void* buf, size_t size) {
  return DecodeHexPairs(s, buf, size, IsUpperHexDigit);
}

size_t HexPairsToBytes(std::string_view s, void* buf, size_t size) {
  return DecodeHexPairs(s, buf, size, [](char) { return true; });
}

char NibbleToHexChar(int nibble) { return "0123456789ABCDEF"[nibble & 0x0F]; }

std::string ByteToHexStr(uint8_t b) { return {NibbleToHexChar(b >> 4), NibbleToHexChar(b)}; }

int HexCharToNibble(char c) { return IsUpperHexDigit(c) ? AnyCaseNibble(c) : 0; }

uint8_t HexStrToByte(std::string_view s) {
  if (s.empty() || s.size() > 2) return 0;
  int v = 0;
  for (char c : s) {
    const int n = AnyCaseNibble(c);
    if (n < 0) return 0;
    v = v * 16 + n;
  }
  return static_cast<uint8_t>(v);
}

}  // namespace vm
