// The text tables of the plain anchors, as a one-off program writes them:
// code page 866 into 1251 and back, and the Russian sort order (letters case folded,
// Ё after Е, one byte each).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace vm::bench {

struct To1251 {
  unsigned char at[256];
  To1251() {
    for (int c = 0; c < 256; c++) at[c] = static_cast<unsigned char>(c);
    for (int k = 0; k < 48; k++) at[0x80 + k] = static_cast<unsigned char>(0xC0 + k);
    for (int k = 0; k < 16; k++) at[0xE0 + k] = static_cast<unsigned char>(0xF0 + k);
    at[0xF0] = 0xA8, at[0xF1] = 0xB8;
  }
};

// The way back: each letter to the byte it came from; every other byte
// stays itself.
struct To866 {
  unsigned char at[256];
  To866() {
    const To1251 to1251;
    for (int c = 0; c < 256; c++) at[c] = static_cast<unsigned char>(c);
    for (int c = 0; c < 256; c++)
      if (to1251.at[c] != c) at[to1251.at[c]] = static_cast<unsigned char>(c);
  }
};

inline std::array<unsigned char, 256> CollationOrder() {
  std::array<int, 256> primary{};
  for (std::size_t c = 0; c < 256; ++c) primary[c] = static_cast<int>(c);
  for (std::size_t c = 'a'; c <= 'z'; ++c) primary[c] = static_cast<int>(c) - 32;
  for (std::size_t k = 0; k < 32; ++k)
    primary[0xC0 + k] = primary[0xE0 + k] = 1000 + 2 * static_cast<int>(k) + (k > 5 ? 2 : 0);
  primary[0xA8] = primary[0xB8] = 1000 + 2 * 5 + 1;
  std::array<int, 256> sorted = primary;
  std::sort(sorted.begin(), sorted.end());
  std::array<unsigned char, 256> o{};
  for (std::size_t c = 0; c < 256; ++c)
    o[c] = static_cast<unsigned char>(std::lower_bound(sorted.begin(), sorted.end(), primary[c]) - sorted.begin());
  return o;
}

}  // namespace vm::bench
