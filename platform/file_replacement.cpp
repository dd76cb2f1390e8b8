// Writing a file beside its target and renaming it over the target.
#include <sys/random.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <random>

#include "platform/files.h"

namespace vm {

namespace {

constexpr std::string_view kTempOpen = ".~";
constexpr char kTempClose = '~';
constexpr std::size_t kTempDigits = 16;
constexpr std::size_t kTempExtra = kTempOpen.size() + kTempDigits + 1;
// Enough of the target's name to tell whose file it is, short enough that
// the whole name stays within what any file system allows even when every
// character takes three bytes on disk.
constexpr std::size_t kTempBaseMax = 70;
// Names are drawn again only when something stands at the drawn one; so
// many misses in a row mean the folder is full of plants, not bad luck.
constexpr int kTempAttempts = 64;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

uint64_t UnpredictableNumber() {
  uint64_t n = 0;
  if (::getrandom(&n, sizeof(n), 0) == static_cast<ssize_t>(sizeof(n))) return n;
  std::random_device device;
  return (static_cast<uint64_t>(device()) << 32) ^ device();
}

std::string TemporaryNameFor(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string temp = target.substr(0, nameStart);
  temp += std::string_view(target).substr(nameStart, kTempBaseMax);
  temp += kTempOpen;
  static constexpr char kDigits[] = "0123456789abcdef";
  uint64_t n = UnpredictableNumber();
  for (std::size_t i = 0; i < kTempDigits; ++i, n >>= 4) temp += kDigits[n & 15];
  temp += kTempClose;
  return temp;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::mutex scratchLock;
std::vector<std::string> scratchFolders;

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

bool InScratchFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::lock_guard<std::mutex> lock(scratchLock);
  return std::find(scratchFolders.begin(), scratchFolders.end(), folder) != scratchFolders.end();
}

}  // namespace

ScratchFolder::ScratchFolder(std::string dir) : dir_(WithSlash(std::move(dir))) {
  const std::lock_guard<std::mutex> lock(scratchLock);
  scratchFolders.push_back(dir_);
}

ScratchFolder::~ScratchFolder() {
  const std::lock_guard<std::mutex> lock(scratchLock);
  scratchFolders.erase(std::find(scratchFolders.begin(), scratchFolders.end(), dir_));
}

bool IsTemporaryFileName(std::string_view name) {
  if (name.size() <= kTempExtra || name.back() != kTempClose) return false;
  const std::size_t open = name.size() - kTempExtra;
  if (name.substr(open, kTempOpen.size()) != kTempOpen) return false;
  for (std::size_t i = open + kTempOpen.size(); i + 1 < name.size(); ++i)
    if (!IsHexDigit(name[i])) return false;
  return true;
}

std::vector<std::string> RemoveLeftoverTemporaries(const std::string& dir,
                                                   const std::function<bool(std::string_view name)>& kept) {
  FileSystem& fs = Files();
  const std::string folder = WithSlash(dir);
  std::vector<DirEntry> entries;
  std::vector<std::string> removed;
  if (!fs.ListDirectory(folder, entries)) return removed;
  for (const DirEntry& entry : entries) {
    if (entry.IsDir || !IsTemporaryFileName(entry.Name) || (kept && kept(entry.Name))) continue;
    const std::string path = folder + entry.Name;
    // A writer holds its file until the rename, refusing other writers, so
    // one that opens for writing belongs to nobody any more.
    std::unique_ptr<File> idle;
    if (!fs.IsSymlink(path)) {
      idle = fs.Open(path, FileMode::ReadWrite);
      if (!idle) continue;
    }
    if (fs.Remove(path)) removed.push_back(entry.Name);
  }
  return removed;
}

void GiveModeOf(const std::string& old, const std::string& replacement) {
  // Whoever shared the old file shares the new one; it is written to be
  // written, so its owner may write it. A link at the old name is none of
  // ours, and what it points at gives nothing.
  uint32_t mode = 0;
  if (!Files().IsSymlink(old) && Files().GetMode(old, mode)) Files().SetMode(replacement, mode | S_IWUSR);
}

FileReplacement::~FileReplacement() { Abandon(); }

std::unique_ptr<File> FileReplacement::Start(const std::string& target, FileError* error) {
  FileSystem& fs = Files();
  FileError err = FileError::Exists;
  for (int attempt = 0; attempt < kTempAttempts && err == FileError::Exists; ++attempt) {
    const std::string temp = TemporaryNameFor(target);
    std::unique_ptr<File> f = fs.Open(temp, FileMode::CreateNew, &err);
    if (!f) continue;
    GiveModeOf(target, temp);
    if (uint32_t mode = 0; (readable_ & 0444) != 0444 && fs.GetMode(temp, mode))
      fs.SetMode(temp, mode & (readable_ | ~0444u));
    target_ = target;
    temp_ = temp;
    return f;
  }
  if (error) *error = err;
  return nullptr;
}

std::unique_ptr<File> FileReplacement::Begin(const std::string& target, FileError* error) {
  Abandon();
  if (error) *error = FileError::None;
  return Start(ResolvePathCase(target), error);
}

std::unique_ptr<File> FileReplacement::BeginHeld(const std::string& target,
                                                 std::unique_ptr<File> held, FileError* error) {
  Abandon();
  if (error) *error = FileError::None;
  FileSystem& fs = Files();
  const std::string real = ResolvePathCase(target);
  if (!held && fs.Exists(real)) {
    held = fs.Open(real, FileMode::ReadWrite, error);
    if (!held) return nullptr;
  }
  std::unique_ptr<File> f = Start(real, error);
  if (f) held_ = std::move(held);
  return f;
}

bool FileReplacement::Commit(File& written) {
  if (!Active()) return false;
  FileSystem& fs = Files();
  // Only the file made in Begin may take the target's place, never a link
  // someone put at its name since.
  const bool durable = !InScratchFolder(target_);
  const bool renamed = (!durable || written.Sync()) && !fs.IsSymlink(temp_) && fs.Rename(temp_, target_);
  if (!renamed) {
    Abandon();
    return false;
  }
  const bool synced = !durable || fs.SyncDirectory(FolderOf(target_));
  Clear();
  return synced;
}

std::string FileReplacement::Keep(File& written) {
  if (!Active()) return {};
  if (!written.Sync() || Files().IsSymlink(temp_)) {
    Abandon();
    return {};
  }
  std::string temp = temp_;
  Clear();
  return temp;
}

void FileReplacement::Abandon() {
  if (Active()) Files().Remove(temp_);
  Clear();
}

void FileReplacement::Clear() {
  held_.reset();
  temp_.clear();
  target_.clear();
}

bool ReplaceFile(const std::string& target, const std::function<bool(File&)>& fill, uint32_t readable) {
  FileSystem& fs = Files();
  const std::string real = ResolvePathCase(target);
  // A read-only target is replaced too, as deleting it would be allowed.
  std::unique_ptr<File> held;
  if (fs.Exists(real)) {
    FileError err = FileError::None;
    held = fs.Open(real, FileMode::ReadWrite, &err);
    if (!held && err == FileError::Denied) held = fs.Open(real, FileMode::Read, &err);
    if (!held) return false;
  }
  FileReplacement replacement;
  replacement.LimitReading(readable);
  std::unique_ptr<File> f = replacement.BeginHeld(real, std::move(held));
  if (!f || !fill(*f)) return false;
  return replacement.Commit(*f);
}

bool ReplaceFileWith(const std::string& target, std::string_view bytes) {
  return ReplaceFile(target, [&](File& f) { return bytes.empty() || f.WriteAt(0, bytes.data(), bytes.size()); });
}

}  // namespace vm
