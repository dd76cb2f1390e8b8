#include "config/settings_syntax.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "config/errorlog.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "platform/files.h"

namespace vm {

std::string_view SectionName(int32_t index) {
  if (index < 1 || index > 13) return {};
  return settings_detail::kSectionNames[static_cast<std::size_t>(index)];
}

std::string_view KeyName(int32_t index) {
  if (index < 1 || index > 88) return {};
  return settings_detail::kKeyNames[static_cast<std::size_t>(index)];
}

int32_t SectionIndex(std::string_view name) {
  for (int32_t i = 1; i <= 13; ++i)
    if (settings_detail::kSectionNames[static_cast<std::size_t>(i)] == name) return i;
  return 0;
}

int32_t KeyIndex(std::string_view name) {
  for (int32_t i = 1; i <= 88; ++i)
    if (settings_detail::kKeyNames[static_cast<std::size_t>(i)] == name) return i;
  return 0;
}

int32_t ClassifySettingsLine(std::string_view line, std::string& name, std::string& value) {
  const std::string t = TrimBlanks(std::string(line));
  name.clear();
  value.clear();
  if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
    name = RemoveBlanks(t.substr(1, t.size() - 2));
    return 1;
  }
  const auto eq = t.find('=');
  if (eq == std::string::npos) return 0;
  name = RemoveBlanks(t.substr(0, eq));
  value = t.substr(eq + 1);
  return 2;
}

bool SettingTextToBool(std::string_view s) {
  return UpperStr(TrimBlanks(std::string(s))) == "ДА"_wv;
}

std::string BoolToSettingText(bool b) { return b ? "ДА"_w : "НЕТ"_w; }

std::string FieldTypeName(char typeChar) {
  switch (typeChar) {
    case 'N': return "Число"_w;
    case 'D': return "Дата"_w;
    default: return "Строка"_w;
  }
}

char FieldTypeFromName(std::string_view s) {
  const std::string u = UpperStr(std::string(s));
  if (u == "ЧИСЛО"_wv) return 'N';
  if (u == "ДАТА"_wv) return 'D';
  return 'C';
}

std::string IntListToStr(const std::array<int32_t, 4>& ints) {
  std::string s;
  for (std::size_t i = 0; i < ints.size(); ++i) {
    if (i) s += ',';
    s += std::to_string(ints[i]);
  }
  return s;
}

std::array<int32_t, 4> StrToIntList(std::string_view s) {
  std::array<int32_t, 4> out{};
  std::string rest(s);
  for (auto& v : out) {
    const auto comma = rest.find(',');
    std::string item = comma == std::string::npos ? rest : rest.substr(0, comma);
    rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    bool valid = false;
    const int32_t n = SettingsNumber(TrimBlanks(item), valid);
    v = valid ? n : 0;
  }
  return out;
}

std::string FontStyleToStr(uint8_t style) {
  std::string s;
  for (int bit = 0; bit < 4; ++bit) {
    if (!(style & (1u << bit))) continue;
    if (!s.empty()) s += ',';
    s += static_cast<char>('0' + bit);
  }
  return s;
}

uint8_t StrToFontStyle(std::string_view s) {
  uint8_t style = 0;
  std::string rest(s);
  for (int i = 0; i < 4 && !rest.empty(); ++i) {
    const auto comma = rest.find(',');
    const std::string item = TrimBlanks(comma == std::string::npos ? rest : rest.substr(0, comma));
    rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    bool valid = false;
    const int32_t n = SettingsNumber(item, valid);
    if (valid && n >= 0 && n <= 3) style |= static_cast<uint8_t>(1u << n);
  }
  return style;
}

std::string NonPrintCharsToStr(std::string_view s) {
  std::string out;
  for (char c : s) out += '#' + std::to_string(static_cast<unsigned char>(c));
  return out;
}

namespace {

// A stored size far beyond any font would not fit the integer it is read
// into; it is kept at the nearest one that does.
int32_t RoundToInt32(long double v) {
  const long double r = std::rint(v);
  if (r >= static_cast<long double>(INT32_MAX)) return INT32_MAX;
  if (r <= static_cast<long double>(INT32_MIN)) return INT32_MIN;
  return static_cast<int32_t>(r);
}

}  // namespace

