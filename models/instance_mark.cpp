#include "models/instance_mark.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vm {

namespace {

std::string MarkFolder(const std::string &dir) {
  if (!dir.empty()) return dir;
  if (const char *run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return run;
  std::error_code ec;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : tmp.string();
}

// FNV-1a: the title may hold any bytes, the name of the mark only hex.
uint64_t TitleHash(const std::string &title) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : title) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

std::string TInstanceMark::PathFor(const std::string &title) const {
  char name[40];
  std::snprintf(name, sizeof name, "velomar-%016" PRIx64 ".mark", TitleHash(title));
  std::string folder = MarkFolder(dir_);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + name;
}

bool TInstanceMark::Take(const std::string &title) {
  file_.reset();
  FileSystem &fs = Files();
  const std::string path = PathFor(title);
  // The temporary folder is everybody's: the mark is made exclusively, never
  // through a link planted at its name, and only a plain file that an ended
  // program left is taken as it stands.
  FileError error = FileError::None;
  file_ = fs.Open(path, FileMode::CreateNew, &error);
  if (!file_ && error == FileError::Exists && !fs.IsSymlink(path))
    file_ = fs.Open(path, FileMode::ReadWrite, &error);
  return file_ != nullptr || error != FileError::Busy;
}

}  // namespace vm
