#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Every byte each way, through the one-character, the text and the record
// conversions alike. Written, a character code page 866 has becomes its byte
// there and one it lacks a plain stand-in; read, what was written comes
// back, 0xB0..0xBF stay as earlier versions read them, and the frames,
// blocks and signs only another program writes read as plain stand-ins,
// never as letters.
TEST(Encoding, Dos866TablesForEveryByte) {
  // А, п, р, я, Ё, ё, № in code page 866.
  const std::string dos = "\x80\xAF\xE0\xEF\xF0\xF1\xFC";
  EXPECT_EQ(DosToWinStr(dos), "АпряЁё№"_w);
  EXPECT_EQ(WinToDosStr("АпряЁё№"_w), dos);
  EXPECT_EQ(DosToWinStr("\xB0\xC4\xDF"), "\xB0-#");
  // A─B▓C∙D√■█, as another program left it in a supplier's name.
  EXPECT_EQ(DosToWinStr("\x41\xC4\x42\xB2\x43\xF9\x44\xFB\xFE\xDB"), "A-B\xB2" "C.D?##");
  EXPECT_EQ(WinToDosStr("\x85\xAB\xBB"), ".\"\"");

  std::string winToDos, dosToWin;
  for (int b = 0; b < 0x80; ++b) winToDos += static_cast<char>(b);
  // '_' stands for the '?' of a character code page 866 lacks here.
  // Ђ Ѓ ‚ ѓ „ … † ‡ € ‰ Љ ‹ Њ Ќ Ћ Џ / ђ ‘ ’ “ ” • – — . ™ љ › њ ќ ћ џ
  std::string upper = "__'_\".__________" "_''\"\"_--________";
  // no-break space Ў ў Ј ¤ Ґ ¦ § Ё © Є « ¬ soft hyphen ® Ї / ° ± І і ґ µ ¶ · ё № є » ј Ѕ ѕ ї
  upper += "\xFF\xF6\xF7_\xFD___\xF0_\xF2\"___\xF4" "\xF8______\xFA\xF1\xFC\xF3\"___\xF5";
  std::replace(upper.begin(), upper.end(), '_', '?');
  ASSERT_EQ(upper.size(), 64u);
  winToDos += upper;
  for (int b = 0xC0; b <= 0xEF; ++b) winToDos += static_cast<char>(b - 0x40);
  for (int b = 0xF0; b <= 0xFF; ++b) winToDos += static_cast<char>(b - 0x10);
  for (int b = 0; b < 0x80; ++b) dosToWin += static_cast<char>(b);
  for (int b = 0x80; b <= 0xAF; ++b) dosToWin += static_cast<char>(b + 0x40);
  for (int b = 0xB0; b <= 0xBF; ++b) dosToWin += static_cast<char>(b);
  // └ ┴ ┬ ├ ─ ┼ ╞ ╟ ╚ ╔ ╩ ╦ ╠ ═ ╬ ╧ / ╨ ╤ ╥ ╙ ╘ ╒ ╓ ╫ ╪ ┘ ┌ █ ▄ ▌ ▐ ▀
  dosToWin += "++++-++++++++=++" "+++++++++++#####";
  for (int b = 0xE0; b <= 0xEF; ++b) dosToWin += static_cast<char>(b + 0x10);
  dosToWin += "ЁёЄєЇїЎў°.·?№¤#\u00A0"_w;  // ∙ √ ■ as . ? #: the bytes no writer makes

  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string byChar = all, backByChar = all;
  for (int b = 0; b < 256; ++b) {
    byChar[b] = WinToDosChar(all[b]);
    backByChar[b] = DosToWinChar(all[b]);
  }
  EXPECT_EQ(byChar, winToDos);
  EXPECT_EQ(backByChar, dosToWin);
  EXPECT_EQ(WinToDosStr(all), winToDos);
  EXPECT_EQ(DosToWinStr(all), dosToWin);
  std::string copy(all.size(), '\0');
  const std::vector<unsigned char> text(all.size(), 0xFF);
  WinToDosMasked(copy.data(), all.data(), text.data(), all.size());
  EXPECT_EQ(copy, winToDos);
  DosToWinMasked(copy.data(), all.data(), text.data(), all.size());
  EXPECT_EQ(copy, dosToWin);
  // Each byte alone among letters, as the pieces of 8 and 16 meet it.
  for (int b = 0; b < 256; ++b) {
    const std::string letters = "Молоко пастеризованное "_w;
    std::string win = letters + all[b] + letters;
    EXPECT_EQ(DosToWinStr(WinToDosStr(win)), letters + dosToWin[winToDos[b] & 0xFF] + letters) << b;
  }

  // Every byte written reads back as what was written: the character, or
  // its stand-in below 0x80, never a letter.
  for (int b = 0x80; b < 256; ++b) {
    const char written = winToDos[b];
    const bool kept = static_cast<unsigned char>(written) >= 0x80;
    EXPECT_EQ(DosToWinChar(written), kept ? all[b] : written) << b;
    EXPECT_EQ(FitsCp866(std::string("a") + all[b]), kept) << b;
  }
  EXPECT_EQ(WinToDosStr("12—34 «доб. 5» №5\u00A0°·¤ Ўў Єє Її"_w),
            WinToDosStr("12-34 \"доб. 5\" №5"_w) + "\xFF\xF8\xFA\xFD \xF6\xF7 \xF2\xF3 \xF4\xF5");
}

