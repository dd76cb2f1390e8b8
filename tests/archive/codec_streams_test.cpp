#include "archive/components/codec_streams.h"

#include <gtest/gtest.h>

#include <string>

#include "stream_helpers.h"
#include "support/oracle_tools.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::TempDir;

std::string Deflate(const std::string& plain, TDeflateType level = dtDeflateN) {
  TMemoryStream32 out;
  {
    TCompressStream z(out, level);
    for (std::size_t at = 0; at < plain.size(); at += 30000)
      z.Write(plain.data() + at, static_cast<int32_t>(std::min<std::size_t>(30000, plain.size() - at)));
    z.Finish();
  }
  return test::Bytes(out);
}

std::string InflateAll(const std::string& packed, std::size_t expected) {
  TMemoryStream32 in;
  test::Load(in, packed);
  TDecompressStream z(in);
  return test::ReadUpTo(z, expected);
}

TEST(CompressStream, RoundTripsLargeDataThroughBothStreamsAndCountsDown) {
  const std::string plain = test::TextBytes(300000, 1) + test::RandomBytes(100000, 2);
  int64_t left = static_cast<int64_t>(plain.size());
  TMemoryStream32 out;
  {
    TCompressStream z(out, dtDeflateX);
    z.Info.BytesLeft = &left;
    z.Write(plain.data(), static_cast<int32_t>(plain.size()));
    EXPECT_EQ(z.Seek(0, soCurrent), static_cast<int64_t>(plain.size()));
    EXPECT_EQ(z.Seek(1, soBeginning), -1);
    EXPECT_THROW(z.Seek(int64_t{1} << 40, soCurrent), TArcStreamError);
  }
  EXPECT_EQ(left, 0);
  EXPECT_EQ(InflateAll(test::Bytes(out), plain.size()), plain);

  // Empty input still writes the final block.
  const std::string empty = Deflate("");
  EXPECT_FALSE(empty.empty());
  EXPECT_EQ(InflateAll(empty, 10), "");
}

TEST(DecompressStream, ShortCutOrDamagedDataNeverGivesGarbage) {
  const std::string plain = test::TextBytes(5000, 3);
  TMemoryStream32 in;
  test::Load(in, Deflate(plain));
  TDecompressStream z(in);
  std::string buf(8000, '\0');
  EXPECT_EQ(z.Read(buf.data(), 8000), 5000);  // asked for more than there is
  EXPECT_TRUE(z.Info.StreamEnd);
  EXPECT_EQ(buf.substr(0, 5000), plain);
  EXPECT_EQ(z.Read(buf.data(), 10), 0);

  // Cut in the middle: what could be decoded, then nothing, never garbage.
  const std::string packed = Deflate(test::RandomBytes(20000, 4));
  test::Load(in, packed.substr(0, packed.size() / 2));
  TDecompressStream cut(in);
  std::string all(20000, '\0');
  const int32_t got = cut.Read(all.data(), 20000);
  EXPECT_GT(got, 0);
  EXPECT_LT(got, 20000);
  EXPECT_FALSE(cut.Info.StreamEnd);

  test::Load(in, std::string("\xff\xff\xff\xff\xff\xff", 6));
  TDecompressStream damaged(in);
  EXPECT_LT(damaged.Read(all.data(), 100), 0);
}

// zlib keeps what did not fit a small buffer; the source running dry must
// not lose it.
TEST(DecompressStream, ReadsOfAnySizeGiveTheSameBytes) {
  // A long match at the end is decoded after the last input byte is in.
  for (const std::string& plain : {std::string(32, 'x'), test::RandomBytes(32, 5), test::TextBytes(3000, 6)}) {
    const std::string packed = Deflate(plain);
    for (const int32_t piece : {1, 7, 32, 4096}) {
      SCOPED_TRACE(piece);
      TMemoryStream32 in;
      test::Load(in, packed);
      TDecompressStream z(in);
      std::string got;
      std::string buf(static_cast<std::size_t>(piece), '\0');
      for (int32_t n; (n = z.Read(buf.data(), piece)) > 0;) got.append(buf.data(), static_cast<std::size_t>(n));
      EXPECT_EQ(got, plain);
    }
  }
}

TEST(DecompressStream, SeekRestartsOrSkipsForward_AndTheDestructorGivesBackUnusedInput) {
  const std::string plain = test::TextBytes(50000, 5);
  const std::string packed = Deflate(plain);
  TMemoryStream32 in;
  test::Load(in, packed + "TAIL");
  {
    TDecompressStream z(in);
    EXPECT_EQ(z.Seek(10000, soCurrent), 10000);
    char buf[10];
    ASSERT_EQ(z.Read(buf, 10), 10);
    EXPECT_EQ(std::string(buf, 10), plain.substr(10000, 10));
    EXPECT_EQ(z.Seek(0, soBeginning), 0);
    ASSERT_EQ(z.Read(buf, 10), 10);
    EXPECT_EQ(std::string(buf, 10), plain.substr(0, 10));
    EXPECT_EQ(z.Seek(30000, soBeginning), 30000);
    EXPECT_EQ(z.Seek(5, soBeginning), 30000);  // backwards does nothing
    std::string rest(plain.size(), '\0');
    EXPECT_EQ(z.Read(rest.data(), static_cast<int32_t>(plain.size() - 30000) + 1),
              static_cast<int32_t>(plain.size() - 30000));
  }
  char tail[4];
  ASSERT_EQ(in.Read(tail, 4), 4);
  EXPECT_EQ(std::string(tail, 4), "TAIL");
}

