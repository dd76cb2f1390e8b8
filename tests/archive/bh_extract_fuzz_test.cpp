// Damaged archives, made from good ones with fixed seeds: the extractor
// must neither crash nor hang, and must write nothing outside ExtractDir.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

std::string Mutate(std::string bytes, std::mt19937& rng) {
  const int kind = static_cast<int>(rng() % 6);
  auto at = [&] { return bytes.empty() ? 0 : rng() % bytes.size(); };
  switch (kind) {
    case 0:  // flipped bytes anywhere
      for (int i = 0, n = 1 + static_cast<int>(rng() % 8); i < n && !bytes.empty(); ++i) bytes[at()] ^= static_cast<char>(1 + rng() % 255);
      break;
    case 1:  // cut short
      bytes.resize(at());
      break;
    case 2: {  // a header field of some member overwritten
      const std::size_t member = bytes.find(std::string("BH\x05\x07", 4), at());
      if (member != std::string::npos && member + 37 <= bytes.size())
        for (int i = 0; i < 4; ++i) bytes[member + 4 + rng() % 33] = static_cast<char>(rng());
      break;
    }
    case 3:  // bytes inserted
      bytes.insert(at(), test::RandomBytes(1 + rng() % 64, rng()));
      break;
    case 4:  // a run of zeros or ones
      for (std::size_t i = at(), n = rng() % 200; i < bytes.size() && n > 0; ++i, --n) bytes[i] = (rng() & 1) ? 0 : '\xFF';
      break;
    default:  // hostile names grafted onto the first member
      if (bytes.size() > 40) {
        const std::string name = (rng() & 1) ? "../" : "/tmp/";
        bytes.replace(37, std::min<std::size_t>(name.size(), bytes.size() - 37), name);
      }
      break;
  }
  return bytes;
}

class BhExtractFuzz : public ::testing::TestWithParam<TCompressMethod> {};

TEST_P(BhExtractFuzz, DamagedArchivesAreSurvived) {
  test::TempDir tmp;
  test::MakeFolder(tmp.Dir() + "src/", {{"text.dbf", test::RussianText(30000)},
                                         {"code.h", test::TextBytes(8000, 2)},
                                         {"rand.bin", test::RandomBytes(3000, 3)},
                                         {"tiny", "t"}});
  TBhCompressor comp;
  comp.SetCompressMethod(GetParam());
  comp.RecurseDirs = false;
  comp.SetArchiveFile(tmp.Dir() + "good.BH");
  comp.FileSpec = {tmp.Dir() + "src/*.*"};
  ASSERT_EQ(comp.Compress(), 4);
  const std::string good = test::GetFile(tmp.Dir() + "good.BH");
  fs::create_directories(tmp / "ex");
  fs::create_directories(tmp / "outside");
  const auto before = [&] {
    std::set<std::string> s;
    for (const auto& e : fs::recursive_directory_iterator(tmp.Dir())) {
      const std::string p = e.path().string();
      if (p.rfind(tmp.Dir() + "ex", 0) != 0) s.insert(p);
    }
    return s;
  }();
  // Where the grafted absolute names would lead.
  const std::vector<std::string> absolute = {"/tmp/bin", "/tmp/dbf", "/tmp/h"};
  std::vector<bool> existed;
  for (const auto& p : absolute) existed.push_back(fs::exists(p));
  std::mt19937 rng(20261206u + static_cast<unsigned>(GetParam()));
  for (int round = 0; round < 1500; ++round) {
    std::string bad = Mutate(good, rng);
    if (rng() % 3 == 0) bad = Mutate(bad, rng);
    test::PutFile(tmp.Dir() + "bad.BH", bad);
    test::ExtractInto(tmp.Dir() + "bad.BH", tmp.Dir() + "ex", nullptr, round % 2 == 0);
  }
  std::set<std::string> after;
  for (const auto& e : fs::recursive_directory_iterator(tmp.Dir())) {
    const std::string p = e.path().string();
    if (p.rfind(tmp.Dir() + "ex", 0) != 0) after.insert(p);
  }
  after.erase(tmp.Dir() + "bad.BH");
  EXPECT_EQ(after, before);
  for (std::size_t i = 0; i < absolute.size(); ++i) EXPECT_EQ(fs::exists(absolute[i]), existed[i]) << absolute[i];
  // Nothing half-written stays behind inside either.
  for (const auto& e : fs::recursive_directory_iterator(tmp.Dir() + "ex"))
    EXPECT_EQ(e.path().filename().string().rfind(".~", 0), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(Methods, BhExtractFuzz, ::testing::Values(cmFuse, cmDeflate));

}  // namespace
}  // namespace vm
