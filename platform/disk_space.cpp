#include "platform/disk_space.h"

#include <sys/statvfs.h>

#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

int64_t FreeBytesAt(const std::string& dir) {
  struct statvfs st {};
  const std::string native = Cp1251ToUtf8(ResolvePathCase(dir.empty() ? std::string(".") : dir));
  if (::statvfs(native.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

}  // namespace vm
