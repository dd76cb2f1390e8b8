#include "archive/components/codec_host.h"

#include <algorithm>

namespace vm {

int32_t TPlainCodecHost::ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) {
  if (count <= 0) return 0;
  const int32_t got = from.Read(buf, count);
  if (got <= 0) return 0;
  if (decrypt) Cipher.DecryptBuffer(buf, static_cast<std::size_t>(got));
  Crc.Update(crcKind, buf, static_cast<std::size_t>(got));
  return got;
}

int32_t TPlainCodecHost::WriteBlock(TStream32& to, uint8_t* buf, int32_t count, int crcKind, bool encrypt) {
  if (count <= 0) return 0;
  Crc.Update(crcKind, buf, static_cast<std::size_t>(count));
  if (encrypt) Cipher.EncryptBuffer(buf, static_cast<std::size_t>(count));
  return std::max(to.Write(buf, count), 0);
}

}  // namespace vm
