// The scanner's serial port: opened with the defaults a scanner expects,
// set to the configuration of the settings, read by its own thread that
// hands complete lines to a callback.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "devices/line_receiver.h"
#include "platform/scanner.h"
#include "platform/serial_device.h"

namespace vm {

// The device a configured port name stands for; empty when none.
using TPortResolver = std::function<std::string(const std::string& portName)>;

class TComPort {
 public:
  // resolve turns a port name into a device; without it the name is the
  // device's path.
  explicit TComPort(TLineCallback onLine, TPortResolver resolve = nullptr, TTickSource ticks = SteadyTicks);
  ~TComPort();
  TComPort(const TComPort&) = delete;
  TComPort& operator=(const TComPort&) = delete;

  // Opens the port at 19200 baud, 8 data bits, no parity, 2 stop bits and
  // no flow control, and starts the receive thread with delivery off. A
  // port that cannot be opened stays closed with the error flag and the
  // system's message; nothing is raised or shown.
  void Open(const std::string& portName);
  // Applies a configuration block to the open port and keeps a copy; false
  // on a closed port or a block the line cannot take.
  bool SetConfig(const TPortConfig& config);
  void SetReceiveEnabled(bool on);
  // Delivery off and the port closed; the receive thread ends with it.
  void ClosePort();

  void StartThread();
  void StopThread();

  bool IsOpen() const { return device_.IsOpen(); }
  bool ErrorFlag() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }
  const std::string& PortName() const { return portName_; }
  const TPortConfig& Config() const { return config_; }
  // The receive thread's counters; zero when there is none.
  uint64_t Wakeups() const { return thread_ ? thread_->Wakeups() : 0; }
  const TLineAssembler& Lines() const { return lines_; }

 private:
  TLineCallback onLine_;
  TPortResolver resolve_;
  TSerialDevice device_;
  TLineAssembler lines_;
  std::unique_ptr<TRecThread> thread_;
  TPortConfig config_{};
  std::string portName_;
  bool error_ = false;
  std::string errorText_;
};

}  // namespace vm
