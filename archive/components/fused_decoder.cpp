#include "archive/components/fused_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vm {

namespace {

constexpr int kInputBlock = 26624;
constexpr int kInputBuffer = 65536;
constexpr int kSmallWindow = 26624;
constexpr int kLargeWindow = 65536;
constexpr int kCTableBits = 12;
constexpr int kPtTableBits = 8;

}  // namespace

// ---------------------------------------------------------------- Huffman tables

bool THuffmanDecodeTable::Build(const uint8_t* lengths, int count, int tableBits) {
  tableBits_ = tableBits;
  count_.fill(0);
  for (int i = 0; i < count; ++i) {
    if (lengths[i] > kFusedMaxCodeBits) return false;
    ++count_[lengths[i]];
  }
  count_[0] = 0;
  int left = 1;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len) {
    left = (left << 1) - count_[len];
    if (left < 0) return false;
  }

  std::array<uint32_t, kFusedMaxCodeBits + 2> next{};
  std::array<uint32_t, kFusedMaxCodeBits + 2> offset{};
  uint32_t code = 0;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len) {
    next[len] = code;
    code = (code + count_[len]) << 1;
    offset[len + 1] = offset[len] + count_[len];
  }
  sorted_.assign(offset[kFusedMaxCodeBits + 1], 0);
  fast_.assign(std::size_t{1} << tableBits, kInvalid);
  for (int sym = 0; sym < count; ++sym) {
    const int len = lengths[sym];
    if (len == 0) continue;
    sorted_[offset[len]++] = static_cast<uint16_t>(sym);
    const uint32_t c = next[len]++;
    if (len <= tableBits) {
      const uint32_t first = c << (tableBits - len);
      const uint32_t entry = static_cast<uint32_t>(sym) | (static_cast<uint32_t>(len) << 16);
      std::fill_n(fast_.begin() + first, std::size_t{1} << (tableBits - len), entry);
    } else {
      fast_[c >> (len - tableBits)] = kLong;
    }
  }
  return true;
}

void THuffmanDecodeTable::BuildSingle(int symbol, int tableBits) {
  tableBits_ = tableBits;
  count_.fill(0);
  sorted_.clear();
  fast_.assign(std::size_t{1} << tableBits, static_cast<uint32_t>(symbol));
}

int THuffmanDecodeTable::Decode(uint32_t top16, int& used) const {
  const uint32_t entry = fast_[top16 >> (16 - tableBits_)];
  if (entry < kLong) {
    used = static_cast<int>(entry >> 16);
    return static_cast<int>(entry & 0xFFFF);
  }
  if (entry == kLong) return DecodeLong(top16, used);
  return -1;
}

int THuffmanDecodeTable::DecodeLong(uint32_t top16, int& used) const {
  // Canonical codes of one length are consecutive, after all shorter ones.
  int code = 0;
  int first = 0;
  int index = 0;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len) {
    code |= static_cast<int>((top16 >> (16 - len)) & 1);
    const int n = count_[len];
    if (code - first < n) {
      used = len;
      return sorted_[static_cast<std::size_t>(index + code - first)];
    }
    index += n;
    first = (first + n) << 1;
    code <<= 1;
  }
  return -1;
}

// ---------------------------------------------------------------- bit input

void TFusedDecoder::Init(int crcKind, int dictionaryBits, int positionBits, int mode) {
  crcKind_ = crcKind;
  params_.DictionaryBits = std::clamp(dictionaryBits, 1, kFusedMaxPt - 2);
  params_.PositionBits = std::clamp(positionBits, 1, 8);
  encrypted_ = mode == 1 || mode == 2;
  // A method-3 stream may reach back 32767 bytes, further than the 26624
  // bytes of the small window.
  windowSize_ = std::max(mode < 5 ? kSmallWindow : kLargeWindow, 1 << params_.DictionaryBits);
}

