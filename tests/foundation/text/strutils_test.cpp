#include "foundation/text/strutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/encoding.h"

using namespace vm;
using namespace std::string_literals;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Nums = std::vector<std::pair<std::string, int>>;

StringList L(std::initializer_list<const char*> items) {
  return StringList(items.begin(), items.end());
}

// An in-place edit as a function of its text.
template <class F>
std::string Edited(F edit, std::string s) {
  edit(s);
  return s;
}

std::string Int(std::string_view s) {
  std::int32_t v = 0;
  return TryStrToInt(s, v) ? std::to_string(v) : "bad";
}

std::string Lit(std::string_view s) {
  bool error = false;
  std::string v = ParseStrLiteral(s, error);
  return error ? "<error>" : v;
}

std::string Ref(std::string_view s) {
  std::string name = "?";
  int n1 = -1, n2 = -1;
  ParseBracketedRef(s, name, n1, n2);
  return name + "|" + std::to_string(n1) + "|" + std::to_string(n2);
}

std::string ColonNums(std::string_view s, int from) {
  int n1 = -1, n2 = -1;
  ParseColonNums(s, from, n1, n2);
  return std::to_string(n1) + "|" + std::to_string(n2);
}

}  // namespace

TEST(StrUtils, IntegerConversionFollowsThePlatformRules) {
  for (const auto& [in, out] : Pairs{{" \t-42", "-42"}, {"+8", "8"}, {"$1f", "31"}, {"0X10", "16"},
                                     {"-$10", "-16"}, {"$FFFFFFFF", "-1"}, {"-2147483648", "-2147483648"},
                                     {"2147483647", "2147483647"}})
    EXPECT_EQ(Int(in), out) << in;
  for (const char* bad : {"", " ", "-", "$", "0x", "12 ", "1.5", "2147483648", "-2147483649",
                          "$100000000", "1a", "--1"})
    EXPECT_EQ(Int(bad), "bad") << bad;
  std::int32_t v = 7;
  EXPECT_FALSE(TryStrToInt("x", v));
  EXPECT_EQ(v, 7);  // a failed conversion leaves the target alone
}

TEST(StrUtils, TrimmingAndBlanks) {
  EXPECT_EQ(TrimBlanks("\t x \t"), "x");
  EXPECT_EQ(TrimBlanks("\rx\n"), "\rx\n");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(Edited(TrimRightSpaces, "  a \t"), "  a \t");
  EXPECT_EQ(Edited(TrimLeftSpaces, "  a \t"), "a \t");
  EXPECT_EQ(Edited(TrimRightSpaces, "   "), "");
  EXPECT_EQ(RemoveBlanks(" a\tb c "), "abc");
  EXPECT_EQ(RemoveBlanksOutsideQuotes("a = ' x y ' + b"), "a=' x y '+b");
  EXPECT_EQ(CollapseBlanks("a  b"), "a b ");
  EXPECT_EQ(CollapseBlanks("\t a\r\nb\x01"), "a b ");
  EXPECT_EQ(CollapseBlanks("  "), "");
}

TEST(StrUtils, PadStrGivesExactlyWidthCharacters) {
  struct Case { const char* text; int width; bool left; const char* padded; };
  for (const Case& c : {Case{"ab", 5, false, "ab..."}, {"ab", 5, true, "...ab"}, {"abcdef", 3, true, "abc"},
                        {"", 1, false, "."}, {"ab", 0, false, ""}, {"ab", -2, false, ""}})
    EXPECT_EQ(PadStr(c.text, c.width, c.left, '.'), c.padded) << c.text << " " << c.width;
}

