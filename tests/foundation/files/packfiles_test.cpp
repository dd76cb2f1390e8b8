#include "foundation/files/packfiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "platform/clock.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

int32_t Le32(const std::string& s, std::size_t i) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(s.at(i + k));
  return static_cast<int32_t>(v);
}

void Put32(std::string& s, std::size_t i, int32_t v) {
  for (int k = 0; k < 4; ++k) s[i + k] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * k));
}

class Packs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Files().MakeDirectory(out)); }

  bool Unpack(const std::string& bytes, std::vector<std::string>* names = nullptr) {
    test::WriteBytes(pack, bytes);
    return UnpackFiles(pack, out, nullptr, nullptr, names);
  }

  test::TempDir tmp;
  const std::string pack = tmp / "p.daf";
  const std::string out = tmp / "out";
};

TEST_F(Packs, PacksAndUnpacksWithTheirLayout) {
  const std::string longName = "a_very_long_file_name_indeed.dbf", cut = longName.substr(0, 20);
  test::WriteBytes(tmp / "one.dbf", std::string(100, '1'));
  test::WriteBytes(tmp / longName, std::string(50, '2'));
  int32_t total = -1, last = -1;
  {
    const FixedClock clock({2007, 3, 5, 14, 30, 15, 0});
    const ScopedClock fixed(clock);
    ASSERT_TRUE(PackFiles({tmp / "one.dbf", tmp / longName}, pack, [&](int32_t t) { total = t; },
                              [&](int32_t d) { last = d; }, 77));
  }
  EXPECT_EQ(std::pair(total, last), std::pair(150, 150));
  const std::string p = test::ReadBytes(pack);
  ASSERT_EQ(p.size(), 250u);
  // Tag, count, data size; then per entry the name and the first and last byte.
  for (auto [at, value] : {std::pair{0, 77}, {4, 2}, {32, 150}, {60, 36}, {64, 135}, {92, 136}, {96, 185}})
    EXPECT_EQ(Le32(p, at), value) << at;
  EXPECT_EQ(p.substr(36, 8), "\x07one.dbf");
  EXPECT_EQ(p.substr(68, 21), "\x14" + cut);
  EXPECT_EQ(p.substr(100), std::string(100, '1') + std::string(50, '2'));

  int32_t count = 0, dataSize = 0, tag = 0;
  TDateRec date;
  TTimeRec time;
  ASSERT_TRUE(ReadPackHeader(pack, count, date, time, dataSize, tag));
  EXPECT_EQ(std::tuple(date, time, count, dataSize, tag), std::tuple(TDateRec{5, 3, 2007}, TTimeRec{14, 30, 15}, 2, 150, 77));

  // Targets are created; an existing one under another case is replaced.
  test::WriteBytes(out + "/ONE.DBF", "stale");
  std::vector<std::string> names;
  last = -1;
  ASSERT_TRUE(UnpackFiles(pack, out, nullptr, [&](int32_t d) { last = d; }, &names));
  EXPECT_EQ(last, 150);
  EXPECT_EQ(names, (std::vector<std::string>{"one.dbf", cut}));
  EXPECT_EQ(test::DirNames(out), (std::vector<std::string>{"ONE.DBF", cut}));
  EXPECT_EQ(test::ReadBytes(out + "/ONE.DBF"), std::string(100, '1'));
  EXPECT_EQ(test::ReadBytes(out + "/" + cut), std::string(50, '2'));
}

TEST_F(Packs, EmptyAndFailedPacks) {
  ASSERT_TRUE(PackFiles({}, pack, nullptr, nullptr, 1));
  const std::string p = test::ReadBytes(pack);
  ASSERT_EQ(p.size(), 36u);
  EXPECT_EQ(std::pair(Le32(p, 4), Le32(p, 32)), std::pair(0, 0));
  EXPECT_FALSE(Unpack(p));
  EXPECT_TRUE(test::DirNames(out).empty());

  EXPECT_FALSE(PackFiles({tmp / "missing"}, pack, nullptr, nullptr, 1));
  EXPECT_EQ(test::ReadBytes(pack), p) << "a failed pack leaves the old file";
  test::WriteBytes(tmp / "big", std::string(100000, 'b'));
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 1000;
    EXPECT_FALSE(PackFiles({tmp / "big"}, pack, nullptr, nullptr, 1));
  }
  EXPECT_EQ(test::ReadBytes(pack), p);
}

