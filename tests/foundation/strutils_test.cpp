#include "foundation/strutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "foundation/encoding.h"

using namespace vm;

namespace {

StringList L(std::initializer_list<const char*> items) {
  return StringList(items.begin(), items.end());
}

// The integer of a text, or "bad".
std::string Int(std::string_view s) {
  std::int32_t v = 0;
  return TryStrToInt(s, v) ? std::to_string(v) : "bad";
}

// The value of a literal, or "<error>".
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
  EXPECT_EQ(Int(" \t-42"), "-42");
  EXPECT_EQ(Int("+8"), "8");
  EXPECT_EQ(Int("$1f"), "31");
  EXPECT_EQ(Int("0X10"), "16");
  EXPECT_EQ(Int("-$10"), "-16");
  EXPECT_EQ(Int("$FFFFFFFF"), "-1");
  EXPECT_EQ(Int("-2147483648"), "-2147483648");
  EXPECT_EQ(Int("2147483647"), "2147483647");
  for (const char* bad : {"", " ", "-", "$", "0x", "12 ", "1.5", "2147483648", "-2147483649",
                          "$100000000", "1a", "--1"}) {
    EXPECT_EQ(Int(bad), "bad") << bad;
  }
  std::int32_t v = 7;
  EXPECT_FALSE(TryStrToInt("x", v));
  EXPECT_EQ(v, 7);  // a failed conversion leaves the target alone
}

TEST(StrUtils, TrimmingAndBlanks) {
  EXPECT_EQ(TrimBlanks("\t x \t"), "x");
  EXPECT_EQ(TrimBlanks("\rx\n"), "\rx\n");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  std::string s = "  a \t";
  TrimRightSpaces(s);
  EXPECT_EQ(s, "  a \t");
  TrimLeftSpaces(s);
  EXPECT_EQ(s, "a \t");
  s = "   ";
  TrimRightSpaces(s);
  EXPECT_EQ(s, "");
  EXPECT_EQ(RemoveBlanks(" a\tb c "), "abc");
  EXPECT_EQ(RemoveBlanksOutsideQuotes("a = ' x y ' + b"), "a=' x y '+b");
  EXPECT_EQ(CollapseBlanks("a  b"), "a b ");
  EXPECT_EQ(CollapseBlanks("\t a\r\nb\x01"), "a b ");
  EXPECT_EQ(CollapseBlanks("  "), "");
}

TEST(StrUtils, PadStrGivesExactlyWidthCharacters) {
  EXPECT_EQ(PadStr("ab", 5, false, '.'), "ab...");
  EXPECT_EQ(PadStr("ab", 5, true, '.'), "...ab");
  EXPECT_EQ(PadStr("abcdef", 3, true, '.'), "abc");
  EXPECT_EQ(PadStr("", 3, false, '*'), "***");
  EXPECT_EQ(PadStr("", 1, false, '*'), "*");
  EXPECT_EQ(PadStr("ab", 0, false, '.'), "");
  EXPECT_EQ(PadStr("ab", -2, false, '.'), "");
}

TEST(StrUtils, CaseConversions) {
  EXPECT_EQ(RusUpCase('z'), 'Z');
  EXPECT_EQ(RusUpCase("я"_w[0]), "Я"_w[0]);
  EXPECT_EQ(RusUpCase("ё"_w[0]), "Ё"_w[0]);
  // Only the Russian letters: ў stays for RusUpCase but not for UpperStr.
  EXPECT_EQ(RusUpCase("ў"_w[0]), "ў"_w[0]);
  EXPECT_EQ(RusUpCase('1'), '1');
  EXPECT_EQ(UpperStr("abc абв ёўіїєґђ 1"_w), "ABC АБВ ЁЎІЇЄҐЂ 1"_w);
  std::string s = "Привет, world"_w;
  MakeUpperCase(s);
  EXPECT_EQ(s, "ПРИВЕТ, WORLD"_w);
  EXPECT_EQ(UpperOutsideQuotesStr("sum('abc')+ё'x'y"_w), "SUM('abc')+Ё'x'Y"_w);
  std::string q = "a'b";
  UpperOutsideQuotes(q);
  EXPECT_EQ(q, "A'b");
  EXPECT_EQ(CyrLookalikesToLatin("АВСДЕНКМОРТИХУ"_w), "ABCDEHKMOPTUXY");
  EXPECT_EQ(CyrLookalikesToLatin("аьсдектпоргиху"_w), "abcdekmnopruxy");
  EXPECT_EQ(CyrLookalikesToLatin("ЁёБбЯ Z9"_w), "ЁёБбЯ Z9"_w);
}

