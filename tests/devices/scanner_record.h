// Scanner settings that name a given device, as "local.ini" would hold them.
#pragma once

#include <algorithm>
#include <string>

#include "config/price_tags.h"
#include "devices/comm_config.h"

namespace vm::test {

inline TSerialRecord ScannerRecord(const std::string& device, bool closeAfter = false) {
  TSerialRecord record{};
  const TPortConfig config = DefaultPortConfig();
  std::copy(config.begin(), config.end(), record.begin());
  std::copy(device.begin(), device.end(), record.begin() + 52);
  record[68] = closeAfter ? 1 : 0;
  return record;
}

}  // namespace vm::test
