#include "foundation/text/strutils.h"

#include <algorithm>
#include <cstdint>

#include "foundation/text/collation.h"
#include "platform/encoding.h"

namespace vm {

namespace {

inline unsigned char U8(char c) { return static_cast<unsigned char>(c); }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Value of a digit of bases up to 36 (upper-case letters only), else -1.
int BaseDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

int Len(std::string_view s) { return static_cast<int>(s.size()); }

// 1-based position of the first Sub at or after the 0-based index From.
int FindFrom(std::string_view s, std::string_view sub, std::size_t from) {
  if (sub.empty() || from >= s.size()) return 0;
  const auto p = s.find(sub, from);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// The scanning state of the quote- and bracket-aware searches.
struct ScanState {
  bool inApos = false;
  bool inDouble = false;
  int paren = 0;
  int bracket = 0;
};

enum class ScanKind { Apostrophes, AnyQuotes, TopLevel };

void Step(ScanState& st, char c, ScanKind kind) {
  if (c == '\'' && !st.inDouble) {
    st.inApos = !st.inApos;
  } else if (c == '"' && kind == ScanKind::AnyQuotes && !st.inApos) {
    st.inDouble = !st.inDouble;
  } else if (kind == ScanKind::TopLevel && !st.inApos) {
    if (c == '(') ++st.paren;
    else if (c == ')') --st.paren;
    else if (c == '[') ++st.bracket;
    else if (c == ']') --st.bracket;
  }
}

int ScanPos(std::string_view sub, std::string_view s, ScanKind kind) {
  if (s.empty()) return 0;
  if (sub.empty()) return 1;
  ScanState st;
  for (std::size_t i = 0; i < s.size(); ++i) {
    Step(st, s[i], kind);
    if (!st.inApos && !st.inDouble && st.paren == 0 && st.bracket == 0 &&
        s.substr(i, sub.size()) == sub)
      return static_cast<int>(i) + 1;
  }
  return 0;
}

int MatchingClose(std::string_view s, bool& unclosed, char open, char close,
                  char otherOpen, char otherClose) {
  int depth = 1;
  int other = 0;
  bool quoted = false;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\'') {
      quoted = !quoted;
    } else if (!quoted) {
      if (c == open) {
        ++depth;
      } else if (c == otherOpen) {
        ++other;
      } else if (c == otherClose) {
        --other;
      } else if (c == close && --depth == 0) {
        unclosed = other != 0;
        return static_cast<int>(i) + 1;
      }
    }
  }
  unclosed = true;
  return Len(s) + 1;
}

// Splits at every separator that Find locates in what is left of S.
template <typename Find>
StringList SplitWith(std::string_view s, std::size_t sepLen, bool keepEmpty, Find find) {
  StringList items;
  for (;;) {
    const int p = find(s);
    const std::string item = TrimBlanks(p == 0 ? s : s.substr(0, p - 1));
    if (keepEmpty || !item.empty()) items.push_back(item);
    if (p == 0) break;
    s.remove_prefix(p - 1 + sepLen);
  }
  return items;
}

// The integer of the text, or Def when it is none.
int IntOr(std::string_view s, int def) {
  std::int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

}  // namespace

// --- Integer conversion ----------------------------------------------------

bool TryStrToInt(std::string_view s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    i += 1;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return false;
  std::uint64_t acc = 0;
  for (; i < s.size(); ++i) {
    const int d = hex ? HexDigit(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) return false;
    acc = acc * (hex ? 16 : 10) + static_cast<unsigned>(d);
    if (acc > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  if (hex) {
    std::uint32_t bits = static_cast<std::uint32_t>(acc);
    if (negative) bits = 0u - bits;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  if (!negative && acc > 0x7FFFFFFFull) return false;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(acc))
                   : static_cast<std::int32_t>(acc);
  return true;
}

// --- Trimming, blanks and padding --------------------------------------------

std::string TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

void TrimLeftSpaces(std::string& s) {
  const auto p = s.find_first_not_of(' ');
  s.erase(0, p == std::string::npos ? s.size() : p);
}

void TrimRightSpaces(std::string& s) {
  const auto p = s.find_last_not_of(' ');
  s.erase(p == std::string::npos ? 0 : p + 1);
}

std::string RemoveBlanks(std::string_view s) {
  std::string out;
  for (char c : s)
    if (!IsBlank(c)) out += c;
  return out;
}

std::string RemoveBlanksOutsideQuotes(std::string_view s) {
  std::string out;
  bool quoted = false;
  for (char c : s) {
    if (c == '\'') quoted = !quoted;
    if (quoted || !IsBlank(c)) out += c;
  }
  return out;
}

std::string CollapseBlanks(std::string_view s) {
  std::string out;
  std::size_t i = 0;
  const auto isSpace = [](char c) { return U8(c) <= ' '; };
  while (i < s.size()) {
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i == s.size()) break;
    const std::size_t start = i;
    while (i < s.size() && !isSpace(s[i])) ++i;
    out.append(s.substr(start, i - start));
    out += ' ';
  }
  return out;
}

std::string PadStr(std::string_view s, int width, bool alignRight, char fillChar) {
  if (width <= 0) return {};
  const std::string text = s.empty() ? std::string(1, fillChar) : std::string(s);
  const auto w = static_cast<std::size_t>(width);
  if (text.size() >= w) return text.substr(0, w);
  const std::string fill(w - text.size(), fillChar);
  return alignRight ? fill + text : text + fill;
}

// --- Case ----------------------------------------------------------------------

std::string UpperStr(std::string_view s) { return UpperText1251(s); }

void MakeUpperCase(std::string& s) {
  for (char& c : s) c = UpperChar1251(c);
}

void UpperOutsideQuotes(std::string& s) {
  bool quoted = false;
  for (char& c : s) {
    if (c == '\'') quoted = !quoted;
    else if (!quoted) c = RusUpCase(c);
  }
}

std::string UpperOutsideQuotesStr(std::string_view s) {
  std::string out(s);
  UpperOutsideQuotes(out);
  return out;
}

std::string CyrLookalikesToLatin(std::string_view s) {
  static constexpr std::string_view kFrom = "АВСДЕНКМОРТИХУаьсдектпоргиху"_wv;
  static constexpr std::string_view kTo = "ABCDEHKMOPTUXYabcdekmnopruxy";
  static_assert(kFrom.size() == kTo.size());
  std::string out(s);
  for (char& c : out) {
    const auto p = kFrom.find(c);
    if (p != std::string_view::npos) c = kTo[p];
  }
  return out;
}

// --- Searching -----------------------------------------------------------------

int CharCount(char c, std::string_view s) {
  return static_cast<int>(std::count(s.begin(), s.end(), c));
}

int CharPos(char c, std::string_view s) {
  const auto p = s.find(c);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

int PosFrom(std::string_view sub, std::string_view s, int start) {
  return FindFrom(s, sub, start < 1 ? 0 : static_cast<std::size_t>(start - 1));
}

int PosOutsideQuotes(std::string_view sub, std::string_view s) {
  return ScanPos(sub, s, ScanKind::Apostrophes);
}

int PosOutsideAnyQuotes(std::string_view sub, std::string_view s) {
  return ScanPos(sub, s, ScanKind::AnyQuotes);
}

int PosTopLevel(std::string_view sub, std::string_view s) {
  return ScanPos(sub, s, ScanKind::TopLevel);
}

int MatchingParenPos(std::string_view s, bool& unclosed) {
  return MatchingClose(s, unclosed, '(', ')', '[', ']');
}

int MatchingBracketPos(std::string_view s, bool& unclosed) {
  return MatchingClose(s, unclosed, '[', ']', '(', ')');
}

bool FindNextEnclosed(std::string_view s, char ch, int& from, int& close, int& open) {
  const int n = Len(s);
  const std::string_view one(&ch, 1);
  open = from > n ? 0 : FindFrom(s, one, from < 1 ? 0 : static_cast<std::size_t>(from - 1));
  if (open == 0) {
    open = close = from = n + 1;
    return false;
  }
  close = FindFrom(s, one, static_cast<std::size_t>(open));
  if (close == 0) {
    close = n + 1;
    from = n + 2;
    return false;
  }
  from = close + 1;
  return true;
}

// --- Splitting and small parsers -------------------------------------------

StringList SplitParamList(std::string_view s) {
  return SplitWith(s, 1, true, [](std::string_view rest) { return PosTopLevel(",", rest); });
}

StringList SplitTopLevel(std::string_view s, char sep) {
  const std::string trimmed = TrimBlanks(s);
  if (trimmed.empty()) return {};
  const std::string sepStr(1, sep);
  return SplitWith(trimmed, 1, true,
                   [&](std::string_view rest) { return PosTopLevel(sepStr, rest); });
}

StringList SplitOutsideQuotes(std::string_view s, char sep) {
  const std::string sepStr(1, sep);
  return SplitWith(s, 1, false,
                   [&](std::string_view rest) { return PosOutsideAnyQuotes(sepStr, rest); });
}

StringList SplitByStr(std::string_view s, std::string_view sep) {
  const std::string trimmed = TrimBlanks(s);
  if (trimmed.empty() || sep.empty()) return {};
  return SplitWith(trimmed, sep.size(), true,
                   [&](std::string_view rest) { return FindFrom(rest, sep, 0); });
}

std::string CutTopLevelItem(std::string& s, char sep, bool& noSep) {
  const int p = PosTopLevel(std::string_view(&sep, 1), s);
  noSep = p == 0;
  if (noSep) return s;
  std::string item = TrimBlanks(std::string_view(s).substr(0, p - 1));
  s = TrimBlanks(std::string_view(s).substr(p));
  return item;
}

int CutIntItem(std::string& s) {
  const auto p = s.find(',');
  if (p == std::string::npos) {
    const int v = IntOr(s, -1);
    s.clear();
    return v;
  }
  const int v = IntOr(TrimBlanks(std::string_view(s).substr(0, p)), -1);
  s.erase(0, p + 1);
  return v;
}

void StrToIntArray(std::string_view s, std::span<int> values) {
  std::string rest = TrimBlanks(s);
  for (std::size_t k = 0; k < values.size() && !rest.empty(); ++k) {
    bool noSep = false;
    const std::string item = CutTopLevelItem(rest, ',', noSep);
    values[k] = IntOr(item, 0);
    if (noSep) break;
  }
}

std::string IntArrayToStr(std::span<const int> values) {
  std::string out;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0) out += ',';
    out += std::to_string(values[k]);
  }
  return out;
}

void ParseBracketedRef(std::string_view s, std::string& name, int& num1, int& num2) {
  const std::string inner = s.size() < 2 ? std::string() : TrimBlanks(s.substr(1, s.size() - 2));
  const std::string_view v = inner;
  num1 = num2 = 0;
  const auto c1 = v.find(':');
  if (c1 == std::string_view::npos) {
    name = std::string(v);
    return;
  }
  name = TrimBlanks(v.substr(0, c1));
  const auto c2 = v.find(':', c1 + 1);
  if (c2 == std::string_view::npos) {
    num1 = IntOr(TrimBlanks(v.substr(c1 + 1)), 0);
    return;
  }
  num1 = IntOr(TrimBlanks(v.substr(c1 + 1, c2 - c1 - 1)), 0);
  num2 = IntOr(TrimBlanks(v.substr(c2 + 1)), 0);
}

void ParseColonNums(std::string_view s, int from, int& num1, int& num2) {
  num1 = num2 = 0;
  if (s.size() < 2) return;
  const std::size_t start = from < 1 ? 0 : static_cast<std::size_t>(from - 1);
  // A ":" as the last character does not count.
  const int c1 = FindFrom(s.substr(0, s.size() - 1), ":", start);
  if (c1 == 0) return;
  const std::string_view rest = s.substr(c1);
  const auto c2 = rest.find(':');
  if (c2 == std::string_view::npos) {
    num1 = IntOr(TrimBlanks(rest), 0);
    return;
  }
  num1 = IntOr(TrimBlanks(rest.substr(0, c2)), 0);
  num2 = IntOr(TrimBlanks(rest.substr(c2 + 1)), 0);
}

bool IsInDelimitedList(std::string_view listStr, std::string_view item, std::string_view sep) {
  const std::string list = UpperStr(TrimBlanks(listStr));
  const std::string key = UpperStr(TrimBlanks(item));
  const std::string delim = UpperStr(sep);
  if (list.empty() || key.empty() || delim.empty()) return false;
  std::size_t start = 0;
  for (;;) {
    const auto p = list.find(delim, start);
    const auto piece = std::string_view(list).substr(
        start, p == std::string::npos ? std::string::npos : p - start);
    if (TrimBlanks(piece) == key) return true;
    if (p == std::string::npos) return false;
    start = p + delim.size();
  }
}

// --- String literals -----------------------------------------------------------

std::string ParseStrLiteral(std::string_view s, bool& error) {
  error = true;
  if (s.size() < 2) return {};
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\'') {
      const auto close = s.find('\'', i + 1);
      if (close == std::string_view::npos) return {};
      out.append(s.substr(i + 1, close - i - 1));
      i = close + 1;
      // A quoted part that starts right where one ends: the two apostrophes
      // are one apostrophe of the text.
      if (i < s.size() && s[i] == '\'') out += '\'';
    } else if (s[i] == '#') {
      ++i;
      int code = 0;
      std::size_t digits = 0;
      while (i < s.size() && IsDigit(s[i])) {
        code = code * 10 + (s[i] - '0');
        if (code > 255) return {};
        ++i;
        ++digits;
      }
      if (digits == 0) return {};
      out += static_cast<char>(code);
    } else {
      return {};
    }
  }
  error = false;
  return out;
}

