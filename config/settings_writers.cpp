#include <string>

#include "config/data_dir.h"
#include "config/page_format.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "config/errorlog.h"
#include "config/local_settings_merge.h"
#include "config/settings.h"
#include "config/settings_syntax.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "config/sysvars.h"

namespace vm {

namespace {

constexpr int32_t kBackups = 5;

void WriteTextLines(TSettingsWriter& w, int32_t indent, int32_t key, const std::string& text) {
  for (const std::string& line : SplitTextLines(text)) w.Key(indent, key, line);
}

// A description as the loader reads it back: every line ends with CR LF and
// has lost the blanks and tabs at its end. The access record is packed over
// this text; packed over one that reads back otherwise, the document's
// level would be refused after the next start.
std::string StoredDescription(const std::string& text) {
  std::string out;
  for (const std::string& line : SplitTextLines(text)) {
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    out.append(line, 0, end);
    out += "\r\n";
  }
  return out;
}

std::string AccessRecordHex(const TDocData& d, const std::string& description) {
  TScrambledRecord r;
  PackDocAccess(static_cast<uint8_t>(d.PasswordNumber), d.ID, description, r);
  std::string hex;
  RecordToScrambledHex(r, hex);
  return hex;
}

void SaveDocNode(TSettingsWriter& w, int32_t indent, const TDocNode& node, bool treeRoot) {
  if (!treeRoot) {
    static const TDocData kEmpty;
    const TDocData& d = node.Data ? *node.Data : kEmpty;
    const int32_t in = indent + 4;
    w.Key(in, kKeyLevel, node.Level());
    w.Key(in, kKeyDocName, node.Text);
    w.Key(in, kKeyDocId, d.ID);
    const std::string description = StoredDescription(d.Description);
    WriteTextLines(w, in, kKeyDescription, description);
    w.Key(in, kKeyDocPassword, AccessRecordHex(d, description));
  }
  for (int32_t i = 0; i < node.ChildCount(); ++i) SaveDocNode(w, indent + 2, *node.Child(i), false);
}

void SaveDocLayoutNode(TSettingsWriter& w, int32_t indent, const TDocNode& node, bool treeRoot) {
  if (!treeRoot && !node.HasChildren() && node.Data) {
    const TDocData& d = *node.Data;
    const int32_t in = indent + 4;
    w.Key(in, kKeyDocId, d.ID);
    w.Key(in, kKeyBookRect, RectToStr(d.BookWindowRect));
    w.Key(in, kKeyInfoRect, RectToStr(d.InfoWindowRect));
    w.Key(in, kKeyWorkRect, RectToStr(d.WorkWindowRect));
    w.Key(in, kKeyFormWidth, d.FormWidth);
    w.Key(in, kKeyFormHeight, d.FormHeight);
    w.Key(in, kKeyFixedWidth, BoolToSettingText(d.FixedWidth));
    w.Key(in, kKeyFixedHeight, BoolToSettingText(d.FixedHeight));
  }
  for (int32_t i = 0; i < node.ChildCount(); ++i)
    SaveDocLayoutNode(w, indent + 2, *node.Child(i), false);
}

void SaveAutoParamList(TSettingsWriter& w, const TAutoList& list, bool local) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TAPar* p = list.GetItem(i);
    if (p->Local != local) continue;
    w.Key(4, kKeyParamName, p->Name);
    w.Key(4, kKeyParamType, FieldTypeName(p->Kind));
    w.Key(4, kKeyParamValue, QuoteStrLiteral(p->ValueText));
  }
}

void SaveArchiveConfigs(TSettingsWriter& w, const TArchiveConfigList& list) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TArchiveConfig* c = list.GetConfig(i);
    w.Key(1, kKeyConfigName, c->Name);
    w.Key(1, kKeyConfigId, c->ID);
    w.Key(1, kKeyArchiveNo, c->ArchiveNo);
    for (int32_t j = 0; j < c->Count(); ++j) {
      const TBaseArchive* b = c->GetBase(j);
      w.Key(3, kKeyBaseName, b->Alias);
      w.Key(3, kKeyDateField, b->DateField);
      w.Key(3, kKeyExclusion, b->Condition);
      w.Key(3, kKeyGroupField, b->GroupField);
      w.Key(3, kKeyKeepLast, BoolToSettingText(b->KeepLast));
      w.Key(3, kKeyLinkedFields, b->LinkedFields);
    }
  }
}

