// Text utilities: trimming, case, quote- and bracket-aware searching and
// splitting, the string-literal syntax of the document language (also the
// form of text values in the settings files), number checks and conversions,
// list look-ups and the closest-string search.
//
// Text is Windows-1251 bytes. Positions are 1-based and 0 means "not found";
// list indexes are 0-based and -1 means "not found". Nothing here throws for
// bad text: the result (0, -1, "" or a flag) says what went wrong.
//
// A blank is a space or a tab; the quote character is the apostrophe, a
// quoted part running from one apostrophe to the next. Brackets are "()" and
// "[]", each kind with its own depth.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.h"

namespace vm {

using StringList = std::vector<std::string>;

// --- Integer conversion ----------------------------------------------------

// The integer conversion every text routine uses: leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$" or "0x". Anything
// else, trailing blanks included, and a decimal value outside the 32-bit range
// fail. Hexadecimal takes up to 8 digits, read as the bits of the value
// ("$FFFFFFFF" is -1).
bool TryStrToInt(std::string_view s, std::int32_t& value);

// --- Trimming, blanks and padding --------------------------------------------

std::string TrimBlanks(std::string_view s);
void TrimLeftSpaces(std::string& s);   // spaces only, tabs stay
void TrimRightSpaces(std::string& s);  // spaces only, tabs stay
std::string RemoveBlanks(std::string_view s);
// Blanks inside quoted parts (and the apostrophes) stay.
std::string RemoveBlanksOutsideQuotes(std::string_view s);
// Control characters become spaces; every word is followed by exactly one
// space, so a non-empty result ends with a space.
std::string CollapseBlanks(std::string_view s);
// Exactly Width characters: S cut, or placed at the right (AlignRight) or
// left end of Width copies of FillChar. An empty S counts as FillChar itself.
std::string PadStr(std::string_view s, int width, bool alignRight, char fillChar);

// --- Case ----------------------------------------------------------------------

// RusUpCase (the narrow upper-casing) is in platform/encoding.h.
// Upper case of every letter of the code page.
std::string UpperStr(std::string_view s);
void MakeUpperCase(std::string& s);
// RusUpCase outside quoted parts.
void UpperOutsideQuotes(std::string& s);
std::string UpperOutsideQuotesStr(std::string_view s);
// Cyrillic letters that look like Latin ones become those Latin letters.
std::string CyrLookalikesToLatin(std::string_view s);

// --- Searching -----------------------------------------------------------------

int CharCount(char c, std::string_view s);
int CharPos(char c, std::string_view s);
// First Sub at or after Start (a Start below 1 counts as 1); 0 for an empty Sub.
int PosFrom(std::string_view sub, std::string_view s, int start);
// First Sub starting outside apostrophe quotes.
int PosOutsideQuotes(std::string_view sub, std::string_view s);
// The same with a second, independent quote character: the double quote.
int PosOutsideAnyQuotes(std::string_view sub, std::string_view s);
// First Sub starting outside quotes at depth 0 of both bracket kinds. The
// character at a candidate position counts before the match is tried, so a
// ")" that closes the outermost bracket can itself be found.
int PosTopLevel(std::string_view sub, std::string_view s);
// S[1] is "(" (resp. "["): the position of the bracket that closes it.
// Unclosed is set when the end comes first (the result is then Length + 1)
// or when the other bracket kind is still open at that point.
int MatchingParenPos(std::string_view s, bool& unclosed);
int MatchingBracketPos(std::string_view s, bool& unclosed);
// Open = first Ch at or after From, Close = the next Ch after it. True when
// both exist, and From becomes Close + 1. Only Open: Close = Length + 1,
// From = Length + 2, False. No Ch: Open = Close = From = Length + 1, False.
bool FindNextEnclosed(std::string_view s, char ch, int& from, int& close, int& open);

// --- Splitting and small parsers -------------------------------------------

// Items at top-level commas, trimmed, empty items kept ("" gives one item).
StringList SplitParamList(std::string_view s);
// S trimmed; "" gives no item; otherwise as SplitParamList with Sep.
StringList SplitTopLevel(std::string_view s, char sep);
// Split at Sep outside either quote kind; items trimmed, empty ones dropped.
StringList SplitOutsideQuotes(std::string_view s, char sep);
// S trimmed, split at every Sep; items trimmed, empty ones kept; an empty S
// or Sep gives no item.
StringList SplitByStr(std::string_view s, std::string_view sep);
// With a top-level Sep: the trimmed text before it, S := the trimmed rest.
// Without: S itself (untrimmed), S unchanged, NoSep set.
std::string CutTopLevelItem(std::string& s, char sep, bool& noSep);
// The integer before the first comma, removed from S with the comma; without
// a comma all of S, which becomes empty. -1 when the text is no integer.
int CutIntItem(std::string& s);
// Comma-separated integers into Values in order (0 for an item that is no
// integer); entries beyond the last item keep their value.
void StrToIntArray(std::string_view s, std::span<int> values);
std::string IntArrayToStr(std::span<const int> values);
// "[Name:Num1:Num2]" with any enclosing characters; missing or bad numbers
// are 0.
void ParseBracketedRef(std::string_view s, std::string& name, int& num1, int& num2);
// The first ":" at or after From (not as the last character) starts
// "Num1[:Num2]"; missing or bad numbers are 0.
void ParseColonNums(std::string_view s, int from, int& num1, int& num2);
// Whether Item is one of the pieces of ListStr between occurrences of Sep,
// comparing trimmed upper-case text.
bool IsInDelimitedList(std::string_view listStr, std::string_view item,
                       std::string_view sep);

// --- String literals -----------------------------------------------------------

// Decodes a literal made of quoted parts 'text' and codes #n (0..255) with
// nothing between them; '' inside a quoted part is one apostrophe. On a
// malformed literal Error is set and the result is empty.
std::string ParseStrLiteral(std::string_view s, bool& error);
// The literal ParseStrLiteral reads back as S.
std::string QuoteStrLiteral(std::string_view s);
// True and the text between the outer apostrophes when S has at least two
// characters and starts and ends with one; else Inner = "" and False.
bool UnquoteStr(std::string_view s, std::string& inner);
// Latin letters, 'А'..'я', digits, the space and "!(),-.=?" are copied;
// every other byte ('Ё' and 'ё' included) is written as "&#code;".
std::string EncodeHtmlChars(std::string_view s);

// --- Numbers ---------------------------------------------------------------------

// Whether S fits a numeric DBF field of Width and Decimals (Width 0 means
// width 20 with 10 decimals).
bool IsValidNumStr(std::string_view s, int width, int decimals);
// Digits only, value 0..Max.
bool IsValidIntStr(std::string_view s, std::int64_t max);
// The integer of the trimmed S; 0 when it is no integer.
int TrimStrToInt(std::string_view s);
// The decimal digits of S, everything else dropped, as a number; 0 when there
// are none or the number is too large.
int DigitsToInt(std::string_view s);
std::string CommaToPoint(std::string_view s);
// Hexadecimal, letters in either case; any other character counts as a 0
// digit.
int HexStrToInt(std::string_view s);
// Value as an unsigned 32-bit number in Base (2..36, digits 0-9 then A-Z).
// Digits > 0: exactly the last Digits characters of the zero-padded number.
// A Base below 2 gives zeros, above 36 counts as 36.
std::string IntToBaseStr(std::int32_t value, int base, int digits);
// Reads S in Base from the right; a character that is no digit of the base
// counts as 0 but keeps its position's weight. Never negative: a value beyond
// the 32-bit range gives the largest integer.
int BaseStrToInt(std::string_view s, int base);
std::string BoolToYesNo(bool b);
int Max2(int a, int b);
int Max3(int a, int b, int c);

// --- List look-ups and comparison ------------------------------------------

// Comparisons below use the program's collation (foundation/text/collation.h) and
// ignore case unless told otherwise.
int ListIndexOfText(const StringList& list, std::string_view s);
int ListIndexOfTrimmed(const StringList& list, std::string_view s);
// From From on, skips items that sort before or equal to S: the insertion
// point of S in a sorted list (Count when none sorts after S).
int FindSortedPos(const StringList& list, std::string_view s, int from);
int CompareStrLocale(std::string_view s1, std::string_view s2, bool caseSensitive);
// The item equal to S (trimmed, upper-cased), else the most similar one; -1
// for an empty S or list.
int FindClosestString(std::string_view s, const StringList& list);
// How much of Sub S holds, 0..100 (100 when S contains Sub).
int SimilarityPercent(std::string_view sub, std::string_view s, bool firstMustMatch);
// Number of characters of A that can be matched in order in B, with the
// skipping rules of the closest-string search; -1 when no rule applies.
int MatchScore(std::string_view a, std::string_view b);

}  // namespace vm
