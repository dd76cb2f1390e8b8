// The Fused (LZH) decoder. Each decode has its own object, so two archives
// can be read at once.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/components/codec_host.h"
#include "archive/components/fused_format.h"

namespace vm {

// A canonical Huffman code: one look-up of tableBits bits resolves short
// codes, longer ones are walked length by length.
class THuffmanDecodeTable {
 public:
  // False for lengths over 16 or an over-subscribed code. An incomplete code
  // is accepted; its missing codes decode as damage.
  bool Build(const uint8_t* lengths, int count, int tableBits);
  // Every input decodes to `symbol` without using a bit.
  void BuildSingle(int symbol, int tableBits);
  // The symbol, or -1; `top16` holds the next 16 input bits, and the bits
  // the code took are returned in `used`.
  int Decode(uint32_t top16, int& used) const;

 private:
  static constexpr uint32_t kLong = 1u << 24;
  static constexpr uint32_t kInvalid = 1u << 25;
  int DecodeLong(uint32_t top16, int& used) const;

  int tableBits_ = 0;
  std::vector<uint32_t> fast_;
  std::array<uint16_t, kFusedMaxCodeBits + 1> count_{};
  std::vector<uint16_t> sorted_;
};

class TFusedDecoder {
 public:
  // Mode 1 or 2: the packed data is encrypted. Mode 5 or more: a 64 KB
  // window. The window never falls short of the dictionary.
  void Init(int crcKind, int dictionaryBits, int positionBits, int mode);
  // Decodes unpackedSize bytes from at most packedSize bytes of archive into
  // out, through the host's reads and writes.
  TFusedResult Decode(TCodecHost& host, TStream32& archive, TStream32& out, int64_t packedSize,
                      int64_t unpackedSize);
  int WindowSize() const { return windowSize_; }

 private:
  // Bit input.
  void Refill();
  bool LoadInput();
  uint32_t Peek16() const { return static_cast<uint32_t>(bitbuf_ >> 48); }
  void Consume(int n) {
    bitbuf_ <<= n;
    bitcount_ -= n;
    consumedBits_ += n;
  }
  uint32_t GetBits(int n);
  bool PastTheEnd() const { return consumedBits_ > realBits_; }
  int DecodeWith(const THuffmanDecodeTable& table);

  // Block headers.
  bool ReadBlockHeader();
  // A table's count of lengths, or 0 after a single code was read; -1 when
  // the count or the code is out of range.
  int ReadCount(int nbit, int alphabet, int tableBits, THuffmanDecodeTable& table);
  bool ReadPtLengths(int nn, int nbit, int special, THuffmanDecodeTable& table);
  bool ReadCLengths();

  // Output.
  int DecodeDistance();
  bool CopyMatch(int length, int64_t offset);
  bool Flush();

  int crcKind_ = kCrc32;
  TFusedParams params_ = kFusedMethod3Params;
  bool encrypted_ = false;
  int windowSize_ = 32768;

  TCodecHost* host_ = nullptr;
  TStream32* archive_ = nullptr;
  TStream32* out_ = nullptr;
  TFusedResult failure_ = TFusedResult::Ok;

  std::vector<uint8_t> input_;
  std::size_t inPos_ = 0;
  std::size_t inFill_ = 0;
  int64_t packedLeft_ = 0;
  uint64_t bitbuf_ = 0;
  int bitcount_ = 0;
  int64_t realBits_ = 0;
  int64_t consumedBits_ = 0;

  uint32_t blockLeft_ = 0;
  THuffmanDecodeTable ptTable_;
  THuffmanDecodeTable cTable_;
  THuffmanDecodeTable posTable_;

  std::vector<uint8_t> window_;
  int r_ = 0;
};

}  // namespace vm