TEST(CodecStreams, SharedUnderlyingStreamIsPutBackBeforeEachUse) {
  TMemoryStream32 out;
  TCompressStream z(out, dtDeflateF);
  const std::string plain = test::RandomBytes(70000, 6);
  z.Write(plain.data(), 70000);  // one full block went out
  const int64_t mark = out.Position();
  out.Seek(0, soBeginning);      // somebody else moved the shared stream
  z.Finish();
  EXPECT_GT(out.Size(), mark);
  EXPECT_EQ(InflateAll(test::Bytes(out), plain.size()), plain);
}

TEST(CodecStreams, EncryptedDeflateInflatesWithTheSameKeys) {
  const std::string plain = test::TextBytes(200000, 10);
  TZipCipher out, in;
  out.InitKeys("k");
  in.InitKeys("k");
  TMemoryStream32 packed;
  {
    TCompressStream z(packed, dtDeflateN);
    z.Info.Encrypted = true;
    z.Info.Cipher = &out;
    z.Write(plain.data(), static_cast<int32_t>(plain.size()));
    z.Finish();
  }
  EXPECT_NE(InflateAll(test::Bytes(packed), plain.size()), plain);
  packed.Seek(0, soBeginning);
  TDecompressStream z(packed);
  z.Info.Encrypted = true;
  z.Info.Cipher = &in;
  EXPECT_TRUE(test::ReadUpTo(z, plain.size()) == plain);
}

TEST(StoreStream, EncryptedCopyKeepsThePrecomputedCrcAndDecryptsBack) {
  const std::string plain = test::TextBytes(250000, 7);
  TCrcRegisters regs;
  regs.Update(kCrc32, plain.data(), plain.size());
  TZipCipher cipher;
  cipher.InitKeys("secret");
  TStreamInfo info;
  info.Encrypted = true;
  info.Cipher = &cipher;
  info.Registers = &regs;
  int64_t left = static_cast<int64_t>(plain.size());
  info.BytesLeft = &left;
  TMemoryStream32 src;
  test::Load(src, plain);
  TMemoryStream32 dst;
  int progress = 0;
  TStoreStream store(dst, [&](TStream32*) { ++progress; }, nullptr, info, kCrc32);
  EXPECT_EQ(store.CopyFromSource(src), static_cast<int64_t>(plain.size()));
  EXPECT_EQ(store.Info.Crc, regs.Crc32Value);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(progress, 3);  // one per 100 KB chunk
  std::string data = test::Bytes(dst);
  ASSERT_EQ(data.size(), plain.size());
  EXPECT_NE(data, plain);
  TZipCipher back;
  back.InitKeys("secret");
  back.DecryptBuffer(reinterpret_cast<uint8_t*>(data.data()), data.size());
  EXPECT_EQ(data, plain);
}

TEST(StoreStream, PlainCopyComputesTheCrcOfItsKind) {
  TMemoryStream32 src;
  test::Load(src, "abc");
  TMemoryStream32 dst;
  TStoreStream s16(dst, nullptr, nullptr, TStreamInfo{}, kCrc16);
  s16.CopyFromSource(src);
  EXPECT_EQ(s16.Info.Crc, 0x9738u);
  EXPECT_EQ(s16.Seek(0, soCurrent), 0);
  EXPECT_EQ(s16.Read(nullptr, 1), -1);
  EXPECT_EQ(CalcStreamCrc(src, TStreamInfo{}, nullptr, nullptr, 0) ^ 0xFFFFFFFFu, 0x352441C2u);
  EXPECT_EQ(src.Position(), 0);

  bool cancel = true;
  TMemoryStream32 none;
  TStoreStream stopped(none, nullptr, &cancel, TStreamInfo{}, kCrc32);
  EXPECT_EQ(stopped.CopyFromSource(src), 3);
  EXPECT_EQ(none.Size(), 0);
}

// Python's zlib as the independent deflate implementation.
TEST(CodecStreamsOracle, PythonZlibInflatesOurDeflateAndWeInflateItsDeflate) {
  TempDir dir;
  const std::string plain = test::TextBytes(400000, 8) + test::RandomBytes(3000, 9);
  test::WriteBytes(dir / "ours.raw", Deflate(plain));
  ASSERT_TRUE(test::RunTool(
      "python3 -c \"import zlib,sys; d=open(sys.argv[1],'rb').read(); o=zlib.decompressobj(-15); "
      "open(sys.argv[2],'wb').write(o.decompress(d)+o.flush())\" " +
      test::Quote(dir / "ours.raw") + " " + test::Quote(dir / "ours.out")));
  EXPECT_EQ(test::ReadBytes(dir / "ours.out"), plain);

  test::WriteBytes(dir / "plain", plain);
  ASSERT_TRUE(test::RunTool(
      "python3 -c \"import zlib,sys; c=zlib.compressobj(9, zlib.DEFLATED, -15); d=open(sys.argv[1],'rb').read(); "
      "open(sys.argv[2],'wb').write(c.compress(d)+c.flush())\" " +
      test::Quote(dir / "plain") + " " + test::Quote(dir / "theirs.raw")));
  EXPECT_EQ(InflateAll(test::ReadBytes(dir / "theirs.raw"), plain.size()), plain);
}

}  // namespace
}  // namespace vm
