#include "archive/components/fused_coder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <queue>
#include <utility>

namespace vm {

namespace {

constexpr int kBufferSize = 1 << 18;
constexpr int kLookahead = kFusedMaxMatch + 8;
constexpr int kHashBits = 15;
constexpr int kBlockSymbols = 0x8000;
// Match search effort: half the chain of a middle deflate level, which
// costs a third of a percent in size and buys a tenth in speed.
constexpr int kMaxChain = 64;
constexpr int kGoodLength = 8;
constexpr int kNiceLength = 128;
constexpr int kMaxLazy = 16;

}  // namespace

// ---------------------------------------------------------------- Huffman codes

int MakeCodeLengths(const uint32_t* freq, int n, uint8_t* lengths, int& only) {
  std::fill_n(lengths, n, uint8_t{0});
  std::vector<int> used;
  for (int i = 0; i < n; ++i)
    if (freq[i] > 0) used.push_back(i);
  only = used.empty() ? 0 : used.front();
  if (used.size() < 2) return static_cast<int>(used.size());

  // Tree nodes: leaves first, then the joined nodes in the order made.
  const int leaves = static_cast<int>(used.size());
  std::vector<int> parent(static_cast<std::size_t>(2 * leaves), -1);
  using Item = std::pair<uint64_t, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> heap;
  for (int i = 0; i < leaves; ++i) heap.emplace(freq[used[static_cast<std::size_t>(i)]], i);
  int next = leaves;
  while (heap.size() > 1) {
    const Item a = heap.top();
    heap.pop();
    const Item b = heap.top();
    heap.pop();
    parent[static_cast<std::size_t>(a.second)] = next;
    parent[static_cast<std::size_t>(b.second)] = next;
    heap.emplace(a.first + b.first, next++);
  }
  std::vector<int> depth(static_cast<std::size_t>(next), 0);
  for (int node = next - 2; node >= 0; --node)
    depth[static_cast<std::size_t>(node)] = depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(node)])] + 1;

  std::array<int, 64> count{};
  for (int i = 0; i < leaves; ++i) ++count[static_cast<std::size_t>(std::min(depth[static_cast<std::size_t>(i)], 63))];
  // Longer codes than 16 bits: fold them to 16 and split shorter leaves until
  // the code is complete again.
  for (int len = kFusedMaxCodeBits + 1; len < 64; ++len) {
    count[kFusedMaxCodeBits] += count[static_cast<std::size_t>(len)];
    count[static_cast<std::size_t>(len)] = 0;
  }
  uint32_t kraft = 0;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len)
    kraft += static_cast<uint32_t>(count[static_cast<std::size_t>(len)]) << (kFusedMaxCodeBits - len);
  while (kraft > (1u << kFusedMaxCodeBits)) {
    --count[kFusedMaxCodeBits];
    for (int len = kFusedMaxCodeBits - 1; len > 0; --len) {
      if (count[static_cast<std::size_t>(len)] > 0) {
        --count[static_cast<std::size_t>(len)];
        count[static_cast<std::size_t>(len) + 1] += 2;
        break;
      }
    }
    --kraft;
  }
  // The most frequent symbols get the shortest codes.
  std::stable_sort(used.begin(), used.end(), [&](int a, int b) { return freq[a] > freq[b]; });
  std::size_t at = 0;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len)
    for (int k = 0; k < count[static_cast<std::size_t>(len)]; ++k) lengths[used[at++]] = static_cast<uint8_t>(len);
  return leaves;
}

void MakeCodes(const uint8_t* lengths, int n, uint16_t* codes) {
  std::array<uint32_t, kFusedMaxCodeBits + 1> count{};
  for (int i = 0; i < n; ++i) ++count[lengths[i]];
  std::array<uint32_t, kFusedMaxCodeBits + 2> next{};
  uint32_t code = 0;
  count[0] = 0;
  for (int len = 1; len <= kFusedMaxCodeBits; ++len) {
    next[static_cast<std::size_t>(len)] = code;
    code = (code + count[static_cast<std::size_t>(len)]) << 1;
  }
  for (int i = 0; i < n; ++i)
    codes[i] = lengths[i] ? static_cast<uint16_t>(next[lengths[i]]++) : uint16_t{0};
}

