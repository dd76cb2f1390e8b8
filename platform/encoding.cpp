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

// The bytes of code page 866 that only another program writes there, the
// frames, the blocks and the signs Windows-1251 lacks, are read as the
// plain character nearest in look, never as the letters their bytes are in
// Windows-1251; edited and saved, a field stores that character.
constexpr unsigned char ReadStandIn(unsigned char dos) {
  if (dos == 0xC4) return '-';                                              // ─
  if (dos == 0xCD) return '=';                                              // ═
  if (dos >= 0xC0 && dos <= 0xDA) return '+';                               // corners and crossings
  if ((dos >= 0xDB && dos <= 0xDF) || dos == 0xFE) return '#';              // █ ▄ ▌ ▐ ▀ ■
  if (dos == 0xF9) return '.';                                              // ∙
  return '?';                                                               // √
}

struct CodePageTables {
  unsigned char dosToWin[256];
  unsigned char winToDos[256];
  constexpr CodePageTables() : dosToWin(), winToDos() {
    for (int b = 0; b < 256; ++b) {
      // Read, 0xB0..0xBF stay as they are: earlier versions stored
      // Windows-1251 characters there unconverted.
      dosToWin[b] = b < 0xC0 ? static_cast<unsigned char>(b) : ReadStandIn(static_cast<unsigned char>(b));
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

// Sixteen bytes at a time: the letters of both code pages lie in two runs
// that move by a constant, in the vector; every other byte of the upper half
// ('Ё', '№', the quotes, what another program left) is placed one by one
// from the table, out of the usual loop. Pieces without bytes of the upper
// half (the padding, Latin text, digits) stay as they are.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

// One bit a byte, set where the byte's high bit is: one instruction where
// the machine gathers the high bits.
unsigned HighBits(Bytes16 v) {
#if defined(__SSE2__)
  __m128i m;
  std::memcpy(&m, &v, sizeof m);
  return static_cast<unsigned>(_mm_movemask_epi8(m));
#else
  unsigned bits = 0;
  for (int k = 0; k < 16; ++k) bits |= static_cast<unsigned>(v[k] >> 7) << k;
  return bits;
#endif
}

bool AnyHighBit(Bytes16 v) {
#if defined(__SSE2__)
  return HighBits(v) != 0;
#else
  uint64_t words[2];
  std::memcpy(words, &v, sizeof words);
  return ((words[0] | words[1]) & 0x8080808080808080ULL) != 0;
#endif
}

// Compared as signed bytes, each bound of a run is one comparison.
using Signed16 = signed char __attribute__((vector_size(16)));

Bytes16 LoadBytes(const void* p) {
  Bytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StoreBytes(char* p, Bytes16 v) { std::memcpy(p, &v, sizeof v); }

// Piece A with the letters among the bytes Set keeps of it (A itself, or A
// with the bytes of other fields zero) converted, and the high bit of each
// byte of Set that the table places instead: the letters' step leaves those
// as they were.
struct TLetters {
  Bytes16 Bytes;
  Bytes16 Others;
};

struct TDosToWin {
  static TLetters Letters(Bytes16 a, Bytes16 set) {
    using V = Bytes16;
    const auto s = reinterpret_cast<Signed16>(set);
    const auto belowE0 = s < -0x20, belowF0 = s < -0x10;
    const V lower = reinterpret_cast<V>(s < -0x50);       // 0x80..0xAF: А..п
    const V upper = reinterpret_cast<V>(belowF0 ^ belowE0);  // 0xE0..0xEF: р..я
    // 0xC0..0xDF and from 0xF0 on; 0xB0..0xBF read as themselves.
    const V others = reinterpret_cast<V>((belowE0 ^ (s < -0x40)) | (s & ~belowF0));
    // Up by 0x40 and 0x10 as down by the bounds' own bytes, held already.
    return {a - ((lower & 0xC0) | (upper & 0xF0)), others};
  }
  static constexpr const unsigned char* Table = kTables.dosToWin;
};

struct TWinToDos {
  static TLetters Letters(Bytes16 a, Bytes16 set) {
    using V = Bytes16;
    const auto s = reinterpret_cast<Signed16>(set);
    const auto belowC0 = s < -0x40, belowF0 = s < -0x10;
    const V early = reinterpret_cast<V>(belowF0 ^ belowC0);  // 0xC0..0xEF: А..п
    const V late = reinterpret_cast<V>((s < 0) ^ belowF0);   // 0xF0..0xFF: р..я
    // Down by 0x40 and 0x10 as up by the bounds' own bytes, held already.
    return {a + ((early & 0xC0) | (late & 0xF0)), reinterpret_cast<V>(belowC0)};  // 0x80..0xBF
  }
  static constexpr const unsigned char* Table = kTables.winToDos;
};

// The bytes of a piece already stored at p that Bits marks, each read back
// and put through the table.
void PlaceOthers(char* p, unsigned bits, const unsigned char* table) {
  auto* const bytes = reinterpret_cast<unsigned char*>(p);
  for (; bits != 0; bits &= bits - 1) {
    const auto k = static_cast<unsigned>(__builtin_ctz(bits));
    bytes[k] = table[bytes[k]];
  }
}

[[gnu::noinline]] void BytesByTable(char* p, std::size_t n, const unsigned char* table) {
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<char>(table[static_cast<unsigned char>(p[i])]);
}

// Piece A converted and stored at `to`. Out of line, and calling nothing,
// so that the pieces without letters pass through a loop that holds none of
// the conversion's constants and keeps its state where it is.
template <class Way>
[[gnu::noinline]] void PutPiece(char* to, Bytes16 a) {
  const TLetters c = Way::Letters(a, a);
  StoreBytes(to, c.Bytes);
  if (const unsigned others = HighBits(c.Others)) PlaceOthers(to, others, Way::Table);
}

// Pieces that overlap: the last is read before any is written, so the
// bytes it shares with the one before are converted from what they were.
void DosToWinOverlapping(char* p, std::size_t n) {
  const Bytes16 last = LoadBytes(p + n - 16);
  for (std::size_t i = 0; i + 16 < n; i += 16)
    if (const Bytes16 a = LoadBytes(p + i); AnyHighBit(a)) PutPiece<TDosToWin>(p + i, a);
  if (AnyHighBit(last)) PutPiece<TDosToWin>(p + n - 16, last);
}

// 8 to 16 bytes: the first and the last eight side by side in one piece.
// One with another byte of the upper half goes through the table whole: its
// halves may share bytes.
void DosToWinShort(char* p, std::size_t n) {
  uint64_t halves[2];
  std::memcpy(&halves[0], p, 8);
  std::memcpy(&halves[1], p + n - 8, 8);
  Bytes16 both;
  std::memcpy(&both, halves, 16);
  if (!AnyHighBit(both)) return;
  const TLetters c = TDosToWin::Letters(both, both);
  if (AnyHighBit(c.Others)) {
    BytesByTable(p, n, kTables.dosToWin);
    return;
  }
  std::memcpy(halves, &c.Bytes, 16);
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
    BytesByTable(p, n, kTables.dosToWin);
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

template <class Way>
[[gnu::noinline]] void FinishMasked(char* to, const char* from, const unsigned char* mask, std::size_t n,
                                    std::size_t at, unsigned others);

// The pieces from offset I on, the last overlapping the one before (`to`
// and `from` do not overlap, so the order is free). The usual loop calls
// nothing, so that it keeps its state in registers that need no saving: a
// piece with a byte for the table is stored with its letters, and the rest
// left to FinishMasked.
template <class Way, bool Usual>
void MaskedPieces(char* to, const char* from, const unsigned char* mask, std::size_t n, std::size_t i) {
  // The bytes of the piece left for the table.
  const auto piece = [=](std::size_t at) -> unsigned {
    const Bytes16 a = LoadBytes(from + at);
    const Bytes16 m = LoadBytes(mask + at);
    const Bytes16 set = a & m;
    if (!AnyHighBit(set)) {
      StoreBytes(to + at, a);
      return 0;
    }
    const TLetters c = Way::Letters(a, set);
    StoreBytes(to + at, c.Bytes);
    const unsigned others = HighBits(c.Others);
    if (Usual) return others;
    PlaceOthers(to + at, others, Way::Table);
    return 0;
  };
  for (; i + 32 < n; i += 32) {
    if (const unsigned others = piece(i)) return FinishMasked<Way>(to, from, mask, n, i, others);
    if (const unsigned others = piece(i + 16)) return FinishMasked<Way>(to, from, mask, n, i + 16, others);
  }
  if (i + 16 < n)
    if (const unsigned others = piece(i)) return FinishMasked<Way>(to, from, mask, n, i, others);
  if (const unsigned others = piece(n - 16)) FinishMasked<Way>(to, from, mask, n, n - 16, others);
}

// The piece at At, stored with its letters, gets the others; then the
// pieces after it.
template <class Way>
void FinishMasked(char* to, const char* from, const unsigned char* mask, std::size_t n, std::size_t at,
                  unsigned others) {
  PlaceOthers(to + at, others, Way::Table);
  if (at + 16 < n) MaskedPieces<Way, false>(to, from, mask, n, at + 16);
}

}  // namespace

void DosToWinMasked(char* to, const char* from, const unsigned char* mask, std::size_t n) {
  MaskedPieces<TDosToWin, true>(to, from, mask, n, 0);
}

void WinToDosMasked(char* to, const char* from, const unsigned char* mask, std::size_t n) {
  MaskedPieces<TWinToDos, true>(to, from, mask, n, 0);
}

}  // namespace vm
