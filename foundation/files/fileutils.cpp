#include "foundation/files/fileutils.h"

#include <algorithm>
#include <memory>

#include "foundation/text/strutils.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr std::size_t kCopyBlock = 32768;

bool IsSep(char c) { return c == '/' || c == '\\'; }

std::size_t LastSep(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSep(path[i - 1])) return i - 1;
  return std::string_view::npos;
}

// Position of the extension's dot, npos when the name part has none.
std::size_t ExtDot(std::string_view path) {
  const std::size_t sep = LastSep(path);
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return dot;
  if (sep != std::string_view::npos && dot < sep) return std::string_view::npos;
  return dot;
}

bool CopyData(File& from, int64_t fromPos, File& to, int64_t toPos, int64_t count,
              std::vector<char>& buf) {
  buf.resize(kCopyBlock);
  int64_t done = 0;
  while (done < count) {
    const auto n = static_cast<std::size_t>(std::min<int64_t>(kCopyBlock, count - done));
    if (from.ReadAt(fromPos + done, buf.data(), n) != static_cast<int64_t>(n)) return false;
    if (!to.WriteAt(toPos + done, buf.data(), n)) return false;
    done += static_cast<int64_t>(n);
  }
  return true;
}

}  // namespace

std::string GetExeDir() { return GetFileDirPart(ProgramPath()); }

const std::string& ExeDir() {
  static const std::string dir = GetExeDir();
  return dir;
}

const std::string& ExeName() {
  static const std::string name = GetFileNamePart(ProgramPath());
  return name;
}

