// Collecting files from folders by wildcard masks and attribute rules: the
// compressor's list of files to add.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/components/arc_types.h"
#include "archive/components/masks.h"

namespace vm {

enum TArcSortOptions : uint8_t { soUnsort, soByName, soByType, soBySize, soByTime };

struct TFileObject {
  std::string Name;  // empty for a folder entry
  std::string Path;  // the folder with a trailing '/' (a folder entry: its own path)
  int64_t Size = 0;
  uint32_t Attr = 0;     // Windows attribute bits
  uint32_t Date = 0;     // DOS stamp of the last write
};

class TFilesList {
 public:
  void SetSortMode(TArcSortOptions mode);
  TArcSortOptions SortMode() const { return sort_; }
  int Add(TFileObject obj);
  void Delete(int index);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TFileObject& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
  // -1, 0, 1 by the sort mode (soUnsort: always equal).
  int Compare(const TFileObject& a, const TFileObject& b) const;

 private:
  std::vector<TFileObject> items_;
  TArcSortOptions sort_ = soUnsort;
};

// Whether Windows attributes fit a set (for `Attributes`, the
// not-content-indexed bit always fits).
bool AttributesFit(TArcFileAttrs set, uint32_t attr, bool forInclusion);

class TArcFileScan {
 public:
  TArcFileScan();

  // Found file: (name without folder, files so far, bytes so far).
  std::function<void(const std::string&, int32_t, int64_t)> OnScanFile;
  std::function<void(int32_t, int64_t)> OnFinished;
  std::function<void(const std::string&)> OnRootDirChange;
  std::function<void(const std::string&)> OnRecurseDir;
  // Replaces the default AddFile (what the compressor hooks in): (folder
  // with '/', found entry).
  std::function<void(const std::string&, const TFileObject&)> AddFileHook;

  std::vector<std::string> FileSpec;  // path masks (list mode)
  std::string FileMask = "*";          // comma-separated masks (single-mask mode)
  TArcFileAttrs Attributes = kDefaultAttributes;
  TArcFileAttrs AttributesEx = 0;
  bool IncludeHiddenDirs = false;
  bool UpdateList = true;
  bool RecurseDirs = true;
  // Set from outside (or by CancelScan) to stop at the next test.
  bool* CancelFlag = &ownCancel_;

  void SetFileSpec(const std::vector<std::string>& masks);
  void SetRootDir(const std::string& dir);
  const std::string& RootDir() const { return rootDir_; }
  void SetSorted(TArcSortOptions mode);

  void Scan();
  void CancelScan() { *CancelFlag = true; }

  TFilesList FilesList;
  int32_t FilesCount = 0;
  int64_t FilesSize = 0;

 private:
  void ScanListMode();
  void ScanDir(const std::string& dir, const std::vector<TInternalMask>& masks);
  void AddFile(const std::string& dir, const TFileObject& found);

  std::string rootDir_ = "/";
  bool ownCancel_ = false;
};

}  // namespace vm
