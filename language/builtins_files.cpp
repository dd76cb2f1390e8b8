#include <cmath>
#include <filesystem>

#include "foundation/data_dir.h"
#include "foundation/datadir.h"
#include "foundation/fileutils.h"
#include "foundation/strutils.h"
#include "language/builtins_run.h"
#include "platform/files.h"

namespace vm {

namespace {

bool IsTrue(long double x) { return std::fabs(x) > 1e-9L; }

// The absolute, normalised spelling of a path as the disk has it, upper-cased
// so that names differing only in case compare equal; no trailing separator.
std::string ComparablePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(ResolvePathCase(NativePath(path)), ec);
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return UpperStr(s);
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
  c.SetNum(CheckDirExists(NativePath(c.Str(1)), IsTrue(c.Num(2))) ? 1 : 0);
}

void FnFiledir(TBuiltinCall& c) { c.SetStr(GetFileDirPart(c.Str(1))); }

void FnFileext(TBuiltinCall& c) { c.SetStr(GetFileExtPart(c.Str(1))); }

void FnErasefile(TBuiltinCall& c) { EraseFile(NativePath(c.Str(1))); }

void FnErasedir(TBuiltinCall& c) {
  if (TrimBlanks(c.Str(1)).empty() || IsProtectedDir(c.Str(1))) return;
  DeleteDirTree(NativePath(c.Str(1)));
}

void FnCopyfile(TBuiltinCall& c) {
  // Copying a file onto itself would at best do nothing.
  if (c.Str(1).empty() || c.Str(2).empty() || ComparablePath(c.Str(1)) == ComparablePath(c.Str(2)))
    return;
  CopyFileOver(NativePath(c.Str(1)), NativePath(c.Str(2)));
}

}  // namespace vm
