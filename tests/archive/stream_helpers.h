// Memory streams filled from and read back into byte strings.
#pragma once

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

}  // namespace vm::test