std::string GetFileNamePart(std::string_view path) {
  const std::size_t sep = LastSep(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string GetFileDirPart(std::string_view path) {
  const std::size_t sep = LastSep(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string GetFileExtPart(std::string_view path) {
  const std::size_t dot = ExtDot(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string ChangeFileExtTo(std::string_view path, std::string_view ext) {
  const std::size_t dot = ExtDot(path);
  std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
  out += ext;
  return out;
}

std::string GetFileBaseName(std::string_view path) {
  const std::string name = GetFileNamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

void AddBackslash(std::string& path) {
  if (!path.empty() && !IsSep(path.back())) path += '/';
}

std::string ExcludeTrailingSlash(std::string_view path) {
  std::size_t size = path.size();
  while (size > 1 && IsSep(path[size - 1])) --size;
  return std::string(path.substr(0, size));
}

void MakeValidFileName(std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    bool bad = b < 32 || (b >= 0x80 && b <= 0xBF);
    switch (b) {
      case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
        bad = true;
        break;
      case ' ': case '.':
        bad = bad || i == 0;
        break;
      default:
        break;
    }
    if (bad) s[i] = '_';
  }
  if (s.size() >= 255) s.resize(254);
}

bool IsValidPathName(std::string_view original) {
  if (original.empty()) return false;
  const std::string native = NativePath(original);
  const std::string_view path = native;
  auto charOk = [](unsigned char b) {
    if (b < 32 || (b > 127 && b < 0xC0)) return false;
    return b != '"' && b != '*' && b != '<' && b != '>' && b != '?';
  };
  const auto first = static_cast<unsigned char>(path[0]);
  if (!charOk(first) || first == ' ' || first == '.') return false;
  std::size_t colons = 0;
  std::size_t colonPos = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if (!charOk(b)) return false;
    const char next = i + 1 < path.size() ? path[i + 1] : '\0';
    if (b == '.' && next == '/') return false;
    if (b == '/' && (next == '.' || next == '/')) return false;
    if (b == ':') {
      ++colons;
      colonPos = i;
    }
  }
  if (colons > 1) return false;
  if (colons == 1 && (colonPos != 1 || path.size() < 3)) return false;
  if (path.back() == '/') return false;
  const std::size_t sep = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (colons == 1 && dot != std::string_view::npos &&
      (sep == std::string_view::npos || dot > sep) && dot < colonPos + 2)
    return false;
  return true;
}

bool HasPlainFileExt(std::string_view fileName, std::string_view ext) {
  if (!IsValidPathName(fileName)) return false;
  if (fileName.find_first_of("/\\:") != std::string_view::npos) return false;
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return ext.empty();
  return UpperStr(fileName.substr(dot)) == UpperStr(ext);
}

bool EraseFile(const std::string& fileName) {
  FileSystem& fs = Files();
  if (!fs.Exists(fileName) || fs.IsDirectory(fileName)) return false;
  return fs.Remove(fileName);
}

namespace {

bool ReadWhole(const std::string& path, FileMode mode, std::string& bytes, int64_t limit) {
  const std::unique_ptr<File> f = Files().Open(path, mode);
  const int64_t size = f ? f->Size() : -1;
  if (size < 0 || size > limit) return false;
  bytes.assign(static_cast<std::size_t>(size), '\0');
  return size == 0 || f->ReadAt(0, bytes.data(), bytes.size()) == size;
}

// The read bits a copy of path may have: no more than path's own.
uint32_t ReadBitsOf(const std::string& path) {
  uint32_t mode = 0444;
  Files().GetMode(path, mode);
  return mode & 0444;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, int64_t limit) {
  return ReadWhole(path, FileMode::Read, bytes, limit);
}

bool ReadOwnFile(const std::string& path, std::string& bytes, int64_t limit) {
  return ReadWhole(path, FileMode::ReadNoLink, bytes, limit);
}

bool CopyFileOver(const std::string& src, const std::string& dst) {
  std::unique_ptr<File> in = Files().Open(src, FileMode::Read);
  if (!in) return false;
  const int64_t size = in->Size();
  if (size < 0) return false;
  std::vector<char> buf;
  return ReplaceFile(dst, [&](File& out) { return CopyData(*in, 0, out, 0, size, buf); }, ReadBitsOf(src));
}

std::string CopyFileBeside(const std::string& src, const std::string& dst) {
  std::unique_ptr<File> in = Files().Open(src, FileMode::Read);
  const int64_t size = in ? in->Size() : -1;
  if (size < 0) return {};
  FileReplacement beside;
  beside.LimitReading(ReadBitsOf(src));
  std::unique_ptr<File> out = beside.Begin(dst);
  std::vector<char> buf;
  if (!out || !CopyData(*in, 0, *out, 0, size, buf)) return {};
  return beside.Keep(*out);
}

bool AppendFileData(const std::string& destName, const std::string& srcName) {
  FileSystem& fs = Files();
  std::unique_ptr<File> in = fs.Open(srcName, FileMode::Read);
  if (!in) return false;
  uint32_t oldMode = 0;
  const bool haveMode = fs.GetMode(destName, oldMode);
  fs.MakeWritable(destName);
  bool ok = false;
  {
    std::unique_ptr<File> out = fs.Open(destName, FileMode::ReadWrite);
    const int64_t srcSize = in->Size();
    const int64_t destSize = out ? out->Size() : -1;
    if (out && srcSize >= 0 && destSize >= 0) {
      std::vector<char> buf;
      ok = CopyData(*in, 0, *out, destSize, srcSize, buf);
      if (!ok) out->Truncate(destSize);
    }
  }
  if (haveMode) fs.SetMode(destName, oldMode);
  return ok;
}

bool DirOrDriveExists(const std::string& path) { return Files().IsDirectory(path); }

bool CheckDirExists(const std::string& path, bool create) {
  if (!create || DirOrDriveExists(path)) return DirOrDriveExists(path);
  FileSystem& fs = Files();
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (!IsSep(path[i])) continue;
    const std::string prefix = path.substr(0, i);
    if (!DirOrDriveExists(prefix) && !fs.MakeDirectory(prefix)) return DirOrDriveExists(path);
  }
  if (!DirOrDriveExists(path)) fs.MakeDirectory(path);
  return DirOrDriveExists(path);
}

bool ClearDirFiles(const std::string& dir) {
  FileSystem& fs = Files();
  std::string base = dir;
  while (base.size() > 1 && IsSep(base.back())) base.pop_back();
  // What a link points at belongs elsewhere: it is never emptied through it.
  if (fs.IsSymlink(base)) return false;
  std::vector<DirEntry> entries;
  if (!fs.ListDirectory(base, entries)) return false;
  AddBackslash(base);
  bool ok = true;
  for (const DirEntry& e : entries) {
    if (e.IsDir) continue;
    ok = fs.Remove(base + e.Name) && ok;
  }
  return ok;
}

bool DeleteDirTree(const std::string& dir) {
  std::string d = dir;
  while (!d.empty() && IsSep(d.back())) d.pop_back();
  if (d.empty()) return true;
  FileSystem& fs = Files();
  // A link to a folder goes alone: what it points at belongs elsewhere.
  if (fs.IsSymlink(d)) return fs.Remove(d);
  std::vector<DirEntry> entries;
  fs.ListDirectory(d, entries);
  for (const DirEntry& e : entries) {
    const std::string path = d + "/" + e.Name;
    if (e.IsDir)
      DeleteDirTree(path);
    else
      fs.Remove(path);
  }
  return fs.RemoveDirectory(d);
}

bool MatchesFileMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  // Iterative wildcard match with one back-track point.
  std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() &&
        (mask[m] == '?' || RusUpCase(mask[m]) == RusUpCase(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void ListFilesToStrings(const std::string& dir, std::string_view mask,
                        std::vector<std::string>& list, bool clearFirst, bool withPath) {
  if (clearFirst) list.clear();
  std::vector<DirEntry> entries;
  Files().ListDirectory(dir, entries);
  for (const DirEntry& e : entries)
    if (!e.IsDir && MatchesFileMask(e.Name, mask)) list.push_back(withPath ? dir + e.Name : e.Name);
}

int32_t MaxNumberedFileName(const std::string& dir, std::string_view mask) {
  std::vector<std::string> names;
  ListFilesToStrings(dir, mask, names, true, false);
  int32_t best = -1;
  for (const std::string& name : names) {
    int32_t v = 0;
    if (!TryStrToInt(GetFileBaseName(name), v)) continue;
    best = std::max(best, v);
  }
  return best;
}

bool SelectFilesDialog(const std::string& title, const std::string& filter, std::string& dir,
                       bool hideReadOnly, bool multiSelect, std::string& fileNames,
                       int32_t filterIndex) {
  FileDialogRequest req;
  req.Title = title;
  req.Filter = filter;
  req.Dir = dir;
  req.HideReadOnly = hideReadOnly;
  req.FileName = filterIndex != 0 ? GetFileNamePart(fileNames) : fileNames;
  req.FilterIndex = filterIndex;
  if (filterIndex < 0) {
    auto upper = [](std::string s) {
      for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return s;
    };
    const std::string ext = GetFileExtPart(fileNames);
    req.FilterIndex = 1;
    if (!ext.empty()) {
      const std::string wanted = "*." + upper(ext);
      // Masks are the second item of every pair.
      std::size_t start = 0;
      for (int item = 0; start <= filter.size(); ++item) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos) bar = filter.size();
        if (item % 2 == 1 && upper(filter.substr(start, bar - start)).find(wanted) != std::string::npos) {
          req.FilterIndex = item / 2 + 1;
          break;
        }
        start = bar + 1;
      }
    }
  }
  std::vector<std::string> chosen;
  if (!Ui().ChooseFiles(req, chosen) || chosen.empty()) return false;
  if (multiSelect) {
    fileNames.clear();
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      if (i > 0) fileNames += "\r\n";
      fileNames += chosen[i];
    }
  } else {
    fileNames = chosen.front();
  }
  dir = GetFileDirPart(chosen.front());
  return true;
}

}  // namespace vm
