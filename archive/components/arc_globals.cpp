#include "archive/components/arc_globals.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

// Splits a native path into its folder ("." when none) and last part.
void SplitLast(const std::string& path, std::string& dir, std::string& last) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    dir = ".";
    last = path;
  } else {
    dir = slash == 0 ? "/" : path.substr(0, slash);
    last = path.substr(slash + 1);
  }
}

std::string PercentEncoded(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (std::isalnum(c) || std::strchr("/-_.~", c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// The desktop's trash: the file goes to Trash/files under a free name, with
// its original place in Trash/info.
bool MoveToTrash(const std::string& file) {
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) base = data;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.local/share";
  else return false;
  const std::string trash = Utf8ToCp1251(base) + "/Trash";
  ForceFolders(trash + "/files");
  ForceFolders(trash + "/info");
  std::string dir, name;
  SplitLast(file, dir, name);
  std::string target = name;
  for (int n = 2; Files().Exists(trash + "/files/" + target) || Files().Exists(trash + "/info/" + target + ".trashinfo");
       ++n)
    target = name + "." + std::to_string(n);

  std::string absolute = file;
  if (absolute.empty() || absolute[0] != '/') {
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return false;
    absolute = Utf8ToCp1251(cwd) + "/" + file;
    std::free(cwd);
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  const std::string info = "[Trash Info]\nPath=" + PercentEncoded(Cp1251ToUtf8(absolute)) +
                           "\nDeletionDate=" + stamp + "\n";
  const std::string infoPath = trash + "/info/" + target + ".trashinfo";
  auto out = Files().Open(infoPath, FileMode::Create);
  if (!out || !out->WriteAt(0, info.data(), info.size())) return false;
  out.reset();
  if (Files().Rename(file, trash + "/files/" + target)) return true;
  Files().Remove(infoPath);
  return false;
}

}  // namespace

// ---------------------------------------------------------------- paths and names

std::string AppendPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return {};
  std::string out(dir);
  if (out.back() != '\\') out += '\\';
  return out.append(name);
}

std::string IncludeTrailingSlash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

std::string SlashToBackslash(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

std::string BackslashToSlash(std::string_view name) { return NativePath(name); }

std::string ToLocalName(std::string_view name, bool oem) {
  return SlashToBackslash(oem ? DosToWinStr(name) : std::string(name));
}

std::string ToArchiveName(std::string_view name, bool oem) {
  const std::string slashed = BackslashToSlash(name);
  return oem ? WinToDosStr(slashed) : slashed;
}

std::string ToOemName(std::string_view name, bool oem) { return oem ? WinToDosStr(name) : std::string(name); }

std::string ChangeExtAtFirstDot(std::string_view name, std::string_view ext) {
  // The first dot is taken wherever it lies, also past the 255th character.
  const std::size_t dot = name.find('.');
  return std::string(name.substr(0, dot)).append(ext);
}

bool IsUncPath(std::string_view name) { return name.size() >= 3 && name.substr(0, 2) == "\\\\"; }

std::string SplitToken(std::string& s, std::string_view delim) {
  const std::size_t at = delim.empty() ? std::string::npos : s.find(delim);
  std::string token;
  if (at == std::string::npos) {
    token.swap(s);
  } else {
    token = s.substr(0, at);
    s.erase(0, at + delim.size());
  }
  return token;
}

std::string TempPath() {
  std::string dir;
  if (const char* env = std::getenv("TMPDIR"); env && *env) dir = Utf8ToCp1251(env);
  else dir = "/tmp";
  if (!IsSeparator(dir.back())) dir += '/';
  if (dir.size() > 259 || !Files().IsDirectory(dir)) return {};
  return dir;
}

// ---------------------------------------------------------------- files and folders

bool DirExists(const std::string& path) { return !path.empty() && Files().IsDirectory(NativePath(path)); }

bool FileExistsAny(const std::string& name) {
  const std::string path = NativePath(name);
  std::string dir, mask;
  SplitLast(path, dir, mask);
  if (mask.find_first_of("*?") == std::string::npos) return !path.empty() && Files().Exists(path);
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(dir, entries)) return false;
  for (const DirEntry& e : entries)
    if (MatchesFileMask(e.Name, mask)) return true;
  return false;
}

bool IsPlainFile(const std::string& name) {
  const std::string path = NativePath(name);
  if (path.empty() || !Files().Exists(path) || Files().IsDirectory(path)) return false;
  std::string dir, last;
  SplitLast(path, dir, last);
  uint32_t mode = 0;
  // Read-only is a file its owner may not write; hidden a name with a dot.
  return Files().GetMode(path, mode) && (mode & 0200) && !IsHiddenName(last);
}

bool FolderHasNoFiles(const std::string& dir) {
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(NativePath(dir), entries)) return true;
  for (const DirEntry& e : entries)
    if (!e.IsDir && !IsHiddenName(e.Name)) return false;
  return true;
}

bool ForceFolders(const std::string& dir) {
  if (DirExists(dir)) return true;
  std::string path = NativePath(dir);
  if (path.empty()) return false;
  if (path.back() != '/') path += '/';
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    Files().MakeDirectory(path.substr(0, slash));
  return DirExists(dir);
}

bool DeleteOrRecycle(const std::string& fileName, TDeleteOptions option) {
  const std::string path = NativePath(fileName);
  if (path.empty() || !Files().Exists(path)) return false;
  if (option == doFinal) return Files().Remove(path);
  return MoveToTrash(path);
}

// ---------------------------------------------------------------- numbers and bytes

namespace {

// a / b to the nearest integer, ties to even (a >= 0, b > 0).
int64_t RoundedQuotient(__int128 a, __int128 b) {
  __int128 q = a / b;
  const __int128 twice = 2 * (a % b);
  if (twice > b || (twice == b && (q & 1))) ++q;
  return static_cast<int64_t>(q);
}

}  // namespace

int Percent(int64_t total, int64_t part) {
  if (total <= 0 || part <= 0) return 0;
  const int64_t p = RoundedQuotient(static_cast<__int128>(part) * 100, total);
  return p > 100 ? 100 : static_cast<int>(p);
}

int Ratio(int64_t unpacked, int64_t packed) {
  if (unpacked <= 0 || packed >= unpacked) return 0;
  // A negative packed size cannot save more than everything.
  const int64_t p = RoundedQuotient((static_cast<__int128>(unpacked) - packed) * 100, unpacked);
  return p > 100 ? 100 : static_cast<int>(p);
}

bool SameBytes(const void* p1, const void* p2, std::size_t count) {
  return count == 0 || std::memcmp(p1, p2, count) == 0;
}

void ByteCopy(const uint8_t* src, uint8_t* dst, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) dst[i] = src[i];
}

// ---------------------------------------------------------------- attributes

uint32_t AttrsToFileAttributes(uint16_t attrs) {
  static constexpr uint32_t kBits[] = {0, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x800, 0x4000};
  uint32_t out = 0;
  for (int i = 0; i < 9; ++i)
    if (attrs & (1u << i)) out |= kBits[i];
  return out;
}

uint32_t KnownAttributes(uint32_t attr) { return attr & (0x80u | 0x20 | 0x01 | 0x02 | 0x08 | 0x04 | 0x10 | 0x4000); }

}  // namespace vm
