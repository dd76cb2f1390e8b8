// The numbered copies a save of a settings file keeps of its earlier
// versions.
#pragma once

#include <string>

namespace vm {

// One numbered copy as a save that replaces its file leaves it: its new
// bytes, or removed (the gap below it moves up).
struct TSettingsCopy {
  std::string Path;
  std::string Bytes;
  bool Remove = false;
};

}  // namespace vm
