#include "foundation/hextext.h"

#include <gtest/gtest.h>

namespace vm {
namespace {

TEST(HexTextTest, BytesRoundTripAndForeignCharactersAreDropped) {
  const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
  EXPECT_EQ(BytesToHexStr(bytes, 3), "00AB7F");
  uint8_t back[4] = {9, 9, 9, 9};
  EXPECT_EQ(HexStrToBytes("00 AB-7F", back, 4), 3u);
  EXPECT_EQ(back[1], 0xAB);
  EXPECT_EQ(back[3], 9);
  // Lower-case letters are not digits here, so fewer bytes come back.
  EXPECT_EQ(HexStrToBytes("00ab7F", back, 4), 2u);
  EXPECT_EQ(back[1], 0x7F);
  uint8_t four[4];
  EXPECT_EQ(HexStrToBytes("0102030405", four, 4), 4u);
  EXPECT_EQ(HexStrToBytes("123", four, 4), 1u);  // odd last digit ignored

  EXPECT_EQ(HexStrToByte("F"), 0x0F);
  EXPECT_EQ(HexStrToByte("a0"), 0xA0);
  EXPECT_EQ(HexStrToByte("G1"), 0);
  EXPECT_EQ(HexStrToByte(""), 0);
}

}  // namespace
}  // namespace vm