std::string QuoteStrLiteral(std::string_view s) {
  if (s.empty()) return "''";
  std::string out;
  bool open = false;
  for (char c : s) {
    const bool plain = U8(c) >= 32 && c != '\'';
    if (plain != open) {
      out += '\'';
      open = plain;
    }
    if (plain) {
      out += c;
    } else {
      out += '#';
      out += std::to_string(U8(c));
    }
  }
  if (open) out += '\'';
  return out;
}

bool UnquoteStr(std::string_view s, std::string& inner) {
  if (s.size() > 1 && s.front() == '\'' && s.back() == '\'') {
    inner = std::string(s.substr(1, s.size() - 2));
    return true;
  }
  inner.clear();
  return false;
}

std::string EncodeHtmlChars(std::string_view s) {
  static constexpr std::string_view kPunct = " !(),-.=?";
  std::string out;
  for (char c : s) {
    const unsigned char b = U8(c);
    const bool allowed = IsDigit(c) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                         b >= 0xC0 || kPunct.find(c) != std::string_view::npos;
    if (allowed) {
      out += c;
    } else {
      out += "&#";
      out += std::to_string(b);
      out += ';';
    }
  }
  return out;
}

// --- Numbers ---------------------------------------------------------------------

bool IsValidNumStr(std::string_view s, int width, int decimals) {
  if (width == 0) {
    width = 20;
    decimals = 10;
  }
  if (s.empty() || s[0] == '.') return false;
  std::size_t first = 0;
  if (s[0] == '-') {
    if (s.size() == 1 || s[1] == '.') return false;
    first = 1;
  }
  std::size_t point = std::string_view::npos;
  for (std::size_t i = first; i < s.size(); ++i) {
    if (s[i] == '.') {
      if (point != std::string_view::npos || decimals <= 0) return false;
      point = i;
    } else if (!IsDigit(s[i])) {
      return false;
    }
  }
  // In 64 bits: Width - Decimals must not overflow for any field a caller
  // describes.
  const auto len = static_cast<long long>(s.size());
  const long long room = static_cast<long long>(width) - decimals;
  if (point == std::string_view::npos) return decimals == 0 ? len <= width : len < room;
  const auto p = static_cast<long long>(point) + 1;
  return p <= room && len - p <= decimals;
}