TEST(StrUtils, CaseConversions) {
  // Only the Russian letters: ў stays for RusUpCase but not for UpperStr.
  for (const std::string& pair : {"zZ"s, "яЯ"_w, "ёЁ"_w, "ўў"_w, "11"s})
    EXPECT_EQ(RusUpCase(pair[0]), pair[1]) << pair;
  EXPECT_EQ(UpperStr("abc абв ёўіїєґђ 1"_w), "ABC АБВ ЁЎІЇЄҐЂ 1"_w);
  EXPECT_EQ(Edited(MakeUpperCase, "Привет, world"_w), "ПРИВЕТ, WORLD"_w);
  EXPECT_EQ(UpperOutsideQuotesStr("sum('abc')+ё'x'y"_w), "SUM('abc')+Ё'x'Y"_w);
  EXPECT_EQ(Edited(UpperOutsideQuotes, "a'b"), "A'b");
  EXPECT_EQ(CyrLookalikesToLatin("АВСДЕНКМОРТИХУ"_w), "ABCDEHKMOPTUXY");
  EXPECT_EQ(CyrLookalikesToLatin("аьсдектпоргиху"_w), "abcdekmnopruxy");
  EXPECT_EQ(CyrLookalikesToLatin("ЁёБбЯ Z9"_w), "ЁёБбЯ Z9"_w);
}

TEST(StrUtils, PlainSearches) {
  EXPECT_EQ(std::tuple(CharCount('a', "banana"), CharPos('n', "banana"), CharPos('x', "banana")),
            std::tuple(3, 3, 0));
  for (auto [from, pos] : {std::pair{1, 2}, {3, 4}, {5, 0}, {99, 0}, {-3, 2}})
    EXPECT_EQ(PosFrom("an", "banana", from), pos) << from;
}

TEST(StrUtils, QuoteAndBracketAwareSearch) {
  // A bracket inside quotes does not count; the closing bracket itself is found.
  for (const auto& [in, pos] : Nums{{"f(a,b),c", 7}, {"'a,b',c", 6}, {"x[1,2](a[3,4]),y", 15},
                                    {"'(',x", 4}, {"(a,b", 0}})
    EXPECT_EQ(PosTopLevel(",", in), pos) << in;
  EXPECT_EQ(PosTopLevel(")", "(a)"), 3);
  EXPECT_EQ(PosTopLevel("", "abc"), 1);
  EXPECT_EQ(PosTopLevel("", ""), 0);
  EXPECT_EQ(PosTopLevel("AND", "(a AND b) AND c"), 11);
  EXPECT_EQ(PosOutsideQuotes(",", "(a,b)"), 3);
  EXPECT_EQ(PosOutsideQuotes(",", "'a,b'"), 0);
  EXPECT_EQ(PosOutsideQuotes(",", "\"a,b\""), 3);
  // Each quote kind is closed only by itself.
  EXPECT_EQ(PosOutsideAnyQuotes(",", "\"a,b\",c"), 6);
  EXPECT_EQ(PosOutsideAnyQuotes(",", "\"it's,\",x"), 8);
  EXPECT_EQ(PosOutsideAnyQuotes(",", "'say \"hi,',y"), 11);
}

TEST(StrUtils, MatchingBrackets) {
  struct Case { bool paren; const char* text; int pos; bool unclosed; };
  for (const Case& c : {Case{true, "(a(b)c)d", 7, false}, {true, "(a[)]b)", 4, true},
                        {true, "(a')'b)", 7, false}, {true, "(a(b)", 6, true}, {true, "", 1, true},
                        {false, "[1,(2])]", 6, true}, {false, "[a[1]](x)", 6, false}}) {
    bool unclosed = !c.unclosed;
    EXPECT_EQ(c.paren ? MatchingParenPos(c.text, unclosed) : MatchingBracketPos(c.text, unclosed),
              c.pos) << c.text;
    EXPECT_EQ(unclosed, c.unclosed) << c.text;
  }
}

TEST(StrUtils, FindNextEnclosedWalksPairs) {
  int from = 1, close = 0, open = 0;
  auto next = [&] {
    const bool found = FindNextEnclosed("a|b|c|d", '|', from, close, open);
    return std::tuple{found, open, close, from};
  };
  EXPECT_EQ(next(), std::tuple(true, 2, 4, 5));
  EXPECT_EQ(next(), std::tuple(false, 6, 8, 9));
  EXPECT_EQ(next(), std::tuple(false, 8, 8, 8));
}