// ---------------------------------------------------------------- coder

TFusedCoder::TFusedCoder(TFusedParams params, int crcKind, bool encrypt)
    : params_(params), crcKind_(crcKind), encrypt_(encrypt), window_(1 << params.DictionaryBits) {}

bool TFusedCoder::FillInput() {
  while (!eof_ && end_ - pos_ < kLookahead) {
    if (static_cast<int>(data_.size()) - 8 - end_ < kLookahead) Slide();
    const int room = static_cast<int>(data_.size()) - 8 - end_;
    const int32_t got = host_->ReadBlock(*source_, data_.data() + end_, room, crcKind_, false);
    if (got <= 0) {
      eof_ = true;
      break;
    }
    end_ += got;
    host_->Advance(got);
    if (host_->Cancelled()) {
      failure_ = TFusedResult::Cancelled;
      return false;
    }
  }
  return true;
}

void TFusedCoder::Slide() {
  const int shift = pos_ - window_;
  if (shift <= 0) return;
  std::memmove(data_.data(), data_.data() + shift, static_cast<std::size_t>(end_ - shift));
  std::memmove(prev_.data(), prev_.data() + shift, static_cast<std::size_t>(end_ - shift) * sizeof(int32_t));
  const auto move = [shift](int32_t& p) { p = p >= shift ? p - shift : -1; };
  std::for_each(head_.begin(), head_.end(), move);
  std::for_each(prev_.begin(), prev_.begin() + (end_ - shift), move);
  end_ -= shift;
  pos_ -= shift;
}

void TFusedCoder::InsertRange(int from, int to) {
  // A position is hashed by the three bytes from it: the last two of the
  // data have none.
  to = std::min(to, end_ - 2);
  if (from >= to) return;
  const uint8_t* p = data_.data();
  int32_t* prev = prev_.data();
  int32_t* head = head_.data();
  uint32_t key = (static_cast<uint32_t>(p[from]) << 8) | p[from + 1];
  for (int pos = from; pos < to; ++pos) {
    key = ((key << 8) | p[pos + 2]) & 0xFFFFFF;
    const uint32_t h = (key * 2654435761u) >> (32 - kHashBits);
    prev[pos] = head[h];
    head[h] = pos;
  }
}

namespace {

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// How many bytes from a and b agree, up to maxLen; both may be read up to
// seven bytes past maxLen.
int CommonLength(const uint8_t* a, const uint8_t* b, int maxLen) {
  for (int len = 0; len < maxLen; len += 8) {
    const uint64_t differ = Load64(a + len) ^ Load64(b + len);
    if (differ == 0) continue;
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(differ) : std::countl_zero(differ);
    return std::min(len + bits / 8, maxLen);
  }
  return maxLen;
}

}  // namespace

int TFusedCoder::LongestMatch(int pos, int prevLength, int& offset) {
  const int maxLen = std::min(kFusedMaxMatch, end_ - pos);
  int best = std::max(prevLength, kFusedMinMatch - 1);
  if (maxLen < kFusedMinMatch || best >= maxLen) return 0;
  const int chain = prevLength >= kGoodLength ? kMaxChain / 4 : kMaxChain;
  // Distances stay below the dictionary, so any decoder window holds them.
  const int limit = std::max(pos - (window_ - 1), 0);
  const uint8_t* data = data_.data();
  const int32_t* prev = prev_.data();
  const uint8_t* here = data + pos;
  const uint16_t start = Load16(here);
  // Only a candidate agreeing on every byte up to `best` can be longer.
  const uint8_t* atBest = data + best;
  uint8_t bestByte = here[best];
  int found = 0;
  int cur = prev[pos];
  for (int left = chain; left > 0 && cur >= limit; --left, cur = prev[cur]) {
    if (atBest[cur] != bestByte || Load16(data + cur) != start) continue;
    const int len = CommonLength(data + cur, here, maxLen);
    if (len <= best) continue;
    best = found = len;
    offset = pos - cur;
    if (len >= std::min(kNiceLength, maxLen)) break;
    atBest = data + best;
    bestByte = here[best];
  }
  return found;
}

