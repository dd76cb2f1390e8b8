#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vm;

TEST(Encoding, LiteralsBecomeWindows1251AtCompileTime) {
  constexpr std::string_view yo = "Ёё№"_wv;
  static_assert(yo.size() == 3);
  EXPECT_EQ(yo, "\xA8\xB8\xB9");
  EXPECT_EQ("Аа Яя"_w, "\xC0\xE0 \xDF\xFF");
  EXPECT_EQ("plain"_w, "plain");
  EXPECT_EQ(""_w, "");
}

TEST(Encoding, Utf8RoundTripKeepsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1251(utf8), all);
  EXPECT_EQ(Cp1251ToUtf8("Привет"_w), "Привет");
  EXPECT_EQ(Cp1251ToUtf8("\xB9"), "№");
}

TEST(Encoding, Utf8WithoutWindows1251CharacterBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
  EXPECT_EQ(Utf8ToCp1251("\xFF" "x"), "?x");              // malformed byte
  EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");                   // cut sequence
}

// Words of Russian letters are turned into code page 866 whole, words with
// any other byte above 0x7F through the table: every length and mix of
// letters, 'Ё', '№', punctuation and Latin gives what the byte-by-byte
// conversion gives.
TEST(Encoding, WinToDosWordsOfLettersConvertAsTheirBytes) {
  std::mt19937 random(19);
  for (int round = 0; round < 4000; ++round) {
    std::string text(static_cast<std::size_t>(round % 45), ' ');
    const int mix = round % 3;  // letters only, letters and Latin, anything
    for (char& c : text)
      if (random() % 4 != 0)
        c = static_cast<char>(mix == 0                      ? 0xC0 + random() % 0x40
                              : mix == 1 && random() % 2 == 0 ? 'a' + random() % 26
                              : mix == 1                    ? 0xC0 + random() % 0x40
                                                            : random() % 256);
    std::string dos = text;
    WinToDosInPlace(dos.data(), dos.size());
    std::string wanted = text;
    for (char& c : wanted) c = WinToDosChar(c);
    ASSERT_EQ(dos, wanted) << round;
  }
}

TEST(Encoding, Dos866ConvertsRussianLettersOnly) {
  // А, п, р, я, Ё, ё, № in code page 866.
  const std::string dos = "\x80\xAF\xE0\xEF\xF0\xF1\xFC";
  EXPECT_EQ(DosToWinStr(dos), "АпряЁё№"_w);
  EXPECT_EQ(WinToDosStr("АпряЁё№"_w), dos);
  // Pseudo-graphics of 866 and other 1251 punctuation pass unchanged.
  EXPECT_EQ(DosToWinStr("\xB0\xC4\xDF"), "\xB0\xC4\xDF");
  EXPECT_EQ(WinToDosStr("\x85\xAB\xBB"), "\x85\xAB\xBB");
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const bool letter = (b >= 0x80 && b <= 0xAF) || (b >= 0xE0 && b <= 0xF1) || b == 0xFC;
    if (b < 0x80 || letter) {
      EXPECT_EQ(WinToDosChar(DosToWinChar(c)), c) << b;
    }
  }
}

// Texts are converted a word at a time where they hold no Russian letters:
// every length and mix gives what the byte-by-byte conversion gives.
TEST(Encoding, Dos866TextsConvertAsTheirBytes) {
  std::mt19937 random(7);
  for (int round = 0; round < 8000; ++round) {
    std::string text(static_cast<std::size_t>(round % 71), ' ');
    const int mix = round % 4;  // blanks only, Latin, Russian, anything
    for (char& c : text)
      if (mix > 0 && random() % 3 != 0)
        c = static_cast<char>(mix == 1 ? 'a' + random() % 26 : mix == 2 ? 0x80 + random() % 0x80 : random() % 256);
    std::string dos = text, win = text, dosWanted = text, winWanted = text;
    DosToWinInPlace(win.data(), win.size());
    WinToDosInPlace(dos.data(), dos.size());
    for (char& c : winWanted) c = DosToWinChar(c);
    for (char& c : dosWanted) c = WinToDosChar(c);
    ASSERT_EQ(win, winWanted) << round;
    ASSERT_EQ(dos, dosWanted) << round;
    // In a buffer of its own size, so that no piece reaches past the text.
    std::vector<char> exact(text.begin(), text.end());
    DosToWinInPlace(exact.data(), exact.size());
    ASSERT_EQ(std::string(exact.begin(), exact.end()), winWanted) << round;
    // Only the bytes marked, copied into another buffer of its own size.
    if (text.size() < 16) continue;
    std::vector<unsigned char> mask(text.size());
    std::string maskedWanted = text, maskedDosWanted = text;
    for (std::size_t i = 0; i < text.size(); ++i) {
      mask[i] = random() % 2 ? 0xFF : 0;
      if (mask[i]) maskedWanted[i] = DosToWinChar(text[i]);
      if (mask[i]) maskedDosWanted[i] = WinToDosChar(text[i]);
    }
    std::vector<char> copy(text.size());
    DosToWinMasked(copy.data(), text.data(), mask.data(), text.size());
    ASSERT_EQ(std::string(copy.begin(), copy.end()), maskedWanted) << round;
    WinToDosMasked(copy.data(), text.data(), mask.data(), text.size());
    ASSERT_EQ(std::string(copy.begin(), copy.end()), maskedDosWanted) << round;
  }
}
