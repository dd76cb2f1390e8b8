#include "platform/encoding.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vm {

char RusUpCase(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || b >= 0xE0) return static_cast<char>(b - 32);
  if (b == 0xB8) return static_cast<char>(0xA8);
  return c;
}

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t cp = b < 0x80 ? b : enc_detail::kCp1251High[b - 0x80];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const int b = enc_detail::CodePointToCp1251(enc_detail::DecodeUtf8(s, i));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

namespace {

// The characters of code page 866's upper half beyond the Russian letters
// that Windows-1251 also has: each is written as itself and read back so.
struct TSharedChar {
  unsigned char Win, Dos;
};
constexpr TSharedChar kSharedChars[] = {
    {0xA8, 0xF0}, {0xB8, 0xF1}, {0xAA, 0xF2}, {0xBA, 0xF3}, {0xAF, 0xF4}, {0xBF, 0xF5}, {0xA1, 0xF6},
    {0xA2, 0xF7}, {0xB0, 0xF8}, {0xB7, 0xFA}, {0xB9, 0xFC}, {0xA4, 0xFD}, {0xA0, 0xFF},
};

// A Windows-1251 character code page 866 lacks is written as a plain
// character below 0x80 that reads back as itself: never as a letter, as its
// own byte would in code page 866 (0x80..0xAF are letters there).
constexpr unsigned char StandIn(unsigned char win) {
  switch (win) {
    case 0xAB: case 0xBB: case 0x84: case 0x93: case 0x94: return '"';  // « » „ “ ”
    case 0x96: case 0x97: return '-';                                    // – —
    case 0x82: case 0x91: case 0x92: return '\'';                        // ‚ ‘ ’
    case 0x85: return '.';                                               // …
    default: return '?';
  }
}

struct CodePageTables {
  unsigned char dosToWin[256];
  unsigned char winToDos[256];
  constexpr CodePageTables() : dosToWin(), winToDos() {
    for (int b = 0; b < 256; ++b) {
      // Read, the bytes of the frames (0xB0..0xDF) and the rest of the upper
      // half stay as they are: what earlier versions wrote there unconverted
      // reads back as it was.
      dosToWin[b] = static_cast<unsigned char>(b);
      winToDos[b] = b < 0x80 ? static_cast<unsigned char>(b) : StandIn(static_cast<unsigned char>(b));
    }
    for (int b = 0x80; b <= 0xAF; ++b) dosToWin[b] = static_cast<unsigned char>(b + 0x40);
    for (int b = 0xE0; b <= 0xEF; ++b) dosToWin[b] = static_cast<unsigned char>(b + 0x10);
    for (int b = 0xC0; b <= 0xEF; ++b) winToDos[b] = static_cast<unsigned char>(b - 0x40);
    for (int b = 0xF0; b <= 0xFF; ++b) winToDos[b] = static_cast<unsigned char>(b - 0x10);
    for (const TSharedChar c : kSharedChars) {
      dosToWin[c.Dos] = c.Win;
      winToDos[c.Win] = c.Dos;
    }
  }
};

constexpr CodePageTables kTables;

}  // namespace

char DosToWinChar(char c) {
  return static_cast<char>(kTables.dosToWin[static_cast<unsigned char>(c)]);
}

char WinToDosChar(char c) {
  return static_cast<char>(kTables.winToDos[static_cast<unsigned char>(c)]);
}

namespace {

// Both code pages keep the bytes below 0x80, so whole words of Latin letters,
// digits and blanks (the padding of every text field) are passed over; a
// word that `wholeWord` converts at once is not taken byte by byte.
void ConvertInPlace(char* p, std::size_t n, const unsigned char (&table)[256],
                    bool (*wholeWord)(uint64_t&) = nullptr) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if ((word & 0x8080808080808080ULL) == 0) continue;
    if (wholeWord && wholeWord(word)) {
      std::memcpy(p + i, &word, 8);
      continue;
    }
    for (std::size_t k = i; k < i + 8; ++k) p[k] = static_cast<char>(table[static_cast<unsigned char>(p[k])]);
  }
  if (i < n && n >= 8) {
    // The rest lies in the last eight bytes, often blanks only.
    uint64_t word;
    std::memcpy(&word, p + n - 8, 8);
    if ((word & 0x8080808080808080ULL) == 0) return;
  }
  for (; i < n; ++i) p[i] = static_cast<char>(table[static_cast<unsigned char>(p[i])]);
}

