#include "archive/components/file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "archive/components/dos_time.h"
#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

// Every name goes through the file layer's case resolution, so what is
// looked at here is what the layer would open.
namespace {
std::string Sys(const std::string& path) { return Cp1251ToUtf8(ResolvePathCase(path)); }
}  // namespace

bool ReadFileInfo(const std::string& path, LocalFileInfo& info) {
  const std::string sys = Sys(path);
  struct stat st;
  if (::lstat(sys.c_str(), &st) != 0) return false;
  info = {};
  info.IsLink = S_ISLNK(st.st_mode);
  if (info.IsLink && ::stat(sys.c_str(), &st) != 0) return false;
  info.IsDir = S_ISDIR(st.st_mode);
  info.Size = info.IsDir ? 0 : static_cast<int64_t>(st.st_size);
  info.Attr = info.IsDir ? kAttrDirectory : kAttrArchive;
  if (!info.IsDir && (st.st_mode & S_IWUSR) == 0) info.Attr |= kAttrReadOnly;
  const std::string trimmed = ExcludeTrailingSlash(path);
  const std::size_t slash = trimmed.rfind('/');
  const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (name.size() > 1 && name[0] == '.' && name != "..") info.Attr |= kAttrHidden;
  info.DosDate = UnixTimeToDosDateTime(st.st_mtime);
  return true;
}

bool SetFileDosDate(const std::string& path, uint32_t stamp) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = DosDateTimeToUnixTime(stamp);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  return ::utimensat(AT_FDCWD, Sys(path).c_str(), times, 0) == 0;
}

bool ApplyFileAttributes(const std::string& path, uint32_t attr) {
  const std::string sys = Sys(path);
  struct stat st;
  if (::stat(sys.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = (attr & kAttrReadOnly) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return ::chmod(sys.c_str(), mode) == 0;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  if (!::realpath(Sys(path).c_str(), buf)) return {};
  return Utf8ToCp1251(buf);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(Sys(a).c_str(), &sa) != 0 || ::stat(Sys(b).c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace vm
