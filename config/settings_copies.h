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
  // No file of the change: a link, or nothing, where the copy is to be
  // missing. SettingsCopiesPlaced takes the link away (the link itself)
  // once the change stands; a change refused leaves it.
  bool Later = false;
  // For "Errors.log" once the change stands.
  std::string Note;
};

}  // namespace vm
