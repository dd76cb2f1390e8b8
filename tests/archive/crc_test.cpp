#include "archive/components/crc.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace vm {
namespace {

TEST(Crc, KnownValuesOfAbc) {
  TCrcRegisters r;
  r.Update(kCrc32, "abc", 3);
  r.Update(kCrc16, "abc", 3);
  EXPECT_EQ(r.FinalCrc32(), 0x352441C2u);
  EXPECT_EQ(r.Crc16Value, 0x9738u);
  EXPECT_EQ(r.Value(0), 0u);
}

TEST(Crc, BulkUpdateMatchesTheBytewiseStepInPieces) {
  std::string data(100003, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 9));
  uint32_t step = kCrc32Start;
  for (char c : data) step = Crc32Step(step, static_cast<uint8_t>(c));
  uint32_t pieces = kCrc32Start;
  for (std::size_t at = 0; at < data.size(); at += 777)
    pieces = UpdateCrc32(pieces, data.data() + at, std::min<std::size_t>(777, data.size() - at));
  EXPECT_EQ(step, pieces);
  EXPECT_EQ(pieces ^ 0xFFFFFFFFu,
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace
}  // namespace vm
