#include "foundation/tables/pending_renames.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/text/hex_text.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr std::string_view kFinish = "FINISH", kDrop = "DROP";
// Far more than any volume set; a longer file is none of ours.
constexpr int64_t kMaxRecordBytes = 1 << 20;
constexpr std::string_view kVolumeBase = "Delarch.";
// ".~", 16 hexadecimal digits, "~".
constexpr std::size_t kTempTail = 19;

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// A volume's name as the volumes are numbered: three digits, or more
// without a leading zero once three are not enough.
bool VolumeName(std::string_view name) {
  if (name.substr(0, kVolumeBase.size()) != kVolumeBase) return false;
  const std::string_view number = name.substr(kVolumeBase.size());
  return AllDigits(number) && number.size() <= 10 && (number.size() == 3 || (number.size() > 3 && number[0] != '0'));
}

// The record only ever moves a file made as the temporary of a name onto
// that name: whatever it is made to say, it renames nothing else.
bool TemporaryOf(std::string_view temp, std::string_view name) {
  return temp.size() == name.size() + kTempTail && temp.substr(0, name.size()) == name && IsTemporaryFileName(temp);
}

bool VolumeTemporary(std::string_view temp) {
  return temp.size() > kTempTail && VolumeName(temp.substr(0, temp.size() - kTempTail)) &&
         TemporaryOf(temp, temp.substr(0, temp.size() - kTempTail));
}

bool AbsoluteFolder(std::string_view folder) {
  return folder.size() >= 1 && folder.front() == '/' && folder.back() == '/' &&
         std::none_of(folder.begin(), folder.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
  return line;
}

std::string SumText(uint32_t sum) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, sum >>= 4)
    text[static_cast<std::size_t>(i)] = NibbleToHexChar(static_cast<int>(sum & 15));
  return text;
}

bool ParseSum(std::string_view text, uint32_t& sum) {
  const auto digit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  if (text.size() != 8 || !std::all_of(text.begin(), text.end(), digit)) return false;
  sum = 0;
  for (const char c : text) {
    const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    sum = sum << 4 | static_cast<uint32_t>(HexCharToNibble(upper));
  }
  return true;
}

// The line of one name: the name and its temporary, and, in a record that
// keeps them, the size and sum of what the temporary holds.
bool DecodeName(std::string_view line, bool finish, TPendingName& n) {
  std::vector<std::string_view> fields;
  for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
    fields.push_back(line.substr(0, tab));
  fields.push_back(line);
  if (fields.size() != 2 && !(finish && fields.size() == 4)) return false;
  n.Name = std::string(fields[0]);
  n.Temp = std::string(fields[1]);
  if (!VolumeName(n.Name) || (finish ? !TemporaryOf(n.Temp, n.Name) : !n.Temp.empty())) return false;
  if (fields.size() == 2) return true;
  if (!AllDigits(fields[2]) || fields[2].size() > 18 || !ParseSum(fields[3], n.Sum)) return false;
  n.Size = std::stoll(std::string(fields[2]));
  return true;
}

bool MarkOf(const std::string& path, int64_t& size, uint32_t& sum) {
  const std::unique_ptr<File> f = Files().Open(path, FileMode::Read);
  size = f ? f->Size() : -1;
  if (size < 0) return false;
  uLong crc = crc32(0, nullptr, 0);
  std::vector<char> buf(1 << 16);
  for (int64_t at = 0; at < size;) {
    const int64_t got = f->ReadAt(at, buf.data(), static_cast<std::size_t>(std::min<int64_t>(size - at, 1 << 16)));
    if (got <= 0) return false;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buf.data()), static_cast<uInt>(got));
    at += got;
  }
  sum = static_cast<uint32_t>(crc);
  return true;
}

// The file at `to` is what the temporary became, as far as the record can
// tell.
bool NamedAlready(const std::string& to, const TPendingName& n) {
  if (!Files().Exists(to)) return false;
  int64_t size = -1;
  uint32_t sum = 0;
  return n.Size < 0 || (MarkOf(to, size, sum) && size == n.Size && sum == n.Sum);
}

// The temporaries of the record's names as the user may look for them.
std::string TemporaryMasks(const TPendingRenames& record) {
  std::string masks;
  for (const TPendingName& n : record.Names) masks += (masks.empty() ? "" : ", ") + n.Name + ".~*~";
  return masks;
}

}  // namespace

