// Text encodings of the system.
//
// Text in memory is Windows-1251 bytes in std::string. Source files are UTF-8,
// so every Russian literal in code and tests goes through the _w / _wv literal
// operators below, which convert at compile time (a character that has no
// Windows-1251 byte fails the build). Conversions to UTF-8 for the terminal
// and for Qt, and between code page 866 (text inside DBF files) and
// Windows-1251, live here and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

namespace enc_detail {

// Unicode code points of the Windows-1251 bytes 0x80..0xFF. Byte 0x98 has no
// character; it maps to U+0098 so that every byte survives a round trip.
inline constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The Windows-1251 byte of a code point, or -1 when it has none.
constexpr int CodePointToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
  for (std::size_t i = 0; i < 64; ++i)
    if (kCp1251High[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFF on a
// malformed sequence (one byte is consumed).
constexpr char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto cont = [&](std::size_t k) -> int {
    if (i + k >= s.size()) return -1;
    const auto b = static_cast<unsigned char>(s[i + k]);
    return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
  };
  if (b0 < 0x80) { ++i; return b0; }
  if ((b0 & 0xE0) == 0xC0) {
    const int c1 = cont(1);
    if (c1 < 0) { ++i; return 0xFFFF; }
    i += 2;
    return static_cast<char32_t>(((b0 & 0x1F) << 6) | c1);
  }
  if ((b0 & 0xF0) == 0xE0) {
    const int c1 = cont(1), c2 = cont(2);
    if (c1 < 0 || c2 < 0) { ++i; return 0xFFFF; }
    i += 3;
    return static_cast<char32_t>(((b0 & 0x0F) << 12) | (c1 << 6) | c2);
  }
  if ((b0 & 0xF8) == 0xF0) {
    const int c1 = cont(1), c2 = cont(2), c3 = cont(3);
    if (c1 < 0 || c2 < 0 || c3 < 0) { ++i; return 0xFFFF; }
    i += 4;
    return static_cast<char32_t>(((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3);
  }
  ++i;
  return 0xFFFF;
}

template <std::size_t N>
struct Utf8Literal {
  char text[N]{};
  constexpr Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

template <std::size_t N>
struct Cp1251Buffer {
  char data[N]{};
  std::size_t size = 0;
};

template <Utf8Literal L>
consteval auto ConvertLiteral() {
  constexpr std::size_t n = sizeof(L.text);
  Cp1251Buffer<n> out;
  std::string_view s(L.text, n - 1);
  std::size_t i = 0;
  while (i < s.size()) {
    const int b = CodePointToCp1251(DecodeUtf8(s, i));
    if (b < 0) throw "literal has a character that Windows-1251 cannot hold";
    out.data[out.size++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal L>
inline constexpr auto kLiteral = ConvertLiteral<L>();

}  // namespace enc_detail

inline namespace literals {

// "Текст"_wv: the Windows-1251 bytes of a UTF-8 literal, as a constant view.
template <enc_detail::Utf8Literal L>
constexpr std::string_view operator""_wv() {
  return {enc_detail::kLiteral<L>.data, enc_detail::kLiteral<L>.size};
}

// "Текст"_w: the same as a std::string.
template <enc_detail::Utf8Literal L>
std::string operator""_w() {
  return std::string(enc_detail::kLiteral<L>.data, enc_detail::kLiteral<L>.size);
}

}  // namespace literals

// 'a'..'z' and 'а'..'я' to capitals, 'ё' to 'Ё'; every other byte unchanged.
// The file layer folds names with it, so it lives beside the code page.
char RusUpCase(char c);

// Windows-1251 -> UTF-8, for the terminal and the Qt boundary.
std::string Cp1251ToUtf8(std::string_view s);

// UTF-8 -> Windows-1251; a character without a Windows-1251 byte becomes '?'.
std::string Utf8ToCp1251(std::string_view s);

// Code page 866 <-> Windows-1251, both ways from one pair of tables.
// Written, each character code page 866 has becomes its byte there (the
// Russian letters, 'Ё', 'ё', '№', 'Є', 'є', 'Ї', 'ї', 'Ў', 'ў', '°', '·',
// '¤' and the no-break space); one it lacks becomes a plain stand-in below
// 0x80 ('"' for quotes, '-' for dashes, '\'' for single quotes, '.' for
// the ellipsis, '?' for the rest), which reads back as itself. Read, every
// byte the writer makes gives what was written; 0xB0..0xBF stay as they
// are, so that what earlier versions stored there unconverted reads back as
// it was; the frames, blocks and signs only other programs write (0xC0..0xDF,
// ∙ √ ■) read as a plain stand-in below 0x80, never as a letter.
char DosToWinChar(char c);
char WinToDosChar(char c);
std::string DosToWinStr(std::string_view s);
std::string WinToDosStr(std::string_view s);
void DosToWinInPlace(char* p, std::size_t n);
// n >= 16 bytes of `from` into `to`, which does not overlap it: those where
// mask is 0xFF converted, the others (mask 0) as they are. A record is
// copied whole this way, in pieces of 16 bytes, and the pieces without
// letters in its text fields, the padding, the numbers and the dates, pass
// in one step each.
void DosToWinMasked(char* to, const char* from, const unsigned char* mask, std::size_t n);
// The opposite way, as a record's text is stored.
void WinToDosMasked(char* to, const char* from, const unsigned char* mask, std::size_t n);
void WinToDosInPlace(char* p, std::size_t n);
// Whether every character of a Windows-1251 text has its own byte in code
// page 866, so that it is written without a stand-in: a name that must come
// back as it was (a file packed into an archive) is refused otherwise.
bool FitsCp866(std::string_view s);

// Eight Windows-1251 bytes at once when every byte above 0x7F among them is
// one of the Russian letters А..я: those lie in two runs that keep their
// order in 866 (0xC0..0xEF 0x40 lower, 0xF0..0xFF 0x10 lower). False, the
// word untouched, when another byte above 0x7F (Ё, ё, №, punctuation) needs
// WinToDosInPlace.
inline bool WinToDosLetterWord(uint64_t& word) {
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  const uint64_t high = word & kHigh;
  const uint64_t letters = high & (word << 1);  // 0xC0 and above
  if (letters != high) return false;
  const uint64_t late = letters & (word << 2) & (word << 3);  // 0xF0 and above
  // Per byte 0x40, or 0x10 for the late run; never more than the byte, so
  // nothing borrows from its neighbour.
  word -= ((letters ^ late) >> 1) | (late >> 3);
  return true;
}

}  // namespace vm
