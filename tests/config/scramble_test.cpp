#include "config/scramble.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/random.h"

namespace vm {
namespace {

std::string Unpacked(const TScrambledRecord& r, int32_t key) {
  std::string password;
  UnpackPassword(r, key, password);
  return password;
}

TEST(RandomTest, FollowsTheLinearCongruentialSequence) {
  SetRandSeed(0);
  EXPECT_EQ(Random(256), 0u);  // seed 1
  EXPECT_EQ(GetRandSeed(), 1u);
  EXPECT_EQ(Random(0x80000000u), (134775814ull * 0x80000000ull) >> 32);
  SetRandSeed(0xFFFFFFFFu);
  EXPECT_EQ(Random(10), static_cast<uint32_t>((uint64_t{0xFFFFFFFFu * 134775813u + 1u} * 10) >> 32));
  {
    SeedScope scope(5);
    Random(7);
  }
  EXPECT_EQ(GetRandSeed(), 0xFFFFFFFFu * 134775813u + 1u);
}

TEST(ScrambleTest, PasswordRecordsMatchTheStoredForm) {
  SetRandSeed(0x12345678u);
  TScrambledRecord r;
  PackPassword("abc", r, 3);
  std::string hex;
  RecordToScrambledHex(r, hex);
  EXPECT_EQ(hex, "C2DBFC94C97D40427690C2F471E5F778");
  EXPECT_EQ(GetRandSeed(), 0x782084e0u);  // packing moves the generator on

  TScrambledRecord back;
  ScrambledHexToRecord(hex, back);
  EXPECT_EQ(back, r);
  EXPECT_EQ(Unpacked(back, 3), "abc");
  EXPECT_EQ(GetRandSeed(), 0x782084e0u);  // a valid unpack leaves it alone

  // Another key fails the sum: ten characters 48..247 nobody typed.
  const std::string guess = Unpacked(back, 4);
  ASSERT_EQ(guess.size(), 10u);
  for (unsigned char c : guess) EXPECT_TRUE(c >= 48 && c <= 247) << int(c);
}

TEST(ScrambleTest, PasswordsPackAfreshAndCutToTen) {
  SetRandSeed(99);
  TScrambledRecord a, b;
  PackPassword("секрет"_w, a, 16);
  PackPassword("секрет"_w, b, 16);
  EXPECT_NE(a, b);
  EXPECT_EQ(Unpacked(a, 16) + "|" + Unpacked(b, 16), "секрет|секрет"_w);
  for (auto [typed, key, kept] : {std::tuple{"", 1, ""}, {"0123456789ABC", 2, "0123456789"}}) {
    PackPassword(typed, a, key);
    EXPECT_EQ(Unpacked(a, key), kept) << typed;
  }

  // A short hexadecimal text is completed at random and fails the sum.
  ScrambledHexToRecord("C2DBFC94", a);
  EXPECT_EQ(Unpacked(a, 3).size(), 10u);
}

TEST(ScrambleTest, DocumentAccessIsBoundToIdAndDescription) {
  const std::string desc = "VARS\r\n  A=1\r\n";
  EXPECT_EQ(TextChecksum(desc), 852475);
  EXPECT_EQ(TextChecksum("a b"), TextChecksum("a\tb"));
  EXPECT_NE(TextChecksum("ab"), TextChecksum("ba"));

  SetRandSeed(0xBEEF);
  TScrambledRecord r;
  PackDocAccess(7, 42, desc, r);
  std::string hex;
  RecordToScrambledHex(r, hex);
  EXPECT_EQ(hex, "4017947C17C212FD34F305ED0FFE0AC9");
  EXPECT_EQ(GetRandSeed(), 0xeb135409u);

  // A blank turned into a tab keeps the level: blanks do not count, but the
  // length and the positions do, so added blank lines lose it like any other
  // change, and so does another document.
  for (auto [id, text, level] : {std::tuple{42, desc, 7u}, {42, std::string("VARS\r\n\t A=1\r\n"), 7u},
                                 {42, std::string("VARS\r\n\r\n  A=1\r\n"), kDocAccessRefused},
                                 {42, std::string("VARS\r\n  A=2\r\n"), kDocAccessRefused},
                                 {43, desc, kDocAccessRefused}})
    EXPECT_EQ(UnpackDocAccess(r, id, text), level) << id << " " << text;
}

TEST(ScrambleTest, UnscramblesTheStoredTextForm) {
  const std::string stored = {char(49), char(190), char(136), char(156)};
  SetRandSeed(123);
  std::string plain;
  UnscrambleStr(stored, plain);
  EXPECT_EQ(plain, "Hi");
  EXPECT_EQ(GetRandSeed(), 123u);
}

}  // namespace
}  // namespace vm
