#include "foundation/text/hex_text.h"

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

size_t HexStrToBytes(std::string_view s, void* buf, size_t size) {
  auto* p = static_cast<uint8_t*>(buf);
  size_t written = 0;
  int high = -1;
  for (char c : s) {
    if (written >= size) break;
    if (!IsUpperHexDigit(c)) continue;
    if (high < 0) {
      high = HexCharToNibble(c);
    } else {
      p[written++] = static_cast<uint8_t>((high << 4) | HexCharToNibble(c));
      high = -1;
    }
  }
  return written;
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
