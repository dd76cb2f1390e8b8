// The Fused (LZH) block format shared by the coder and the decoder: LZ77
// with static Huffman codes in blocks, in the style of the lh5/lh6 methods.
#pragma once

#include <cstdint>

namespace vm {

inline constexpr int kFusedMinMatch = 3;
inline constexpr int kFusedMaxMatch = 256;
// Codes 0..255 are literal bytes, code c >= 256 a match of c - 253 bytes.
inline constexpr int kFusedNC = 256 + kFusedMaxMatch - kFusedMinMatch + 1;
inline constexpr int kFusedMatchBase = 256 - kFusedMinMatch;
// The code-length alphabet and the widths of the table counts.
inline constexpr int kFusedNT = 19;
inline constexpr int kFusedTBit = 5;
inline constexpr int kFusedCBit = 9;
inline constexpr int kFusedMaxCodeBits = 16;
// Longest alphabet of the code-length and position tables.
inline constexpr int kFusedMaxPt = 19;

// The coder's parameters and the decoder's for method bytes 1 and 3.
struct TFusedParams {
  int DictionaryBits;
  int PositionBits;
  // Position codes: k stands for a distance in [2^(k-1), 2^k).
  int NP() const { return DictionaryBits + 1; }
};

inline constexpr TFusedParams kFusedCoderParams{14, 5};
inline constexpr TFusedParams kFusedMethod1Params{13, 4};
inline constexpr TFusedParams kFusedMethod3Params{15, 5};

enum class TFusedResult {
  Ok,
  WriteFailed,  // reported as "Error writing to file"
  Damaged,      // the data cannot be decoded; the member fails its CRC check
  Cancelled,
};

}  // namespace vm
