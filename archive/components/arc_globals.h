// Small routines the archive components share: path and name forms, folder
// and file tests, percentages, attribute conversions and the byte copy of
// the decoders.
//
// "\" is the local separator and "/" the one stored in archives. The file
// tests accept either and reach the disk through the platform file layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

enum TDeleteOptions : uint8_t { doFinal, doAllowUndo };

// Paths and names.
std::string AppendPath(std::string_view dir, std::string_view name);
std::string IncludeTrailingSlash(std::string_view path);
std::string SlashToBackslash(std::string_view name);
std::string BackslashToSlash(std::string_view name);
// With oem, the name is turned between code page 866 and Windows-1251.
std::string ToLocalName(std::string_view name, bool oem);
std::string ToArchiveName(std::string_view name, bool oem);
std::string ToOemName(std::string_view name, bool oem);
std::string ChangeExtAtFirstDot(std::string_view name, std::string_view ext);
bool IsUncPath(std::string_view name);
// The text before the first delim, removed from s with the delim; without
// one, all of s, which is left empty.
std::string SplitToken(std::string& s, std::string_view delim);
// The system's temporary folder with a trailing separator; empty on failure.
std::string TempPath();

// Files and folders.
bool DirExists(const std::string& path);
// An entry (file or folder) matches; "*" and "?" allowed in the last part.
bool FileExistsAny(const std::string& name);
// An existing file that is no folder, not read-only and not hidden.
bool IsPlainFile(const std::string& name);
// No entry but folders and hidden ones; a missing folder has no files.
bool FolderHasNoFiles(const std::string& dir);
// Creates the folder with every missing parent; whether it exists after.
bool ForceFolders(const std::string& dir);
// doFinal deletes the file; doAllowUndo moves an existing file to the
// desktop's trash. False for a missing file or a failure.
bool DeleteOrRecycle(const std::string& fileName, TDeleteOptions option);

// Numbers and bytes.
// part x 100 / total to the nearest integer, ties to even, within 0..100.
int Percent(int64_t total, int64_t part);
// The share saved by packing, in percent; 0 when nothing was saved.
int Ratio(int64_t unpacked, int64_t packed);
bool SameBytes(const void* p1, const void* p2, std::size_t count);
// One byte at a time upwards: an overlapping forward copy repeats the
// earlier bytes, as the match copies of the decoders need.
void ByteCopy(const uint8_t* src, uint8_t* dst, std::size_t count);

// Attributes. `attrs` is a set of TArcFileAttr values, bit n for value n:
// 0 zero attribute, 1 read-only, 2 hidden, 3 system, 4 volume, 5 folder,
// 6 archive, 7 compressed, 8 encrypted.
uint32_t AttrsToFileAttributes(uint16_t attrs);
uint32_t KnownAttributes(uint32_t attr);

}  // namespace vm