bool IsValidIntStr(std::string_view s, std::int64_t max) {
  if (s.empty()) return false;
  std::int64_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
    if (v > max) return false;
  }
  return v <= max;
}

int TrimStrToInt(std::string_view s) { return IntOr(TrimBlanks(s), 0); }

int DigitsToInt(std::string_view s) {
  std::int64_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) continue;
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) return 0;
  }
  return static_cast<int>(v);
}

std::string CommaToPoint(std::string_view s) {
  std::string out(s);
  const auto p = out.find(',');
  if (p != std::string::npos) out[p] = '.';
  return out;
}

int HexStrToInt(std::string_view s) {
  std::uint32_t v = 0;
  for (char c : s) v = v * 16 + static_cast<std::uint32_t>(std::max(HexDigit(c), 0));
  return static_cast<int>(v);
}

std::string IntToBaseStr(std::int32_t value, int base, int digits) {
  static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  if (base < 2) return std::string(digits <= 0 ? 1 : static_cast<std::size_t>(digits), '0');
  base = std::min(base, 36);
  auto v = static_cast<std::uint32_t>(value);
  std::string out;
  do {
    out += kDigits[v % static_cast<std::uint32_t>(base)];
    v /= static_cast<std::uint32_t>(base);
  } while (v != 0);
  if (digits > 0) out.resize(static_cast<std::size_t>(digits), '0');
  std::reverse(out.begin(), out.end());
  return out;
}

