#include "foundation/hextext.h"

namespace vm {

namespace {

int DigitValue(char c, bool lowerToo) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (lowerToo && c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

char NibbleToHexChar(int nibble) { return "0123456789ABCDEF"[nibble & 15]; }

std::string ByteToHexStr(uint8_t b) {
  return {NibbleToHexChar(b >> 4), NibbleToHexChar(b & 15)};
}

std::string BytesToHexStr(const void* buf, std::size_t size) {
  const auto* p = static_cast<const uint8_t*>(buf);
  std::string s;
  s.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) s += ByteToHexStr(p[i]);
  return s;
}

std::size_t HexStrToBytes(std::string_view s, void* buf, std::size_t size) {
  auto* p = static_cast<uint8_t*>(buf);
  std::size_t n = 0;
  int high = -1;
  for (char c : s) {
    const int v = DigitValue(c, false);
    if (v < 0) continue;
    if (high < 0) {
      high = v;
      continue;
    }
    if (n == size) break;
    p[n++] = static_cast<uint8_t>(high * 16 + v);
    high = -1;
  }
  return n;
}

uint8_t HexStrToByte(std::string_view s) {
  if (s.empty() || s.size() > 2) return 0;
  int value = 0;
  for (char c : s) {
    const int v = DigitValue(c, true);
    if (v < 0) return 0;
    value = value * 16 + v;
  }
  return static_cast<uint8_t>(value);
}

}  // namespace vm
