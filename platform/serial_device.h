// A serial line (a terminal device: /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*,
// or a pseudo-terminal) read by one thread and woken by another. The line's
// receiver sees it only as a byte source, so the rules of line assembly can
// be fed without a device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

class IByteSource {
 public:
  virtual ~IByteSource() = default;
  // Blocks until bytes come, Wake is called or the device fails. Returns the
  // count read (at most size), 0 when woken or when nothing was there after
  // all, below 0 when the device failed (the caller waits before it asks
  // again, so a dead line is not polled in a loop).
  virtual long WaitAndRead(uint8_t* buffer, std::size_t size) = 0;
  // Any thread: the waiting (or the next) WaitAndRead returns 0 at once.
  virtual void Wake() = 0;
};

// The line's framing and handshakes. Parity and stop-bit values follow the
// port configuration block of the scanner settings.
struct TSerialLineSettings {
  uint32_t BaudRate = 19200;
  uint8_t DataBits = 8;    // 5..8
  uint8_t Parity = 0;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t StopBits = 2;    // 0 one, 1 one and a half, 2 two
  bool ParityCheck = false;
  bool RtsCtsFlow = false;
  bool XonXoffOut = false;  // the far side may stop us
  bool XonXoffIn = false;   // we may stop the far side
  uint8_t XonChar = 17;
  uint8_t XoffChar = 19;
  uint8_t DtrControl = 0;  // 0 off, 1 on, 2 handshake
  uint8_t RtsControl = 0;  // 0 off, 1 on, 2 handshake, 3 toggle
};

// The standard line speed a rate is run at: the rate itself when the
// system knows it, else the next lower one (0 for rates below 50).
uint32_t SupportedBaudRate(uint32_t rate);

class TSerialDevice : public IByteSource {
 public:
  TSerialDevice() = default;
  ~TSerialDevice() override;
  TSerialDevice(const TSerialDevice&) = delete;
  TSerialDevice& operator=(const TSerialDevice&) = delete;

  // Opens a terminal device for reading and writing, for this process
  // alone, with nothing waiting in its input. False with the system's
  // message when it cannot be opened or is no terminal.
  bool Open(const std::string& path, std::string& error);
  bool IsOpen() const { return fd_ >= 0; }
  // Raw input with the given framing; false when the device refuses it.
  bool Apply(const TSerialLineSettings& settings);
  // Throws away what waits in both directions, then closes.
  void Close();

  long WaitAndRead(uint8_t* buffer, std::size_t size) override;
  void Wake() override;

 private:
  void SetModemLines(const TSerialLineSettings& settings);

  int fd_ = -1;
  int wake_ = -1;
};

}  // namespace vm