TEST_F(Packs, PackingAndUnpackingNeverWriteThroughLinks) {
  test::TempDir outside;
  const std::string victim = outside / "victim";
  test::WriteBytes(victim, "secret");
  test::WriteBytes(tmp / "a.dbf", std::string(100, 'a'));
  test::WriteBytes(tmp / "b.dbf", std::string(50, 'b'));
  // The names earlier versions wrote through, planted in advance.
  const std::string pid = std::to_string(::getpid());
  ASSERT_EQ(symlink((outside / "escaped").c_str(), (pack + "." + pid + ".new").c_str()), 0);
  ASSERT_EQ(symlink((outside / "escaped").c_str(), (out + "/a.dbf." + pid + ".new").c_str()), 0);
  {
    test::FaultyFileSystem rival;
    rival.LinkTarget = victim;
    rival.PlantLinkEvery = 2;
    ASSERT_TRUE(PackFiles({tmp / "a.dbf", tmp / "b.dbf"}, pack, nullptr, nullptr, 7));
    ASSERT_TRUE(UnpackFiles(pack, out, nullptr, nullptr, nullptr));
    EXPECT_EQ(rival.NewNames.size(), 6u);
  }
  EXPECT_EQ(test::ReadBytes(out + "/a.dbf"), std::string(100, 'a'));
  EXPECT_EQ(test::ReadBytes(out + "/b.dbf"), std::string(50, 'b'));
  EXPECT_EQ(test::ReadBytes(victim), "secret");
  EXPECT_FALSE(Files().Exists(outside / "escaped"));
}

TEST_F(Packs, RefusesBadPacksBeforeWritingAnything) {
  test::WriteBytes(tmp / "a.dbf", "AAAA");
  test::WriteBytes(tmp / "b.dbf", "BBBBBB");
  ASSERT_TRUE(PackFiles({tmp / "a.dbf", tmp / "b.dbf"}, pack, nullptr, nullptr, 0));
  const std::string good = test::ReadBytes(pack);
  auto with = [&](std::size_t at, int32_t value) {
    std::string b = good;
    Put32(b, at, value);
    return b;
  };
  auto withName = [&](const std::string& name) {
    std::string b = good;
    b[68] = static_cast<char>(name.size());
    for (std::size_t i = 0; i < name.size() && i < 20; ++i) b[69 + i] = name[i];
    return b;
  };
  for (const char* bad : {"../x.db", "..", "d/x.dbf", "d\\x.dbf", "c:x.dbf", ""})
    EXPECT_FALSE(Unpack(withName(bad))) << bad;
  EXPECT_FALSE(Unpack(withName(std::string(25, 'x')))) << "a name longer than its room";
  EXPECT_FALSE(Unpack(with(68 + 28, Le32(good, 68 + 24) - 2))) << "an entry that ends before it starts";
  EXPECT_FALSE(Unpack(with(68 + 28, Le32(good, 68 + 28) + 1))) << "an entry past the data";
  EXPECT_FALSE(Unpack(good.substr(0, good.size() - 1))) << "data cut short";
  EXPECT_FALSE(Unpack(with(4, 1000000))) << "more entries than the file holds";
  EXPECT_TRUE(test::DirNames(out).empty());

  EXPECT_TRUE(Unpack(good));
  EXPECT_EQ(test::ReadBytes(out + "/b.dbf"), "BBBBBB");
}

// Random damage to a pack: nothing is ever written outside the target
// directory, and a pack that unpacks gives exactly its entries.
TEST_F(Packs, RandomlyDamagedPacksStayInTheirDirectory) {
  test::WriteBytes(tmp / "a.dbf", "AAAA");
  test::WriteBytes(tmp / "b.dbf", std::string(40000, 'B'));
  test::WriteBytes(tmp / "c", "");
  ASSERT_TRUE(PackFiles({tmp / "a.dbf", tmp / "b.dbf", tmp / "c"}, pack, nullptr, nullptr, 7));
  const std::string good = test::ReadBytes(pack);
  std::mt19937 rng(150);
  for (int round = 0; round < 500; ++round) {
    std::string p = good;
    const int changes = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < changes; ++k) {
      const std::size_t at = rng() % (36 + 3 * 32);
      p[at] = static_cast<char>(rng() % 3 == 0 ? '.' : rng() % 3 == 0 ? '/' : rng());
    }
    if (rng() % 5 == 0) p.resize(rng() % p.size());
    std::vector<std::string> names;
    const bool ok = Unpack(p, &names);
    for (const std::string& name : test::DirNames(out)) {
      EXPECT_TRUE(!ok || std::find(names.begin(), names.end(), name) != names.end()) << name;
      Files().Remove(out + "/" + name);
    }
    ASSERT_EQ(test::DirNames(tmp.Dir()).size(), 5u) << "round " << round;
  }
}

}  // namespace
}  // namespace vm
