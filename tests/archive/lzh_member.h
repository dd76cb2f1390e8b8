// Just enough of the LHA archive layout to hand Fused streams to the LHA
// tools and to take the packed data of their members.
#pragma once

#include <cstdint>
#include <string>

#include "archive/components/crc.h"

namespace vm::test {

inline void PutLe(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline uint32_t GetLe(const std::string& s, std::size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

// A one-member level-0 archive holding `packed` as the method's data.
inline std::string LzhArchive(const std::string& method, const std::string& name, const std::string& packed,
                              const std::string& plain) {
  std::string h = method;
  PutLe(h, static_cast<uint32_t>(packed.size()), 4);
  PutLe(h, static_cast<uint32_t>(plain.size()), 4);
  PutLe(h, 0x5A210000u, 4);  // 1 January 2025, midnight
  h += '\x20';
  h += '\x00';
  h += static_cast<char>(name.size());
  h += name;
  PutLe(h, UpdateCrc16(0, plain.data(), plain.size()), 2);
  uint8_t sum = 0;
  for (char c : h) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  std::string out;
  out += static_cast<char>(h.size());
  out += static_cast<char>(sum);
  return out + h + packed + std::string(1, '\0');
}

struct LzhMember {
  std::string Method;
  std::string Packed;
  uint32_t Original = 0;
  bool Ok = false;
};

// The first member of an archive of header level 0, 1 or 2.
inline LzhMember FirstLzhMember(const std::string& a) {
  LzhMember m;
  if (a.size() < 24) return m;
  m.Method = a.substr(2, 5);
  uint32_t packed = GetLe(a, 7, 4);
  m.Original = GetLe(a, 11, 4);
  const int level = static_cast<uint8_t>(a[20]);
  std::size_t data = 0;
  if (level == 0) {
    data = static_cast<uint8_t>(a[0]) + 2u;
  } else if (level == 1) {
    data = static_cast<uint8_t>(a[0]) + 2u;
    for (uint32_t ext = GetLe(a, data - 2, 2); ext != 0 && data + ext <= a.size(); ext = GetLe(a, data - 2, 2)) {
      data += ext;
      packed -= ext;
    }
  } else if (level == 2) {
    data = GetLe(a, 0, 2);
  } else {
    return m;
  }
  if (data + packed > a.size()) return m;
  m.Packed = a.substr(data, packed);
  m.Ok = true;
  return m;
}

}  // namespace vm::test
