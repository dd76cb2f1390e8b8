#include "archive/components/file_scan.h"

#include <algorithm>

#include "archive/components/file_info.h"
#include "archive/components/local_paths.h"
#include "foundation/text/collation.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

int Sign(int64_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

bool AttributesFit(TArcFileAttrs set, uint32_t attr, bool forInclusion) {
  auto has = [&](TArcFileAttr a) { return (set & AttrSet(a)) != 0; };
  if (forInclusion && (attr & 0x2000)) return true;
  return (has(fsZeroAttr) && (attr == 0 || attr == kAttrNormal)) ||
         (has(fsReadOnly) && (attr & kAttrReadOnly)) || (has(fsHidden) && (attr & kAttrHidden)) ||
         (has(fsSysFile) && (attr & kAttrSystem)) || (has(fsDirectory) && (attr & kAttrDirectory)) ||
         (has(fsArchive) && (attr & kAttrArchive)) || (has(fsCompressed) && (attr & 0x800)) ||
         (has(fsEncrypted) && (attr & 0x4000));
}

int TFilesList::Compare(const TFileObject& a, const TFileObject& b) const {
  switch (sort_) {
    case soByName: return CollateCompare(a.Name, b.Name, false);
    case soByType: return CollateCompare(ExtensionOf(a.Name), ExtensionOf(b.Name), false);
    // Sizes and dates compare as signed 32-bit numbers, as lists sorted
    // before always did.
    case soBySize:
      return Sign(static_cast<int64_t>(static_cast<int32_t>(a.Size)) - static_cast<int32_t>(b.Size));
    case soByTime:
      return Sign(static_cast<int64_t>(static_cast<int32_t>(a.Date)) - static_cast<int32_t>(b.Date));
    default: return 0;
  }
}

void TFilesList::SetSortMode(TArcSortOptions mode) {
  if (mode == sort_) return;
  sort_ = mode;
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const TFileObject& a, const TFileObject& b) { return Compare(a, b) < 0; });
}

int TFilesList::Add(TFileObject obj) {
  auto pos = items_.end();
  if (sort_ != soUnsort)
    pos = std::upper_bound(items_.begin(), items_.end(), obj,
                           [this](const TFileObject& a, const TFileObject& b) { return Compare(a, b) < 0; });
  return static_cast<int>(items_.insert(pos, std::move(obj)) - items_.begin());
}

void TFilesList::Delete(int index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

TArcFileScan::TArcFileScan() = default;

void TArcFileScan::SetFileSpec(const std::vector<std::string>& masks) {
  FileSpec = masks;
  FileMask.clear();
}

void TArcFileScan::SetRootDir(const std::string& dir) { rootDir_ = WithTrailingSlash(dir); }

void TArcFileScan::SetSorted(TArcSortOptions mode) {
  FilesList.SetSortMode(mode);
  if (OnFinished && FilesList.Count() > 0) OnFinished(FilesCount, FilesSize);
}

void TArcFileScan::Scan() {
  FilesList.Clear();
  FilesCount = 0;
  FilesSize = 0;
  *CancelFlag = false;
  if (!FileMask.empty()) {
    if (rootDir_.empty() || !Files().IsDirectory(rootDir_)) return;
    std::vector<TInternalMask> masks;
    std::string_view rest = FileMask;
    while (true) {
      const std::size_t comma = rest.find(',');
      masks.emplace_back(Trim(rest.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    ScanDir(rootDir_, masks);
  } else {
    ScanListMode();
  }
  if (OnFinished) OnFinished(FilesCount, FilesSize);
}

// Every entry of one folder goes into one pass; within a pass an entry that
// one mask already covers is dropped, and a wider one replaces the narrower.
void TArcFileScan::ScanListMode() {
  std::erase_if(FileSpec, [](const std::string& s) { return Trim(s).empty(); });
  while (!FileSpec.empty() && !*CancelFlag) {
    std::string folder = FolderOf(FileSpec.front());
    if (folder.empty()) folder = rootDir_;
    if (folder.empty()) folder = "./";
    std::vector<std::string> names{NameOf(FileSpec.front())};
    const std::string firstFolder = FolderOf(FileSpec.front());
    for (std::size_t i = 1; i < FileSpec.size();) {
      if (CollateCompare(FolderOf(FileSpec[i]), firstFolder, false) != 0) {
        ++i;
        continue;
      }
      const std::string part = NameOf(FileSpec[i]);
      FileSpec.erase(FileSpec.begin() + static_cast<std::ptrdiff_t>(i));
      auto covered = std::find_if(names.begin(), names.end(),
                                  [&](const std::string& m) { return MatchesMask(part, m); });
      if (covered != names.end()) continue;
      auto narrower = std::find_if(names.begin(), names.end(),
                                   [&](const std::string& m) { return MatchesMask(m, part); });
      if (narrower != names.end())
        *narrower = part;
      else
        names.push_back(part);
    }
    std::vector<TInternalMask> masks;
    for (std::string& n : names) masks.emplace_back(n.empty() || n == "*.*" ? "*" : n);
    if (OnRootDirChange) OnRootDirChange(folder);
    FileSpec.erase(FileSpec.begin());
    ScanDir(folder, masks);
  }
}

void TArcFileScan::ScanDir(const std::string& dir, const std::vector<TInternalMask>& masks) {
  if (OnRecurseDir) OnRecurseDir(dir);
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(dir, entries)) return;
  for (const DirEntry& entry : entries) {
    if (*CancelFlag) break;
    const std::string path = dir + entry.Name;
    LocalFileInfo info;
    if (!ReadFileInfo(path, info)) continue;
    // A link to a folder is not descended into: it could lead in circles
    // or out of the tree being archived.
    const bool descend = info.IsDir && !info.IsLink;
    if (AttributesFit(Attributes, info.Attr, true) && !AttributesFit(AttributesEx, info.Attr, false)) {
      if (!info.IsDir) {
        const bool match = std::any_of(masks.begin(), masks.end(),
                                       [&](const TInternalMask& m) { return m.Matches(entry.Name); });
        if (match) {
          ++FilesCount;
          FilesSize += info.Size;
          if (OnScanFile) OnScanFile(entry.Name, FilesCount, FilesSize);
          if (UpdateList) AddFile(dir, {entry.Name, dir, info.Size, info.Attr, info.DosDate});
        }
      } else if (UpdateList && descend) {
        AddFile(WithTrailingSlash(path), {"", WithTrailingSlash(path), 0, info.Attr, info.DosDate});
      }
    }
    if (RecurseDirs && descend && (IncludeHiddenDirs || (info.Attr & kAttrHidden) == 0))
      ScanDir(WithTrailingSlash(path), masks);
    Ui().ProcessMessages();
  }
}

void TArcFileScan::AddFile(const std::string& dir, const TFileObject& found) {
  if (AddFileHook)
    AddFileHook(dir, found);
  else
    FilesList.Add(found);
}

}  // namespace vm
