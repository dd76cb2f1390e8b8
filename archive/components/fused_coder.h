// The Fused (LZH) coder: LZ77 over a 16 KB window with lazy matching, the
// codes sent in blocks with static Huffman tables.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/components/codec_host.h"
#include "archive/components/fused_format.h"

namespace vm {

class TFusedCoder {
 public:
  // crcKind is the running CRC kept over the source bytes; with `encrypt`
  // the packed bytes are encrypted as they are written.
  explicit TFusedCoder(TFusedParams params = kFusedCoderParams, int crcKind = kCrc32, bool encrypt = false);

  // Encodes the rest of source into dest through the host; packedSize gets
  // the bytes written.
  TFusedResult Encode(TCodecHost& host, TStream32& source, TStream32& dest, int64_t& packedSize);

 private:
  // Input and match finding.
  bool FillInput();
  void Slide();
  // Chains the positions [from, to) into the hash table.
  void InsertRange(int from, int to);
  int LongestMatch(int pos, int prevLength, int& offset);
  bool Emit(int code, int distance);

  // Blocks.
  bool SendBlock();
  void WritePtLengths(const uint8_t* lengths, int n, int nbit, int special);
  void WriteCLengths();
  void CountTFreq();
  // The output's bytes go out in the same pieces whatever the caller: a
  // piece leaves as soon as it reaches the flush size.
  bool PutBits(int n, uint32_t value) {
    if (n == 0) return true;
    bitAcc_ = (bitAcc_ << n) | (value & ((1u << n) - 1));
    bitCount_ += n;
    while (bitCount_ >= 8) {
      bitCount_ -= 8;
      out_[outCount_++] = static_cast<uint8_t>(bitAcc_ >> bitCount_);
    }
    return outCount_ < kOutputFlush || FlushOutput();
  }
  bool FlushOutput();

  TFusedParams params_;
  int crcKind_;
  bool encrypt_;
  int window_;

  TCodecHost* host_ = nullptr;
  TStream32* source_ = nullptr;
  TStream32* dest_ = nullptr;
  TFusedResult failure_ = TFusedResult::Ok;

  std::vector<uint8_t> data_;
  int end_ = 0;
  int pos_ = 0;
  bool eof_ = false;
  std::vector<int32_t> head_;
  std::vector<int32_t> prev_;

  // The symbols of the block being gathered.
  std::vector<uint16_t> codes_;
  std::vector<uint16_t> distances_;
  int codeCount_ = 0;
  int distanceCount_ = 0;
  std::array<uint32_t, kFusedNC> cFreq_{};
  std::array<uint32_t, kFusedMaxPt> pFreq_{};
  std::array<uint32_t, kFusedNT> tFreq_{};
  std::array<uint8_t, kFusedNC> cLen_{};
  std::array<uint16_t, kFusedNC> cCode_{};
  std::array<uint8_t, kFusedMaxPt> pLen_{};
  std::array<uint16_t, kFusedMaxPt> pCode_{};
  std::array<uint8_t, kFusedNT> tLen_{};
  std::array<uint16_t, kFusedNT> tCode_{};

  static constexpr std::size_t kOutputFlush = 1 << 15;
  std::vector<uint8_t> out_;
  std::size_t outCount_ = 0;
  uint64_t bitAcc_ = 0;
  int bitCount_ = 0;
  int64_t packed_ = 0;
};

// Huffman code lengths of at most 16 bits for the frequencies; returns the
// count of symbols in use. With fewer than two, `only` is the one (or 0).
int MakeCodeLengths(const uint32_t* freq, int n, uint8_t* lengths, int& only);
// Canonical codes for the lengths, shorter codes first, symbols in order.
void MakeCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace vm
