#include "config/local_settings_merge.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "config/settings_syntax.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"

namespace vm {

namespace {

struct TPiece {
  std::string Id;
  std::vector<std::string> Lines;
};

// The pieces of one section in file order. A piece named again replaces
// the earlier one, as the loader keeps the last values it reads.
struct TSectionPieces {
  std::vector<TPiece> Pieces;

  const TPiece* Find(const std::string& id) const {
    for (auto p = Pieces.rbegin(); p != Pieces.rend(); ++p)
      if (p->Id == id) return &*p;
    return nullptr;
  }
};

using TPieces = std::array<TSectionPieces, 14>;

// The sections of "local.ini" in the order the writer puts them.
constexpr int32_t kLocalSections[] = {kSecCommon, kSecAutoParams, kSecDocuments,
                                      kSecPanels, kSecFormats,    kSecPrinter};

// The id of the piece a key line opens, nullopt for a line that belongs to
// the piece before it; an empty id opens a piece the loader ignores.
std::optional<std::string> OpenedPiece(int32_t section, const std::string& key, const std::string& value) {
  const int32_t index = KeyIndex(key);
  bool valid = false;
  switch (section) {
    case kSecCommon:
    case kSecPrinter: return key;
    case kSecAutoParams:
      if (index != kKeyParamName) return std::nullopt;
      return UpperStr(TrimBlanks(value));
    case kSecDocuments: {
      if (index != kKeyDocId) return std::nullopt;
      const int32_t id = SettingsNumber(TrimBlanks(value), valid);
      return valid ? std::to_string(id) : std::string();
    }
    case kSecPanels: {
      if (index != kKeyShow) return std::nullopt;
      const std::size_t comma = value.find(',');
      if (comma == std::string::npos) return std::string();
      const int32_t panel = SettingsNumber(TrimBlanks(value.substr(0, comma)), valid);
      return valid ? std::to_string(panel) : std::string();
    }
    default: return std::nullopt;
  }
}

TPieces CutLocalSettings(std::string_view text) {
  TPieces pieces;
  // The page formats go together: one list, in its order.
  pieces[kSecFormats].Pieces.push_back({});
  std::array<std::optional<std::size_t>, 14> current{};
  current[kSecFormats] = 0;
  int32_t section = kSecNone;
  std::string key, value;
  for (const std::string& line : SplitTextLines(text)) {
    switch (ClassifySettingsLine(line, key, value)) {
      case 1: section = SectionIndex(key); break;
      case 2: {
        if (section == kSecNone) break;
        TSectionPieces& s = pieces[static_cast<std::size_t>(section)];
        std::optional<std::size_t>& open = current[static_cast<std::size_t>(section)];
        if (const std::optional<std::string> id = OpenedPiece(section, key, value)) {
          open.reset();
          if (id->empty()) break;
          s.Pieces.push_back({*id, {}});
          open = s.Pieces.size() - 1;
        }
        if (open) s.Pieces[*open].Lines.push_back(line);
        break;
      }
      default: break;
    }
  }
  return pieces;
}

bool IsMoment(int32_t section, const std::string& id) {
  return section == kSecCommon && (id == KeyName(kKeyLastDate) || id == KeyName(kKeyLastTime));
}

// Each id once, where it first stands, as it stands last.
std::vector<const TPiece*> Distinct(const TSectionPieces& s) {
  std::set<std::string> ids;
  std::vector<const TPiece*> out;
  for (const TPiece& p : s.Pieces)
    if (ids.insert(p.Id).second) out.push_back(s.Find(p.Id));
  return out;
}

}  // namespace

std::string MergeLocalSettings(std::string_view own, std::string_view seen, std::string_view theirs) {
  const TPieces mine = CutLocalSettings(own);
  const TPieces was = CutLocalSettings(seen);
  const TPieces now = CutLocalSettings(theirs);
  TSettingsWriter w;
  const auto put = [&w](const TPiece* p) {
    if (p != nullptr)
      for (const std::string& line : p->Lines) w.Line(line);
  };
  for (const int32_t section : kLocalSections) {
    const auto index = static_cast<std::size_t>(section);
    w.Section(section);
    for (const TPiece* p : Distinct(mine[index])) {
      const TPiece* before = was[index].Find(p->Id);
      const bool changedHere = before == nullptr || before->Lines != p->Lines;
      put(changedHere || IsMoment(section, p->Id) ? p : now[index].Find(p->Id));
    }
    // What only the other program has: added there, unless it was here
    // before and this program deleted it.
    for (const TPiece* p : Distinct(now[index]))
      if (!mine[index].Find(p->Id) && !was[index].Find(p->Id)) put(p);
  }
  return w.Text();
}

std::vector<std::string> ChangedLocalSettings(std::string_view own, std::string_view seen) {
  const TPieces mine = CutLocalSettings(own);
  const TPieces was = CutLocalSettings(seen);
  std::vector<std::string> lines;
  for (const int32_t section : kLocalSections) {
    const auto index = static_cast<std::size_t>(section);
    for (const TPiece* p : Distinct(mine[index])) {
      const TPiece* before = was[index].Find(p->Id);
      if (before == nullptr || before->Lines != p->Lines)
        for (const std::string& line : p->Lines) lines.push_back(TrimBlanks(line));
    }
    for (const TPiece* p : Distinct(was[index]))
      if (!mine[index].Find(p->Id) && !p->Lines.empty()) lines.push_back("удалено "_w + TrimBlanks(p->Lines.front()));
  }
  return lines;
}

}  // namespace vm