void SavePriceTags(TSettingsWriter& w, const TCenList& list) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TCennik* tag = list.GetItem(i);
    w.Key(1, kKeyTagNo, i);
    w.Key(1, kKeyTagLineWidth, tag->LineWidth);
    w.Key(1, kKeyTagWidth, tag->Width);
    w.Key(1, kKeyTagHeight, tag->Height);
    for (int32_t z = 0; z < tag->ZoneCount(); ++z) {
      const TCenZone* zone = tag->GetZone(z);
      w.Key(1, kKeyZoneNo, z);
      w.Key(1, kKeyZoneRect, IntListToStr(zone->Rect));
      w.Key(1, kKeyZoneText, zone->Text);
      w.Key(1, kKeyFontName, zone->FontName);
      w.Key(1, kKeyFontStyle, FontStyleToStr(zone->FontStyle));
      w.Key(1, kKeyFontSize, ScaleFontSize(zone->FontSize));
      w.Key(1, kKeyLetterCase, zone->LetterCase);
      w.Key(1, kKeyFontColor, zone->FontColor);
      w.Key(1, kKeyNonPrintChars, NonPrintCharsToStr(zone->NonPrintChars));
      w.Key(1, kKeyOnlyFirst, BoolToSettingText(zone->OnlyFirst));
      w.Key(1, kKeyBarcode, BoolToSettingText(zone->Barcode));
      w.Key(1, kKeyBarWidth, zone->BarWidth);
      w.Key(1, kKeyAlignment, zone->Alignment);
    }
    for (std::size_t g = 0; g < tag->Graphics.size(); ++g) {
      const TGraphObject& obj = *tag->Graphics[g];
      w.Key(1, kKeyGraphNo, static_cast<int64_t>(g));
      w.Key(1, kKeyGraphColor, obj.Color);
      w.Key(1, kKeyGraphKind, GraphKindNumber(obj.Kind));
      w.Key(1, kKeyGraphLineWidth, obj.LineWidth);
      w.Key(1, kKeyGraphFile, obj.FileName);
      w.Key(1, kKeyGraphData, IntArrayToStr(obj.Words()));
    }
  }
}

// An access record keeps the description's length in 16 bits.
bool DescriptionsFit(const TDocTree& tree) {
  for (const TDocNode* n : tree.Nodes()) {
    if (n->Data && StoredDescription(n->Data->Description).size() >= 65536) {
      LogError("Описание документа '"_w + n->Text +
               "' длиннее 65535 символов: конфигурация не сохранена"_w);
      return false;
    }
  }
  return true;
}

}  // namespace

std::string RectToStr(const TWindowRect& r) { return IntListToStr({r.Left, r.Top, r.Width, r.Height}); }

