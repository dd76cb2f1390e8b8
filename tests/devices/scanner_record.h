// Scanner settings that name a given device, as "local.ini" would hold them.
#pragma once

#include <string>

#include "config/serial_record.h"
#include "devices/comm_config.h"

namespace vm::test {

inline TSerialRecord ScannerRecord(const std::string& device, bool closeAfter = false) {
  TSerialRecord record;
  record.SetPortConfig(DefaultPortConfig());
  record.SetPortName(device);
  record.SetCloseAfter(closeAfter);
  return record;
}

}  // namespace vm::test
