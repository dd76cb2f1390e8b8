// Pack files: several files joined into one, with a 36-byte header and a
// table of 32-byte entries, all integers little-endian. The archive commands
// keep a deleted period in one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

// Receives the total of bytes to copy, or the bytes copied so far.
using TProgressProc = std::function<void(int32_t)>;

inline constexpr int kPackHeaderSize = 36;
inline constexpr int kPackEntrySize = 32;
inline constexpr int kPackNameMax = 20;

// Joins the files into packName (written beside and renamed over it). Entry
// names are the file names without directory, cut to 20 characters.
bool PackFiles(const std::vector<std::string>& files, const std::string& packName,
               const TProgressProc& onTotal, const TProgressProc& onProgress, int32_t tag);

// Writes every file of the pack into destDir. The whole pack is checked
// first (names, sizes, the data present); a bad pack writes nothing. names,
// when given, receives the entry names read.
bool UnpackFiles(const std::string& packName, const std::string& destDir,
                 const TProgressProc& onTotal, const TProgressProc& onProgress,
                 std::vector<std::string>* names);

bool ReadPackHeader(const std::string& fileName, int32_t& fileCount, TDateRec& date,
                    TTimeRec& time, int32_t& dataSize, int32_t& tag);

}  // namespace vm
