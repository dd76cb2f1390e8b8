#include "archive/components/bh_header.h"

namespace vm {

namespace {

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

BhHeadBytes EncodeBhHeader(const BhHeader& h) {
  BhHeadBytes b{};
  Put32(&b[0], kBhSignature);
  Put16(&b[4], h.TotalHeadSize);
  b[6] = h.HeadSize;
  b[7] = h.VersionMadeBy;
  b[8] = h.VersionNeeded;
  b[9] = h.Flags;
  b[10] = h.Method;
  Put32(&b[11], h.DosDate);
  Put32(&b[15], h.PackedSize);
  Put32(&b[19], h.UnpackedSize);
  Put32(&b[23], h.Crc);
  Put16(&b[27], h.Attributes);
  Put32(&b[29], h.Reserved);
  Put16(&b[33], h.NameLength);
  Put16(&b[35], h.ExtraLength);
  return b;
}

bool DecodeBhHeader(const uint8_t* b, BhHeader& h) {
  if (Get32(b) != kBhSignature) return false;
  h.TotalHeadSize = Get16(b + 4);
  h.HeadSize = b[6];
  h.VersionMadeBy = b[7];
  h.VersionNeeded = b[8];
  h.Flags = b[9];
  h.Method = b[10];
  h.DosDate = Get32(b + 11);
  h.PackedSize = Get32(b + 15);
  h.UnpackedSize = Get32(b + 19);
  h.Crc = Get32(b + 23);
  h.Attributes = Get16(b + 27);
  h.Reserved = Get32(b + 29);
  h.NameLength = Get16(b + 33);
  h.ExtraLength = Get16(b + 35);
  return true;
}

}  // namespace vm