int32_t ScaleFontSize(int32_t size) { return RoundToInt32(static_cast<long double>(size) * 0.226L); }

int32_t UnscaleFontSize(int32_t stored) {
  return RoundToInt32(static_cast<long double>(stored) / 0.226L);
}

int32_t SettingsNumber(std::string_view s, bool& valid) {
  valid = false;
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t value = 0;
  bool digits = false;
  bool bad = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0 || value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d) > limit) {
      bad = true;
      break;
    }
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    digits = true;
  }
  valid = digits && !bad;
  const auto v = static_cast<int64_t>(static_cast<uint32_t>(value));
  if (base == 16) return static_cast<int32_t>(negative ? -v : v);
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool ReadSettingsLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::string data;
  if (!ReadOwnFile(path, data)) return false;
  lines = SplitTextLines(data);
  return true;
}

namespace {

// A settings file is a text of some kilobytes, a large configuration's of a
// few hundred: a copy beyond this was put there by someone else, and
// reading it would cost a commit its time and memory.
constexpr int64_t kCopyLimit = int64_t{16} << 20;

std::string BackupName(const std::string& fileName, const std::string& ext, int32_t k) {
  return ChangeFileExtTo(fileName, ext + std::to_string(k));
}

// The part of the copies' extension before their number.
std::string BackupExt(const std::string& fileName) {
  const std::string ext = GetFileExtPart(fileName);
  return ext.empty() ? "." : "." + ext.substr(0, ext.size() - 1);
}

bool CopyNotMade(const std::string& copy) {
  LogError("Не удалось сделать копию файла настроек "_w + copy);
  return false;
}

// Anything at all at the name, a link to nowhere included.
bool Taken(const std::string& path) { return Files().Exists(path) || Files().IsSymlink(path); }

bool ReadCopySource(const std::string& path, std::string& bytes) { return ReadOwnFile(path, bytes, kCopyLimit); }

// Whether the first copy holds the file's bytes already.
bool FirstCopyMade(const std::string& fileName, const std::string& ext) {
  std::string file, first;
  return ReadCopySource(BackupName(fileName, ext, 1), first) && ReadCopySource(fileName, file) && first == file;
}

// One copy as the rotation leaves it: it takes what stands at From (the
// copy below it, or the file itself for the first), or it becomes a gap
// when From is empty. Note is for "Errors.log" once the copy stands.
struct TRotationStep {
  std::string Path;
  std::string From;
  std::string Note;
};

struct TRotation {
  std::vector<TRotationStep> Steps;
  // The links at the copies' names: none is a copy of ours.
  std::vector<std::string> Links;
};

// The rotation of n copies, the oldest first, as RotateBackups makes it by
// renames and PlanBackups as new bytes; it changes nothing and logs only
// why it cannot be. A missing copy leaves a gap rather than an even older
// file under its number, and a gap stays a gap. Only a plain file standing
// at the name itself, within the limit, is read or moved up: anything else
// (a link, wherever it points) counts as missing, and a file beyond the
// limit is noted for the copy that does not take it. False when a folder
// (not a link to one) stands at the name of a copy that would change: it
// makes way for nothing.
bool RotationOf(const std::string& fileName, int32_t n, TRotation& r) {
  r = {};
  if (n > 9) n = 9;
  if (n < 1) return true;
  FileSystem& fs = Files();
  const std::string ext = BackupExt(fileName);
  for (int32_t k = 1; k <= n; ++k)
    if (const std::string copy = BackupName(fileName, ext, k); fs.IsSymlink(copy)) r.Links.push_back(copy);
  if (FirstCopyMade(fileName, ext)) return true;
  for (int32_t k = n; k >= 1; --k) {
    TRotationStep step{BackupName(fileName, ext, k), k > 1 ? BackupName(fileName, ext, k - 1) : fileName, {}};
    const int64_t size = fs.PlainFileSize(step.From);
    if (size > kCopyLimit)
      step.Note = "Файл "_w + step.From + " больше "_w + std::to_string(kCopyLimit >> 20) +
                  " МБ: в копии файла настроек он не взят"_w;
    if (size < 0 || size > kCopyLimit) step.From.clear();
    if (step.From.empty() && step.Note.empty() && !Taken(step.Path)) continue;
    if (!fs.IsSymlink(step.Path) && fs.IsDirectory(step.Path)) return CopyNotMade(step.Path);
    r.Steps.push_back(std::move(step));
  }
  return true;
}

// False when the copy cannot be made.
bool RotateStep(const std::string& fileName, const TRotationStep& step) {
  FileSystem& fs = Files();
  if (step.From == fileName) {
    std::string bytes;
    if (ReadCopySource(fileName, bytes) && ReplaceFileWith(step.Path, bytes)) return true;
    if (Taken(step.Path)) fs.Remove(step.Path);
    return false;
  }
  if (!step.From.empty() && fs.Rename(step.From, step.Path)) return true;
  // A copy that cannot make way ends the rotation: the next one would
  // take its place, and it would be lost. One that went meanwhile (another
  // program's rotation) leaves a gap.
  if (!step.From.empty() && Taken(step.From)) return false;
  if (Taken(step.Path)) fs.Remove(step.Path);
  return true;
}

}  // namespace