// Sixteen bytes at a time: the letters of code page 866 lie in two runs
// that move up by a constant, and only 'Ё', 'ё' and '№', the usual others
// in a shop's texts, are placed one by one; a piece with any other byte of
// the upper half goes through the table, which these shortcuts follow.
// Pieces without such bytes (the padding, Latin text, digits) stay as they
// are.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

// Whether any byte has its high bit set: one instruction where the machine
// gathers the high bits.
bool AnyHighBit(Bytes16 v) {
#if defined(__SSE2__)
  __m128i m;
  std::memcpy(&m, &v, sizeof m);
  return _mm_movemask_epi8(m) != 0;
#else
  uint64_t words[2];
  std::memcpy(words, &v, sizeof words);
  return ((words[0] | words[1]) & 0x8080808080808080ULL) != 0;
#endif
}

// Compared as signed bytes, each run of letters is one or two comparisons.
using Signed16 = signed char __attribute__((vector_size(16)));

// Out of line: the rare piece with another character of the upper half
// keeps the table's loop out of the usual one.
[[gnu::noinline]] Bytes16 BytesByTable(Bytes16 a, const unsigned char (&table)[256]) {
  // Through plain bytes: taken out of and put into the vector one by one,
  // they would cost several times as much.
  unsigned char b[16];
  std::memcpy(b, &a, 16);
  for (unsigned char& c : b) c = table[c];
  std::memcpy(&a, b, 16);
  return a;
}

Bytes16 DosToWinLetters(Bytes16 a) {
  using V = Bytes16;
  const auto s = reinterpret_cast<Signed16>(a);
  const V lower = reinterpret_cast<V>(s < -0x50);                // 0x80..0xAF: А..п
  const V upper = reinterpret_cast<V>((s > -0x21) & (s < -0x10));  // 0xE0..0xEF: р..я
  V r = a + ((lower & 0x40) | (upper & 0x10));
  const V late = reinterpret_cast<V>((s > -0x11) & s);  // from 0xF0 on, in the high bits
  if (!AnyHighBit(late)) return r;
  r = (a == 0xF0) ? V{} + 0xA8 : r;
  r = (a == 0xF1) ? V{} + 0xB8 : r;
  r = (a == 0xFC) ? V{} + 0xB9 : r;
  return AnyHighBit(late & reinterpret_cast<V>(r == a)) ? BytesByTable(a, kTables.dosToWin) : r;
}

Bytes16 DosToWinBytes(Bytes16 a) { return AnyHighBit(a) ? DosToWinLetters(a) : a; }

// The way back: А..я in two runs that move down by a constant; 'Ё', 'ё',
// '№' and the quotes and dashes of goods' names, everyday in a shop, one by
// one as the table has them; the rest of 0x80..0xBF through the table.
Bytes16 WinToDosLetters(Bytes16 a) {
  using V = Bytes16;
  const auto s = reinterpret_cast<Signed16>(a);
  const V early = reinterpret_cast<V>((s > -0x41) & (s < -0x10));  // 0xC0..0xEF: А..п
  const V late = reinterpret_cast<V>((s > -0x11) & (s < 0));       // 0xF0..0xFF: р..я
  V r = a - ((early & 0x40) | (late & 0x10));
  const V other = reinterpret_cast<V>(s < -0x40);  // 0x80..0xBF
  if (!AnyHighBit(other)) return r;
  r = (a == 0xA8) ? V{} + 0xF0 : r;
  r = (a == 0xB8) ? V{} + 0xF1 : r;
  r = (a == 0xB9) ? V{} + 0xFC : r;
  r = ((a == 0xAB) | (a == 0xBB) | (a == 0x93) | (a == 0x94) | (a == 0x84)) ? V{} + '"' : r;  // « » “ ” „
  r = ((a == 0x96) | (a == 0x97)) ? V{} + '-' : r;                                             // – —
  return AnyHighBit(other & reinterpret_cast<V>(r == a)) ? BytesByTable(a, kTables.winToDos) : r;
}

