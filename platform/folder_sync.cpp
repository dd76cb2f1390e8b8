#include "platform/folder_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

bool SyncFolder(const std::string& dir) {
  std::string path = dir.empty() ? std::string(".") : dir;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string native = Cp1251ToUtf8(ResolvePathCase(path));
  const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

}  // namespace vm