TEST(StrUtils, SplittingRespectsQuotesAndBrackets) {
  EXPECT_EQ(SplitParamList("a, (b,c) ,'d,e'"), L({"a", "(b,c)", "'d,e'"}));
  EXPECT_EQ(SplitParamList(""), L({""}));
  EXPECT_EQ(SplitParamList("a,,b,"), L({"a", "", "b", ""}));
  EXPECT_EQ(SplitParamList("f(x[1,2]),'it''s, ok'"), L({"f(x[1,2])", "'it''s, ok'"}));
  EXPECT_EQ(SplitTopLevel("  ", ';'), L({}));
  EXPECT_EQ(SplitTopLevel(" a;(b;c); ", ';'), L({"a", "(b;c)", ""}));
  EXPECT_EQ(SplitOutsideQuotes("a;;\"x;y\"", ';'), L({"a", "\"x;y\""}));
  EXPECT_EQ(SplitOutsideQuotes(" ; 'p;q' ;", ';'), L({"'p;q'"}));
  EXPECT_EQ(SplitByStr(" a || b |||| c ", "||"), L({"a", "b", "", "c"}));
  EXPECT_EQ(SplitByStr("'a||b'", "||"), L({"'a", "b'"}));  // plain search
  EXPECT_EQ(SplitByStr("", "|"), L({}));
  EXPECT_EQ(SplitByStr("abc", ""), L({}));
}

TEST(StrUtils, CuttingItems) {
  std::string s = " f(a,b) , rest,x ";
  bool noSep = true;
  EXPECT_EQ(CutTopLevelItem(s, ',', noSep), "f(a,b)");
  EXPECT_EQ(std::pair(noSep, s), std::pair(false, "rest,x"s));
  s = " last ";
  EXPECT_EQ(CutTopLevelItem(s, ',', noSep), " last ");
  EXPECT_EQ(std::pair(noSep, s), std::pair(true, " last "s));

  s = " 12 , x,3";
  // Without a comma the last item is taken as it stands, blanks and all.
  for (auto [value, rest] : {std::pair{12, " x,3"}, {-1, "3"}, {3, ""}}) {
    EXPECT_EQ(CutIntItem(s), value);
    EXPECT_EQ(s, rest);
  }
  s = "4 ";
  EXPECT_EQ(CutIntItem(s), -1);
  EXPECT_EQ(s, "");

  int values[4] = {9, 9, 9, 9};
  StrToIntArray(" 1, x ,3 ", values);
  EXPECT_EQ(IntArrayToStr(values), "1,0,3,9");
  int two[2] = {5, 5};
  StrToIntArray("7,8,9", two);
  StrToIntArray("", two);
  EXPECT_EQ(IntArrayToStr(two), "7,8");
  EXPECT_EQ(IntArrayToStr(std::span<const int>()), "");
}

TEST(StrUtils, ReferencesAndColonNumbers) {
  for (const auto& [in, out] : Pairs{{"[ Name : 3 : 4 ]", "Name|3|4"}, {"<X:y>", "X|0|0"},
                                     {"[ abc ]", "abc|0|0"}, {"[A:1:2:3]", "A|1|0"}, {"x", "|0|0"}})
    EXPECT_EQ(Ref(in), out) << in;
  EXPECT_EQ(ColonNums("ab: 5 :6", 1), "5|6");
  EXPECT_EQ(ColonNums("a:1:2", 3), "2|0");  // the first colon is before From
  EXPECT_EQ(ColonNums("abc:", 1), "0|0");   // a final colon does not count
  EXPECT_EQ(ColonNums("a:7", 9), "0|0");
}

