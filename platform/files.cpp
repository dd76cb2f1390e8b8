#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/encoding.h"

namespace vm {

namespace {

std::string SysName(const std::string& path) { return Cp1251ToUtf8(path); }

bool SysExists(const std::string& sysPath) {
  struct stat st;
  return ::stat(sysPath.c_str(), &st) == 0;
}

FileError ErrorOf(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return FileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileError::Denied;
    case EAGAIN:
      return FileError::Busy;
    case EEXIST:
    case ELOOP:
      return FileError::Exists;
    default:
      return FileError::Other;
  }
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }

  int64_t ReadAt(int64_t pos, void* buf, std::size_t n) override {
    auto* p = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(pos + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (r == 0) break;
      done += static_cast<std::size_t>(r);
    }
    return static_cast<int64_t>(done);
  }

  bool WriteAt(int64_t pos, const void* buf, std::size_t n) override {
    const auto* p = static_cast<const char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(pos + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0) return false;
      done += static_cast<std::size_t>(r);
    }
    return true;
  }

  int64_t Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
  }

  bool Truncate(int64_t size) override { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

  bool Sync() override { return ::fdatasync(fd_) == 0; }

  void StartSync() override { ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE); }

 private:
  int fd_;
};

FileSystem gReal;
FileSystem* gInstalled = nullptr;

}  // namespace

bool SameFileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (RusUpCase(a[i]) != RusUpCase(b[i])) return false;
  return true;
}

std::string NativePath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string ResolvePathCase(const std::string& path) {
  if (path.empty() || SysExists(SysName(path))) return path;
  std::string resolved;
  std::size_t i = 0;
  if (path[0] == '/') {
    resolved = "/";
    i = 1;
  }
  while (i < path.size()) {
    std::size_t slash = path.find('/', i);
    if (slash == std::string::npos) slash = path.size();
    const std::string_view part(path.data() + i, slash - i);
    const std::string tail = slash < path.size() ? "/" : "";
    if (part.empty() || part == "." || part == ".." ||
        SysExists(SysName(resolved + std::string(part)))) {
      resolved.append(part);
    } else {
      const std::string dir = resolved.empty() ? "." : SysName(resolved);
      std::string found;
      if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
          const std::string name = Utf8ToCp1251(e->d_name);
          if (SameFileName(name, part)) {
            found = name;
            break;
          }
        }
        ::closedir(d);
      }
      if (found.empty()) return resolved + path.substr(i);
      resolved += found;
    }
    resolved += tail;
    i = slash + 1;
  }
  return resolved;
}

namespace {

// A new name is taken as written; only the folder that gets it may be
// spelt otherwise on disk.
std::string ResolveFolderCase(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return path;
  return ResolvePathCase(path.substr(0, slash)) + path.substr(slash);
}

}  // namespace

