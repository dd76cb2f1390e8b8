#include "devices/comm_config.h"

namespace vm {

using namespace comm_config;

namespace {

void PutWord(TPortConfig& c, std::size_t offset, uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) c[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Field(uint32_t flags, int shift) { return (flags >> shift) & 3u; }

constexpr uint32_t kFlowMask = kOutxCtsFlow | kOutX | kInX | (3u << kRtsControlShift) |
                               (3u << kDtrControlShift);

}  // namespace

uint32_t ConfigWord(const TPortConfig& c, std::size_t offset) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(c[offset + i]) << (8 * i);
  return value;
}

TPortConfig DefaultPortConfig() {
  TPortConfig c{};
  PutWord(c, kSize, kBlockSize);
  c[kVersion] = 1;
  PutWord(c, kDcbLength, kDcbSize);
  PutWord(c, kBaudRate, 19200);
  PutWord(c, kFlags, kBinary);
  c[kByteSize] = 8;
  c[kParity] = 0;
  c[kStopBits] = 2;
  c[kXonChar] = 17;
  c[kXoffChar] = 19;
  return c;
}

bool UsableConfig(const TPortConfig& c) {
  return ConfigWord(c, kSize) == kBlockSize && ConfigWord(c, kDcbLength) == kDcbSize &&
         SupportedBaudRate(ConfigWord(c, kBaudRate)) != 0 && c[kByteSize] >= 5 && c[kByteSize] <= 8 &&
         c[kParity] <= 4 && c[kStopBits] <= 2;
}

TSerialLineSettings LineSettingsOf(const TPortConfig& c) {
  const uint32_t flags = ConfigWord(c, kFlags);
  TSerialLineSettings s;
  s.BaudRate = ConfigWord(c, kBaudRate);
  s.DataBits = c[kByteSize];
  s.Parity = c[kParity];
  s.StopBits = c[kStopBits];
  s.ParityCheck = (flags & kParityCheck) != 0;
  s.DtrControl = static_cast<uint8_t>(Field(flags, kDtrControlShift));
  s.RtsControl = static_cast<uint8_t>(Field(flags, kRtsControlShift));
  s.RtsCtsFlow = (flags & kOutxCtsFlow) != 0 || s.RtsControl == 2;
  s.XonXoffOut = (flags & kOutX) != 0;
  s.XonXoffIn = (flags & kInX) != 0;
  // A block that names no handshake characters means the usual ones.
  s.XonChar = c[kXonChar] != 0 ? c[kXonChar] : 17;
  s.XoffChar = c[kXoffChar] != 0 ? c[kXoffChar] : 19;
  return s;
}

TFlowControl FlowControlOf(const TPortConfig& c) {
  const uint32_t flags = ConfigWord(c, kFlags);
  if ((flags & kOutxCtsFlow) != 0 || Field(flags, kRtsControlShift) == 2) return TFlowControl::Hardware;
  if ((flags & (kOutX | kInX)) != 0) return TFlowControl::XonXoff;
  return TFlowControl::None;
}

void SetFraming(TPortConfig& c, uint32_t baudRate, uint8_t dataBits, uint8_t parity, uint8_t stopBits,
                TFlowControl flow) {
  // A block that was never set up gets its sizes, so that it is usable.
  if (!UsableConfig(c)) c = DefaultPortConfig();
  PutWord(c, kBaudRate, baudRate);
  c[kByteSize] = dataBits;
  c[kParity] = parity;
  c[kStopBits] = stopBits;
  uint32_t flags = (ConfigWord(c, kFlags) & ~kFlowMask) | kBinary;
  switch (flow) {
    case TFlowControl::Hardware:
      flags |= kOutxCtsFlow | (1u << kDtrControlShift) | (2u << kRtsControlShift);
      break;
    case TFlowControl::XonXoff:
      flags |= kOutX | kInX | (1u << kDtrControlShift) | (1u << kRtsControlShift);
      break;
    case TFlowControl::None:
      flags |= (1u << kDtrControlShift) | (1u << kRtsControlShift);
      break;
  }
  PutWord(c, kFlags, flags);
  if (c[kXonChar] == 0) c[kXonChar] = 17;
  if (c[kXoffChar] == 0) c[kXoffChar] = 19;
}

}  // namespace vm
