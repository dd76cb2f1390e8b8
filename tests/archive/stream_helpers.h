// Memory streams filled from and read back into byte strings.
#pragma once

#include <algorithm>
#include <string>

#include "archive/components/arc_streams.h"

namespace vm::test {

inline std::string Bytes(TMemoryStream32& m) {
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
}

// The stream holds exactly `bytes`, positioned at its start.
inline void Load(TMemoryStream32& m, const std::string& bytes) {
  m.Clear();
  if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.Seek(0, soBeginning);
}

// Up to `size` bytes read in pieces; stops early at the first read that gives nothing.
inline std::string ReadUpTo(TStream32& s, std::size_t size, int32_t piece = 32768) {
  std::string out;
  std::string buf(static_cast<std::size_t>(piece), '\0');
  while (out.size() < size) {
    const int32_t got = s.Read(buf.data(), static_cast<int32_t>(std::min<std::size_t>(piece, size - out.size())));
    if (got <= 0) break;
    out.append(buf.data(), static_cast<std::size_t>(got));
  }
  return out;
}

}  // namespace vm::test
