#include <gtest/gtest.h>

#include <string>

#include "archive/components/fused_coder.h"
#include "archive/components/fused_decoder.h"
#include "lzh_member.h"
#include "stream_helpers.h"
#include "support/oracle_tools.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::TempDir;

std::string Encode(const std::string& plain, uint32_t* crc = nullptr) {
  TMemoryStream32 src;
  test::Load(src, plain);
  TMemoryStream32 dst;
  TPlainCodecHost host;
  int64_t packed = -1;
  EXPECT_EQ(TFusedCoder().Encode(host, src, dst, packed), TFusedResult::Ok);
  EXPECT_EQ(packed, dst.Size());
  EXPECT_EQ(host.BytesDone, static_cast<int64_t>(plain.size()));
  if (crc) *crc = host.Crc.FinalCrc32();
  return test::Bytes(dst);
}

struct Decoded {
  TFusedResult Result;
  std::string Out;
  uint32_t Crc;
};

// A password makes the data encrypted (mode 1).
Decoded Decode(const std::string& packed, int64_t size, TFusedParams p = kFusedMethod3Params,
               const std::string& password = "") {
  TMemoryStream32 src;
  test::Load(src, packed);
  TMemoryStream32 dst;
  TPlainCodecHost host;
  const int mode = password.empty() ? 0 : 1;
  if (mode) host.Cipher.InitKeys(password);
  TFusedDecoder decoder;
  decoder.Init(kCrc32, p.DictionaryBits, p.PositionBits, mode);
  const TFusedResult r = decoder.Decode(host, src, dst, static_cast<int64_t>(packed.size()), size);
  return {r, test::Bytes(dst), host.Crc.FinalCrc32()};
}

std::string Repetitive(std::size_t n) {
  std::string s;
  while (s.size() < n) s += "abcabcabd" + std::string(300, 'x') + "0123456789";
  s.resize(n);
  return s;
}

// The inputs both directions are checked with.
std::vector<std::pair<std::string, std::string>> Samples() {
  return {{"text", test::TextBytes(120000, 11)},
          {"binary", test::RandomBytes(3000, 12) + std::string(5000, '\0') + test::TextBytes(9000, 13)},
          {"empty", ""},
          {"one", "Z"},
          {"repeat", Repetitive(200000)},
          {"random", test::RandomBytes(70000, 14)},
          {"large", test::TextBytes(3'000'000, 15) + test::RandomBytes(200000, 16)}};
}

TEST(FusedCoder, RoundTripsThroughTheDecoderWithMethod3Parameters) {
  for (const auto& [name, plain] : Samples()) {
    SCOPED_TRACE(name);
    uint32_t crc = 0;
    const std::string packed = Encode(plain, &crc);
    const Decoded d = Decode(packed, static_cast<int64_t>(plain.size()));
    EXPECT_EQ(d.Result, TFusedResult::Ok);
    EXPECT_TRUE(d.Out == plain);
    EXPECT_EQ(d.Crc, crc);
    EXPECT_TRUE(name != "empty" || packed.empty());
    EXPECT_TRUE((name != "text" && name != "repeat") || packed.size() < plain.size() / 2);
  }
}

// lhasa's extractor decodes what the coder makes, wrapped as an lh6 member.
TEST(FusedCoderOracle, LhasaExtractsOurStreamsAsLh6Members) {
  TempDir dir;
  for (const auto& [name, plain] : Samples()) {
    SCOPED_TRACE(name);
    const std::string lzh = dir / (name + ".lzh");
    test::WriteBytes(lzh, test::LzhArchive("-lh6-", name + ".out", Encode(plain), plain));
    ASSERT_TRUE(test::RunTool("cd " + test::Quote(dir.Dir()) + " && lhasa xqf " + test::Quote(lzh)));
    EXPECT_TRUE(test::ReadBytes(dir / (name + ".out")) == plain);
  }
}

