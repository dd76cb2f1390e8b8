#include "foundation/text/amount_words.h"

#include <array>
#include <cmath>
#include <string_view>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"

namespace vm {

namespace {

constexpr std::array<std::string_view, 9> kHundreds = {
    "сто"_wv,      "двести"_wv,  "триста"_wv,   "четыреста"_wv, "пятьсот"_wv,
    "шестьсот"_wv, "семьсот"_wv, "восемьсот"_wv, "девятьсот"_wv};

constexpr std::array<std::string_view, 9> kTens = {
    "десять"_wv,     "двадцать"_wv,  "тридцать"_wv,    "сорок"_wv,     "пятьдесят"_wv,
    "шестьдесят"_wv, "семьдесят"_wv, "восемьдесят"_wv, "девяносто"_wv};

constexpr std::array<std::string_view, 9> kTeens = {
    "одиннадцать"_wv, "двенадцать"_wv,   "тринадцать"_wv,  "четырнадцать"_wv, "пятнадцать"_wv,
    "шестнадцать"_wv, "семнадцать"_wv, "восемнадцать"_wv, "девятнадцать"_wv};

constexpr std::array<std::string_view, 9> kUnitsMasculine = {
    "один"_wv, "два"_wv, "три"_wv, "четыре"_wv, "пять"_wv, "шесть"_wv, "семь"_wv, "восемь"_wv,
    "девять"_wv};

constexpr std::array<std::string_view, 2> kUnitsFeminine = {"одна"_wv, "две"_wv};

constexpr int64_t kBillion = 1000000000;

// Appends a piece to a text of words with exactly one blank between them.
void AddWords(std::string& s, std::string_view piece) {
  if (piece.empty()) return;
  if (!s.empty()) s += ' ';
  s += piece;
}

// The words of a whole number of any size, groups of three digits at a time.
std::string WholeToWords(int64_t n, bool masculine) {
  std::string s;
  if (n >= kBillion) AddWords(s, BillionsToWords(n / kBillion));
  if (const auto m = static_cast<int32_t>(n / 1000000 % 1000); m > 0) AddWords(s, MillionsToWords(m));
  if (const auto t = static_cast<int32_t>(n / 1000 % 1000); t > 0) AddWords(s, ThousandsToWords(t));
  AddWords(s, TriadToWords(static_cast<int32_t>(n % 1000), masculine));
  return s;
}

// Both sum routines: the words of the roubles, the currency word, then the
// kopecks. An empty currency or fraction word chooses the rouble and kopeck
// texts.
std::string SumText(double value, const std::string* currency, bool currencyMasculine,
                    const std::string* fraction, bool fractionMasculine, bool capitalize) {
  // The kopecks are rounded on the extended product, halves to even.
  const long double scaled = std::rint(static_cast<long double>(value) * 100.0L);
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18L) return "";
  int64_t x = static_cast<int64_t>(scaled);
  const bool negative = x < 0;
  if (negative) x = -x;
  const int64_t roubles = x / 100;
  const auto kopecks = static_cast<int32_t>(x % 100);

  std::string s;
  if (negative) AddWords(s, "минус"_wv);
  if (roubles > 0) {
    AddWords(s, WholeToWords(roubles, currencyMasculine));
    const auto units = static_cast<int32_t>(roubles % 1000);
    AddWords(s, currency ? *currency : RubleWord(units));
  }
  if (fraction) {
    AddWords(s, TriadToWords(kopecks, fractionMasculine));
    AddWords(s, *fraction);
  } else {
    AddWords(s, KopecksToWords(kopecks));
  }
  if (capitalize && !s.empty()) s[0] = RusUpCase(s[0]);
  return s;
}

}  // namespace

std::string SumInWords(double value, bool capitalize) {
  return SumText(value, nullptr, true, nullptr, false, capitalize);
}

std::string SumInWordsEx(double value, const std::string& currency, bool currencyMasculine,
                         const std::string& fraction, bool fractionMasculine, bool capitalize) {
  return SumText(value, currency.empty() ? nullptr : &currency, currencyMasculine,
                 fraction.empty() ? nullptr : &fraction, fractionMasculine, capitalize);
}

std::string RubleWord(int64_t n) { return AppendCountForm(n, "рубл"_w, "ь"_w, "я"_w, "ей"_w); }

std::string AppendCountForm(int64_t n, const std::string& stem, const std::string& form1,
                            const std::string& form2, const std::string& form5) {
  const int64_t a = n < 0 ? -(n % 100) : n % 100;
  if (a >= 11 && a <= 19) return stem + form5;
  switch (a % 10) {
    case 1:
      return stem + form1;
    case 2:
    case 3:
    case 4:
      return stem + form2;
    default:
      return stem + form5;
  }
}

std::string TriadToWords(int32_t n, bool masculine) {
  if (n <= 0 || n > 999) return "";
  const int32_t h = n / 100, r = n % 100, t = r / 10, u = r % 10;
  std::string s;
  if (h > 0) AddWords(s, kHundreds[static_cast<size_t>(h - 1)]);
  if (r >= 11 && r <= 19) {
    AddWords(s, kTeens[static_cast<size_t>(r - 11)]);
    return s;
  }
  if (t > 0) AddWords(s, kTens[static_cast<size_t>(t - 1)]);
  if (u > 0) {
    AddWords(s, (!masculine && u <= 2) ? kUnitsFeminine[static_cast<size_t>(u - 1)]
                                       : kUnitsMasculine[static_cast<size_t>(u - 1)]);
  }
  return s;
}

std::string BillionsToWords(int64_t n) {
  // Beyond 999 billions the count of billions is itself written out
  // ("одна тысяча миллиардов").
  const std::string words =
      n > 999 ? WholeToWords(n, true) : TriadToWords(static_cast<int32_t>(n), true);
  return words + " " + AppendCountForm(n, "миллиард"_w, "", "а"_w, "ов"_w);
}

std::string MillionsToWords(int32_t n) {
  return TriadToWords(n, true) + " " + AppendCountForm(n, "миллион"_w, "", "а"_w, "ов"_w);
}

std::string ThousandsToWords(int32_t n) {
  return TriadToWords(n, false) + " " + AppendCountForm(n, "тысяч"_w, "а"_w, "и"_w, "");
}

std::string KopecksToWords(int32_t n) {
  std::string s;
  if (n >= 0 && n < 10) s += '0';
  s += std::to_string(n);
  s += ' ';
  s += AppendCountForm(n, "копе"_w, "йка"_w, "йки"_w, "ек"_w);
  return s;
}

}  // namespace vm