TEST(StrUtils, PlainSearches) {
  EXPECT_EQ(CharCount('a', "banana"), 3);
  EXPECT_EQ(CharPos('n', "banana"), 3);
  EXPECT_EQ(CharPos('x', "banana"), 0);
  EXPECT_EQ(PosFrom("an", "banana", 1), 2);
  EXPECT_EQ(PosFrom("an", "banana", 3), 4);
  EXPECT_EQ(PosFrom("an", "banana", 5), 0);
  EXPECT_EQ(PosFrom("an", "banana", 99), 0);
  EXPECT_EQ(PosFrom("an", "banana", -3), 2);
}

TEST(StrUtils, QuoteAndBracketAwareSearch) {
  EXPECT_EQ(PosTopLevel(",", "f(a,b),c"), 7);
  EXPECT_EQ(PosTopLevel(",", "'a,b',c"), 6);
  EXPECT_EQ(PosTopLevel(",", "x[1,2](a[3,4]),y"), 15);
  EXPECT_EQ(PosTopLevel(",", "'(',x"), 4);  // a bracket inside quotes does not count
  EXPECT_EQ(PosTopLevel(",", "(a,b"), 0);
  EXPECT_EQ(PosTopLevel(")", "(a)"), 3);    // the closing bracket itself is found
  EXPECT_EQ(PosTopLevel("", "abc"), 1);
  EXPECT_EQ(PosTopLevel("", ""), 0);
  EXPECT_EQ(PosTopLevel("AND", "(a AND b) AND c"), 11);
  EXPECT_EQ(PosOutsideQuotes(",", "(a,b)"), 3);
  EXPECT_EQ(PosOutsideQuotes(",", "'a,b'"), 0);
  EXPECT_EQ(PosOutsideQuotes(",", "\"a,b\""), 3);
  EXPECT_EQ(PosOutsideAnyQuotes(",", "\"a,b\",c"), 6);
  // Each quote kind is closed only by itself.
  EXPECT_EQ(PosOutsideAnyQuotes(",", "\"it's,\",x"), 8);
  EXPECT_EQ(PosOutsideAnyQuotes(",", "'say \"hi,',y"), 11);
}

TEST(StrUtils, MatchingBrackets) {
  bool unclosed = false;
  EXPECT_EQ(MatchingParenPos("(a(b)c)d", unclosed), 7);
  EXPECT_FALSE(unclosed);
  EXPECT_EQ(MatchingParenPos("(a[)]b)", unclosed), 4);
  EXPECT_TRUE(unclosed);  // interleaved
  EXPECT_EQ(MatchingParenPos("(a')'b)", unclosed), 7);
  EXPECT_FALSE(unclosed);
  EXPECT_EQ(MatchingParenPos("(a(b)", unclosed), 6);
  EXPECT_TRUE(unclosed);
  EXPECT_EQ(MatchingParenPos("", unclosed), 1);
  EXPECT_TRUE(unclosed);
  EXPECT_EQ(MatchingBracketPos("[1,(2])]", unclosed), 6);
  EXPECT_TRUE(unclosed);
  EXPECT_EQ(MatchingBracketPos("[a[1]](x)", unclosed), 6);
  EXPECT_FALSE(unclosed);
}

TEST(StrUtils, FindNextEnclosedWalksPairs) {
  const std::string s = "a|b|c|d";  // '|' at 2, 4, 6
  int from = 1, close = 0, open = 0;
  EXPECT_TRUE(FindNextEnclosed(s, '|', from, close, open));
  EXPECT_EQ(open, 2);
  EXPECT_EQ(close, 4);
  EXPECT_EQ(from, 5);
  EXPECT_FALSE(FindNextEnclosed(s, '|', from, close, open));
  EXPECT_EQ(open, 6);
  EXPECT_EQ(close, 8);
  EXPECT_EQ(from, 9);
  EXPECT_FALSE(FindNextEnclosed(s, '|', from, close, open));
  EXPECT_EQ(open, 8);
  EXPECT_EQ(close, 8);
  EXPECT_EQ(from, 8);
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
  EXPECT_FALSE(noSep);
  EXPECT_EQ(s, "rest,x");
  s = " last ";
  EXPECT_EQ(CutTopLevelItem(s, ',', noSep), " last ");
  EXPECT_TRUE(noSep);
  EXPECT_EQ(s, " last ");

  s = " 12 , x,3";
  EXPECT_EQ(CutIntItem(s), 12);
  EXPECT_EQ(s, " x,3");
  EXPECT_EQ(CutIntItem(s), -1);
  EXPECT_EQ(s, "3");
  EXPECT_EQ(CutIntItem(s), 3);
  EXPECT_EQ(s, "");
  s = "4 ";  // without a comma the text is taken as it stands
  EXPECT_EQ(CutIntItem(s), -1);
  EXPECT_EQ(s, "");

  int values[4] = {9, 9, 9, 9};
  StrToIntArray(" 1, x ,3 ", values);
  EXPECT_EQ(IntArrayToStr(values), "1,0,3,9");
  int two[2] = {5, 5};
  StrToIntArray("7,8,9", two);
  EXPECT_EQ(IntArrayToStr(two), "7,8");
  StrToIntArray("", two);
  EXPECT_EQ(IntArrayToStr(two), "7,8");
  EXPECT_EQ(IntArrayToStr(std::span<const int>()), "");
}

