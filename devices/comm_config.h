// The port configuration block of the scanner settings (52 bytes, laid out
// as the communications configuration of the workstations that wrote the
// settings first): its size, version, the 28-byte device control block with
// rate, flags, character size, parity and stop bits, and provider data this
// system never reads. The bytes stay as stored; only the fields a serial
// line here can honour are read or written.
#pragma once

#include <cstdint>

#include "platform/scanner.h"
#include "platform/serial_device.h"

namespace vm {

namespace comm_config {
inline constexpr std::size_t kSize = 0;          // uint32, 52
inline constexpr std::size_t kVersion = 4;       // uint16
inline constexpr std::size_t kDcbLength = 8;     // uint32, 28
inline constexpr std::size_t kBaudRate = 12;     // uint32
inline constexpr std::size_t kFlags = 16;        // uint32 bit field
inline constexpr std::size_t kByteSize = 26;
inline constexpr std::size_t kParity = 27;
inline constexpr std::size_t kStopBits = 28;
inline constexpr std::size_t kXonChar = 29;
inline constexpr std::size_t kXoffChar = 30;

// Bits and fields of the flag word.
inline constexpr uint32_t kBinary = 1u << 0;
inline constexpr uint32_t kParityCheck = 1u << 1;
inline constexpr uint32_t kOutxCtsFlow = 1u << 2;
inline constexpr int kDtrControlShift = 4;  // two bits
inline constexpr uint32_t kOutX = 1u << 8;
inline constexpr uint32_t kInX = 1u << 9;
inline constexpr int kRtsControlShift = 12;  // two bits

inline constexpr uint32_t kBlockSize = 52;
inline constexpr uint32_t kDcbSize = 28;
}  // namespace comm_config

// The flow control the port-settings dialog offers.
enum class TFlowControl { None, Hardware, XonXoff };

// A freshly opened port: 19200 baud, 8 data bits, no parity, 2 stop bits,
// binary mode only (no flow control, DTR and RTS off).
TPortConfig DefaultPortConfig();
// A block a port can be set to: its size and control-block length as
// written by a configuration, a rate, 5 to 8 data bits, parity 0..4, stop
// bits 0..2. An all-zero block (settings that never named a port) is not.
bool UsableConfig(const TPortConfig& config);
TSerialLineSettings LineSettingsOf(const TPortConfig& config);

TFlowControl FlowControlOf(const TPortConfig& config);
// The rate, character size, parity, stop bits and flow control as the
// dialog sets them; the other bytes of the block stay.
void SetFraming(TPortConfig& config, uint32_t baudRate, uint8_t dataBits, uint8_t parity,
                uint8_t stopBits, TFlowControl flow);

uint32_t ConfigWord(const TPortConfig& config, std::size_t offset);

}  // namespace vm