// Texts are converted a word at a time where they hold no Russian letters,
// and sixteen bytes at a time, the letters in the vector and any other byte
// of the upper half from the table wherever it stands: every length, mix
// and place in memory gives what the byte-by-byte conversion gives.
TEST(Encoding, Dos866TextsConvertAsTheirBytes) {
  std::mt19937 random(7);
  for (int round = 0; round < 10000; ++round) {
    std::string text(static_cast<std::size_t>(round % 71), ' ');
    // Blanks only, Latin, Russian, anything, or letters of both code pages
    // with one other byte somewhere, so that a piece of any place is the
    // first to need the table.
    const int mix = round % 5;
    for (char& c : text)
      if (mix > 0 && random() % 3 != 0)
        c = static_cast<char>(mix == 1 ? 'a' + random() % 26
                              : mix == 2 ? 0x80 + random() % 0x80
                              : mix == 3 ? random() % 256
                                         : 0xE0 + random() % 0x10);
    if (mix == 4 && !text.empty()) text[random() % text.size()] = static_cast<char>(0x80 + random() % 0x80);
    std::string dos = text, win = text, dosWanted = text, winWanted = text;
    DosToWinInPlace(win.data(), win.size());
    WinToDosInPlace(dos.data(), dos.size());
    for (char& c : winWanted) c = DosToWinChar(c);
    for (char& c : dosWanted) c = WinToDosChar(c);
    ASSERT_EQ(win, winWanted) << round;
    ASSERT_EQ(dos, dosWanted) << round;
    // At the end of a buffer of its own size and any alignment, so that no
    // piece reaches past the text.
    const std::size_t shift = static_cast<std::size_t>(round / 71 % 16);
    std::vector<char> exact(shift + text.size());
    std::copy(text.begin(), text.end(), exact.begin() + static_cast<std::ptrdiff_t>(shift));
    DosToWinInPlace(exact.data() + shift, text.size());
    ASSERT_EQ(std::string(exact.begin() + static_cast<std::ptrdiff_t>(shift), exact.end()), winWanted) << round;
    // Only the bytes marked, copied into another buffer so placed.
    if (text.size() < 16) continue;
    std::vector<unsigned char> mask(text.size());
    std::string maskedWanted = text, maskedDosWanted = text;
    for (std::size_t i = 0; i < text.size(); ++i) {
      mask[i] = random() % 2 ? 0xFF : 0;
      if (mask[i]) maskedWanted[i] = DosToWinChar(text[i]);
      if (mask[i]) maskedDosWanted[i] = WinToDosChar(text[i]);
    }
    std::vector<char> copy(shift + text.size());
    const auto copied = [&] { return std::string(copy.begin() + static_cast<std::ptrdiff_t>(shift), copy.end()); };
    DosToWinMasked(copy.data() + shift, text.data(), mask.data(), text.size());
    ASSERT_EQ(copied(), maskedWanted) << round;
    WinToDosMasked(copy.data() + shift, text.data(), mask.data(), text.size());
    ASSERT_EQ(copied(), maskedDosWanted) << round;
  }
}