// The Java LHA tool makes lh5 and lh6 members; the decoder reads both.
TEST(FusedDecoderOracle, DecodesLh5AndLh6MembersOfTheJavaTool) {
  TempDir dir;
  // A repeat 30000 bytes back needs more than the 26624-byte window.
  const std::string far = test::RandomBytes(6000, 21);
  const std::string plain =
      test::TextBytes(200000, 22) + far + test::RandomBytes(24000, 23) + far + test::TextBytes(40000, 24);
  test::WriteBytes(dir / "input.txt", plain);
  for (const auto& [option, params] :
       {std::pair{std::string("o5"), kFusedMethod1Params}, std::pair{std::string("o6"), kFusedMethod3Params}}) {
    SCOPED_TRACE(option);
    const std::string lzh = dir / (option + ".lzh");
    ASSERT_TRUE(test::RunTool("cd " + test::Quote(dir.Dir()) + " && jlha a" + option + "q " + test::Quote(lzh) +
                              " input.txt"));
    const test::LzhMember m = test::FirstLzhMember(test::ReadBytes(lzh));
    ASSERT_TRUE(m.Ok);
    EXPECT_EQ(m.Method, "-lh" + option.substr(1) + "-");
    ASSERT_EQ(m.Original, plain.size());
    const Decoded d = Decode(m.Packed, m.Original, params);
    EXPECT_EQ(d.Result, TFusedResult::Ok);
    EXPECT_TRUE(d.Out == plain);
  }
}

TEST(FusedDecoder, EncryptedMemberIsDecryptedAsItIsRead) {
  const std::string plain = test::TextBytes(50000, 31);
  std::string packed = Encode(plain);
  TZipCipher enc;
  enc.InitKeys("pw");
  enc.EncryptBuffer(reinterpret_cast<uint8_t*>(packed.data()), packed.size());
  const Decoded d = Decode(packed, 50000, kFusedMethod3Params, "pw");
  EXPECT_EQ(d.Result, TFusedResult::Ok);
  EXPECT_TRUE(d.Out == plain);
}

TEST(FusedDecoder, ZeroSizeWritesNothing_AndAFailedWriteIsReported) {
  class FailingHost : public TPlainCodecHost {
   public:
    int32_t WriteBlock(TStream32&, uint8_t*, int32_t, int, bool) override {
      ++writes;
      return 0;
    }
    int writes = 0;
  };
  const std::string packed = Encode(test::TextBytes(100000, 32));
  TMemoryStream32 src;
  test::Load(src, packed);
  TMemoryStream32 dst;
  FailingHost host;
  TFusedDecoder decoder;
  decoder.Init(kCrc32, 15, 5, 0);
  EXPECT_EQ(decoder.Decode(host, src, dst, static_cast<int64_t>(packed.size()), 0), TFusedResult::Ok);
  EXPECT_EQ(host.writes, 0);
  src.Seek(0, soBeginning);
  EXPECT_EQ(decoder.Decode(host, src, dst, static_cast<int64_t>(packed.size()), 100000), TFusedResult::WriteFailed);
  EXPECT_EQ(host.LastError, kErrWriting);
}

TEST(FusedDecoder, TruncatedOrDistanceBeforeTheStartIsDamage) {
  const std::string plain = test::TextBytes(100000, 33);
  const std::string packed = Encode(plain);
  const Decoded cut = Decode(packed.substr(0, packed.size() / 2), 100000);
  EXPECT_EQ(cut.Result, TFusedResult::Damaged);
  EXPECT_LT(cut.Out.size(), plain.size());

  // One block, no literal yet: a single match code whose distance is 0.
  // 16-bit count 1; code-length code: single symbol 0; characters: single
  // code 300 (a match); positions: single code 0.
  const std::string before("\x00\x01\x00\x00\x12\xC0\x00", 7);
  EXPECT_EQ(Decode(before, 10).Result, TFusedResult::Damaged);
}

TEST(FusedCoder, HuffmanLengthsStayWithin16BitsForSkewedFrequencies) {
  std::array<uint32_t, 40> freq{};
  uint32_t f = 1;
  for (auto& x : freq) {
    x = f;
    f = f < 0x20000000 ? f * 2 : f;  // a Fibonacci-like skew gives deep trees
  }
  std::array<uint8_t, 40> len{};
  int only = 0;
  EXPECT_EQ(MakeCodeLengths(freq.data(), 40, len.data(), only), 40);
  uint64_t kraft = 0;
  for (uint8_t l : len) {
    EXPECT_GE(l, 1);
    EXPECT_LE(l, 16);
    kraft += uint64_t{1} << (16 - l);
  }
  EXPECT_EQ(kraft, uint64_t{1} << 16);
}

}  // namespace
}  // namespace vm