TEST(StrUtils, ReferencesAndColonNumbers) {
  EXPECT_EQ(Ref("[ Name : 3 : 4 ]"), "Name|3|4");
  EXPECT_EQ(Ref("<X:y>"), "X|0|0");
  EXPECT_EQ(Ref("[ abc ]"), "abc|0|0");
  EXPECT_EQ(Ref("[A:1:2:3]"), "A|1|0");
  EXPECT_EQ(Ref("x"), "|0|0");

  EXPECT_EQ(ColonNums("ab: 5 :6", 1), "5|6");
  EXPECT_EQ(ColonNums("a:1:2", 3), "2|0");  // the first colon is before From
  EXPECT_EQ(ColonNums("abc:", 1), "0|0");   // a final colon does not count
  EXPECT_EQ(ColonNums("abc", 1), "0|0");
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
  EXPECT_EQ(Lit("'it''s'"), "it's");
  EXPECT_EQ(Lit("'a'#13#10'b'"), "a\r\nb");
  EXPECT_EQ(Lit("#65"), "A");
  EXPECT_EQ(Lit("''"), "");
  EXPECT_EQ(Lit("''''"), "'");
  EXPECT_EQ(Lit("'a'''"), "a'");
  EXPECT_EQ(Lit("#0#255"), std::string("\0\xFF", 2));
  for (const char* bad : {"'a' 'b'", "'abc", "#256", "#99999999999", "#", "#x", "x", "'", "",
                          "'a'b", "#65 "}) {
    EXPECT_EQ(Lit(bad), "<error>") << bad;
  }
}

TEST(StrUtils, StringLiteralsQuoteAndRoundTrip) {
  EXPECT_EQ(QuoteStrLiteral(""), "''");
  EXPECT_EQ(QuoteStrLiteral("it's"), "'it'#39's'");
  EXPECT_EQ(QuoteStrLiteral("a\r\nb"), "'a'#13#10'b'");
  EXPECT_EQ(QuoteStrLiteral("'"), "#39");
  EXPECT_EQ(QuoteStrLiteral("Цена"_w), "'Цена'"_w);
  std::string all;
  for (int b = 255; b >= 0; --b) all += static_cast<char>(b);
  for (const std::string& text : {std::string("it's\nok"), all, std::string("''"),
                                  "Ёлка 'новая'\t№5"_w}) {
    EXPECT_EQ(Lit(QuoteStrLiteral(text)), text);
  }
  std::string inner = "junk";
  EXPECT_TRUE(UnquoteStr("'a'b'", inner));
  EXPECT_EQ(inner, "a'b");
  EXPECT_TRUE(UnquoteStr("''", inner));
  EXPECT_EQ(inner, "");
  inner = "junk";
  EXPECT_FALSE(UnquoteStr("'", inner));
  EXPECT_EQ(inner, "");
  EXPECT_FALSE(UnquoteStr("'ab", inner));
}

TEST(StrUtils, HtmlEncoding) {
  EXPECT_EQ(EncodeHtmlChars("Az 09 !(),-.=?"), "Az 09 !(),-.=?");
  EXPECT_EQ(EncodeHtmlChars("Яя"_w), "Яя"_w);
  EXPECT_EQ(EncodeHtmlChars("<a&b>"), "&#60;a&#38;b&#62;");
  EXPECT_EQ(EncodeHtmlChars("Ёё\""_w), "&#168;&#184;&#34;");
}

