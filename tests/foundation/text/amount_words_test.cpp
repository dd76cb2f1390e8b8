#include "foundation/text/amount_words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "platform/encoding.h"
#include "foundation/text/hex_text.h"

using namespace vm;

TEST(AmountWords, SumsInRoublesAndKopecks) {
  EXPECT_EQ(SumInWords(1234.56, true), "Одна тысяча двести тридцать четыре рубля 56 копеек"_w);
  for (const auto& [sum, words] : std::vector<std::pair<double, std::string>>{
           {1, "один рубль 00 копеек"_w}, {2, "два рубля 00 копеек"_w}, {5, "пять рублей 00 копеек"_w},
           {11.02, "одиннадцать рублей 02 копейки"_w}, {21.01, "двадцать один рубль 01 копейка"_w},
           {0.05, "05 копеек"_w}, {0, "00 копеек"_w}, {0.21, "21 копейка"_w},
           {1000, "одна тысяча рублей 00 копеек"_w}, {1001, "одна тысяча один рубль 00 копеек"_w},
           {2000, "две тысячи рублей 00 копеек"_w}, {2000000, "два миллиона рублей 00 копеек"_w},
           {1000000000, "один миллиард рублей 00 копеек"_w},
           {2001002003.04, "два миллиарда один миллион две тысячи три рубля 04 копейки"_w},
           {1e12, "одна тысяча миллиардов рублей 00 копеек"_w},
           // Halves to even; what cannot be written gives nothing.
           {0.125, "12 копеек"_w}, {0.375, "38 копеек"_w}, {-0.001, "00 копеек"_w}, {1e20, ""},
           {std::nan(""), ""}})
    EXPECT_EQ(SumInWords(sum, false), words) << sum;
  EXPECT_EQ(SumInWords(-5.5, true), "Минус пять рублей 50 копеек"_w);
}

TEST(AmountWords, CallerWordsAreNotInflected) {
  EXPECT_EQ(SumInWordsEx(1.25, "долларов"_w, true, "центов"_w, true, false),
            "один долларов двадцать пять центов"_w);
  EXPECT_EQ(SumInWordsEx(2.01, "гривны"_w, false, "", false, true), "Две гривны 01 копейка"_w);
  EXPECT_EQ(SumInWordsEx(1.02, "", true, "копейки"_w, false, false), "один рубль две копейки"_w);
  EXPECT_EQ(SumInWordsEx(1, "долларов"_w, true, "центов"_w, true, false), "один долларов центов"_w);
  EXPECT_EQ(SumInWordsEx(0.5, "долларов"_w, true, "центов"_w, true, false), "пятьдесят центов"_w);
}

TEST(AmountWords, CountFormsAndGroups) {
  const auto form = [](int64_t n) { return AppendCountForm(n, "x", "1", "2", "5"); };
  for (int64_t n : {1, 21, 31, 101, 1001, -1}) EXPECT_EQ(form(n), "x1") << n;
  for (int64_t n : {2, 3, 4, 22, 104, -2}) EXPECT_EQ(form(n), "x2") << n;
  for (int64_t n : {0, 5, 10, 11, 12, 14, 19, 20, 111, 112, 1011}) EXPECT_EQ(form(n), "x5") << n;
  EXPECT_EQ(RubleWord(1) + RubleWord(13), "рубльрублей"_w);

  EXPECT_EQ(TriadToWords(0, true), "");
  EXPECT_EQ(TriadToWords(215, true), "двести пятнадцать"_w);
  EXPECT_EQ(TriadToWords(902, false), "девятьсот две"_w);
  EXPECT_EQ(TriadToWords(41, false), "сорок одна"_w);
  EXPECT_EQ(ThousandsToWords(1), "одна тысяча"_w);
  EXPECT_EQ(ThousandsToWords(24), "двадцать четыре тысячи"_w);
  EXPECT_EQ(KopecksToWords(0) + "|" + KopecksToWords(2), "00 копеек|02 копейки"_w);
}

TEST(HexText, BytesAndDigits) {
  const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
  EXPECT_EQ(BytesToHexStr(bytes, 3), "00AB7F");

  // Lower-case letters are dropped like any other character; an odd last
  // digit is ignored.
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(HexStrToBytes("00AB7F", out, 4), 3u);
  EXPECT_EQ(std::tuple(out[1], out[3]), std::tuple(0xAB, 9));
  EXPECT_EQ(HexStrToBytes("00ab", out, 4), 1u);
  EXPECT_EQ(HexStrToBytes("0 0-A,B", out, 4), 2u);
  EXPECT_EQ(out[1], 0xAB);
  EXPECT_EQ(HexStrToBytes("123", out, 4), 1u);
  EXPECT_EQ(HexStrToBytes("0102030405", out, 4), 4u);
  EXPECT_EQ(out[3], 4);
  // Pairs kept in place: either case, a stray character a 0 digit.
  EXPECT_EQ(HexPairsToBytes("ab4g1", out, 4), 2u);
  EXPECT_EQ(std::tuple(out[0], out[1]), std::tuple(0xAB, 0x40));
  EXPECT_EQ(HexPairsToBytes("0102030405", out, 2), 2u);

  EXPECT_EQ(std::tuple(NibbleToHexChar(0x1F), ByteToHexStr(0x0C), HexCharToNibble('F')), std::tuple('F', "0C", 15));
  for (auto [text, value] : {std::pair{"F", 15}, {"ff", 255}, {"G1", 0}, {"100", 0}})
    EXPECT_EQ(HexStrToByte(text), value) << text;
}
