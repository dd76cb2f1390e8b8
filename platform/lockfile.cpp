#include "platform/lockfile.h"

#include <fcntl.h>
#include <unistd.h>

namespace vm {

bool TLockFile::Acquire(const std::string& path) {
  if (fd_ >= 0) return false;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // Open-file-description locks conflict between any two opens, even within
  // one process, and are released with the last close of that open.
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
    ::close(fd);
    return false;
  }
  // Old bytes left in the file would do no harm; the contents never matter.
  [[maybe_unused]] const int truncated = ::ftruncate(fd, 0);
  fd_ = fd;
  return true;
}

void TLockFile::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace vm
