// File utilities: path parts, file-name checks and repair, deleting, copying
// and appending files, directories, and the open-file dialog helper of the
// document language. Paths use '/' (see platform/files.h); the splitting
// functions also accept '\' so that a name not yet made native splits right.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The directory of the running program with its trailing '/', and its name.
// Recorded on first use.
const std::string& ExeDir();
const std::string& ExeName();
// Computed again from the program path.
std::string GetExeDir();

// After the last separator (all of Path when it has none).
std::string GetFileNamePart(std::string_view path);
// Up to and including the last separator; "" when there is none.
std::string GetFileDirPart(std::string_view path);
// After the last '.' of the name part; "" when it has none.
std::string GetFileExtPart(std::string_view path);
// Path without its extension and its dot, followed by ext (which brings its
// own dot).
std::string ChangeFileExtTo(std::string_view path, std::string_view ext);
std::string GetFileBaseName(std::string_view path);
// Appends '/' unless path is empty or already ends with a separator.
void AddBackslash(std::string& path);
// The path without its trailing separators, a lone root separator kept: the
// folder as the disk and the messages name it.
std::string ExcludeTrailingSlash(std::string_view path);

// Replaces every character that may not stand in a file name by '_' and cuts
// the name to 254 characters.
void MakeValidFileName(std::string& s);
// '\' counts as the separator it stands for in a path a user typed.
bool IsValidPathName(std::string_view path);
// A valid plain name (no directory, no drive) whose extension with its dot
// equals ext without regard to case.
bool HasPlainFileExt(std::string_view fileName, std::string_view ext);

// The deletions below leave the files' permissions as they are: unlinking
// asks only the folder, and a file made writable first would stay so under
// every other name it has (a hard link elsewhere).
//
// Deletes an existing file (read-only ones too); false when it does not exist
// or cannot be deleted.
bool EraseFile(const std::string& fileName);
// The whole of a file into bytes; false when it cannot be read, or is
// longer than limit bytes (bytes then undefined).
bool ReadWholeFile(const std::string& path, std::string& bytes, int64_t limit = INT64_MAX);
// The same for a file that is the program's own only as a plain file at
// the name itself: false for a link there, never read through.
bool ReadOwnFile(const std::string& path, std::string& bytes, int64_t limit = INT64_MAX);
// Copies src over dst; the old dst stays whole when the copy fails. The
// copy is readable by nobody who may not read src.
bool CopyFileOver(const std::string& src, const std::string& dst);
// Copies src into a new file beside dst under a temporary name of dst's,
// made durable, for the caller to rename over dst later; dst is left as
// it is. Readable as CopyFileOver's copy. The temporary's full name, or ""
// when the copy failed.
std::string CopyFileBeside(const std::string& src, const std::string& dst);
// Appends all of srcName to destName; on a failure destName is cut back to
// its old length and the result is false.
bool AppendFileData(const std::string& destName, const std::string& srcName);

// A directory that exists.
bool DirOrDriveExists(const std::string& path);
// With create, makes every missing directory of the path.
bool CheckDirExists(const std::string& path, bool create);
// Deletes every file directly in dir; true when every deletion succeeded.
// A link at dir is refused (false), whatever it points at.
bool ClearDirFiles(const std::string& dir);
// Deletes dir with everything under it; true when dir itself was removed.
bool DeleteDirTree(const std::string& dir);
// Whether name matches a mask of '*' and '?' without regard to case ("*.*"
// matches every name).
bool MatchesFileMask(std::string_view name, std::string_view mask);
// Names of the files (not directories) in dir matching mask, each prefixed by
// dir when withPath.
void ListFilesToStrings(const std::string& dir, std::string_view mask,
                        std::vector<std::string>& list, bool clearFirst, bool withPath);
// The greatest numeric base name among the files in dir matching mask; -1
// when none is a number.
int32_t MaxNumberedFileName(const std::string& dir, std::string_view mask);

// The open-file dialog. With multiSelect fileNames receives every chosen file
// joined by CR LF, otherwise the one chosen; dir receives the directory of the
// (first) chosen file. False and nothing changed when cancelled.
bool SelectFilesDialog(const std::string& title, const std::string& filter, std::string& dir,
                       bool hideReadOnly, bool multiSelect, std::string& fileNames,
                       int32_t filterIndex);

}  // namespace vm
