#include "archive/components/masks.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace vm {
namespace {

TEST(Masks, StarsQuestionMarksAndCase) {
  EXPECT_FALSE(MatchesMask("README", "*.*"));  // the extractor and the scan add the dot
  EXPECT_TRUE(MatchesMask("ARCH.DBF", "*.dbf"));
  EXPECT_TRUE(MatchesMask("арх.dbf"_w, "АРХ.*"_w));
  EXPECT_FALSE(MatchesMask("ARCH.DBFX", "*.dbf"));
  EXPECT_TRUE(MatchesMask("a1c", "a?c"));
  EXPECT_FALSE(MatchesMask("ac", "a?c"));
  EXPECT_TRUE(MatchesMask("abcabd", "*abd"));
  EXPECT_TRUE(MatchesMask("mississippi", "m*iss*ppi"));
  EXPECT_FALSE(MatchesMask("mississippi", "m*iss*ppx"));
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_FALSE(MatchesMask("", "?"));
}

TEST(Masks, StarThenQuestionMarkMatchesAnEmptyRemainder) {
  EXPECT_TRUE(MatchesMask("abc", "abc*?"));
  EXPECT_TRUE(MatchesMask("abcd", "abc*?"));
}

TEST(Masks, TrailingDotMeansNoExtension) {
  EXPECT_TRUE(MatchesMask("README", "*."));
  EXPECT_FALSE(MatchesMask("README.TXT", "*."));
}

// Backtracking into every star would not end within the test timeout.
TEST(Masks, ManyStarsAnswerAtOnce) {
  const std::string mask = std::string(30, '*') + "x" + std::string(30, '*') + "y";
  const std::string name(5000, 'a');
  EXPECT_FALSE(MatchesMask(name, mask));
  EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace vm