bool RotateBackups(const std::string& fileName, int32_t n) {
  TRotation r;
  if (!RotationOf(fileName, n, r)) return false;
  // The link itself goes, never what it points at; nothing is written
  // through it.
  for (const std::string& link : r.Links) Files().Remove(link);
  for (const TRotationStep& step : r.Steps) {
    if (!RotateStep(fileName, step)) return CopyNotMade(step.Path);
    if (!step.Note.empty()) LogError(step.Note);
  }
  return true;
}

bool PlanBackups(const std::string& fileName, int32_t n, std::vector<TSettingsCopy>& copies) {
  copies.clear();
  TRotation r;
  if (!RotationOf(fileName, n, r)) return false;
  for (const TRotationStep& step : r.Steps) {
    TSettingsCopy copy{step.Path, {}, step.From.empty(), false, step.Note};
    copy.Later = copy.Remove && (Files().IsSymlink(copy.Path) || !Taken(copy.Path));
    if (!copy.Remove && !ReadCopySource(step.From, copy.Bytes)) return CopyNotMade(copy.Path);
    copies.push_back(std::move(copy));
  }
  // Those the rotation leaves alone, the first copy being made already.
  for (const std::string& link : r.Links)
    if (std::none_of(copies.begin(), copies.end(), [&](const TSettingsCopy& c) { return c.Path == link; }))
      copies.push_back({link, {}, true, true, {}});
  return true;
}

void SettingsCopiesPlaced(const std::vector<TSettingsCopy>& copies) {
  for (const TSettingsCopy& copy : copies) {
    if (copy.Later && Files().IsSymlink(copy.Path)) Files().Remove(copy.Path);
    if (!copy.Note.empty()) LogError(copy.Note);
  }
}

void TSettingsWriter::Section(int32_t index) {
  Line("");
  Line("  [" + std::string(SectionName(index)) + "]");
}

void TSettingsWriter::Key(int32_t indent, int32_t key, std::string_view value) {
  text_.append(static_cast<std::size_t>(indent), ' ');
  text_ += KeyName(key);
  text_ += '=';
  Line(value);
}

void TSettingsWriter::Key(int32_t indent, int32_t key, int64_t value) {
  Key(indent, key, std::to_string(value));
}

void TSettingsWriter::Line(std::string_view text) {
  for (char c : text) text_ += (c == '\r' || c == '\n') ? ' ' : c;
  text_ += "\r\n";
}

bool TSettingsWriter::Commit(const std::string& path, int32_t backups) const {
  return CommitSettingsText(path, text_, backups);
}

bool CommitSettingsText(const std::string& path, std::string_view text, int32_t backups) {
  FileReplacement replacement;
  std::unique_ptr<File> f = replacement.Begin(path);
  if (!f || !f->WriteAt(0, text.data(), text.size()) || !f->Sync()) return false;
  // The copies move only once the new file is whole, and the new file goes
  // in only with them: a save that says it failed leaves the old file.
  if (backups > 0 && !RotateBackups(replacement.Target(), backups)) return false;
  return replacement.Commit(*f);
}

}  // namespace vm