bool TFusedCoder::Emit(int code, int distance) {
  codes_[static_cast<std::size_t>(codeCount_++)] = static_cast<uint16_t>(code);
  ++cFreq_[static_cast<std::size_t>(code)];
  if (code >= 256) {
    distances_[static_cast<std::size_t>(distanceCount_++)] = static_cast<uint16_t>(distance);
    ++pFreq_[static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(distance)))];
  }
  return codeCount_ < kBlockSymbols || SendBlock();
}

TFusedResult TFusedCoder::Encode(TCodecHost& host, TStream32& source, TStream32& dest, int64_t& packedSize) {
  host_ = &host;
  source_ = &source;
  dest_ = &dest;
  failure_ = TFusedResult::Ok;
  data_.assign(kBufferSize + 8, 0);
  head_.assign(std::size_t{1} << kHashBits, -1);
  prev_.assign(kBufferSize + 8, -1);
  end_ = pos_ = 0;
  eof_ = false;
  codes_.assign(kBlockSymbols, 0);
  distances_.assign(kBlockSymbols, 0);
  codeCount_ = distanceCount_ = 0;
  cFreq_.fill(0);
  pFreq_.fill(0);
  out_.assign(kOutputFlush + 8, 0);
  outCount_ = 0;
  bitAcc_ = 0;
  bitCount_ = 0;
  packed_ = 0;
  packedSize = 0;

  // Lazy matching: a match is taken only when the next position does not
  // start a longer one.
  int prevLen = 0;
  int prevOffset = 0;
  bool literalPending = false;
  for (;;) {
    if (end_ - pos_ < kLookahead && !FillInput()) return failure_;
    if (pos_ >= end_) break;
    InsertRange(pos_, pos_ + 1);
    int curOffset = 0;
    const int curLen = prevLen < kMaxLazy ? LongestMatch(pos_, prevLen, curOffset) : 0;
    bool ok = true;
    if (prevLen >= kFusedMinMatch && curLen <= prevLen) {
      ok = Emit(prevLen + kFusedMatchBase, prevOffset - 1);
      const int stop = pos_ - 1 + prevLen;
      InsertRange(pos_ + 1, stop);
      pos_ = stop;
      prevLen = 0;
      literalPending = false;
    } else {
      if (literalPending) ok = Emit(data_[static_cast<std::size_t>(pos_) - 1], 0);
      literalPending = true;
      prevLen = curLen;
      prevOffset = curOffset;
      ++pos_;
    }
    if (!ok) return failure_;
  }
  if (literalPending && !Emit(data_[static_cast<std::size_t>(pos_) - 1], 0)) return failure_;
  if (codeCount_ > 0 && !SendBlock()) return failure_;
  if (bitCount_ > 0 && !PutBits(8 - bitCount_, 0)) return failure_;
  if (!FlushOutput()) return failure_;
  packedSize = packed_;
  return TFusedResult::Ok;
}

// ---------------------------------------------------------------- blocks

bool TFusedCoder::FlushOutput() {
  if (failure_ != TFusedResult::Ok) return false;
  if (outCount_ == 0) return true;
  const auto n = static_cast<int32_t>(outCount_);
  if (host_->WriteBlock(*dest_, out_.data(), n, kCrcNone, encrypt_) != n) {
    host_->ReportError(kErrWriting);
    failure_ = TFusedResult::WriteFailed;
    return false;
  }
  packed_ += n;
  outCount_ = 0;
  return true;
}

void TFusedCoder::CountTFreq() {
  tFreq_.fill(0);
  int n = kFusedNC;
  while (n > 0 && cLen_[static_cast<std::size_t>(n) - 1] == 0) --n;
  for (int i = 0; i < n;) {
    const int k = cLen_[static_cast<std::size_t>(i++)];
    if (k != 0) {
      ++tFreq_[static_cast<std::size_t>(k) + 2];
      continue;
    }
    int zeros = 1;
    while (i < n && cLen_[static_cast<std::size_t>(i)] == 0) ++i, ++zeros;
    if (zeros <= 2) tFreq_[0] += static_cast<uint32_t>(zeros);
    else if (zeros <= 18) ++tFreq_[1];
    else if (zeros == 19) ++tFreq_[0], ++tFreq_[1];
    else ++tFreq_[2];
  }
}

