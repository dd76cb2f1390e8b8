#include "foundation/text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vm;

TEST(NumberText, ReadsDecimalTextOnly) {
  for (auto [text, expected] : {std::pair{"1.5", 1.5L}, {"  12", 12}, {"-3.25e2", -325}, {"5.", 5},
                                {".5", 0.5L}, {"0.1", 0.1L}}) {  // 0.1: the extended value
    long double x = -12345;
    EXPECT_TRUE(TextToExtended(text, x)) << text;
    EXPECT_EQ(x, expected) << text;
  }
  for (const char* bad : {"", "12 ", "\t12", ".", "+-5", "1e", "1.5,3", "inf", "0x10", "1e5000"}) {
    long double x = -12345;
    EXPECT_FALSE(TextToExtended(bad, x)) << bad;
    EXPECT_EQ(x, -12345) << "left alone on " << bad;
  }
}

// A number beyond the range is told from a text that is none, and which
// way it lies by where its first digit stands, not by its exponent alone.
TEST(NumberText, NumbersOutOfRangeAreToldApart) {
  const std::string zeros(5000, '0');
  for (const auto& [text, read] :
       {std::pair<std::string, TNumberRead>{"1e5000", TNumberRead::TooLarge}, {"-4E+5032", TNumberRead::TooLarge},
        {"1e-5000", TNumberRead::TooSmall}, {"-0.001e-4950", TNumberRead::TooSmall},
        {"0.001e4940", TNumberRead::TooLarge}, {"1000000e-4960", TNumberRead::TooSmall},
        {"1" + zeros + "e-10", TNumberRead::TooLarge}, {"0." + zeros + "1e10", TNumberRead::TooSmall},
        {"0e99999", TNumberRead::Number}, {"1e4000", TNumberRead::Number}, {"1e", TNumberRead::NoNumber},
        {"1e5000x", TNumberRead::NoNumber}, {"e5000", TNumberRead::NoNumber}}) {
    long double x = -12345;
    EXPECT_EQ(ReadExtended(text, x), read) << text.substr(0, 20);
    if (read != TNumberRead::Number) {
      EXPECT_EQ(x, -12345) << text.substr(0, 20);
    }
  }
}

TEST(NumberText, FixedDecimalsRoundHalvesToEven) {
  struct Case {
    long double x;
    int decimals;
    const char* text;
  };
  // A long double that lies just above a half is not a half.
  for (const Case& c : {Case{0.125L, 2, "0.12"}, {0.375L, 2, "0.38"}, {2.5L, 0, "2"}, {3.5L, 0, "4"},
                        {-2.5L, 0, "-2"}, {-3.5L, 0, "-4"}, {-0.375L, 2, "-0.38"},
                        {std::nextafter(2.5L, 3.0L), 0, "3"}, {12.5L, 4, "12.5000"},
                        {-0.001L, 2, "0.00"}, {-1234567.891L, 2, "-1234567.89"},
                        {0.1L, 18, "0.100000000000000000"}, {9.9999L, 2, "10.00"},
                        // Wide and huge numbers.
                        {std::ldexp(1.0L, 100), 1, "1267650600228229401496703205376.0"},
                        {1e20L, 20, "100000000000000000000.00000000000000000000"},
                        {0.1L, 25, "0.1000000000000000000000000"},
                        // No digit past those the value holds: 18, or 19 where
                        // a text of 19 reads as it.
                        {59511927.353L, 14, "59511927.35300000000000"},
                        {98765432109.87654321L, 10, "98765432109.8765432100"},
                        {536051821563803.26L, 8, "536051821563803.26000000"},
                        {1234567890123456789.0L, 2, "1234567890123456789.00"},
                        {1.0L / 3, 20, "0.33333333333333333300"},
                        {1e10L + 0.1L, 15, "10000000000.100000000000000"},
                        {1e-30L, 32, "0.00000000000000000000000000000100"}, {1e36L, 2, "1E+36"},
                        {-1.5e40L, 0, "-1.5E+40"},
                        {123456789012345678901234567890123456789.0L, 2, "1.23456789012345679E+38"},
                        {9.99999999999999999999e36L, 0, "1E+37"},
                        {std::numeric_limits<long double>::infinity(), 2, ""}})
    EXPECT_EQ(ExtendedToFixed(c.x, c.decimals), c.text) << c.text;
  EXPECT_EQ(ExtendedToFixed(std::numeric_limits<long double>::max(), 2).substr(0, 6), "1.1897");
}