bool TFusedDecoder::LoadInput() {
  const int want = static_cast<int>(std::min<int64_t>(kInputBlock, packedLeft_));
  if (want <= 0) return false;
  const int32_t got = host_->ReadBlock(*archive_, input_.data(), want, kCrcNone, encrypted_);
  if (got <= 0) {
    packedLeft_ = 0;
    return false;
  }
  packedLeft_ -= got;
  inPos_ = 0;
  inFill_ = static_cast<std::size_t>(got);
  return true;
}

void TFusedDecoder::Refill() {
  while (bitcount_ <= 56) {
    if (inFill_ - inPos_ >= 8) {
      uint64_t v = 0;
      for (int i = 0; i < 8; ++i) v = (v << 8) | input_[inPos_ + static_cast<std::size_t>(i)];
      bitbuf_ |= v >> bitcount_;
      const int bytes = (63 - bitcount_) >> 3;
      inPos_ += static_cast<std::size_t>(bytes);
      bitcount_ += bytes * 8;
      realBits_ += bytes * 8;
      return;
    }
    if (inPos_ < inFill_ || LoadInput()) {
      bitbuf_ |= static_cast<uint64_t>(input_[inPos_++]) << (56 - bitcount_);
      realBits_ += 8;
    }
    // Past the end of the data zero bits follow.
    bitcount_ += 8;
  }
}

uint32_t TFusedDecoder::GetBits(int n) {
  if (n == 0) return 0;
  Refill();
  const auto v = static_cast<uint32_t>(bitbuf_ >> (64 - n));
  Consume(n);
  return v;
}

int TFusedDecoder::DecodeWith(const THuffmanDecodeTable& table) {
  int used = 0;
  const int sym = table.Decode(Peek16(), used);
  if (sym >= 0) Consume(used);
  return sym;
}

// ---------------------------------------------------------------- block headers

int TFusedDecoder::ReadCount(int nbit, int alphabet, int tableBits, THuffmanDecodeTable& table) {
  const int n = static_cast<int>(GetBits(nbit));
  if (n > alphabet) return -1;
  if (n == 0) {
    // One code for every input, given in the next bits.
    const int only = static_cast<int>(GetBits(nbit));
    if (only >= alphabet) return -1;
    table.BuildSingle(only, tableBits);
  }
  return n;
}

bool TFusedDecoder::ReadPtLengths(int nn, int nbit, int special, THuffmanDecodeTable& table) {
  const int n = ReadCount(nbit, nn, kPtTableBits, table);
  if (n <= 0) return n == 0;
  std::array<uint8_t, kFusedMaxPt> lengths{};
  int i = 0;
  while (i < n) {
    Refill();
    int len = static_cast<int>(bitbuf_ >> 61);
    Consume(3);
    if (len == 7) {
      while (bitbuf_ >> 63) {
        Consume(1);
        if (++len > kFusedMaxCodeBits) return false;
      }
      Consume(1);
    }
    lengths[static_cast<std::size_t>(i++)] = static_cast<uint8_t>(len);
    if (i == special) {
      int zeros = static_cast<int>(GetBits(2));
      while (zeros-- > 0 && i < nn) lengths[static_cast<std::size_t>(i++)] = 0;
    }
  }
  return table.Build(lengths.data(), nn, kPtTableBits);
}

bool TFusedDecoder::ReadCLengths() {
  const int n = ReadCount(kFusedCBit, kFusedNC, kCTableBits, cTable_);
  if (n <= 0) return n == 0;
  std::array<uint8_t, kFusedNC> lengths{};
  int i = 0;
  while (i < n) {
    Refill();
    const int c = DecodeWith(ptTable_);
    if (c < 0) return false;
    if (c <= 2) {
      int zeros = 1;
      if (c == 1) zeros = static_cast<int>(GetBits(4)) + 3;
      else if (c == 2) zeros = static_cast<int>(GetBits(kFusedCBit)) + 20;
      if (i + zeros > kFusedNC) return false;
      i += zeros;  // the lengths are zero already
    } else {
      lengths[static_cast<std::size_t>(i++)] = static_cast<uint8_t>(c - 2);
    }
  }
  return cTable_.Build(lengths.data(), kFusedNC, kCTableBits);
}

