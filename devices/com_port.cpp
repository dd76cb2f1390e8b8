#include "devices/com_port.h"

#include <utility>

#include "devices/comm_config.h"

namespace vm {

TComPort::TComPort(TLineCallback onLine, TPortResolver resolve, TTickSource ticks)
    : onLine_(std::move(onLine)), resolve_(std::move(resolve)), lines_(std::move(ticks)) {}

TComPort::~TComPort() {
  StopThread();
  device_.Close();
}

void TComPort::Open(const std::string& portName) {
  StopThread();
  device_.Close();
  // Half a line of the old connection must not become the head of the
  // first line of the new one.
  lines_.Reset();
  portName_ = portName;
  const std::string path = resolve_ ? resolve_(portName) : portName;
  std::string error = "No such serial port";
  if (!path.empty() && device_.Open(path, error)) {
    error_ = false;
    errorText_.clear();
    config_ = DefaultPortConfig();
    device_.Apply(LineSettingsOf(config_));
    StartThread();
  } else {
    error_ = true;
    errorText_ = path.empty() ? error : path + ": " + error;
  }
}

bool TComPort::SetConfig(const TPortConfig& config) {
  if (!device_.IsOpen() || !UsableConfig(config) || !device_.Apply(LineSettingsOf(config))) return false;
  config_ = config;
  return true;
}

void TComPort::SetReceiveEnabled(bool on) {
  if (thread_) lines_.SetEnabled(on);
}

void TComPort::ClosePort() {
  lines_.SetEnabled(false);
  // The thread waits on the line; it goes before the descriptor does.
  StopThread();
  device_.Close();
}

void TComPort::StartThread() {
  StopThread();
  lines_.SetEnabled(false);
  lines_.SetCallback(onLine_);
  thread_ = std::make_unique<TRecThread>(device_, lines_);
  thread_->Start();
}

void TComPort::StopThread() {
  if (!thread_) return;
  thread_->Stop();
  thread_.reset();
}

}  // namespace vm