// A number text goes into a field by its digits, however many: zeros added
// to the field's decimals, only zeros dropped, or nothing. A value goes in
// rounded to the field's decimals first, and then the same way.
TEST(NumberText, NumbersFitTheirFieldsDigitForDigit) {
  struct Case {
    const char* text;
    int width, decimals;
    const char* fitted;
  };
  for (const Case& c : {Case{"12.5", 8, 2, "12.50"}, {"123.00", 5, 2, "123.0"}, {"123.000", 3, 2, "123"},
                        {"123.45", 5, 2, ""}, {"12.34", 5, 1, ""}, {"-0.00", 4, 2, "0.00"}, {"-007.50", 4, 1, "-7.5"},
                        {" +.5", 4, 2, "0.50"}, {"1.5e3", 4, 0, "1500"}, {"25E-3", 5, 3, "0.025"}, {"0", 1, 0, "0"},
                        {"-5", 1, 0, ""}, {"18446744073709551617", 20, 0, "18446744073709551617"},
                        {"72072248594656829.91", 20, 2, "72072248594656829.91"},
                        {"8600855638.214755289", 20, 9, "8600855638.214755289"}, {"1e5000", 255, 0, ""},
                        {"1e-5000", 10, 2, ""}, {"0e99999", 3, 2, "0.0"}}) {
    TDecimalNumber n;
    ASSERT_TRUE(ReadDecimalNumber(c.text, n)) << c.text;
    EXPECT_EQ(FitDecimalNumber(n, c.width, c.decimals), c.fitted) << c.text;
  }
  for (const char* bad : {"", ".", "1e", "12-", "1 2", "1,5", "+-5", "1.5 "}) {
    TDecimalNumber n{"7", 1, false};
    EXPECT_FALSE(ReadDecimalNumber(bad, n)) << bad;
    EXPECT_EQ(n.Digits, "7") << bad;
  }
  EXPECT_EQ(FitNumber(1000012.049L, 10, 3), "");
  EXPECT_EQ(FitNumber(1000009.0L, 10, 3), "1000009.00");
  EXPECT_EQ(FitNumber(0.125L, 4, 2), "0.12");
  EXPECT_EQ(FitNumber(536051821563803.26L, 20, 8), "536051821563803.2600");
  // The whole part is never a neighbour of the number.
  EXPECT_EQ(FitNumber(92348234340767469509.0L, 25, 0), "");
  EXPECT_EQ(FitNumber(1e22L, 25, 2), "10000000000000000000000.0");
}

// A number is named, and taken as typed, with the digits its value holds.
TEST(NumberText, NumbersHoldEighteenDigitsAndNineteenWhereTheyReadBack) {
  EXPECT_EQ(HeldDigitsText(92348234340767469509.0L), "9.234823434076746951E+19");
  EXPECT_EQ(HeldDigitsText(-99999999999999999999.0L), "-1E+20");
  EXPECT_EQ(HeldDigitsText(0.05L), "5E-2");
  for (const auto& [text, held] : {std::pair{"59511927.353", true}, {"123456789012345678", true},
                                   {"1234567890123456789", true}, {"92348234340767469509", false},
                                   {"92348234340767469512", false}, {"10000000000000000000000", true},
                                   {"0.12345678901234567891", false}, {"-1.000000000000000001", true},
                                   {"x", true}})
    EXPECT_EQ(TypedDigitsHeld(text), held) << text;
}