bool TFusedDecoder::ReadBlockHeader() {
  blockLeft_ = GetBits(16);
  if (blockLeft_ == 0) return false;
  return ReadPtLengths(kFusedNT, kFusedTBit, 3, ptTable_) && ReadCLengths() &&
         ReadPtLengths(params_.NP(), params_.PositionBits, -1, posTable_) && !PastTheEnd();
}

// ---------------------------------------------------------------- output

bool TFusedDecoder::Flush() {
  if (r_ == 0) return true;
  const int32_t written = host_->WriteBlock(*out_, window_.data(), r_, crcKind_, false);
  if (written != r_) {
    host_->ReportError(kErrWriting);
    failure_ = TFusedResult::WriteFailed;
    return false;
  }
  host_->Advance(r_);
  r_ = 0;
  if (host_->Cancelled()) {
    failure_ = TFusedResult::Cancelled;
    return false;
  }
  return true;
}

int TFusedDecoder::DecodeDistance() {
  const int k = DecodeWith(posTable_);
  if (k <= 0) return k;
  return (1 << (k - 1)) + static_cast<int>(GetBits(k - 1));
}

bool TFusedDecoder::CopyMatch(int length, int64_t offset) {
  const int w = windowSize_;
  int src = r_ - static_cast<int>(offset);
  if (src < 0) src += w;
  if (src + length <= w && r_ + length <= w) {
    uint8_t* dst = window_.data() + r_;
    const uint8_t* from = window_.data() + src;
    if (std::abs(src - r_) >= length) std::memcpy(dst, from, static_cast<std::size_t>(length));
    else for (int i = 0; i < length; ++i) dst[i] = from[i];  // repeats the earlier bytes
    r_ += length;
    return r_ < w || Flush();
  }
  for (int i = 0; i < length; ++i) {
    window_[static_cast<std::size_t>(r_)] = window_[static_cast<std::size_t>(src)];
    if (++src == w) src = 0;
    if (++r_ == w && !Flush()) return false;
  }
  return true;
}

TFusedResult TFusedDecoder::Decode(TCodecHost& host, TStream32& archive, TStream32& out, int64_t packedSize,
                                   int64_t unpackedSize) {
  host_ = &host;
  archive_ = &archive;
  out_ = &out;
  failure_ = TFusedResult::Ok;
  input_.assign(kInputBuffer, 0);
  inPos_ = inFill_ = 0;
  packedLeft_ = std::max<int64_t>(packedSize, 0);
  bitbuf_ = 0;
  bitcount_ = 0;
  realBits_ = consumedBits_ = 0;
  blockLeft_ = 0;
  window_.assign(static_cast<std::size_t>(windowSize_), 0);
  r_ = 0;

  int64_t produced = 0;
  while (produced < unpackedSize) {
    Refill();
    if (blockLeft_ == 0) {
      if (!ReadBlockHeader()) return TFusedResult::Damaged;
      Refill();
    }
    --blockLeft_;
    const int c = DecodeWith(cTable_);
    if (c < 0) return TFusedResult::Damaged;
    if (c < 256) {
      window_[static_cast<std::size_t>(r_)] = static_cast<uint8_t>(c);
      ++produced;
      if (++r_ == windowSize_ && !Flush()) return failure_;
    } else {
      const int distance = DecodeDistance();
      const int64_t offset = static_cast<int64_t>(distance) + 1;
      // A match may not reach before the first byte of the member.
      if (distance < 0 || offset > produced || offset > windowSize_) return TFusedResult::Damaged;
      const int length = static_cast<int>(std::min<int64_t>(c - kFusedMatchBase, unpackedSize - produced));
      if (!CopyMatch(length, offset)) return failure_;
      produced += length;
    }
    if (PastTheEnd()) return TFusedResult::Damaged;
  }
  return Flush() ? TFusedResult::Ok : failure_;
}

}  // namespace vm
