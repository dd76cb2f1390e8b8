#include "archive/components/masks.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"

namespace vm {
namespace {

TEST(Masks, StarsQuestionMarksCaseAndTrailingDot) {
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"README", "*.*", false},  // the extractor and the scan add the dot
      {"ARCH.DBF", "*.dbf", true},       {"арх.dbf"_w, "АРХ.*"_w, true},
      {"ARCH.DBFX", "*.dbf", false},     {"a1c", "a?c", true},
      {"ac", "a?c", false},              {"abcabd", "*abd", true},
      {"mississippi", "m*iss*ppi", true}, {"mississippi", "m*iss*ppx", false},
      {"", "*", true},                   {"", "?", false},
      {"abc", "abc*?", true},  // star then question mark matches an empty remainder
      {"abcd", "abc*?", true},
      {"README", "*.", true},  // trailing dot means no extension
      {"README.TXT", "*.", false},
  };
  for (const auto& [name, mask, match] : cases) EXPECT_EQ(MatchesMask(name, mask), match) << name << " ~ " << mask;
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
