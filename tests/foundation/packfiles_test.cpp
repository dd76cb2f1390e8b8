#include "foundation/packfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

std::size_t CountFiles(const std::string& dir) {
  std::vector<DirEntry> entries;
  Files().ListDirectory(dir, entries);
  return entries.size();
}

TEST(PackFiles, PacksAndUnpacksWithTheirLayout) {
  test::TempDir tmp;
  const std::string longName = "a_very_long_file_name_indeed.dbf";
  test::WriteBytes(tmp / "one.dbf", std::string(100, '1'));
  test::WriteBytes(tmp / longName, std::string(50, '2'));
  const std::string pack = tmp / "Delarch.DAF";
  int32_t total = -1, last = -1;
  {
    const FixedClock clock({2007, 3, 5, 14, 30, 15, 0});
    const ScopedClock fixed(clock);
    ASSERT_TRUE(PackFiles({tmp / "one.dbf", tmp / longName}, pack,
                          [&](int32_t t) { total = t; }, [&](int32_t d) { last = d; }, 77));
  }
  EXPECT_EQ(total, 150);
  EXPECT_EQ(last, 150);
  const std::string p = test::ReadBytes(pack);
  ASSERT_EQ(p.size(), 250u);
  EXPECT_EQ(Le32(p, 0), 77);
  EXPECT_EQ(Le32(p, 4), 2);
  EXPECT_EQ(Le32(p, 32), 150);
  EXPECT_EQ(p[36], 7);
  EXPECT_EQ(p.substr(37, 7), "one.dbf");
  EXPECT_EQ(Le32(p, 36 + 24), 36);
  EXPECT_EQ(Le32(p, 36 + 28), 135);
  EXPECT_EQ(p[68], 20);
  EXPECT_EQ(p.substr(69, 20), longName.substr(0, 20));
  EXPECT_EQ(Le32(p, 68 + 24), 136);
  EXPECT_EQ(Le32(p, 68 + 28), 185);
  EXPECT_EQ(p.substr(100), std::string(100, '1') + std::string(50, '2'));

  int32_t count = 0, dataSize = 0, tag = 0;
  TDateRec date;
  TTimeRec time;
  ASSERT_TRUE(ReadPackHeader(pack, count, date, time, dataSize, tag));
  EXPECT_EQ(date, (TDateRec{5, 3, 2007}));
  EXPECT_EQ(time, (TTimeRec{14, 30, 15}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(dataSize, 150);
  EXPECT_EQ(tag, 77);

  // Targets are created; an existing one under another case is replaced.
  const std::string out = tmp / "out";
  ASSERT_TRUE(Files().MakeDirectory(out));
  test::WriteBytes(out + "/ONE.DBF", "stale");
  std::vector<std::string> names;
  last = -1;
  ASSERT_TRUE(UnpackFiles(pack, out, nullptr, [&](int32_t d) { last = d; }, &names));
  EXPECT_EQ(last, 150);
  EXPECT_EQ(names, (std::vector<std::string>{"one.dbf", longName.substr(0, 20)}));
  EXPECT_EQ(test::ReadBytes(out + "/ONE.DBF"), std::string(100, '1'));
  EXPECT_EQ(test::ReadBytes(out + "/" + longName.substr(0, 20)), std::string(50, '2'));
  EXPECT_EQ(CountFiles(out), 2u);
}

TEST(PackFiles, EmptyAndFailedPacks) {
  test::TempDir tmp;
  const std::string pack = tmp / "p.daf";
  ASSERT_TRUE(PackFiles({}, pack, nullptr, nullptr, 1));
  const std::string p = test::ReadBytes(pack);
  ASSERT_EQ(p.size(), 36u);
  EXPECT_EQ(Le32(p, 4), 0);
  EXPECT_EQ(Le32(p, 32), 0);
  ASSERT_TRUE(Files().MakeDirectory(tmp / "out"));
  EXPECT_FALSE(UnpackFiles(pack, tmp / "out", nullptr, nullptr, nullptr));
  EXPECT_EQ(CountFiles(tmp / "out"), 0u);

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

TEST(PackFiles, RefusesBadPacksBeforeWritingAnything) {
  test::TempDir tmp;
  test::WriteBytes(tmp / "a.dbf", "AAAA");
  test::WriteBytes(tmp / "b.dbf", "BBBBBB");
  const std::string pack = tmp / "p.daf";
  ASSERT_TRUE(PackFiles({tmp / "a.dbf", tmp / "b.dbf"}, pack, nullptr, nullptr, 0));
  const std::string good = test::ReadBytes(pack);
  const std::string out = tmp / "out";
  ASSERT_TRUE(Files().MakeDirectory(out));

  auto unpack = [&](std::string bytes) {
    test::WriteBytes(pack, bytes);
    return UnpackFiles(pack, out, nullptr, nullptr, nullptr);
  };
  auto withName = [&](const std::string& name) {
    std::string b = good;
    b[68] = static_cast<char>(name.size());
    for (std::size_t i = 0; i < name.size() && i < 20; ++i) b[69 + i] = name[i];
    return b;
  };
  for (const char* bad : {"../x.db", "..", "d/x.dbf", "d\\x.dbf", "c:x.dbf", ""})
    EXPECT_FALSE(unpack(withName(bad))) << bad;
  std::string tooLong = good;
  tooLong[68] = 25;
  EXPECT_FALSE(unpack(tooLong));
  std::string backwards = good;
  Put32(backwards, 68 + 28, Le32(good, 68 + 24) - 2);
  EXPECT_FALSE(unpack(backwards));
  std::string pastData = good;
  Put32(pastData, 68 + 28, Le32(good, 68 + 28) + 1);
  EXPECT_FALSE(unpack(pastData));
  EXPECT_FALSE(unpack(good.substr(0, good.size() - 1)));
  std::string manyEntries = good;
  Put32(manyEntries, 4, 1000000);
  EXPECT_FALSE(unpack(manyEntries));
  EXPECT_EQ(CountFiles(out), 0u);

  EXPECT_TRUE(unpack(good));
  EXPECT_EQ(test::ReadBytes(out + "/b.dbf"), "BBBBBB");
}

// Random damage to a pack: nothing is ever written outside the target
// directory, and a pack that unpacks gives exactly its entries.
TEST(PackFiles, RandomlyDamagedPacksStayInTheirDirectory) {
  test::TempDir tmp;
  test::WriteBytes(tmp / "a.dbf", "AAAA");
  test::WriteBytes(tmp / "b.dbf", std::string(40000, 'B'));
  test::WriteBytes(tmp / "c", "");
  const std::string pack = tmp / "p.daf";
  ASSERT_TRUE(PackFiles({tmp / "a.dbf", tmp / "b.dbf", tmp / "c"}, pack, nullptr, nullptr, 7));
  const std::string good = test::ReadBytes(pack);
  const std::string out = tmp / "out";
  ASSERT_TRUE(Files().MakeDirectory(out));
  std::mt19937 rng(150);
  for (int round = 0; round < 500; ++round) {
    std::string p = good;
    const int changes = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < changes; ++k) {
      const std::size_t at = rng() % (36 + 3 * 32);
      p[at] = static_cast<char>(rng() % 3 == 0 ? '.' : rng() % 3 == 0 ? '/' : rng());
    }
    if (rng() % 5 == 0) p.resize(rng() % p.size());
    test::WriteBytes(pack, p);
    std::vector<std::string> names;
    const bool ok = UnpackFiles(pack, out, nullptr, nullptr, &names);
    std::vector<DirEntry> entries;
    Files().ListDirectory(out, entries);
    if (ok) {
      for (const DirEntry& e : entries)
        EXPECT_NE(std::find(names.begin(), names.end(), e.Name), names.end()) << e.Name;
    }
    for (const DirEntry& e : entries) Files().Remove(out + "/" + e.Name);
    ASSERT_EQ(CountFiles(tmp.Dir()), 5u) << "round " << round;
  }
}

}  // namespace
}  // namespace vm