bool SaveConfigurationTo(const std::string& fileName, TSettingsModel& m) {
  if (!DescriptionsFit(m.DocTree)) return false;
  TSettingsWriter w;

  w.Section(kSecCommon);
  w.Key(4, kKeyNextConfigId, m.NextArchiveConfigID);
  w.Key(4, kKeyArchiveFileNo, m.ArchiveFileNo);
  w.Key(4, kKeySystemClock, BoolToSettingText(m.SystemClock));
  w.Key(4, kKeyDefaultFont, DefaultFontName());

  w.Section(kSecForms);
  for (int32_t i = 0; i < m.Blanks.Count(); ++i) {
    const TCurBlank* b = m.Blanks.GetItem(i);
    w.Key(4, kKeyForm, b->Name);
    WriteTextLines(w, 4, kKeyDescription, b->Text);
  }

  w.Section(kSecBases);
  for (int32_t i = 0; i < m.Bases.Count(); ++i) {
    const TDbaseStructure* s = m.Bases.GetItem(i);
    if (s->System) continue;
    w.Key(4, kKeyBaseName, s->FileName);
    w.Key(4, kKeyAlias, s->Alias);
    w.Key(4, kKeyDepartment, s->Department);
    for (const TFieldRecord& fld : s->Fields) {
      w.Key(8, kKeyFieldName, fld.Name);
      w.Key(8, kKeyFieldType, FieldTypeName(fld.FieldType));
      w.Key(8, kKeyFieldSize, fld.Length);
      w.Key(8, kKeyFieldDecimals, fld.Decimals);
    }
  }

  w.Section(kSecBooks);
  for (int32_t i = 0; i < m.Books.Count(); ++i) {
    const TSpravDef* b = m.Books.GetItem(i);
    w.Key(4, kKeyAlias, b->BaseAlias);
    w.Key(4, kKeyBookName, b->Name);
    w.Key(4, kKeyBookTitle, b->Title);
    w.Key(4, kKeyBookBlank, b->BlankName);
    w.Key(4, kKeyColumnCount, b->ColumnCount);
    w.Key(4, kKeyFilter, b->Filter);
    w.Key(4, kKeyInsert, BoolToSettingText(b->CanInsert));
    w.Key(4, kKeyDelete, BoolToSettingText(b->CanDelete));
    w.Key(4, kKeyEdit, BoolToSettingText(b->CanEdit));
    w.Key(4, kKeyAutoSort, BoolToSettingText(b->AutoSort));
    w.Key(4, kKeySortOnStart, BoolToSettingText(b->SortOnStart));
    std::string list;
    for (int32_t c = 0; c < b->ColumnCount && c < 256; ++c) {
      if (!b->EditableColumns.test(static_cast<std::size_t>(c))) continue;
      if (!list.empty()) list += ',';
      list += std::to_string(c);
    }
    w.Key(4, kKeyEditColumns, list);
    list.clear();
    for (const TKeyCol* k = b->SortKeys.get(); k; k = k->Next.get()) {
      if (!list.empty()) list += ',';
      list += std::to_string(k->Number);
    }
    w.Key(4, kKeySort, list);
    for (int32_t c = 0; c < b->ColumnCount; ++c) {
      w.Key(4, kKeyColumnNo, c + 1);
      w.Key(4, kKeyColumnField, b->GetSDef(c)->FieldName);
    }
  }

  w.Section(kSecDocuments);
  for (int32_t i = 0; i < m.DocTree.TopCount(); ++i) SaveDocNode(w, 2, *m.DocTree.Top(i), i == 0);

  w.Section(kSecPanels);
  for (int32_t i = 0; i < m.Panels.Count(); ++i) {
    const TMyPanel* p = m.Panels.GetPanel(i);
    w.Key(4, kKeyPanelName, p->Name);
    for (int32_t t = 0; t < p->ToolCount(); ++t) {
      const TDocTools* tool = p->GetTool(t);
      w.Key(4, kKeyDocId, tool->DocID);
      w.Key(4, kKeyButton, tool->Caption);
      w.Key(4, kKeyPicture, tool->IconIndex);
    }
  }

  w.Section(kSecAutoStart);
  WriteTextLines(w, 4, kKeyDescription, m.StartOfDayDoc.Description);

  // Each save packs every password afresh, so the records change with the
  // generator even when the passwords do not.
  w.Section(kSecPasswords);
  for (int32_t i = 1; i <= 16; ++i) {
    TScrambledRecord& r = m.Passwords[static_cast<std::size_t>(i - 1)];
    std::string password;
    UnpackPassword(r, i, password);
    PackPassword(password, r, i);
    std::string hex;
    RecordToScrambledHex(r, hex);
    w.Key(6, kKeyPassword, std::to_string(i) + "," + hex);
  }

  w.Section(kSecArchive);
  SaveArchiveConfigs(w, m.ArchiveConfigs);

  w.Section(kSecPriceTags);
  SavePriceTags(w, m.PriceTags);

  return w.Commit(fileName, kBackups);
}

namespace {

TSettingsWriter AutoParamsWriter(const TSettingsModel& m) {
  TSettingsWriter w;
  w.Section(kSecAutoParams);
  w.Key(4, kKeyOperationNo, GetSysVarText(kSysVarNoOperat, 0, 0));
  SaveAutoParamList(w, m.AutoParams, false);
  return w;
}

}  // namespace

std::string AutoParamsText(const TSettingsModel& m) { return AutoParamsWriter(m).Text(); }

bool FileHoldsText(const std::string& path, std::string_view text) {
  std::string data;
  return ReadOwnFile(path, data, static_cast<int64_t>(text.size())) && data == text;
}

bool SettingsCopiesOf(const std::string& fileName, std::vector<TSettingsCopy>& copies) {
  return PlanBackups(fileName, kBackups, copies);
}

// "manager.ini" and "local.ini" are saved again and again, mostly
// unchanged: a file written again as it was would only push a copy equal to
// it into the numbered ones and lose the oldest.
bool PutSettingsText(const std::string& fileName, const std::string& text, bool newCopy) {
  return FileHoldsText(fileName, text) || CommitSettingsText(fileName, text, newCopy ? kBackups : 0);
}

