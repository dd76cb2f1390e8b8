#include "archive/components/zip_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/components/codec_streams.h"
#include "lzh_member.h"
#include "stream_helpers.h"
#include "support/oracle_tools.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::GetLe;
using test::TempDir;

// The key constants are pinned by the zip -P oracle below.
TEST(ZipCipher, EncryptionRoundTripsAcrossBuffers) {
  std::string data = test::RandomBytes(1000, 51);
  const std::string plain = data;
  TZipCipher enc, dec;
  enc.InitKeys("Пароль");
  dec.InitKeys("Пароль");
  enc.EncryptBuffer(reinterpret_cast<uint8_t*>(data.data()), 600);
  enc.EncryptBuffer(reinterpret_cast<uint8_t*>(data.data()) + 600, 400);  // keys run on
  EXPECT_NE(data, plain);
  dec.DecryptBuffer(reinterpret_cast<uint8_t*>(data.data()), data.size());
  EXPECT_EQ(data, plain);
}

TEST(ZipCipher, HeaderWeMakeChecksWithItsPasswordOnly) {
  TZipCipher c;
  const std::string header = c.MakeEncryptionHeader("key", 0, 0xA1B2C3D4u);
  ASSERT_EQ(header.size(), 12u);
  uint8_t h24[24];
  std::memcpy(h24 + 12, header.data(), 12);
  TZipCipher check;
  EXPECT_TRUE(check.CheckEncryptionHeader(h24, 0, 0xA1B2C3D4u, "key", 0));
  EXPECT_EQ(h24[10], 0xB2);
  // With sizes after the data the check byte is the DOS time's high byte.
  const std::string timed = c.MakeEncryptionHeader("key", 8, 0x7E120000u);
  std::memcpy(h24 + 12, timed.data(), 12);
  EXPECT_TRUE(check.CheckEncryptionHeader(h24, 8, 0, "key", 0x7E12));
  EXPECT_FALSE(check.CheckEncryptionHeader(h24, 8, 0, "", 0x7E12));
}

struct ZipEntry {
  uint16_t Flags = 0, Method = 0, Time = 0;
  uint32_t Crc = 0;
  std::string Data;  // encryption header and the encrypted member data
};

// The first entry, its sizes and CRC from the central directory.
ZipEntry FirstZipEntry(const std::string& zip) {
  ZipEntry e;
  const std::size_t central = zip.find("PK\x01\x02");
  if (central == std::string::npos) return e;
  e.Crc = GetLe(zip, central + 16, 4);
  const uint32_t packed = GetLe(zip, central + 20, 4);
  const uint32_t local = GetLe(zip, central + 42, 4);
  e.Flags = static_cast<uint16_t>(GetLe(zip, local + 6, 2));
  e.Method = static_cast<uint16_t>(GetLe(zip, local + 8, 2));
  e.Time = static_cast<uint16_t>(GetLe(zip, local + 10, 2));
  const std::size_t data = local + 30 + GetLe(zip, local + 26, 2) + GetLe(zip, local + 28, 2);
  e.Data = zip.substr(data, packed);
  return e;
}

// Info-ZIP's zip -P makes members with the traditional encryption.
TEST(ZipCipherOracle, DecryptsStoredAndDeflatedMembersOfZipP) {
  TempDir dir;
  const std::string plain = test::TextBytes(150000, 52);
  test::WriteBytes(dir / "member.txt", plain);
  for (const std::string level : {"-0", "-6"}) {
    SCOPED_TRACE(level);
    const std::string zip = dir / ("a" + level + ".zip");
    ASSERT_TRUE(test::RunTool("cd " + test::Quote(dir.Dir()) + " && zip -q " + level + " -P 'tiger 7' " +
                              test::Quote(zip) + " member.txt"));
    ZipEntry e = FirstZipEntry(test::ReadBytes(zip));
    ASSERT_EQ(e.Flags & 1, 1);
    ASSERT_GE(e.Data.size(), 12u);

    uint8_t h24[24];
    std::memcpy(h24 + 12, e.Data.data(), 12);
    // One check byte lets a wrong password through one time in 256.
    int wrongPassed = 0;
    for (char c = 'a'; c < 'i'; ++c) {
      TZipCipher wrong;
      wrongPassed += wrong.CheckEncryptionHeader(h24, e.Flags, e.Crc, std::string("tiger ") + c, e.Time);
    }
    EXPECT_LE(wrongPassed, 2);
    TZipCipher cipher;
    ASSERT_TRUE(cipher.CheckEncryptionHeader(h24, e.Flags, e.Crc, "tiger 7", e.Time));

    std::string out;
    if (e.Method == 0) {
      out = e.Data.substr(12);
      cipher.DecryptBuffer(reinterpret_cast<uint8_t*>(out.data()), out.size());
    } else {
      ASSERT_EQ(e.Method, 8);
      TMemoryStream32 src;
      test::Load(src, e.Data.substr(12));
      TDecompressStream z(src);
      z.Info.Encrypted = true;
      z.Info.Cipher = &cipher;
      out = test::ReadUpTo(z, plain.size());
    }
    EXPECT_TRUE(out == plain);
    EXPECT_EQ(UpdateCrc32(kCrc32Start, out.data(), out.size()) ^ 0xFFFFFFFFu, e.Crc);
  }
}

}  // namespace
}  // namespace vm