int BaseStrToInt(std::string_view s, int base) {
  if (base < 2) return 0;
  std::uint64_t weight = 1;
  std::uint64_t v = 0;
  for (auto it = s.rbegin(); it != s.rend(); ++it) {
    const int d = BaseDigit(RusUpCase(*it));
    if (d > 0 && d < base) {
      if (weight > INT32_MAX) return INT32_MAX;
      v += static_cast<std::uint64_t>(d) * weight;
      if (v > INT32_MAX) return INT32_MAX;
    }
    if (weight <= INT32_MAX) weight *= static_cast<std::uint64_t>(base);
  }
  return static_cast<int>(v);
}

std::string BoolToYesNo(bool b) { return b ? "Да"_w : "Нет"_w; }

int Max2(int a, int b) { return a > b ? a : b; }

int Max3(int a, int b, int c) { return Max2(Max2(a, b), c); }

// --- List look-ups and comparison ------------------------------------------

int CompareStrLocale(std::string_view s1, std::string_view s2, bool caseSensitive) {
  return CollateCompare(s1, s2, caseSensitive);
}

int ListIndexOfText(const StringList& list, std::string_view s) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (CollateCompare(list[i], s, false) == 0) return static_cast<int>(i);
  return -1;
}

int ListIndexOfTrimmed(const StringList& list, std::string_view s) {
  const std::string key = UpperStr(TrimBlanks(s));
  for (std::size_t i = 0; i < list.size(); ++i)
    if (UpperStr(TrimBlanks(list[i])) == key) return static_cast<int>(i);
  return -1;
}