TEST(StrUtils, NumericFieldCheck) {
  EXPECT_FALSE(IsValidNumStr("-.5", 10, 2));
  EXPECT_FALSE(IsValidNumStr("12.345", 10, 2));
  EXPECT_FALSE(IsValidNumStr("1234567", 8, 2));
  EXPECT_TRUE(IsValidNumStr("123.45", 6, 2));
  EXPECT_TRUE(IsValidNumStr("123456", 6, 0));
  EXPECT_FALSE(IsValidNumStr("1234567", 6, 0));
  EXPECT_TRUE(IsValidNumStr("-12345", 6, 0));  // the minus counts in the width
  EXPECT_FALSE(IsValidNumStr("1.5", 6, 0));    // no point without decimals
  EXPECT_TRUE(IsValidNumStr("12345", 8, 2));
  EXPECT_FALSE(IsValidNumStr("123456", 8, 2));
  EXPECT_FALSE(IsValidNumStr("1234.5", 6, 2));
  EXPECT_TRUE(IsValidNumStr("1.", 6, 2));
  EXPECT_FALSE(IsValidNumStr(".5", 6, 2));
  EXPECT_FALSE(IsValidNumStr("-", 6, 2));
  EXPECT_FALSE(IsValidNumStr("", 6, 2));
  EXPECT_FALSE(IsValidNumStr("1.2.3", 10, 4));
  EXPECT_FALSE(IsValidNumStr("1e5", 10, 0));
  EXPECT_FALSE(IsValidNumStr(" 1", 10, 0));
  EXPECT_FALSE(IsValidNumStr("1-", 10, 0));
  // Width 0: 20 wide with 10 decimals, whatever Decimals says.
  EXPECT_TRUE(IsValidNumStr("123456789.0123456789", 0, 0));
  EXPECT_FALSE(IsValidNumStr("1234567890.1", 0, 0));
  EXPECT_FALSE(IsValidNumStr("1.01234567890", 0, 0));
  // Absurd field descriptions are refused, not overflowed.
  EXPECT_FALSE(IsValidNumStr("1.5", INT32_MIN, 1));
  EXPECT_FALSE(IsValidNumStr("15", INT32_MIN + 1, 2));
  EXPECT_TRUE(IsValidNumStr("1.5", INT32_MAX, 1));
  EXPECT_FALSE(IsValidNumStr("1.5", 5, INT32_MIN));
}

TEST(StrUtils, IntegerTexts) {
  EXPECT_TRUE(IsValidIntStr("0", 0));
  EXPECT_TRUE(IsValidIntStr("0255", 255));
  EXPECT_FALSE(IsValidIntStr("256", 255));
  EXPECT_FALSE(IsValidIntStr("", 255));
  EXPECT_FALSE(IsValidIntStr("-1", 255));
  EXPECT_FALSE(IsValidIntStr(" 1", 255));
  EXPECT_FALSE(IsValidIntStr("99999999999999999999999", 255));
  EXPECT_EQ(TrimStrToInt(" \t-17 "), -17);
  EXPECT_EQ(TrimStrToInt("abc"), 0);
  EXPECT_EQ(DigitsToInt("12.03.1999"), 12031999);
  EXPECT_EQ(DigitsToInt("no digits"), 0);
  EXPECT_EQ(DigitsToInt("a-5"), 5);
  EXPECT_EQ(CommaToPoint("1,5,6"), "1.5,6");
  EXPECT_EQ(HexStrToInt("ff"), 255);
  EXPECT_EQ(HexStrToInt("1F"), 31);
  EXPECT_EQ(HexStrToInt("1g"), 16);  // the bad digit is a 0 that keeps its place
  EXPECT_EQ(HexStrToInt(""), 0);
  EXPECT_EQ(BoolToYesNo(true), "Да"_w);
  EXPECT_EQ(BoolToYesNo(false), "Нет"_w);
  EXPECT_EQ(Max2(-1, -5), -1);
  EXPECT_EQ(Max3(1, 7, 3), 7);
}

