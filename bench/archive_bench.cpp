// The archive codecs on 10 MB of C and C++ headers: the files of
// /usr/include/c++/12 (installed with g++), every regular file in path order,
// joined and cut at 10,000,000 bytes. zlib's deflate at level 6 (what gzip -6
// runs) is the anchor measured in the same run; bench/archive_tools.sh times
// gzip, the Java LHA tool and lhasa on the same bytes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/components/crc.h"
#include "archive/components/fused_coder.h"
#include "archive/components/fused_decoder.h"

namespace vm {
namespace {

constexpr std::size_t kInputSize = 10'000'000;

const std::string& Headers() {
  static const std::string data = [] {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator("/usr/include/c++/12"))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& f : files) {
      std::ifstream in(f, std::ios::binary);
      std::ostringstream ss;
      ss << in.rdbuf();
      all += ss.str();
      if (all.size() >= kInputSize) break;
    }
    all.resize(std::min(all.size(), kInputSize));
    return all;
  }();
  return data;
}

void Load(TMemoryStream32& m, const std::string& bytes) {
  m.Clear();
  m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.Seek(0, soBeginning);
}

const std::string& Packed() {
  static const std::string packed = [] {
    TMemoryStream32 src, dst;
    Load(src, Headers());
    TPlainCodecHost host;
    int64_t size = 0;
    TFusedCoder().Encode(host, src, dst, size);
    return std::string(reinterpret_cast<const char*>(dst.Memory()), static_cast<std::size_t>(dst.Size()));
  }();
  return packed;
}

void BM_Crc32(benchmark::State& state) {
  const std::string& data = Headers();
  for (auto _ : state) benchmark::DoNotOptimize(UpdateCrc32(kCrc32Start, data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);

void BM_FusedEncode(benchmark::State& state) {
  const std::string& data = Headers();
  TMemoryStream32 src, dst;
  Load(src, data);
  int64_t packed = 0;
  for (auto _ : state) {
    src.Seek(0, soBeginning);
    dst.Clear();
    TPlainCodecHost host;
    TFusedCoder().Encode(host, src, dst, packed);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["packed"] = static_cast<double>(packed);
}
BENCHMARK(BM_FusedEncode)->Unit(benchmark::kMillisecond);

void BM_FusedDecode(benchmark::State& state) {
  const std::string& data = Headers();
  TMemoryStream32 src, dst;
  Load(src, Packed());
  for (auto _ : state) {
    src.Seek(0, soBeginning);
    dst.Clear();
    TPlainCodecHost host;
    TFusedDecoder decoder;
    decoder.Init(kCrc32, 15, 5, 0);
    decoder.Decode(host, src, dst, src.GetSize(), static_cast<int64_t>(data.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_FusedDecode)->Unit(benchmark::kMillisecond);

// The anchor: zlib at level 6 on the same bytes.
void BM_ZlibDeflate6(benchmark::State& state) {
  const std::string& data = Headers();
  std::vector<Bytef> out(compressBound(static_cast<uLong>(data.size())));
  uLongf size = 0;
  for (auto _ : state) {
    size = static_cast<uLongf>(out.size());
    compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 6);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["packed"] = static_cast<double>(size);
}
BENCHMARK(BM_ZlibDeflate6)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
