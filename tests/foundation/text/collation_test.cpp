#include "foundation/text/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/encoding.h"

using namespace vm;

TEST(Collation, CaseFoldingCoversEveryLetterPair) {
  const std::string lower = "abcdefghijklmnopqrstuvwxyzабвгдежзийклмнопрстуфхцчшщъыьэюяёђѓљњќћџўјґєѕії"_w;
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЁЂЃЉЊЌЋЏЎЈҐЄЅІЇ"_w;
  EXPECT_EQ(UpperText1251(lower), upper);
  for (std::size_t i = 0; i < lower.size(); ++i) {
    EXPECT_EQ(LowerChar1251(upper[i]), lower[i]) << i;
    EXPECT_TRUE(IsLetter1251(lower[i]));
  }
  // Everything else is left alone, the micro sign and '№' included.
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (lower.find(c) == std::string::npos && upper.find(c) == std::string::npos) {
      EXPECT_EQ(UpperChar1251(c), c) << b;
      EXPECT_EQ(LowerChar1251(c), c) << b;
      EXPECT_FALSE(IsLetter1251(c)) << b;
    }
  }
}

TEST(Collation, RussianOrder) {
  // Punctuation, digits, Latin, Cyrillic; Ё right after Е; Ukrainian letters
  // next to their Russian neighbours.
  const std::vector<std::string> ordered = {
      " ", "!", "-", "0", "9", "A", "b", "Z", "а"_w, "Б"_w, "г"_w, "ґ"_w, "Д"_w,
      "е"_w, "Ё"_w, "є"_w, "ж"_w, "И"_w, "і"_w, "Ї"_w, "й"_w, "у"_w, "ў"_w, "Ф"_w, "я"_w};
  for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_EQ(CollateCompare(ordered[i], ordered[i + 1], false), -1) << i;
    EXPECT_EQ(CollateCompare(ordered[i + 1], ordered[i], true), 1) << i;
  }
  // Words: the first difference decides, a prefix sorts first.
  EXPECT_EQ(CollateCompare("ель"_w, "ёж"_w, false), -1);
  EXPECT_EQ(CollateCompare("ёж"_w, "жук"_w, false), -1);
  EXPECT_EQ(CollateCompare("Дом"_w, "дома"_w, true), -1);
  EXPECT_EQ(CollateCompare("zoo", "абв"_w, false), -1);
  EXPECT_EQ(CollateCompare("", "", true), 0);
  EXPECT_EQ(CollateCompare("", " ", true), -1);
}

TEST(Collation, CaseDecidesOnlyWhenTextsAreOtherwiseEqual) {
  EXPECT_EQ(CollateCompare("ёлка"_w, "ЁЛКА"_w, false), 0);
  EXPECT_EQ(CollateCompare("ёлка"_w, "ЁЛКА"_w, true), -1);
  EXPECT_EQ(CollateCompare("ЁЛКА"_w, "ёлка"_w, true), 1);
  EXPECT_EQ(CollateCompare("aB", "Ab", true), -1);  // the first case difference decides
  // A letter difference later on outweighs an earlier case difference.
  EXPECT_EQ(CollateCompare("Ab", "ac", true), -1);
  EXPECT_EQ(CollateCompare("ab", "Ab", true), -1);
  EXPECT_EQ(CollateCompare("ab", "Ab", false), 0);
  std::vector<std::string> words = {"Bb", "bB", "BB", "bb", "a", "Ab"};
  std::sort(words.begin(), words.end(),
            [](const std::string& x, const std::string& y) { return CollateCompare(x, y, true) < 0; });
  EXPECT_EQ(words, (std::vector<std::string>{"a", "Ab", "bb", "bB", "Bb", "BB"}));
}

// Keys order random texts of letters in both cases, digits and signs
// exactly as the comparison does.
TEST(Collation, KeysOrderAsTheComparison) {
  const std::string alphabet = "aAbB09 ,-ЁёЕеЖжЯяzZ"_w;
  std::mt19937 random(7);
  auto text = [&] {
    std::string s(random() % 6, ' ');
    for (char& c : s) c = alphabet[random() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string a = text(), b = text();
    for (bool cs : {false, true}) {
      std::string ka, kb;
      AppendCollationKey(a, cs, ka);
      AppendCollationKey(b, cs, kb);
      const int byKeys = ka == kb ? 0 : (std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end(),
                                                                       [](char x, char y) {
                                                                         return static_cast<unsigned char>(x) <
                                                                                static_cast<unsigned char>(y);
                                                                       })
                                              ? -1
                                              : 1);
      ASSERT_EQ(byKeys, CollateCompare(a, b, cs)) << a << " / " << b << " " << cs;
      // The head of a key is its first bytes, zeros past its end.
      unsigned char head[8];
      CollationKeyHead(a, cs, head, sizeof head);
      ka.resize(std::max(ka.size(), sizeof head), '\0');
      ASSERT_EQ(std::string(reinterpret_cast<const char*>(head), sizeof head), ka.substr(0, sizeof head)) << a << " " << cs;
    }
  }
}

