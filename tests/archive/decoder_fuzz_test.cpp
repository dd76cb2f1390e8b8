// Damaged input must fail cleanly: under the sanitizers any read or write
// outside a buffer aborts the test. The seeds are fixed so a failure repeats.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "archive/components/codec_streams.h"
#include "archive/components/fused_coder.h"
#include "archive/components/fused_decoder.h"
#include "stream_helpers.h"
#include "support/oracle_tools.h"

namespace vm {
namespace {


std::string Mutate(std::string s, std::mt19937& gen) {
  switch (gen() % 5) {
    case 4:  // damage the tables at the start of the first block
      for (int i = 0, n = 1 + static_cast<int>(gen() % 3); i < n && !s.empty(); ++i)
        s[gen() % std::min<std::size_t>(s.size(), 48)] ^= static_cast<char>(1 << (gen() % 8));
      break;
    case 0:  // flip a few bytes
      for (int i = 0, n = 1 + static_cast<int>(gen() % 8); i < n && !s.empty(); ++i)
        s[gen() % s.size()] ^= static_cast<char>(1 + gen() % 255);
      break;
    case 1:  // cut short
      s.resize(s.empty() ? 0 : gen() % s.size());
      break;
    case 2:  // garbage in the middle
      if (!s.empty()) s.insert(gen() % s.size(), test::RandomBytes(1 + gen() % 64, gen()));
      break;
    default:  // nothing but garbage
      s = test::RandomBytes(gen() % 4096, gen());
  }
  return s;
}

TEST(DecoderFuzz, FusedDecoderSurvivesDamagedStreams) {
  const std::string plain = test::TextBytes(40000, 41) + test::RandomBytes(2000, 42);
  std::string valid;
  {
    TMemoryStream32 src, dst;
    test::Load(src, plain);
    TPlainCodecHost host;
    int64_t packed = 0;
    ASSERT_EQ(TFusedCoder().Encode(host, src, dst, packed), TFusedResult::Ok);
    valid.assign(reinterpret_cast<const char*>(dst.Memory()), static_cast<std::size_t>(dst.Size()));
  }
  std::mt19937 gen(20261206);
  int damaged = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::string input = Mutate(valid, gen);
    const bool method1 = gen() % 2 == 0;
    const int64_t size = gen() % 3 == 0 ? static_cast<int64_t>(gen() % 200000) : static_cast<int64_t>(plain.size());
    TMemoryStream32 src, dst;
    test::Load(src, input);
    TPlainCodecHost host;
    TFusedDecoder decoder;
    decoder.Init(kCrc32, method1 ? 13 : 15, method1 ? 4 : 5, 0);
    const TFusedResult r = decoder.Decode(host, src, dst, static_cast<int64_t>(input.size()), size);
    ASSERT_TRUE(r == TFusedResult::Ok || r == TFusedResult::Damaged) << "round " << round;
    ASSERT_LE(dst.Size(), size) << "round " << round;
    if (r == TFusedResult::Damaged) ++damaged;
  }
  EXPECT_GT(damaged, 3000);
}

TEST(DecoderFuzz, InflateStreamSurvivesDamagedStreams) {
  const std::string plain = test::TextBytes(60000, 43) + test::RandomBytes(3000, 44);
  std::string valid;
  {
    TMemoryStream32 out;
    {
      TCompressStream z(out, dtDeflateN);
      z.Write(plain.data(), static_cast<int32_t>(plain.size()));
      z.Finish();
    }
    valid.assign(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
  }
  std::mt19937 gen(7);
  std::string buf(32768, '\0');
  for (int round = 0; round < 6000; ++round) {
    const std::string input = Mutate(valid, gen);
    TMemoryStream32 src;
    test::Load(src, input);
    TDecompressStream z(src);
    int64_t total = 0;
    for (int piece = 0; piece < 8; ++piece) {
      const int32_t got = z.Read(buf.data(), 32768);
      ASSERT_LE(got, 32768) << "round " << round;
      if (got <= 0) break;
      total += got;
    }
    ASSERT_LE(total, 8 * 32768);
  }
}

}  // namespace
}  // namespace vm