bool SaveAutoParamsTo(const std::string& fileName, const TSettingsModel& m) {
  return PutSettingsText(fileName, AutoParamsText(m));
}

namespace {

// What memory holds, with the moment given.
TSettingsWriter LocalSettingsWriter(const TSettingsModel& m, const TDateRec& lastDate, const TTimeRec& lastTime) {
  TSettingsWriter w;
  w.Section(kSecCommon);
  w.Key(4, kKeyMainRect, RectToStr(m.MainWindowRect));
  w.Key(4, kKeyBookRect, RectToStr(m.BookWindowRect));
  w.Key(4, kKeyTitle, m.Title);
  w.Key(4, kKeyLastDate, DateRecToStr(lastDate));
  w.Key(4, kKeyLastTime, TimeRecToStr(lastTime, false, true));
  w.Key(4, kKeyMouseScale, m.MouseScale);
  w.Key(4, kKeyDefaultFormat, m.DefaultFormatName);
  w.Key(4, kKeyCompressed, BoolToSettingText(m.CompressedPrint));
  w.Key(4, kKeySerialPort, m.SerialRecord.Hex());

  w.Section(kSecAutoParams);
  SaveAutoParamList(w, m.AutoParams, true);

  w.Section(kSecDocuments);
  for (int32_t i = 0; i < m.DocTree.TopCount(); ++i)
    SaveDocLayoutNode(w, 2, *m.DocTree.Top(i), i == 0);

  w.Section(kSecPanels);
  for (int32_t i = 0; i < m.Panels.Count(); ++i)
    w.Key(4, kKeyShow, std::to_string(i) + "," + BoolToSettingText(m.Panels.GetPanel(i)->Shown));

  w.Section(kSecFormats);
  for (int32_t i = 0; i < PageFormats().Count(); ++i) {
    std::string text;
    PageFormats().FormatToText(i, text);
    w.Key(4, kKeyPageFormat, text);
  }

  w.Section(kSecPrinter);
  w.Key(4, kKeyPrinterName, m.PrinterName);
  return w;
}

}  // namespace

std::string LocalSettingsText(const std::string& fileName, const TSettingsModel& m) {
  // Another program on the same program directory may have confirmed a
  // later moment since this one read the file: writing back the one this
  // program knows would take the clock back for the next start.
  TDateRec lastDate = m.LastDate;
  TTimeRec lastTime = m.LastTime;
  std::string theirs;
  TDateRec storedDate;
  TTimeRec storedTime;
  const bool stored = ReadOwnFile(fileName, theirs) && StoredMomentIn(theirs, storedDate, storedTime);
  if (stored && CompareDateTimeRec(storedDate, storedTime, lastDate, lastTime) == 2) {
    lastDate = storedDate;
    lastTime = storedTime;
  }
  std::string own = LocalSettingsWriter(m, lastDate, lastTime).Text();
  // A file without a moment is none that a program wrote; one never read
  // or written here has nothing to tell what this program changed.
  if (!stored || m.LocalSeenPath.empty() || !SameFileName(m.LocalSeenPath, fileName)) return own;
  return MergeLocalSettings(own, m.LocalSeen, theirs);
}

std::string LocalSettingsInMemory(const TSettingsModel& m) {
  return LocalSettingsWriter(m, m.LastDate, m.LastTime).Text();
}

void NoteLocalSettingsSeen(const std::string& fileName, TSettingsModel& m) {
  m.LocalSeenPath = fileName;
  m.LocalSeen = LocalSettingsInMemory(m);
}

std::vector<std::string> UnsavedLocalSettings(const TSettingsModel& m) {
  return ChangedLocalSettings(LocalSettingsInMemory(m), m.LocalSeenPath.empty() ? std::string() : m.LocalSeen);
}

bool SaveLocalSettingsTo(const std::string& fileName, TSettingsModel& m) {
  if (!PutSettingsText(fileName, LocalSettingsText(fileName, m))) return false;
  NoteLocalSettingsSeen(fileName, m);
  return true;
}

bool SaveConfiguration() { return SaveConfigurationTo(ProgramIniName(), Settings()); }
bool SaveAutoParams() { return SaveAutoParamsTo(ManagerIniName(), Settings()); }
bool SaveLocalSettings() { return SaveLocalSettingsTo(LocalIniName(), Settings()); }

}  // namespace vm