void TFusedCoder::WritePtLengths(const uint8_t* lengths, int nn, int nbit, int special) {
  int n = nn;
  while (n > 0 && lengths[n - 1] == 0) --n;
  PutBits(nbit, static_cast<uint32_t>(n));
  for (int i = 0; i < n;) {
    const int k = lengths[i++];
    if (k <= 6) {
      PutBits(3, static_cast<uint32_t>(k));
    } else {
      PutBits(3, 7);
      PutBits(k - 7, (1u << (k - 7)) - 1);
      PutBits(1, 0);
    }
    if (i == special) {
      int zeros = 0;
      while (zeros < 3 && i + zeros < n && lengths[i + zeros] == 0) ++zeros;
      PutBits(2, static_cast<uint32_t>(zeros));
      i += zeros;
    }
  }
}

void TFusedCoder::WriteCLengths() {
  int n = kFusedNC;
  while (n > 0 && cLen_[static_cast<std::size_t>(n) - 1] == 0) --n;
  PutBits(kFusedCBit, static_cast<uint32_t>(n));
  const auto putT = [&](int t) { PutBits(tLen_[static_cast<std::size_t>(t)], tCode_[static_cast<std::size_t>(t)]); };
  for (int i = 0; i < n;) {
    const int k = cLen_[static_cast<std::size_t>(i++)];
    if (k != 0) {
      putT(k + 2);
      continue;
    }
    int zeros = 1;
    while (i < n && cLen_[static_cast<std::size_t>(i)] == 0) ++i, ++zeros;
    if (zeros <= 2) {
      for (int z = 0; z < zeros; ++z) putT(0);
    } else if (zeros <= 18) {
      putT(1);
      PutBits(4, static_cast<uint32_t>(zeros - 3));
    } else if (zeros == 19) {
      putT(0);
      putT(1);
      PutBits(4, 15);
    } else {
      putT(2);
      PutBits(kFusedCBit, static_cast<uint32_t>(zeros - 20));
    }
  }
}

bool TFusedCoder::SendBlock() {
  const int np = params_.NP();
  int onlyC = 0;
  const int usedC = MakeCodeLengths(cFreq_.data(), kFusedNC, cLen_.data(), onlyC);
  MakeCodes(cLen_.data(), kFusedNC, cCode_.data());
  PutBits(16, static_cast<uint32_t>(codeCount_));
  if (usedC > 1) {
    CountTFreq();
    int onlyT = 0;
    if (MakeCodeLengths(tFreq_.data(), kFusedNT, tLen_.data(), onlyT) > 1) {
      MakeCodes(tLen_.data(), kFusedNT, tCode_.data());
      WritePtLengths(tLen_.data(), kFusedNT, kFusedTBit, 3);
    } else {
      tCode_.fill(0);
      PutBits(kFusedTBit, 0);
      PutBits(kFusedTBit, static_cast<uint32_t>(onlyT));
    }
    WriteCLengths();
  } else {
    PutBits(kFusedTBit, 0);
    PutBits(kFusedTBit, 0);
    PutBits(kFusedCBit, 0);
    PutBits(kFusedCBit, static_cast<uint32_t>(onlyC));
  }
  int onlyP = 0;
  if (MakeCodeLengths(pFreq_.data(), np, pLen_.data(), onlyP) > 1) {
    MakeCodes(pLen_.data(), np, pCode_.data());
    WritePtLengths(pLen_.data(), np, params_.PositionBits, -1);
  } else {
    pCode_.fill(0);
    PutBits(params_.PositionBits, 0);
    PutBits(params_.PositionBits, static_cast<uint32_t>(onlyP));
  }

  std::size_t d = 0;
  for (int i = 0; i < codeCount_; ++i) {
    const uint16_t code = codes_[static_cast<std::size_t>(i)];
    PutBits(cLen_[code], cCode_[code]);
    if (code < 256) continue;
    const unsigned distance = distances_[d++];
    const int k = std::bit_width(distance);
    PutBits(pLen_[static_cast<std::size_t>(k)], pCode_[static_cast<std::size_t>(k)]);
    if (k > 1) PutBits(k - 1, distance - (1u << (k - 1)));
  }
  codeCount_ = distanceCount_ = 0;
  cFreq_.fill(0);
  pFreq_.fill(0);
  return failure_ == TFusedResult::Ok;
}

}  // namespace vm
