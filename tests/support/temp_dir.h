// A fresh directory under /tmp, removed with everything in it at the end,
// whole files read and written as bytes, and the names in a directory.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/encoding.h"

namespace vm::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velomar-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory with a trailing '/'.
  std::string Dir() const { return path_ + "/"; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names in a directory, sorted; both Windows-1251 like all text in
// memory.
inline std::vector<std::string> DirNames(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(Cp1251ToUtf8(dir), ec))
    names.push_back(Utf8ToCp1251(e.path().filename().string()));
  std::sort(names.begin(), names.end());
  return names;
}

// A link to target planted in place of the folder dir + name, which is kept
// aside meanwhile; destroyed, the folder is put back.
class PlantedLink {
 public:
  PlantedLink(const std::string& dir, const std::string& name, const std::string& target)
      : path_(dir + name), aside_(dir + name + ".kept") {
    std::error_code ec;
    std::filesystem::rename(path_, aside_, ec);
    std::filesystem::create_directory_symlink(target, path_);
  }
  ~PlantedLink() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    std::filesystem::rename(aside_, path_, ec);
  }
  PlantedLink(const PlantedLink&) = delete;
  PlantedLink& operator=(const PlantedLink&) = delete;

 private:
  std::string path_, aside_;
};

}  // namespace vm::test