Bytes16 LoadBytes(const char* p) {
  Bytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StoreBytes(char* p, Bytes16 v) {
  std::memcpy(p, &v, sizeof v);
}

// Pieces that overlap are all read before any is written, so the bytes they
// share are converted once.
void DosToWinOverlapping(char* p, std::size_t n) {
  const Bytes16 last = DosToWinBytes(LoadBytes(p + n - 16));
  std::size_t i = 0;
  for (; i + 16 < n; i += 16) StoreBytes(p + i, DosToWinBytes(LoadBytes(p + i)));
  StoreBytes(p + n - 16, last);
}

// 8 to 16 bytes: the first and the last eight side by side in one piece.
void DosToWinShort(char* p, std::size_t n) {
  uint64_t halves[2];
  std::memcpy(&halves[0], p, 8);
  std::memcpy(&halves[1], p + n - 8, 8);
  Bytes16 both;
  std::memcpy(&both, halves, 16);
  both = DosToWinBytes(both);
  std::memcpy(halves, &both, 16);
  std::memcpy(p + n - 8, &halves[1], 8);
  std::memcpy(p, &halves[0], 8);
}

}  // namespace

void DosToWinInPlace(char* p, std::size_t n) {
  if (n > 16) {
    DosToWinOverlapping(p, n);
  } else if (n >= 8) {
    DosToWinShort(p, n);
  } else {
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<char>(kTables.dosToWin[static_cast<unsigned char>(p[i])]);
  }
}

void WinToDosInPlace(char* p, std::size_t n) { ConvertInPlace(p, n, kTables.winToDos, WinToDosLetterWord); }

bool FitsCp866(std::string_view s) {
  // A stand-in is the one upper-half character written below 0x80.
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80 && kTables.winToDos[static_cast<unsigned char>(c)] < 0x80) return false;
  return true;
}

std::string DosToWinStr(std::string_view s) {
  std::string out(s);
  DosToWinInPlace(out.data(), out.size());
  return out;
}

std::string WinToDosStr(std::string_view s) {
  std::string out(s);
  WinToDosInPlace(out.data(), out.size());
  return out;
}

namespace {

// Out of line, so that the pieces without letters pass through a loop
// that holds none of the conversion's constants.
[[gnu::noinline]] Bytes16 DosToWinMaskedPiece(Bytes16 a, Bytes16 m) { return a ^ ((DosToWinLetters(a) ^ a) & m); }
[[gnu::noinline]] Bytes16 WinToDosMaskedPiece(Bytes16 a, Bytes16 m) { return a ^ ((WinToDosLetters(a) ^ a) & m); }

template <Bytes16 (*Convert)(Bytes16, Bytes16)>
void ConvertMasked(char* to, const char* from, const unsigned char* mask, std::size_t n) {
  const auto piece = [&](std::size_t i) {
    const Bytes16 a = LoadBytes(from + i);
    Bytes16 m;
    std::memcpy(&m, mask + i, sizeof m);
    return AnyHighBit(a & m) ? Convert(a, m) : a;
  };
  const Bytes16 last = piece(n - 16);
  std::size_t i = 0;
  for (; i + 32 < n; i += 32) {
    StoreBytes(to + i, piece(i));
    StoreBytes(to + i + 16, piece(i + 16));
  }
  if (i + 16 < n) StoreBytes(to + i, piece(i));
  StoreBytes(to + n - 16, last);
}

}  // namespace

void DosToWinMasked(char* to, const char* from, const unsigned char* mask, std::size_t n) {
  ConvertMasked<DosToWinMaskedPiece>(to, from, mask, n);
}

void WinToDosMasked(char* to, const char* from, const unsigned char* mask, std::size_t n) {
  ConvertMasked<WinToDosMaskedPiece>(to, from, mask, n);
}

}  // namespace vm
