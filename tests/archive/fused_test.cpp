#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "archive/components/fused_coder.h"
#include "archive/components/fused_decoder.h"
#include "lzh_member.h"
#include "platform/encoding.h"
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

// Table records as the archiving packs them: fixed-width fields, blank
// padded names from a small vocabulary, rising numbers and dates.
std::string TableRecords(int count, uint32_t seed) {
  static const char* const kNames[] = {"Велосипед горный", "Шина 26\"", "Камера", "Цепь", "Педали",
                                       "Звонок", "Фара передняя", "Седло спортивное"};
  std::mt19937 gen(seed);
  std::string s;
  char field[64];
  for (int i = 1; i <= count; ++i) {
    s += gen() % 50 == 0 ? '*' : ' ';
    std::snprintf(field, sizeof field, "%8d", i);
    s += field;
    // One draw a statement: the order of arguments is the compiler's.
    const unsigned month = 1 + gen() % 12;
    const unsigned day = 1 + gen() % 28;
    std::snprintf(field, sizeof field, "2026%02u%02u", month, day);
    s += field;
    std::string name = Utf8ToCp1251(kNames[gen() % 8]);
    name.resize(40, ' ');
    s += name;
    const double price = static_cast<double>(gen() % 1000000) / 100.0;
    const unsigned quantity = gen() % 5000;
    std::snprintf(field, sizeof field, "%12.2f%10u%11d", price, quantity, i / 3);
    s += field;
  }
  return s;
}

// Long runs, short periods and repeats at the very edge of the window.
std::string EdgeRepeats() {
  std::string s(70000, ' ');
  for (int period = 1; period <= 7; ++period)
    for (int i = 0; i < 3000; ++i) s += static_cast<char>('a' + i % period);
  const std::string chunk = test::RandomBytes(400, 41);
  for (const int gap : {16381, 16382, 16383, 16384, 16385})
    s += chunk + test::RandomBytes(static_cast<std::size_t>(gap) - chunk.size(), static_cast<uint32_t>(gap)) + chunk;
  for (std::size_t len = 1; len <= 300; len += 7) s += std::string(len, 'q') + "|" + chunk.substr(0, len);
  return s;
}

uint64_t Fnv64(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (const char c : s) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  return h;
}

// A host whose source gives at most `piece` bytes a read.
class PiecemealHost : public TPlainCodecHost {
 public:
  explicit PiecemealHost(int32_t piece) : piece_(piece) {}
  int32_t ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) override {
    return TPlainCodecHost::ReadBlock(from, buf, std::min(count, piece_), crcKind, decrypt);
  }

 private:
  int32_t piece_;
};

// The packed bytes are read by other programs: they stay exactly what they
// were, whatever the input and however the source hands it over.
TEST(FusedCoder, PacksEveryInputToTheSameBytesAsAlways) {
  std::vector<std::pair<std::string, std::string>> inputs = Samples();
  inputs.emplace_back("records", TableRecords(9000, 51));
  inputs.emplace_back("records across slides", TableRecords(40000, 52) + test::TextBytes(300000, 53));
  inputs.emplace_back("edges", EdgeRepeats());
  inputs.emplace_back("blanks", std::string(600000, ' '));
  for (const std::size_t n : {2u, 3u, 4u, 258u, 259u, 262144u, 262145u})
    inputs.emplace_back("text " + std::to_string(n), test::TextBytes(n, static_cast<uint32_t>(n)));
  const std::map<std::string, std::pair<std::size_t, uint64_t>> golden = {
      {"text", {30007u, 0x46fc4ecdf6505dd9ull}},
      {"binary", {5940u, 0xdbb07e4eb11b2d8bull}},
      {"empty", {0u, 0xcbf29ce484222325ull}},
      {"one", {7u, 0xc78a5ce1e232cd25ull}},
      {"repeat", {1140u, 0xb31126879bc67f12ull}},
      {"random", {70151u, 0x3328a95458b30be6ull}},
      {"large", {944379u, 0x1890918b5d40ce6bull}},
      {"records", {138442u, 0x2d860aeaa8296436ull}},
      {"records across slides", {688862u, 0xecc5028b1d591d64ull}},
      {"edges", {82343u, 0x7ba26b2e6071e570ull}},
      {"blanks", {305u, 0xfd774bab80632befull}},
      {"text 2", {10u, 0x9acd343551a3570bull}},
      {"text 3", {12u, 0x2f2f6eb690f6f8c8ull}},
      {"text 4", {12u, 0x1617771a833a9935ull}},
      {"text 258", {147u, 0x8e0c71fb0cbcee56ull}},
      {"text 259", {148u, 0x321bd3ae811eb06aull}},
      {"text 262144", {65625u, 0x7c7dd3968f662c91ull}},
      {"text 262145", {65168u, 0xf58c845e79a87325ull}},
  };
  for (const auto& [name, plain] : inputs) {
    SCOPED_TRACE(name);
    const std::string packed = Encode(plain);
    const auto it = golden.find(name);
    if (it == golden.end()) {
      ADD_FAILURE() << "{\"" << name << "\", {" << packed.size() << "u, 0x" << std::hex << Fnv64(packed) << "ull}},";
      continue;
    }
    EXPECT_EQ(packed.size(), it->second.first);
    EXPECT_EQ(Fnv64(packed), it->second.second);
    for (const int32_t piece : {1, 777}) {
      if (piece == 1 && plain.size() > 300000) continue;
      TMemoryStream32 src, dst;
      test::Load(src, plain);
      PiecemealHost host(piece);
      int64_t size = 0;
      ASSERT_EQ(TFusedCoder().Encode(host, src, dst, size), TFusedResult::Ok);
      EXPECT_TRUE(test::Bytes(dst) == packed) << "read " << piece << " bytes at a time";
    }
  }
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