std::string EncodePendingRenames(const TPendingRenames& record) {
  std::string text = std::string(record.Finish ? kFinish : kDrop) + "\r\n" + record.Folder + "\r\n";
  for (const TPendingName& n : record.Names) {
    text += n.Name + "\t" + n.Temp;
    if (n.Size >= 0) text += "\t" + std::to_string(n.Size) + "\t" + SumText(n.Sum);
    text += "\r\n";
  }
  return text;
}

bool DecodePendingRenames(std::string_view text, TPendingRenames& record) {
  if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
  const std::string_view state = NextLine(text);
  if (state != kFinish && state != kDrop) return false;
  record.Finish = state == kFinish;
  record.Folder = std::string(NextLine(text));
  if (!AbsoluteFolder(record.Folder)) return false;
  record.Names.clear();
  while (!text.empty()) {
    TPendingName n;
    if (!DecodeName(NextLine(text), record.Finish, n)) return false;
    record.Names.push_back(std::move(n));
  }
  return true;
}

bool MarkPendingName(const std::string& folder, TPendingName& name) {
  return MarkOf(folder + name.Temp, name.Size, name.Sum);
}

bool ReadPendingRenames(const std::string& path, TPendingRenames& record, std::string* fault) {
  FileSystem& fs = Files();
  if (!fs.IsSymlink(path) && !fs.Exists(path)) return false;
  std::string text, why;
  // A link is never followed: the record is written as a file of its own.
  // The read decides, so a link put there after a look is refused too.
  if (ReadOwnFile(path, text, kMaxRecordBytes) && DecodePendingRenames(text, record)) return true;
  if (fs.PlainFileSize(path) < 0)
    why = "Запись томов удаленного периода не является файлом: "_w + path;
  else
    why = "Запись томов удаленного периода не читается: "_w + path;
  if (fault) *fault = why;
  return false;
}

bool SettlePendingRenames(const std::string& path, std::vector<std::string>& messages) {
  FileSystem& fs = Files();
  if (!fs.Exists(path) && !fs.IsSymlink(path)) return true;
  // Which record stands is decided only once the commit is.
  if (fs.Exists(GetFileDirPart(path) + kCommitJournalName)) return false;
  TPendingRenames record;
  std::string fault;
  if (!ReadPendingRenames(path, record, &fault)) {
    messages.push_back(fault);
    return false;
  }
  if (!record.Finish) {
    std::vector<DirEntry> entries;
    int removed = 0;
    if (fs.ListDirectory(record.Folder, entries))
      for (const DirEntry& e : entries)
        for (const TPendingName& n : record.Names)
          if (!e.IsDir && TemporaryOf(e.Name, n.Name) && fs.Remove(record.Folder + e.Name)) ++removed;
    fs.Remove(path);
    if (removed > 0) messages.push_back("Удалены файлы прерванной записи в папке "_w + record.Folder);
    // None there: the medium in that place is another one, or none, and
    // the volumes' own may still hold them. Nothing tells that medium, and
    // a record that waited for it would refuse every move onto a medium.
    else if (!record.Names.empty())
      messages.push_back("Запись томов удаленного периода снята: в папке "_w + record.Folder +
                         " нет их временных файлов "_w + TemporaryMasks(record) +
                         "; если они остались на другом диске, удалите их с него"_w);
    return true;
  }
  // In the record's order, so that a name that makes the set whole is
  // taken only after all the others.
  bool renamed = false, left = false;
  for (const TPendingName& n : record.Names) {
    const std::string from = record.Folder + n.Temp, to = record.Folder + n.Name;
    if (!fs.IsSymlink(from) && fs.Exists(from)) {
      left = !fs.Rename(from, to);
      renamed = renamed || !left;
    } else {
      // Another medium's volume at the name settles nothing.
      left = !NamedAlready(to, n);
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

std::function<bool(std::string_view name)> PendingTemporaries(const std::string& path) {
  TPendingRenames record;
  std::string fault;
  if (ReadPendingRenames(path, record, &fault)) {
    std::vector<std::string> temps;
    if (record.Finish)
      for (const TPendingName& n : record.Names) temps.push_back(n.Temp);
    return [temps](std::string_view name) { return std::find(temps.begin(), temps.end(), name) != temps.end(); };
  }
  if (fault.empty()) return {};
  return VolumeTemporary;
}

}  // namespace vm
