#include "foundation/tables/pending_renames.h"

#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr std::string_view kFinish = "FINISH", kDrop = "DROP";
// Far more than any volume set; a longer file is none of ours.
constexpr int64_t kMaxRecordBytes = 1 << 20;

bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\\r\n\t") == std::string_view::npos;
}

// The record only ever moves a file made as the temporary of a name onto
// that name: whatever it is made to say, it renames nothing else.
bool TemporaryOf(std::string_view temp, std::string_view name) {
  return temp.size() > name.size() + 2 && temp.substr(0, name.size()) == name &&
         temp.substr(name.size(), 2) == ".~" && IsTemporaryFileName(temp);
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
  return line;
}

}  // namespace

std::string EncodePendingRenames(const TPendingRenames& record) {
  std::string text = std::string(record.Finish ? kFinish : kDrop) + "\r\n" + record.Folder + "\r\n";
  for (const auto& [name, temp] : record.Names) text += name + "\t" + temp + "\r\n";
  return text;
}

bool DecodePendingRenames(std::string_view text, TPendingRenames& record) {
  if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
  const std::string_view state = NextLine(text);
  if (state != kFinish && state != kDrop) return false;
  record.Finish = state == kFinish;
  record.Folder = std::string(NextLine(text));
  if (record.Folder.empty() || record.Folder.back() != '/' || record.Folder.find_first_of("\r\n") != std::string::npos)
    return false;
  record.Names.clear();
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    const std::string_view name = line.substr(0, tab), temp = line.substr(tab + 1);
    if (!PlainName(name) || (record.Finish ? !TemporaryOf(temp, name) : !temp.empty())) return false;
    record.Names.emplace_back(name, temp);
  }
  return true;
}

bool ReadPendingRenames(const std::string& path, TPendingRenames& record) {
  std::string text;
  return ReadWholeFile(path, text, kMaxRecordBytes) && DecodePendingRenames(text, record);
}

bool SettlePendingRenames(const std::string& path, std::vector<std::string>& messages) {
  FileSystem& fs = Files();
  if (!fs.Exists(path)) return true;
  // Which record stands is decided only once the commit is.
  if (fs.Exists(GetFileDirPart(path) + kCommitJournalName)) return false;
  TPendingRenames record;
  if (!ReadPendingRenames(path, record)) {
    fs.Remove(path);
    messages.push_back("Удалена испорченная запись "_w + path);
    return true;
  }
  if (!record.Finish) {
    std::vector<DirEntry> entries;
    int removed = 0;
    if (fs.ListDirectory(record.Folder, entries))
      for (const DirEntry& e : entries)
        for (const auto& [name, unused] : record.Names)
          if (!e.IsDir && TemporaryOf(e.Name, name) && fs.Remove(record.Folder + e.Name)) ++removed;
    fs.Remove(path);
    if (removed > 0) messages.push_back("Удалены файлы прерванной записи в папке "_w + record.Folder);
    return true;
  }
  // In the record's order, so that a name that makes the set whole is
  // taken only after all the others.
  bool renamed = false, left = false;
  for (const auto& [name, temp] : record.Names) {
    const std::string from = record.Folder + temp, to = record.Folder + name;
    if (!fs.IsSymlink(from) && fs.Exists(from)) {
      left = !fs.Rename(from, to);
      renamed = renamed || !left;
    } else {
      left = !fs.Exists(to);
    }
    if (left) break;
  }
  if (renamed) fs.SyncDirectory(record.Folder);
  if (left) {
    messages.push_back("Не поставлены на место файлы записи в папке "_w + record.Folder);
    return false;
  }
  fs.Remove(path);
  if (renamed) messages.push_back("Поставлены на место файлы прерванной записи в папке "_w + record.Folder);
  return true;
}

}  // namespace vm