TEST(StrUtils, BaseConversions) {
  EXPECT_EQ(IntToBaseStr(255, 16, 4), "00FF");
  EXPECT_EQ(IntToBaseStr(255, 16, 1), "F");
  EXPECT_EQ(IntToBaseStr(0, 10, 0), "0");
  EXPECT_EQ(IntToBaseStr(5, 2, -1), "101");
  EXPECT_EQ(IntToBaseStr(-1, 16, 0), "FFFFFFFF");
  EXPECT_EQ(IntToBaseStr(-1, 2, 0), std::string(32, '1'));
  EXPECT_EQ(IntToBaseStr(35, 36, 0), "Z");
  EXPECT_EQ(IntToBaseStr(7, 1, 0), "0");
  EXPECT_EQ(IntToBaseStr(7, 0, 3), "000");

  EXPECT_EQ(BaseStrToInt("1x1", 2), 5);
  EXPECT_EQ(BaseStrToInt("1 1", 2), 5);   // below '0': still a 0 digit, never negative
  EXPECT_EQ(BaseStrToInt("1:", 16), 16);  // between '9' and 'A' is no digit either
  EXPECT_EQ(BaseStrToInt("ff", 16), 255);
  EXPECT_EQ(BaseStrToInt("19", 8), 8);    // 9 is no octal digit
  EXPECT_EQ(BaseStrToInt("Zz", 36), 36 * 35 + 35);
  EXPECT_EQ(BaseStrToInt("", 10), 0);
  EXPECT_EQ(BaseStrToInt("7FFFFFFF", 16), INT32_MAX);
  EXPECT_EQ(BaseStrToInt("FFFFFFFF", 16), INT32_MAX);
  EXPECT_EQ(BaseStrToInt("1000000000000000000000000000000000000000", 10), INT32_MAX);
  EXPECT_EQ(BaseStrToInt("0000000000000000000000000000000000000012", 10), 12);
  for (int v : {0, 1, 35, 36, 1000, 65535, INT32_MAX}) {
    for (int base : {2, 8, 10, 16, 36}) {
      EXPECT_EQ(BaseStrToInt(IntToBaseStr(v, base, 0), base), v) << v << " " << base;
    }
  }
}

TEST(StrUtils, ListLookupsIgnoreCase) {
  const StringList list = {"alpha", " Beta ", "ЁЛКА"_w, "beta"};
  EXPECT_EQ(ListIndexOfText(list, "ALPHA"), 0);
  EXPECT_EQ(ListIndexOfText(list, "beta"), 3);  // " Beta " is not trimmed
  EXPECT_EQ(ListIndexOfText(list, "ёлка"_w), 2);
  EXPECT_EQ(ListIndexOfText(list, "елка"_w), -1);
  EXPECT_EQ(ListIndexOfTrimmed(list, "BETA\t"), 1);
  EXPECT_EQ(ListIndexOfTrimmed(list, "gamma"), -1);
  EXPECT_EQ(ListIndexOfTrimmed({}, "x"), -1);

  const StringList sorted = L({"a", "b", "B", "c"});
  EXPECT_EQ(FindSortedPos(sorted, "b", 0), 3);  // after every equal item
  EXPECT_EQ(FindSortedPos(sorted, "A", 0), 1);
  EXPECT_EQ(FindSortedPos(sorted, "0", 0), 0);
  EXPECT_EQ(FindSortedPos(sorted, "z", 0), 4);
  EXPECT_EQ(FindSortedPos(sorted, "0", 2), 2);
  EXPECT_EQ(FindSortedPos(sorted, "0", 9), 4);
  EXPECT_EQ(CompareStrLocale("abc", "ABC", false), 0);
  EXPECT_EQ(CompareStrLocale("abc", "ABC", true), -1);
  EXPECT_EQ(CompareStrLocale("b", "A", true), 1);
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
  EXPECT_EQ(MatchScore("abc", "abc"), 3);
  EXPECT_EQ(MatchScore("a", "b"), -1);
  EXPECT_EQ(MatchScore("abc", "axc"), 2);
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
  EXPECT_EQ(SimilarityPercent("BC", "ABCD", true), 100);
  EXPECT_EQ(SimilarityPercent("ABC", "XAXC", true), 66);
  EXPECT_EQ(SimilarityPercent("ABC", "XYZ", true), 0);
  EXPECT_EQ(SimilarityPercent("ABC", "XBC", false), 66);
  EXPECT_EQ(SimilarityPercent("ABC", "XBC", true), 0);
  // A five-character key has windows of 6 characters (6.5 rounds to even);
  // a window of 7 would give 60 and 20.
  EXPECT_EQ(SimilarityPercent("ABCDE", "CABECDBE", true), 40);
  EXPECT_EQ(SimilarityPercent("ABCDE", "AXBCCDBA", true), 40);

  EXPECT_EQ(FindClosestString("x", {}), -1);
  EXPECT_EQ(FindClosestString("  ", L({"a"})), -1);
  EXPECT_EQ(FindClosestString("", L({"a"})), -1);
  // The equal item wins over an earlier one that contains the key.
  EXPECT_EQ(FindClosestString(" store ", L({"Storeroom 4", "", " STORE"})), 2);
  EXPECT_EQ(FindClosestString("Store", L({"Box 1", "Storeroom 4", "Store 5"})), 2);
  // Nothing alike: the first non-empty item still counts.
  EXPECT_EQ(FindClosestString("q", L({"", "abc", "de"})), 2);
  EXPECT_EQ(FindClosestString("q", L({"", "abc", "def"})), 1);
  EXPECT_EQ(FindClosestString("принтер"_w, StringList{"Plotter", "ПРИНТЕР 2"_w}), 1);
}