TEST(StrUtils, DelimitedListMembership) {
  EXPECT_TRUE(IsInDelimitedList("A||B", "b", "||"));
  EXPECT_TRUE(IsInDelimitedList(" да ; нет "_w, "НЕТ"_w, ";"));
  EXPECT_TRUE(IsInDelimitedList("a x b", " B ", "x"));  // the separator is upper-cased too
  EXPECT_FALSE(IsInDelimitedList("A||B", "|B", "||"));
  EXPECT_FALSE(IsInDelimitedList("A,B", "", ","));
  EXPECT_FALSE(IsInDelimitedList("A,B", "A", ""));
}

TEST(StrUtils, StringLiteralsParse) {
  for (const auto& [in, out] : Pairs{{"'it''s'", "it's"}, {"'a'#13#10'b'", "a\r\nb"}, {"#65", "A"},
                                     {"''", ""}, {"''''", "'"}, {"'a'''", "a'"},
                                     {"#0#255", std::string("\0\xFF", 2)}})
    EXPECT_EQ(Lit(in), out) << in;
  for (const char* bad : {"'a' 'b'", "'abc", "#256", "#99999999999", "#", "#x", "x", "'", "",
                          "'a'b", "#65 "})
    EXPECT_EQ(Lit(bad), "<error>") << bad;
}

TEST(StrUtils, StringLiteralsQuoteAndRoundTrip) {
  for (const auto& [in, out] : Pairs{{"", "''"}, {"it's", "'it'#39's'"}, {"a\r\nb", "'a'#13#10'b'"},
                                     {"'", "#39"}, {"Цена"_w, "'Цена'"_w}})
    EXPECT_EQ(QuoteStrLiteral(in), out) << in;
  std::string all;
  for (int b = 255; b >= 0; --b) all += static_cast<char>(b);
  for (const std::string& text : {"it's\nok"s, all, "''"s, "Ёлка 'новая'\t№5"_w})
    EXPECT_EQ(Lit(QuoteStrLiteral(text)), text);

  // A failed unquote leaves nothing behind.
  for (const auto& [in, out] : Pairs{{"'a'b'", "a'b"}, {"''", ""}, {"'", "<false>"}, {"'ab", "<false>"}}) {
    std::string inner = "junk";
    EXPECT_EQ(UnquoteStr(in, inner) ? inner : "<false>" + inner, out) << in;
  }
}

TEST(StrUtils, HtmlEncoding) {
  EXPECT_EQ(EncodeHtmlChars("Az 09 !(),-.=?Яя"_w), "Az 09 !(),-.=?Яя"_w);
  EXPECT_EQ(EncodeHtmlChars("<a&b>"), "&#60;a&#38;b&#62;");
  EXPECT_EQ(EncodeHtmlChars("Ёё\""_w), "&#168;&#184;&#34;");
}

TEST(StrUtils, NumericFieldCheck) {
  struct Case { const char* text; int width, decimals; bool valid; };
  // Width 0 means 20 wide with 10 decimals, whatever Decimals says; absurd
  // field descriptions are refused, not overflowed.
  for (const Case& c : {Case{"-.5", 10, 2, false}, {"12.345", 10, 2, false}, {"1234567", 8, 2, false},
                        {"123.45", 6, 2, true}, {"123456", 6, 0, true}, {"1234567", 6, 0, false},
                        {"-12345", 6, 0, true}, {"1.5", 6, 0, false}, {"12345", 8, 2, true},
                        {"123456", 8, 2, false}, {"1234.5", 6, 2, false}, {"1.", 6, 2, true},
                        {".5", 6, 2, false}, {"-", 6, 2, false}, {"", 6, 2, false},
                        {"1.2.3", 10, 4, false}, {"1e5", 10, 0, false}, {" 1", 10, 0, false},
                        {"1-", 10, 0, false}, {"123456789.0123456789", 0, 0, true},
                        {"1234567890.1", 0, 0, false}, {"1.01234567890", 0, 0, false},
                        {"1.5", INT32_MIN, 1, false}, {"15", INT32_MIN + 1, 2, false},
                        {"1.5", INT32_MAX, 1, true}, {"1.5", 5, INT32_MIN, false}})
    EXPECT_EQ(IsValidNumStr(c.text, c.width, c.decimals), c.valid)
        << c.text << " " << c.width << "," << c.decimals;
}

