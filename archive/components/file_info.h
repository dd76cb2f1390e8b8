// What the archive components need to know about a file on disk, in the
// terms of the archive headers: Windows attribute bits and a DOS stamp.
//
// This system has no attribute bits; they are derived: every entry carries the
// archive bit (32) except folders (16), a file its owner may not write is
// read-only (1), and a name that starts with "." is hidden (2).
#pragma once

#include <cstdint>
#include <string>

namespace vm {

inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;

struct LocalFileInfo {
  bool IsDir = false;
  bool IsLink = false;  // the path itself is a symbolic link
  int64_t Size = 0;
  uint32_t Attr = 0;
  uint32_t DosDate = 0;  // last write, local time
};

// Follows links (a link to a file describes the file) but reports IsLink.
// False when nothing is there.
bool ReadFileInfo(const std::string& path, LocalFileInfo& info);

// The last-write time of a file from a DOS stamp.
bool SetFileDosDate(const std::string& path, uint32_t stamp);
// Applies the read-only bit of Windows attributes; the others have no
// counterpart here.
bool ApplyFileAttributes(const std::string& path, uint32_t attr);

// The path with every link and "." / ".." resolved, or empty when some part
// does not exist.
std::string RealPath(const std::string& path);

// Both names lead to one file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace vm
