#include <cmath>
#include <filesystem>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "language/builtins/builtins_run.h"
#include "platform/files.h"

namespace vm {

namespace {

// The path as the disk knows it: without a trailing separator, in the
// system's encoding.
std::filesystem::path DiskPath(const std::string& path) {
  const std::string native = ExcludeTrailingSlash(ResolvePathCase(NativePath(path)));
  return std::filesystem::path(Cp1251ToUtf8(native));
}

// The absolute spelling of a path with links followed, upper-cased so that
// names differing only in case compare equal; no trailing separator.
std::string ComparablePath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path absolute = fs::absolute(DiskPath(path), ec);
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  if (ec) resolved = absolute.lexically_normal();
  return UpperStr(ExcludeTrailingSlash(Utf8ToCp1251(resolved.string())));
}

// Whether deleting dir would take the root, the program's own files or the
// databases with it.
bool IsProtectedDir(const std::string& dir) {
  const std::string trimmed = TrimBlanks(dir);
  // A drive root written the Windows way: C: or C:\ and the like.
  if (trimmed.size() >= 2 && trimmed[1] == ':' &&
      trimmed.find_first_not_of("\\/", 2) == std::string::npos)
    return true;
  const std::string target = ComparablePath(dir);
  if (target == "/" || target.empty()) return true;
  for (const std::string& kept : {ProgramDirectory(), DataDir()}) {
    if (kept.empty()) continue;
    const std::string inner = ComparablePath(kept);
    if (inner == target || inner.starts_with(target + "/")) return true;
  }
  return false;
}

}  // namespace

void FnGetpath(TBuiltinCall& c) { c.SetStr(DataDir()); }

void FnLocalpath(TBuiltinCall& c) {
  std::string dir = ProgramDirectory();
  AddBackslash(dir);
  c.SetStr(dir);
}

void FnCheckdir(TBuiltinCall& c) {
  c.SetNum(CheckDirExists(NativePath(c.Str(1)), ArgIsTrue(c, 2)) ? 1 : 0);
}

void FnFiledir(TBuiltinCall& c) { c.SetStr(GetFileDirPart(c.Str(1))); }

void FnFileext(TBuiltinCall& c) { c.SetStr(GetFileExtPart(c.Str(1))); }

void FnErasefile(TBuiltinCall& c) { EraseFile(NativePath(c.Str(1))); }

void FnErasedir(TBuiltinCall& c) {
  if (TrimBlanks(c.Str(1)).empty() || IsProtectedDir(c.Str(1))) return;
  // A link goes by itself; what it points at belongs to someone else.
  std::error_code ec;
  if (std::filesystem::is_symlink(DiskPath(c.Str(1)), ec)) {
    std::filesystem::remove(DiskPath(c.Str(1)), ec);
    return;
  }
  DeleteDirTree(NativePath(c.Str(1)));
}

void FnCopyfile(TBuiltinCall& c) {
  // Copying a file onto itself would at best do nothing.
  if (c.Str(1).empty() || c.Str(2).empty() || ComparablePath(c.Str(1)) == ComparablePath(c.Str(2)))
    return;
  CopyFileOver(NativePath(c.Str(1)), NativePath(c.Str(2)));
}

}  // namespace vm