TEST(StrUtils, IntegerTexts) {
  EXPECT_TRUE(IsValidIntStr("0", 0));
  EXPECT_TRUE(IsValidIntStr("0255", 255));
  for (const char* bad : {"256", "", "-1", " 1", "99999999999999999999999"})
    EXPECT_FALSE(IsValidIntStr(bad, 255)) << bad;
  EXPECT_EQ(std::pair(TrimStrToInt(" \t-17 "), TrimStrToInt("abc")), std::pair(-17, 0));
  EXPECT_EQ(std::tuple(DigitsToInt("12.03.1999"), DigitsToInt("no digits"), DigitsToInt("a-5")),
            std::tuple(12031999, 0, 5));
  EXPECT_EQ(CommaToPoint("1,5,6"), "1.5,6");
  // A bad digit is a 0 that keeps its place.
  for (const auto& [in, out] : Nums{{"ff", 255}, {"1F", 31}, {"1g", 16}, {"", 0}})
    EXPECT_EQ(HexStrToInt(in), out) << in;
  EXPECT_EQ(std::pair(BoolToYesNo(true), BoolToYesNo(false)), std::pair("Да"_w, "Нет"_w));
  EXPECT_EQ(std::pair(Max2(-1, -5), Max3(1, 7, 3)), std::pair(-1, 7));
}

TEST(StrUtils, BaseConversions) {
  struct Digits { int value, base, width; std::string text; };
  for (const Digits& c : {Digits{255, 16, 4, "00FF"}, {255, 16, 1, "F"}, {0, 10, 0, "0"}, {5, 2, -1, "101"},
                          {-1, 16, 0, "FFFFFFFF"}, {-1, 2, 0, std::string(32, '1')}, {35, 36, 0, "Z"},
                          {7, 1, 0, "0"}, {7, 0, 3, "000"}})
    EXPECT_EQ(IntToBaseStr(c.value, c.base, c.width), c.text) << c.value << " base " << c.base;
  // Characters below '0', between '9' and 'A', or past the base are 0 digits,
  // never negative; values past the range stop at the largest.
  struct Case { const char* text; int base, value; };
  for (const Case& c : {Case{"1x1", 2, 5}, {"1 1", 2, 5}, {"1:", 16, 16}, {"ff", 16, 255},
                        {"19", 8, 8}, {"Zz", 36, 36 * 35 + 35}, {"", 10, 0},
                        {"7FFFFFFF", 16, INT32_MAX}, {"FFFFFFFF", 16, INT32_MAX},
                        {"1000000000000000000000000000000000000000", 10, INT32_MAX},
                        {"0000000000000000000000000000000000000012", 10, 12}})
    EXPECT_EQ(BaseStrToInt(c.text, c.base), c.value) << c.text << " base " << c.base;
  for (int v : {0, 1, 35, 36, 1000, 65535, INT32_MAX})
    for (int base : {2, 8, 10, 16, 36})
      EXPECT_EQ(BaseStrToInt(IntToBaseStr(v, base, 0), base), v) << v << " " << base;
}

