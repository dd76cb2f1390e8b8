#include <algorithm>
#include <climits>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "config/local_settings_merge.h"
#include "config/page_format.h"
#include "foundation/files/fileutils.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/random.h"
#include "config/settings.h"
#include "config/settings_syntax.h"
#include "foundation/text/strutils.h"
#include "config/sysvars.h"
#include "platform/services.h"

namespace vm {

namespace {

using KeyHandler = std::function<void(int32_t section, int32_t key, const std::string& value)>;

void HandleSettingsLines(const std::vector<std::string>& lines, int32_t filter,
                         const KeyHandler& handle) {
  int32_t section = kSecNone;
  std::string name, value;
  for (const std::string& line : lines) {
    switch (ClassifySettingsLine(line, name, value)) {
      case 1:
        section = SectionIndex(name);
        if (filter > 0 && section != filter) section = kSecNone;
        break;
      case 2:
        if (section != kSecNone) handle(section, KeyIndex(name), value);
        break;
      default:
        break;
    }
  }
}

bool ReadSettingsFile(const std::string& fileName, int32_t filter, const KeyHandler& handle) {
  std::vector<std::string> lines;
  if (!ReadSettingsLines(fileName, lines)) return false;
  HandleSettingsLines(lines, filter, handle);
  return true;
}

// A number whose text must be whole; `fallback` when it is not.
int32_t Number(const std::string& s, int32_t fallback) {
  bool valid = false;
  const int32_t n = SettingsNumber(s, valid);
  return valid ? n : fallback;
}

// A number taken as far as it reads.
int32_t LooseNumber(const std::string& s) {
  bool valid = false;
  return SettingsNumber(s, valid);
}

bool ValidNumber(const std::string& s, int32_t& n) {
  bool valid = false;
  n = SettingsNumber(s, valid);
  return valid;
}

bool Selects(int32_t filter, int32_t section) { return filter == 0 || filter == section; }

// The items of a comma list exactly as CutIntItem cuts them one after the
// other, but without shortening the text each time: a long list costs no
// more than its length.
template <typename F>
void ForEachIntItem(const std::string& text, F f) {
  std::size_t start = 0;
  while (start < text.size()) {
    const auto comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start + 1);
    f(CutIntItem(item));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

// A sensible upper bound for the displayed columns of a reference book:
// editable columns are kept as a set of 256.
constexpr int32_t kMaxBookColumns = 256;

// Menus are never nested this deep; a file that asks for more would only
// build a chain of nodes too deep to walk.
constexpr int32_t kMaxDocLevel = 100;

// The keys that open an item of a list by its 0-based number: an existing
// item, or a new one right after the last.
template <typename List, typename Make>
auto* OpenNumbered(List& items, const std::string& value, Make make) {
  using Item = std::remove_reference_t<decltype(*make())>;
  int32_t n = 0;
  if (!ValidNumber(value, n) || n < 0 || n > static_cast<int32_t>(items.size()))
    return static_cast<Item*>(nullptr);
  if (n < static_cast<int32_t>(items.size())) return items[static_cast<std::size_t>(n)].get();
  return make();
}

// Archive-configuration IDs are positive and unique. The search for a free
// one starts again at 1 past the largest number rather than overflow.
int32_t FreeConfigID(const TArchiveConfigList& list, int32_t id, const TArchiveConfig* self) {
  auto taken = [&](int32_t v) {
    for (int32_t i = 0; i < list.Count(); ++i)
      if (list.GetConfig(i) != self && list.GetConfig(i)->ID == v) return true;
    return false;
  };
  if (id <= 0) id = 1;
  while (taken(id)) id = id == INT32_MAX ? 1 : id + 1;
  return id;
}

struct AutoParamState {
  TAPar* current = nullptr;
};

void HandleAutoParam(TAutoList& list, AutoParamState& st, int32_t key, const std::string& raw,
                     bool local) {
  const std::string value = TrimBlanks(raw);
  switch (key) {
    case kKeyParamName: {
      st.current = nullptr;
      if (value.empty()) return;
      const int32_t index = list.IndexOfName(value);
      TAPar* p = index >= 0 ? list.GetItem(index) : nullptr;
      // A parameter this workstation keeps for itself stays its own when the
      // shared ones are read again.
      if (p && p->Local && !local) return;
      if (!p) p = list.AddNew();
      p->Name = UpperStr(value);
      p->Kind = 'C';
      p->ValueText.clear();
      p->Local = local;
      st.current = p;
      return;
    }
    case kKeyParamType:
      if (st.current) st.current->Kind = FieldTypeFromName(value);
      return;
    case kKeyParamValue:
      if (st.current) {
        bool error = false;
        std::string text = ParseStrLiteral(value, error);
        st.current->ValueText = error ? value : text;
      }
      st.current = nullptr;
      return;
    default:
      return;
  }
}

struct LayoutState {
  TDocData* doc = nullptr;
};

void HandleDocLayout(TSettingsModel& m, LayoutState& st, int32_t key, const std::string& value) {
  int32_t n = 0;
  if (key == kKeyDocId) {
    st.doc = ValidNumber(TrimBlanks(value), n) ? m.DocTree.FindID(n) : nullptr;
    return;
  }
  if (!st.doc) return;
  switch (key) {
    case kKeyBookRect: st.doc->BookWindowRect = StrToRect(value); break;
    case kKeyInfoRect: st.doc->InfoWindowRect = StrToRect(value); break;
    case kKeyWorkRect: st.doc->WorkWindowRect = StrToRect(value); break;
    case kKeyFormWidth:
      if (ValidNumber(value, n) && n >= 0) st.doc->FormWidth = n;
      break;
    case kKeyFormHeight:
      if (ValidNumber(value, n) && n >= 0) st.doc->FormHeight = n;
      break;
    case kKeyFixedWidth: st.doc->FixedWidth = SettingTextToBool(value); break;
    case kKeyFixedHeight: st.doc->FixedHeight = SettingTextToBool(value); break;
    default: break;
  }
}

void HandlePanelShown(TSettingsModel& m, int32_t key, const std::string& value) {
  if (key != kKeyShow) return;
  const auto comma = value.find(',');
  if (comma == std::string::npos) return;
  int32_t i = 0;
  if (ValidNumber(TrimBlanks(value.substr(0, comma)), i) && i >= 0 && i < m.Panels.Count())
    m.Panels.GetPanel(i)->SetChecked(SettingTextToBool(value.substr(comma + 1)));
}

void HandleWindowPlaces(TSettingsModel& m, int32_t key, const std::string& value) {
  if (key == kKeyBookRect) m.BookWindowRect = StrToRect(value);
  if (key == kKeyMainRect) m.MainWindowRect = StrToRect(value);
}

// The state of one read of "program.ini": the current item of each kind.
class ConfigReader {
 public:
  explicit ConfigReader(TSettingsModel& m) : m_(m) {}

  TDocNode* docNode = nullptr;

  void Handle(int32_t section, int32_t key, const std::string& value) {
    switch (section) {
      case kSecCommon: Common(key, value); break;
      case kSecForms: Forms(key, value); break;
      case kSecBases: Bases(key, value); break;
      case kSecBooks: Books(key, value); break;
      case kSecDocuments: Documents(key, value); break;
      case kSecPanels: Panels(key, TrimBlanks(value)); break;
      case kSecAutoStart:
        if (key == kKeyDescription) m_.StartOfDayDoc.Description += value + "\r\n";
        break;
      case kSecPasswords: Passwords(value); break;
      case kSecArchive: Archive(key, TrimBlanks(value)); break;
      case kSecPriceTags: PriceTags(key, value); break;
      default: break;
    }
  }

 private:
  void Common(int32_t key, const std::string& value) {
    int32_t n = 0;
    switch (key) {
      case kKeySystemClock: m_.SystemClock = SettingTextToBool(value); break;
      case kKeyDefaultFont: DefaultFontName() = TrimBlanks(value); break;
      case kKeyNextConfigId:
        if (ValidNumber(TrimBlanks(value), n) && n > 0) m_.NextArchiveConfigID = n;
        break;
      case kKeyArchiveFileNo:
        if (ValidNumber(TrimBlanks(value), n) && n > 0) m_.ArchiveFileNo = n;
        break;
      default: break;
    }
  }

  void Forms(int32_t key, const std::string& value) {
    if (key == kKeyForm) {
      const std::string name = RemoveBlanks(value);
      blank_ = name.empty() ? nullptr : m_.Blanks.Add(name);
    } else if (key == kKeyDescription && blank_) {
      std::string text = std::move(blank_->Text);
      text += value;
      text += "\r\n";
      blank_->SetText(std::move(text));
    }
  }

  void Bases(int32_t key, const std::string& value) {
    int32_t n = 0;
    switch (key) {
      case kKeyBaseName: {
        const std::string name = TrimBlanks(value);
        base_ = nullptr;
        if (name.empty()) return;
        base_ = m_.Bases.AddNew();
        base_->SetFileName(name);
        field_ = TFieldRecord{};
        field_.FieldType = 0;
        return;
      }
      case kKeyAlias:
        if (base_) base_->Alias = TrimBlanks(value);
        return;
      case kKeyDepartment:
        if (base_) base_->Department = TrimBlanks(value);
        return;
      case kKeyFieldName: field_.Name = RemoveBlanks(value); return;
      case kKeyFieldType:
        if (value.empty()) field_.Name.clear();
        else field_.FieldType = FieldTypeFromName(value);
        return;
      case kKeyFieldSize:
        if (ValidNumber(RemoveBlanks(value), n) && n >= 2) field_.Length = n;
        else field_.Name.clear();
        return;
      case kKeyFieldDecimals:
        if (ValidNumber(RemoveBlanks(value), n) && n >= 0) field_.Decimals = n;
        else field_.Name.clear();
        if (base_ && !field_.Name.empty() && field_.Length > 0 && field_.FieldType != 0)
          base_->AddField(field_);
        field_.Name.clear();
        return;
      default: return;
    }
  }

  void Books(int32_t key, const std::string& value) {
    int32_t n = 0;
    if (key == kKeyAlias) {
      const std::string alias = TrimBlanks(value);
      book_ = nullptr;
      column_ = nullptr;
      if (alias.empty() || !m_.Bases.FindByAlias(alias)) return;
      book_ = m_.Books.AddNew();
      book_->BaseAlias = alias;
      book_->Name = alias;
      return;
    }
    if (!book_) return;
    switch (key) {
      case kKeyBookName: book_->Name = value; break;
      case kKeyBookTitle: book_->Title = value; break;
      case kKeyBookBlank: {
        const std::string name = TrimBlanks(value);
        if (m_.Blanks.FindByName(name)) {
          book_->BlankName = name;
        } else {
          book_ = nullptr;
          column_ = nullptr;
        }
        break;
      }
      case kKeyColumnCount:
        n = Number(TrimBlanks(value), 0);
        if (n < 0 || n > kMaxBookColumns) n = 0;
        book_->SetSDefCount(n);
        column_ = nullptr;
        break;
      case kKeyColumnNo:
        column_ = ValidNumber(TrimBlanks(value), n) && n >= 1 && n <= book_->ColumnCount
                      ? book_->GetSDef(n - 1)
                      : nullptr;
        break;
      case kKeyColumnField:
        if (column_) column_->FieldName = TrimBlanks(value);
        break;
      case kKeySort:
        ForEachIntItem(TrimBlanks(value), [&](int32_t c) {
          if (c >= 0 && c < book_->ColumnCount && !FindKeyCol(book_->SortKeys.get(), c))
            AddKeyCol(book_->SortKeys, book_->SortKeyCount)->Number = c;
        });
        break;
      case kKeyEditColumns:
        ForEachIntItem(TrimBlanks(value), [&](int32_t c) {
          if (c >= 0 && c < book_->ColumnCount) book_->EditableColumns.set(static_cast<std::size_t>(c));
        });
        break;
      case kKeyFilter: book_->Filter = TrimBlanks(value); break;
      case kKeyInsert: book_->CanInsert = SettingTextToBool(value); break;
      case kKeyDelete: book_->CanDelete = SettingTextToBool(value); break;
      case kKeyEdit: book_->CanEdit = SettingTextToBool(value); break;
      case kKeyAutoSort: book_->AutoSort = SettingTextToBool(value); break;
      case kKeySortOnStart: book_->SortOnStart = SettingTextToBool(value); break;
      default: break;
    }
  }

  void Documents(int32_t key, const std::string& value) {
    if (!docNode) return;
    int32_t n = 0;
    switch (key) {
      case kKeyLevel:
        n = Number(TrimBlanks(value), 1);
        if (n < 1) n = 1;
        wantedLevel_ = std::min({n, docNode->Level() + 1, kMaxDocLevel});
        return;
      case kKeyDocName: {
        const std::string text = TrimBlanks(value);
        if (text.empty()) return;
        const int32_t wanted = std::max(wantedLevel_, 1);
        if (docNode->Level() >= wanted)
          for (int32_t up = docNode->Level() - wanted + 1; up > 0 && docNode->Parent(); --up)
            docNode = docNode->Parent();
        docNode = docNode->AddChild(text);
        docNode->Data = std::make_unique<TDocData>();
        return;
      }
      default: break;
    }
    TDocData* d = docNode->Data.get();
    if (!d) return;
    switch (key) {
      case kKeyDescription: d->Description += value + "\r\n"; break;
      case kKeyDocId:
        if (ValidNumber(TrimBlanks(value), n)) {
          m_.LowestDocID = std::min(m_.LowestDocID, n);
          HighestDocID() = std::max(HighestDocID(), n);
        } else {
          n = 0;
        }
        d->ID = n;
        break;
      case kKeyBookRect: d->BookWindowRect = StrToRect(value); break;
      case kKeyInfoRect: d->InfoWindowRect = StrToRect(value); break;
      case kKeyWorkRect: d->WorkWindowRect = StrToRect(value); break;
      case kKeyDocPassword: {
        TScrambledRecord r;
        ScrambledHexToRecord(TrimBlanks(value), r);
        d->PasswordNumber = static_cast<int32_t>(UnpackDocAccess(r, d->ID, d->Description));
        break;
      }
      default: break;
    }
  }

  void Panels(int32_t key, const std::string& value) {
    int32_t n = 0;
    switch (key) {
      case kKeyPanelName:
        tool_ = nullptr;
        panel_ = nullptr;
        if (value.empty()) return;
        panel_ = m_.Panels.AddPanel();
        panel_->Name = value;
        return;
      case kKeyDocId:
        tool_ = ValidNumber(value, n) && n != 0 && panel_ ? panel_->AddTool(n) : nullptr;
        return;
      case kKeyPicture:
        if (tool_) tool_->IconIndex = Number(value, 0);
        return;
      case kKeyButton:
        if (tool_) tool_->Caption = value;
        return;
      default: return;
    }
  }

  void Passwords(const std::string& value) {
    const auto comma = value.find(',');
    if (comma == std::string::npos) return;
    int32_t i = 0;
    if (ValidNumber(TrimBlanks(value.substr(0, comma)), i) && i >= 1 && i <= 16)
      ScrambledHexToRecord(TrimBlanks(value.substr(comma + 1)),
                           m_.Passwords[static_cast<std::size_t>(i - 1)]);
  }

  void Archive(int32_t key, const std::string& value) {
    switch (key) {
      case kKeyConfigName:
        entry_ = nullptr;
        config_ = nullptr;
        if (value.empty()) return;
        config_ = m_.ArchiveConfigs.AddConfig();
        config_->Name = value;
        return;
      case kKeyConfigId:
        if (config_) config_->ID = FreeConfigID(m_.ArchiveConfigs, Number(value, 0), config_);
        return;
      case kKeyArchiveNo:
        if (config_) config_->ArchiveNo = Number(value, 0);
        return;
      case kKeyBaseName:
        entry_ = nullptr;
        if (value.empty() || !config_) return;
        entry_ = config_->AddBase();
        entry_->Alias = value;
        return;
      default: break;
    }
    if (!entry_) return;
    switch (key) {
      case kKeyDateField: entry_->DateField = UpperStr(value); break;
      case kKeyExclusion: entry_->Condition = value; break;
      case kKeyGroupField: entry_->GroupField = value; break;
      case kKeyKeepLast: entry_->KeepLast = SettingTextToBool(value); break;
      case kKeyLinkedFields: entry_->LinkedFields = value; break;
      default: break;
    }
  }

  void PriceTags(int32_t key, const std::string& value) {
    int32_t n = 0;
    switch (key) {
      case kKeyTagNo: {
        zone_ = nullptr;
        graph_ = nullptr;
        tag_ = nullptr;
        if (!ValidNumber(value, n) || n < 0 || n > m_.PriceTags.Count()) return;
        tagNo_ = n;
        tag_ = n < m_.PriceTags.Count() ? m_.PriceTags.GetItem(n) : NewCennik(m_.PriceTags);
        return;
      }
      case kKeyZoneNo:
        zoneNo_ = ValidNumber(value, n) ? n : 0;
        zone_ = tag_ ? OpenNumbered(tag_->Zones, value, [&] { return NewCenZone(tag_->Zones); })
                     : nullptr;
        return;
      case kKeyGraphNo:
        graphNo_ = ValidNumber(value, n) ? n : 0;
        graph_ = tag_ ? OpenNumbered(tag_->Graphics, value,
                                     [&] { return NewGraphObject(tag_->Graphics); })
                      : nullptr;
        return;
      default: break;
    }
    if (tag_) {
      switch (key) {
        case kKeyTagLineWidth:
          if (ValidNumber(value, n) && n >= 0) tag_->LineWidth = TagSize(key, value, n, 0, kMaxTagBorder);
          return;
        case kKeyTagWidth:
          if (ValidNumber(value, n) && n >= 0) tag_->Width = TagSize(key, value, n, 1, kMaxTagSize);
          return;
        case kKeyTagHeight:
          if (ValidNumber(value, n) && n >= 0) tag_->Height = TagSize(key, value, n, 1, kMaxTagSize);
          return;
        default: break;
      }
    }
    if (zone_) Zone(key, value);
    if (graph_) Graph(key, value);
  }

  // The designer's own ranges, in tenths of a millimetre. Larger sizes from
  // an edited file would overflow the arithmetic of drawing and placing
  // labels; they are brought into range and named in "Errors.log".
  static constexpr int32_t kMaxTagSize = 10000;
  static constexpr int32_t kMaxTagBorder = 99;
  // A graphic object's dialog places it up to ten times the largest tag.
  static constexpr int32_t kMaxGraphPlace = 100000;

  int32_t TagSize(int32_t key, const std::string& value, int32_t n, int32_t low, int32_t high) {
    if (n >= low && n <= high) return n;
    LogTagBound(key, value, std::to_string(low) + ".." + std::to_string(high));
    return std::clamp(n, low, high);
  }

  // V within 0..high; true when it lay outside.
  static bool Bound(int32_t& v, int32_t high) {
    const int32_t in = std::clamp(v, 0, high);
    const bool outside = in != v;
    v = in;
    return outside;
  }

  void LogTagBound(int32_t key, const std::string& value, const std::string& range) {
    std::string where = "Ценник "_w + std::to_string(tagNo_);
    if (key == kKeyZoneRect) where += ", зона "_w + std::to_string(zoneNo_);
    if (key == kKeyGraphData || key == kKeyGraphLineWidth)
      where += ", графический объект "_w + std::to_string(graphNo_);
    LogError(where + ": " + std::string(KeyName(key)) + "=" + TrimBlanks(value) + " вне пределов "_w + range +
             ", значение ограничено"_w);
  }

  void Zone(int32_t key, const std::string& value) {
    TCenZone& z = *zone_;
    int32_t n = 0;
    switch (key) {
      case kKeyZoneRect: {
        z.Rect = StrToIntList(value);
        bool bounded = false;
        for (int32_t& v : z.Rect) bounded |= Bound(v, kMaxTagSize);
        if (bounded) LogTagBound(key, value, "0.."_w + std::to_string(kMaxTagSize));
        break;
      }
      case kKeyZoneText:
        if (m_.ZoneCompiler)
          m_.ZoneCompiler->CompileCenZone(z, value);
        else
          CompileCenZone(z, value);
        break;
      case kKeyFontName: z.FontName = value; break;
      case kKeyFontStyle: z.FontStyle = StrToFontStyle(value); break;
      case kKeyFontSize: z.FontSize = UnscaleFontSize(Number(value, 30)); break;
      case kKeyLetterCase:
        n = Number(value, 0);
        z.LetterCase = n > 2 ? 0 : n;
        break;
      case kKeyFontColor: z.FontColor = Number(value, 0); break;
      case kKeyNonPrintChars: {
        bool error = false;
        std::string text = ParseStrLiteral(value, error);
        z.NonPrintChars = error ? std::string() : text;
        break;
      }
      case kKeyOnlyFirst: z.OnlyFirst = SettingTextToBool(value); break;
      case kKeyBarcode: z.Barcode = SettingTextToBool(value); break;
      case kKeyBarWidth: z.BarWidth = LooseNumber(TrimBlanks(value)); break;
      case kKeyAlignment: z.Alignment = LooseNumber(TrimBlanks(value)); break;
      default: break;
    }
  }

  void Graph(int32_t key, const std::string& value) {
    TGraphObject& g = *graph_;
    switch (key) {
      case kKeyGraphColor: g.Color = Number(value, 0); break;
      case kKeyGraphKind: g.Kind = GraphKindFromNumber(Number(value, 0)); break;
      case kKeyGraphLineWidth: g.LineWidth = TagSize(key, value, Number(value, 1), 0, kMaxTagBorder); break;
      case kKeyGraphFile: g.FileName = value; break;
      case kKeyGraphData: {
        // Words the value leaves out keep what they held.
        TGraphWords words = g.Words();
        StrToIntArray(TrimBlanks(value), std::span<int>(words));
        g.SetWords(words);
        // The place and the size as the object's dialog allows them.
        bool bounded = false;
        for (int32_t* v : {&g.X, &g.Y}) bounded |= Bound(*v, kMaxGraphPlace);
        for (int32_t* v : {&g.Width, &g.Height}) bounded |= Bound(*v, kMaxTagSize);
        if (bounded)
          LogTagBound(key, value, "0.."_w + std::to_string(kMaxGraphPlace) + " (X, Y), 0.."_w +
                                      std::to_string(kMaxTagSize) + " (ширина, высота)"_w);
        break;
      }
      default: break;
    }
  }

  TSettingsModel& m_;
  TCurBlank* blank_ = nullptr;
  TDbaseStructure* base_ = nullptr;
  TFieldRecord field_;
  TSpravDef* book_ = nullptr;
  TSDef* column_ = nullptr;
  int32_t wantedLevel_ = 0;
  TMyPanel* panel_ = nullptr;
  TDocTools* tool_ = nullptr;
  TArchiveConfig* config_ = nullptr;
  TBaseArchive* entry_ = nullptr;
  TCennik* tag_ = nullptr;
  int32_t tagNo_ = 0;
  TCenZone* zone_ = nullptr;
  int32_t zoneNo_ = 0;
  TGraphObject* graph_ = nullptr;
  int32_t graphNo_ = 0;
};

}  // namespace

TWindowRect StrToRect(std::string_view s) {
  const std::array<int32_t, 4> v = StrToIntList(s);
  return {v[0], v[1], v[2], v[3]};
}

bool ReadConfigurationFile(int32_t filter, const std::string& fileName, TSettingsModel& m) {
  ConfigReader reader(m);
  if (Selects(filter, kSecForms)) m.Blanks.Clear();
  if (Selects(filter, kSecBases)) m.Bases.Clear();
  if (Selects(filter, kSecBooks)) m.Books.Clear();
  const bool docs = Selects(filter, kSecDocuments);
  if (docs) {
    m.DocTree.Clear();
    reader.docNode = m.DocTree.AddTop("Документы"_w);
    m.LowestDocID = INT32_MAX;
    HighestDocID() = 0;
  }
  if (Selects(filter, kSecPanels)) m.Panels.Clear();
  if (Selects(filter, kSecAutoStart)) m.StartOfDayDoc.Description.clear();
  // A password without its line keeps a random record, which fails its sum:
  // that level stays closed.
  if (Selects(filter, kSecPasswords))
    for (auto& r : m.Passwords)
      for (auto& b : r) b = static_cast<uint8_t>(Random(256));
  if (Selects(filter, kSecArchive)) m.ArchiveConfigs.Clear();
  if (Selects(filter, kSecPriceTags)) m.PriceTags.Clear();

  const bool ok = ReadSettingsFile(fileName, filter, [&](int32_t s, int32_t k, const std::string& v) {
    reader.Handle(s, k, v);
  });
  if (ok) m.NextArchiveConfigID = FreeConfigID(m.ArchiveConfigs, m.NextArchiveConfigID, nullptr);
  if (docs && HighestDocID() < m.LowestDocID) {
    HighestDocID() = 0;
    m.LowestDocID = 0;
  }
  return ok;
}

bool ReadAutoParamsFile(int32_t filter, const std::string& fileName, TSettingsModel& m,
                        int32_t& operationNumber) {
  operationNumber = 1;
  // Read before anything is dropped: a file that cannot be read now leaves
  // the shared parameters in place, where the next save would otherwise
  // write them away.
  std::vector<std::string> lines;
  if (!ReadSettingsLines(fileName, lines)) return false;
  if (Selects(filter, kSecAutoParams)) m.AutoParams.RemoveShared();
  AutoParamState params;
  LayoutState layout;
  HandleSettingsLines(lines, filter, [&](int32_t s, int32_t k, const std::string& v) {
    switch (s) {
      case kSecAutoParams:
        if (k == kKeyOperationNo) operationNumber = LooseNumber(TrimBlanks(v));
        else HandleAutoParam(m.AutoParams, params, k, v, false);
        break;
      case kSecCommon: HandleWindowPlaces(m, k, v); break;
      case kSecDocuments: HandleDocLayout(m, layout, k, v); break;
      case kSecPanels: HandlePanelShown(m, k, v); break;
      default: break;
    }
  });
  return true;
}

bool ReadLocalSettingsFile(int32_t filter, const std::string& fileName, TSettingsModel& m) {
  m.Title = std::string(kDefaultTitle);
  m.DefaultFormatName.clear();
  m.CompressedPrint = false;
  m.MouseScale = 480;
  GetNowRec(m.LastDate, m.LastTime);
  m.SerialRecord = {};
  if (Selects(filter, kSecAutoParams)) m.AutoParams.RemoveLocal();
  if (Selects(filter, kSecFormats)) PageFormats().Clear();
  AutoParamState params;
  LayoutState layout;
  const bool read = ReadSettingsFile(fileName, filter, [&](int32_t s, int32_t k, const std::string& v) {
    int32_t n = 0;
    switch (s) {
      case kSecCommon:
        switch (k) {
          case kKeyTitle: m.Title = v; break;
          case kKeyLastDate: m.LastDate = StrToDateRec(NormalizeDateStr(v)); break;
          case kKeyLastTime: m.LastTime = StrToTimeRec(TrimBlanks(v)); break;
          case kKeyMouseScale: m.MouseScale = ValidNumber(v, n) && n > 0 ? n : 480; break;
          case kKeyDefaultFormat: m.DefaultFormatName = v; break;
          case kKeyCompressed: m.CompressedPrint = SettingTextToBool(v); break;
          case kKeySerialPort: m.SerialRecord.ReadHex(TrimBlanks(v)); break;
          default: HandleWindowPlaces(m, k, v); break;
        }
        break;
      case kSecAutoParams: HandleAutoParam(m.AutoParams, params, k, v, true); break;
      case kSecDocuments: HandleDocLayout(m, layout, k, v); break;
      case kSecPanels: HandlePanelShown(m, k, v); break;
      case kSecFormats:
        if (k == kKeyPageFormat) PageFormats().AddFromText(v);
        break;
      case kSecPrinter:
        if (k == kKeyPrinterName) {
          // No name matches no printer: the print system, slow to ask at
          // start-up, is only asked for a name to match.
          const std::vector<std::string> printers =
              TrimBlanks(v).empty() ? std::vector<std::string>() : Ui().PrinterNames();
          const int index = FindClosestString(TrimBlanks(v), printers);
          m.PrinterName = index >= 0 ? printers[static_cast<std::size_t>(index)] : std::string();
        }
        break;
      default: break;
    }
  });
  // What memory holds now is what the file was read with; read in part,
  // nothing is known of it.
  if (read && filter == 0)
    NoteLocalSettingsSeen(fileName, m);
  else if (filter == 0)
    m.LocalSeenPath.clear();
  return read;
}

bool StoredMomentIn(std::string_view text, TDateRec& date, TTimeRec& time) {
  bool hasDate = false, hasTime = false;
  HandleSettingsLines(SplitTextLines(text), kSecCommon, [&](int32_t, int32_t k, const std::string& v) {
    if (k == kKeyLastDate) {
      date = StrToDateRec(NormalizeDateStr(v));
      hasDate = true;
    } else if (k == kKeyLastTime) {
      time = StrToTimeRec(TrimBlanks(v));
      hasTime = true;
    }
  });
  return hasDate && hasTime && IsValidDateRec(date);
}

bool ReadStoredMoment(const std::string& fileName, TDateRec& date, TTimeRec& time) {
  std::string text;
  return ReadOwnFile(fileName, text) && StoredMomentIn(text, date, time);
}

bool LoadLocalSettings() { return ReadLocalSettingsFile(0, LocalIniName(), Settings()); }

bool LoadAllSettings(std::vector<std::string>* unread) {
  TSettingsModel& m = Settings();
  m.AutoParams.Clear();
  const bool config = ReadConfigurationFile(0, ProgramIniName(), m);
  int32_t operation = 1;
  const bool manager = ReadAutoParamsFile(0, ManagerIniName(), m, operation);
  const bool local = LoadLocalSettings();
  SetSysVarText(kSysVarNoOperat, std::to_string(operation));
  if (unread != nullptr) {
    unread->clear();
    if (!config) unread->push_back(ProgramIniName());
    if (!manager) unread->push_back(ManagerIniName());
    if (!local) unread->push_back(LocalIniName());
  }
  return config && manager && local;
}

namespace {

void ReloadLocalAutoParams(TSettingsModel& m) {
  const std::string file = LocalIniName();
  // Without what this program last read or wrote there, its own changes
  // cannot be told from another's: memory stays.
  if (m.LocalSeenPath.empty() || !SameFileName(m.LocalSeenPath, file)) return;
  const std::string before = LocalSettingsInMemory(m);
  const std::string now = LocalSettingsText(file, m);
  m.AutoParams.RemoveLocal();
  AutoParamState params;
  HandleSettingsLines(SplitTextLines(now), kSecAutoParams, [&](int32_t, int32_t k, const std::string& v) {
    HandleAutoParam(m.AutoParams, params, k, v, true);
  });
  // What came from the file is what this program has seen there.
  m.LocalSeen = MergeLocalSettings(LocalSettingsInMemory(m), before, m.LocalSeen);
}

}  // namespace

bool ReloadAutoParams() {
  // The local ones first: one made shared since leaves this list, and the
  // shared ones then take it.
  ReloadLocalAutoParams(Settings());
  int32_t operation = 1;
  // The counter, like the parameters, stays as it was when the file could
  // not be read, rather than start again from 1.
  if (!ReadAutoParamsFile(0, ManagerIniName(), Settings(), operation)) return false;
  SetSysVarText(kSysVarNoOperat, std::to_string(operation));
  return true;
}

TSettingsModel::TSettingsModel() = default;
TSettingsModel::~TSettingsModel() = default;

TSettingsModel& Settings() {
  static TSettingsModel model;
  return model;
}

}  // namespace vm
