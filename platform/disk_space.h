// Room left on the disk of a folder.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

// Bytes an ordinary user may still write in dir; -1 when it cannot be told.
int64_t FreeBytesAt(const std::string& dir);

}  // namespace vm