namespace {

// Whether an open gave a plain file: a pipe, a device or a folder put where
// a file should be is refused (and closed).
bool OpenedFile(int fd, FileError& err) {
  if (fd < 0) {
    err = ErrorOf(errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return true;
  ::close(fd);
  err = FileError::Other;
  return false;
}

}  // namespace

std::unique_ptr<File> FileSystem::Open(const std::string& path, FileMode mode,
                                       FileError* error) {
  FileError dummy;
  FileError& err = error ? *error : dummy;
  err = FileError::None;
  const std::string sys =
      SysName(mode == FileMode::CreateNew ? ResolveFolderCase(path) : ResolvePathCase(path));
  // Never waits on a pipe or a device put where a file should be; they are
  // refused below.
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (mode) {
    case FileMode::Read:
      flags |= O_RDONLY;
      break;
    case FileMode::ReadNoLink:
      flags |= O_RDONLY | O_NOFOLLOW;
      break;
    case FileMode::ReadWrite:
      flags |= O_RDWR;
      break;
    case FileMode::Create:
      flags |= O_RDWR | O_CREAT;
      break;
    case FileMode::CreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
  }
  const int fd = ::open(sys.c_str(), flags, 0666);
  if (!OpenedFile(fd, err)) return nullptr;
  struct flock fl = {};
  fl.l_type = mode == FileMode::Read || mode == FileMode::ReadNoLink || mode == FileMode::CreateNew ? F_RDLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
    const int e = errno;
    ::close(fd);
    err = (e == EAGAIN || e == EACCES) ? FileError::Busy : ErrorOf(e);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<File> FileSystem::OpenMark(const std::string& path, bool alone, FileError* error) {
  FileError dummy;
  FileError& err = error ? *error : dummy;
  err = FileError::None;
  const std::string sys = SysName(ResolveFolderCase(path));
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 2; ++attempt) {
    fd = ::open(sys.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd >= 0) {
      struct stat folder;
      const std::size_t slash = sys.rfind('/');
      const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : sys.substr(0, slash);
      if (::stat(dir.c_str(), &folder) == 0) ::fchmod(fd, folder.st_mode & 0666);
      break;
    }
    if (errno != EEXIST) break;
    struct stat st;
    if (::lstat(sys.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      ::unlink(sys.c_str());
      continue;
    }
    fd = ::open(sys.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  }
  if (!OpenedFile(fd, err)) return nullptr;
  // A lock of the whole open file, which needs no right to write it.
  if (::flock(fd, (alone ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    err = e == EWOULDBLOCK ? FileError::Busy : ErrorOf(e);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

bool FileSystem::Exists(const std::string& path) {
  return SysExists(SysName(ResolvePathCase(path)));
}

bool FileSystem::IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(SysName(ResolvePathCase(path)).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool UserOnlyFolder(const std::string& path, std::string& why) {
  const std::string sys = SysName(path);
  if (::mkdir(sys.c_str(), 0700) != 0 && errno != EEXIST) {
    why = "не удается создать папку "_w + path;
    return false;
  }
  struct stat st;
  if (::lstat(sys.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "на месте папки "_w + path + " стоит не папка"_w;
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    why = "папка "_w + path + " принадлежит другому пользователю"_w;
    return false;
  }
  // Ours, but open to others (made by hand, say): closed before use.
  if ((st.st_mode & 077) != 0 && ::chmod(sys.c_str(), 0700) != 0) {
    why = "папка "_w + path + " открыта другим пользователям"_w;
    return false;
  }
  return true;
}

uint32_t CurrentUserId() { return static_cast<uint32_t>(::geteuid()); }

bool FileSystem::IsSymlink(const std::string& path) {
  struct stat st;
  return ::lstat(SysName(ResolvePathCase(path)).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

int64_t FileSystem::FileSize(const std::string& path) {
  struct stat st;
  if (::stat(SysName(ResolvePathCase(path)).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

int64_t FileSystem::PlainFileSize(const std::string& path) {
  struct stat st;
  if (::lstat(SysName(ResolvePathCase(path)).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool FileSystem::Remove(const std::string& path) {
  return ::unlink(SysName(ResolvePathCase(path)).c_str()) == 0;
}

bool FileSystem::Rename(const std::string& from, const std::string& to) {
  return ::rename(SysName(ResolvePathCase(from)).c_str(), SysName(ResolvePathCase(to)).c_str()) ==
         0;
}

bool FileSystem::MakeDirectory(const std::string& path) {
  return ::mkdir(SysName(ResolvePathCase(path)).c_str(), 0777) == 0;
}

bool FileSystem::RemoveDirectory(const std::string& path) {
  return ::rmdir(SysName(ResolvePathCase(path)).c_str()) == 0;
}

bool FileSystem::ListDirectory(const std::string& dir, std::vector<DirEntry>& entries) {
  const std::string sysDir = SysName(ResolvePathCase(dir.empty() ? std::string(".") : dir));
  DIR* d = ::opendir(sysDir.c_str());
  if (!d) return false;
  while (dirent* e = ::readdir(d)) {
    const std::string_view raw(e->d_name);
    if (raw == "." || raw == "..") continue;
    // A link is never a directory here, so nothing walks out of the tree.
    bool isDir = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN) {
      struct stat st;
      const std::string full = sysDir + "/" + std::string(raw);
      isDir = ::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({Utf8ToCp1251(raw), isDir});
  }
  ::closedir(d);
  return true;
}

bool FileSystem::GetMode(const std::string& path, uint32_t& mode) {
  struct stat st;
  if (::stat(SysName(ResolvePathCase(path)).c_str(), &st) != 0) return false;
  mode = st.st_mode & 07777;
  return true;
}

bool FileSystem::SetMode(const std::string& path, uint32_t mode) {
  return ::fchmodat(AT_FDCWD, SysName(ResolvePathCase(path)).c_str(), static_cast<mode_t>(mode),
                    AT_SYMLINK_NOFOLLOW) == 0;
}

bool FileSystem::SyncDirectory(const std::string& dir) {
  const std::string sys = SysName(ResolvePathCase(dir.empty() ? std::string(".") : dir));
  const int fd = ::open(sys.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
  ::close(fd);
  return ok;
}

bool FileSystem::SyncFileSystemOf(const std::string& dir) {
  const std::string sys = SysName(ResolvePathCase(dir.empty() ? std::string(".") : dir));
  const int fd = ::open(sys.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

bool FileSystem::MakeWritable(const std::string& path) {
  uint32_t mode = 0;
  if (!GetMode(path, mode)) return false;
  return (mode & S_IWUSR) || SetMode(path, mode | S_IWUSR);
}

FileSystem& Files() { return gInstalled ? *gInstalled : gReal; }

void InstallFileSystem(FileSystem* fs) { gInstalled = fs; }

std::string ProgramPath() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return {};
  return Utf8ToCp1251(std::string_view(buf, static_cast<std::size_t>(n)));
}

}  // namespace vm