TEST(StrUtils, ListLookupsIgnoreCase) {
  const StringList list = {"alpha", " Beta ", "ЁЛКА"_w, "beta"};
  // " Beta " is not trimmed for ListIndexOfText.
  for (const auto& [text, index] : Nums{{"ALPHA", 0}, {"beta", 3}, {"ёлка"_w, 2}, {"елка"_w, -1}})
    EXPECT_EQ(ListIndexOfText(list, text), index) << text;
  EXPECT_EQ(ListIndexOfTrimmed(list, "BETA\t"), 1);
  EXPECT_EQ(ListIndexOfTrimmed(list, "gamma"), -1);
  EXPECT_EQ(ListIndexOfTrimmed({}, "x"), -1);

  // The position after every equal item.
  const StringList sorted = L({"a", "b", "B", "c"});
  struct Case { const char* text; int from, pos; };
  for (const Case& c : {Case{"b", 0, 3}, {"A", 0, 1}, {"0", 0, 0}, {"z", 0, 4}, {"0", 2, 2}, {"0", 9, 4}})
    EXPECT_EQ(FindSortedPos(sorted, c.text, c.from), c.pos) << c.text << " from " << c.from;
  EXPECT_EQ(std::tuple(CompareStrLocale("abc", "ABC", false), CompareStrLocale("abc", "ABC", true),
                       CompareStrLocale("b", "A", true)),
            std::tuple(0, -1, 1));
}

namespace {

// The closest-string score as the plain recursion states it.
int NaiveMatchScore(std::string_view a, std::string_view b) {
  if (a[0] == b[0]) {
    return 1 + (a.size() >= 2 && b.size() >= 2 ? NaiveMatchScore(a.substr(1), b.substr(1)) : 0);
  }
  int best = -1;
  bool any = false;
  if (a.size() >= 2) {
    any = true;
    best = std::max(best, a[1] == b[0] ? NaiveMatchScore(a.substr(1), b) : -1);
  }
  if (b.size() >= 2) {
    any = true;
    best = std::max(best, a[0] == b[1] ? NaiveMatchScore(a, b.substr(1)) - 1 : -1);
  }
  if (a.size() >= 2 && b.size() >= 2) {
    best = std::max(best, a[1] == b[1] ? NaiveMatchScore(a.substr(1), b.substr(1)) : -1);
  }
  return any ? best : -1;
}

}  // namespace

TEST(StrUtils, MatchScoreAgreesWithTheRecursion) {
  EXPECT_EQ(MatchScore("abc", "xabc"), 2);  // skipping b's first character costs one
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> len(1, 9), ch(0, 2);
  for (int n = 0; n < 3000; ++n) {
    std::string a, b;
    for (int k = len(rng); k > 0; --k) a += static_cast<char>('a' + ch(rng));
    for (int k = len(rng); k > 0; --k) b += static_cast<char>('a' + ch(rng));
    ASSERT_EQ(MatchScore(a, b), NaiveMatchScore(a, b)) << a << " / " << b;
  }
}

TEST(StrUtils, SimilarityAndClosestString) {
  // A five-character key has windows of 6 characters (6.5 rounds to even);
  // a window of 7 would give 60 and 20 for the last two.
  struct Case { const char* key; const char* text; bool sameStart; int percent; };
  for (const Case& c : {Case{"BC", "ABCD", true, 100}, {"ABC", "XAXC", true, 66}, {"ABC", "XYZ", true, 0},
                        {"ABC", "XBC", false, 66}, {"ABC", "XBC", true, 0}, {"ABCDE", "CABECDBE", true, 40},
                        {"ABCDE", "AXBCCDBA", true, 40}})
    EXPECT_EQ(SimilarityPercent(c.key, c.text, c.sameStart), c.percent) << c.key << " in " << c.text;

  EXPECT_EQ(FindClosestString("x", {}), -1);
  for (const char* key : {"  ", ""}) EXPECT_EQ(FindClosestString(key, L({"a"})), -1) << key;
  // The equal item wins over an earlier one that contains the key.
  EXPECT_EQ(FindClosestString(" store ", L({"Storeroom 4", "", " STORE"})), 2);
  EXPECT_EQ(FindClosestString("Store", L({"Box 1", "Storeroom 4", "Store 5"})), 2);
  // Nothing alike: the first non-empty item still counts.
  EXPECT_EQ(FindClosestString("q", L({"", "abc", "de"})), 2);
  EXPECT_EQ(FindClosestString("q", L({"", "abc", "def"})), 1);
  EXPECT_EQ(FindClosestString("принтер"_w, StringList{"Plotter", "ПРИНТЕР 2"_w}), 1);
}