int FindSortedPos(const StringList& list, std::string_view s, int from) {
  std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from);
  while (i < list.size() && CollateCompare(list[i], s, false) <= 0) ++i;
  return static_cast<int>(std::min(i, list.size()));
}

int MatchScore(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return 0;
  // score(i, j) is the score of a[i..] against b[j..]; each depends only on
  // its right and lower neighbours, so one pass from the ends fills them all.
  const std::size_t na = a.size(), nb = b.size();
  std::vector<int> score((na + 1) * (nb + 1), 0);
  const auto at = [&](std::size_t i, std::size_t j) -> int& { return score[i * (nb + 1) + j]; };
  for (std::size_t i = na; i-- > 0;) {
    for (std::size_t j = nb; j-- > 0;) {
      const bool restA = na - i >= 2, restB = nb - j >= 2;
      if (a[i] == b[j]) {
        at(i, j) = 1 + (restA && restB ? at(i + 1, j + 1) : 0);
        continue;
      }
      int best = -1;
      if (restA) best = std::max(best, a[i + 1] == b[j] ? at(i + 1, j) : -1);
      if (restB) best = std::max(best, a[i] == b[j + 1] ? at(i, j + 1) - 1 : -1);
      if (restA && restB) best = std::max(best, a[i + 1] == b[j + 1] ? at(i + 1, j + 1) : -1);
      at(i, j) = best;
    }
  }
  return at(0, 0);
}

int SimilarityPercent(std::string_view sub, std::string_view s, bool firstMustMatch) {
  if (sub.empty()) return 0;
  if (s.find(sub) != std::string_view::npos) return 100;
  // Length x 1.3 rounded half to even, in integers so that no binary
  // fraction tips a half either way.
  const std::size_t tenfold = sub.size() * 13;
  std::size_t window = tenfold / 10;
  const std::size_t rem = tenfold % 10;
  if (rem > 5 || (rem == 5 && window % 2 == 1)) ++window;
  int best = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (firstMustMatch && s[i] != sub[0]) continue;
    best = std::max(best, MatchScore(sub, s.substr(i, window)));
  }
  return best * 100 / static_cast<int>(sub.size());
}

int FindClosestString(std::string_view s, const StringList& list) {
  const std::string key = UpperStr(TrimBlanks(s));
  if (key.empty()) return -1;
  int bestIndex = -1;
  int bestScore = -1;
  std::size_t bestLen = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string item = UpperStr(TrimBlanks(list[i]));
    if (item.empty()) continue;
    if (item == key) return static_cast<int>(i);
    const int score = SimilarityPercent(key, item, true);
    if (score > bestScore || (score == bestScore && item.size() < bestLen)) {
      bestIndex = static_cast<int>(i);
      bestScore = score;
      bestLen = item.size();
    }
  }
  return bestIndex;
}

}  // namespace vm
