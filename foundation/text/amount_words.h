// Money sums in Russian words, with the forms that Russian numerals require.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

// "Одна тысяча двести тридцать четыре рубля 56 копеек". A negative sum is
// written as "минус" and the words of its magnitude; a sum that does not fit
// a 64-bit count of kopecks (or is not a number) gives "".
std::string SumInWords(double value, bool capitalize);
// The same with the caller's currency and fraction words, used as given
// (not inflected); an empty word keeps the rouble or kopeck text.
std::string SumInWordsEx(double value, const std::string& currency, bool currencyMasculine,
                         const std::string& fraction, bool fractionMasculine, bool capitalize);
// "рубль", "рубля" or "рублей" for N.
std::string RubleWord(int64_t n);
// Stem followed by the form for N: form1 for 1, 21, 31...; form2 for 2..4,
// 22..24...; form5 for 0, 5..20, 25..30...
std::string AppendCountForm(int64_t n, const std::string& stem, const std::string& form1,
                            const std::string& form2, const std::string& form5);
// 0..999 in words; 1 and 2 by gender; 0 gives "".
std::string TriadToWords(int32_t n, bool masculine);
// A group in words followed by its count word ("два миллиарда").
std::string BillionsToWords(int64_t n);
std::string MillionsToWords(int32_t n);
std::string ThousandsToWords(int32_t n);
// "05 копеек"
std::string KopecksToWords(int32_t n);

}  // namespace vm
