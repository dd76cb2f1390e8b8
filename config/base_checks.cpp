#include "config/base_checks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/errorlog.h"
#include "config/sysvars.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/field_intake.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

// The old table's field for each field of the new one, by exact name.
std::vector<int> FieldMap(const TDBF& from, const TDBF& to) {
  std::vector<int> map(static_cast<std::size_t>(to.FieldCount()), -1);
  for (int i = 0; i < to.FieldCount(); ++i)
    map[static_cast<std::size_t>(i)] = from.FieldIndex(to.GetFieldName(i));
  return map;
}

// Two number texts of the same value ("54.00" and "54"); false when either
// is no number.
bool SameNumber(std::string_view a, std::string_view b) {
  TDecimalDigits x, y;
  if (!ReadDecimalDigits(a, x) || !ReadDecimalDigits(b, y)) return false;
  for (TDecimalDigits* d : {&x, &y}) {
    while (d->Fraction > 0 && d->Mantissa % 10 == 0) {
      d->Mantissa /= 10;
      --d->Fraction;
    }
    if (d->Mantissa == 0) d->Negative = false;
  }
  return x.Mantissa == y.Mantissa && x.Fraction == y.Fraction && x.Negative == y.Negative;
}

// How each field of the new table takes the old one's values: as the old
// record holds them, or by value, one after another.
enum class TCarry : char { None, Bytes, Value };

// A field of the same kind and size keeps its bytes, whatever another
// program wrote there; so does a text field of another width, cut or
// padded, when both tables keep their text in the same code page. Any
// other takes each value by the rule of its kind.
TCarry CarryOf(const TFieldRecord& was, const TFieldRecord& is, bool sameCoding) {
  if (was.FieldType != is.FieldType) return TCarry::Value;
  if (is.FieldType == 'C') return sameCoding ? TCarry::Bytes : TCarry::Value;
  return was.Length == is.Length && was.Decimals == is.Decimals ? TCarry::Bytes : TCarry::Value;
}

// The values of one field that the new structure could not hold as they
// were: left blank (a value the field cannot hold at all) or kept in part
// (a text cut, a number rounded to fewer decimals).
struct TLostValues {
  int Field = 0;
  bool Blank = false;
  int32_t Count = 0;
  std::vector<int32_t> FirstRecords;  // in the old table
};

constexpr std::size_t kRecordsNamed = 10;

class TLossNotes {
 public:
  TLossNotes(const TDBF& from, const TDBF& to, const std::vector<int>& map)
      : carry_(map.size(), TCarry::None), checked_(map.size(), 0) {
    for (std::size_t i = 0; i < map.size(); ++i) {
      if (map[i] < 0) continue;
      const TFieldRecord was = from.GetFieldDef(map[i]);
      const TFieldRecord is = to.GetFieldDef(static_cast<int>(i));
      carry_[i] = CarryOf(was, is, from.OemCoded() == to.OemCoded());
      // A field taken by value may refuse any value; one taken as it stands
      // loses only what a narrower text field cuts.
      checked_[i] = carry_[i] == TCarry::Value || is.Length < was.Length;
    }
  }
  TCarry Carry(std::size_t field) const { return carry_[field]; }
  bool Checked(std::size_t field) const { return checked_[field] != 0; }

  // The value the old record held and whether the new one took it.
  void Note(const TDBF& to, int field, const std::string& value, bool stored, int32_t record) {
    if (stored) {
      to.GetFieldStr(field, readBack_);
      if (TrimBlanks(readBack_) == TrimBlanks(value)) return;
      // A number field that lost only zero decimals holds the same value.
      if (to.GetFieldDef(field).FieldType == 'N' && SameNumber(TrimBlanks(readBack_), TrimBlanks(value)))
        return;
    }
    TLostValues* lost = nullptr;
    for (TLostValues& l : lost_)
      if (l.Field == field && l.Blank == !stored) lost = &l;
    if (lost == nullptr) lost = &lost_.emplace_back(TLostValues{field, !stored, 0, {}});
    if (lost->FirstRecords.size() < kRecordsNamed) lost->FirstRecords.push_back(record);
    ++lost->Count;
  }
  // A line of "Errors.log" per field and kind, in the fields' order.
  std::vector<std::string> Lines(const TDBF& to, const std::string& table) const {
    std::vector<TLostValues> sorted = lost_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TLostValues& a, const TLostValues& b) { return a.Field < b.Field; });
    std::vector<std::string> lines;
    for (const TLostValues& l : sorted) {
      std::string records;
      for (int32_t r : l.FirstRecords) records += (records.empty() ? "" : ", ") + std::to_string(r);
      if (l.Count > static_cast<int32_t>(l.FirstRecords.size())) records += ", ...";
      lines.push_back("База "_w + table + ", поле "_w + to.GetFieldName(l.Field) +
                      ": не поместилось значений: "_w + std::to_string(l.Count) +
                      (l.Blank ? ", поле оставлено пустым"_w : ", сохранено не полностью"_w) +
                      " (записи прежней базы: "_w + records + ")");
    }
    return lines;
  }

 private:
  std::vector<TCarry> carry_;
  std::vector<char> checked_;
  std::vector<TLostValues> lost_;
  std::string readBack_;
};

// The old field's bytes into the new one, cut or padded with blanks.
void CopyFieldBytes(const TDBF& from, int was, TDBF& to, int is) {
  const auto width = static_cast<std::size_t>(to.GetFieldDef(is).Length);
  const std::size_t n = std::min(width, static_cast<std::size_t>(from.GetFieldDef(was).Length));
  uint8_t* p = to.RecordBytes() + to.FieldOffset(is);
  std::memcpy(p, from.RecordView() + from.FieldOffset(was), n);
  std::memset(p + n, ' ', width - n);
}

// The lines of "Errors.log" that name the values the new table could not
// hold go into lost.
bool CopyRecords(TDBF& from, TDBF& to, std::vector<std::string>& lost, std::string& failure) {
  const std::vector<int> map = FieldMap(from, to);
  TLossNotes notes(from, to, map);
  const int number = to.FieldIndex(ReservedFields()[0].Name);
  std::string text, value;
  int32_t written = 0;
  for (int32_t rec = 1; rec <= from.RecCount(); ++rec) {
    if (rec % 100 == 0) {
      Ui().ProcessMessages();
      Ui().SetProgressPosition(rec);
    }
    from.GoToRecord(rec);
    const int state = from.ReadRecord();
    if (state < 0) {
      failure = "не читается запись "_w + std::to_string(rec);
      return false;
    }
    if (state == 1) continue;
    to.ClearRecordBuf();
    for (std::size_t i = 0; i < map.size(); ++i) {
      const int field = static_cast<int>(i);
      bool stored = true;
      switch (notes.Carry(i)) {
        case TCarry::None:
          continue;
        case TCarry::Bytes:
          CopyFieldBytes(from, map[i], to, field);
          if (notes.Checked(i)) from.GetFieldStr(map[i], text);
          break;
        case TCarry::Value:
          from.GetFieldStr(map[i], text);
          stored = FieldTextOf(to.GetFieldDef(field), text, TIntake::Rebuilt, value) && to.SetFieldStr(field, value);
          break;
      }
      if (notes.Checked(i)) notes.Note(to, field, text, stored, rec);
    }
    to.SetFieldInt(number, ++written);
    to.GoToRecord(written);
    if (!to.WriteRecord()) {
      failure = "ошибка записи"_w;
      return false;
    }
  }
  lost = notes.Lines(to, from.FileName);
  return true;
}

bool WriteRebuilt(const TDBF& templ, TDBF& old, const std::string& path, std::vector<std::string>& lost,
                  std::string& failure) {
  TDBF fresh;
  fresh.FileName = path;
  bool ok = fresh.CreateTableIn(TCommitJournal::MakeNewFile(path));
  for (int i = 0; ok && i < templ.FieldCount(); ++i) ok = fresh.AddField(templ.GetFieldDef(i));
  ok = ok && fresh.WriteStructure();
  if (!ok) failure = "не создается таблица "_w + path;
  ok = ok && old.OpenExclusive();
  if (!ok && failure.empty()) failure = "не открывается"_w;
  if (ok) {
    // The name alone: a long data path would carry the window off the screen.
    Ui().ShowProgressMessage("База "_w + GetFileNamePart(old.FileName) + " не соответствует эталону, корректируется"_w,
                             old.RecCount());
    ok = CopyRecords(old, fresh, lost, failure);
    Ui().HideProgressMessage();
  }
  old.Close();
  if (!fresh.Close() && ok) {
    failure = "ошибка записи"_w;
    ok = false;
  }
  return ok;
}

// A name beside the table for its copy that no earlier copy has taken:
// "goods.dbf.old", "goods.dbf.old2", ...; "" when all are taken.
std::string FreeCopyName(const std::string& table) {
  for (int n = 1; n < 100; ++n) {
    const std::string name = table + ".old" + (n > 1 ? std::to_string(n) : "");
    if (!Files().Exists(name) && !Files().IsSymlink(name)) return name;
  }
  return {};
}

// A local database: compared, created or rebuilt; false when the start-up
// must end.
bool CheckLocalBase(TDbaseStructure& base, TDBF& templ, int64_t& totalSize) {
  TDBF& table = base.Table;
  const std::string& name = table.FileName;
  // The date index is the program's own: its fields follow the databases,
  // so it is made at the first start and made again whenever a database
  // comes or goes. Neither is a fault of the configuration to note.
  const bool noted = !base.System;
  if (table.OpenExclusive()) {
    const bool same = table.SameStructure(templ);
    table.Close();
    if (!same) {
      if (noted) LogError("База "_w + name + " не соответствует эталону, корректируется"_w);
      std::string failure;
      if (!RestructureBase(templ, base, failure)) {
        const std::string text = "База "_w + GetFileNamePart(name) + " не скорректирована ("_w +
                                 failure + "). Исправте ошибку и перезапустите программу"_w;
        LogError(text);
        Ui().MsgBox(text, Ui().AppTitle(), kMbError);
        return false;
      }
    }
  } else if (Files().Exists(name)) {
    Ui().MsgBox("База "_w + GetFileNamePart(name) +
                    " занята или испорчена. Исправте ошибку и перезапустите программу"_w,
                Ui().AppTitle(), kMbError);
    return false;
  } else {
    if (noted) LogError("База "_w + name + " не существует, создается"_w);
    bool ok = table.CreateTable();
    for (int i = 0; ok && i < templ.FieldCount(); ++i) ok = table.AddField(templ.GetFieldDef(i));
    ok = ok && table.WriteStructure();
    if (!table.Close() || !ok) {
      Ui().MsgBox("База "_w + GetFileNamePart(name) +
                      " не создается. Исправте ошибку и перезапустите программу"_w,
                  Ui().AppTitle(), kMbError);
      return false;
    }
  }
  const int64_t size = Files().FileSize(name);
  if (size > 0) totalSize += size;
  return true;
}

}  // namespace

void MakeTemplate(const TDbaseStructure& base, TDBF& templ) {
  templ.Reset();
  for (const TFieldRecord& f : ReservedFields()) templ.AddField(f);
  for (const TFieldRecord& f : base.Fields) templ.AddField(f);
}

bool CheckBases(TUsedBaseList& bases, bool localBases, int64_t& totalSize) {
  totalSize = 0;
  TDBF templ;
  for (int32_t i = 0; i < bases.Count(); ++i) {
    TDbaseStructure& base = *bases.GetItem(i);
    if (!localBases) {
      base.Table.OpenReadOnly();
      base.Table.Close();
      continue;
    }
    MakeTemplate(base, templ);
    if (!CheckLocalBase(base, templ, totalSize)) return false;
  }
  return true;
}

bool RestructureBase(const TDBF& templ, TDbaseStructure& base, std::string& failure) {
  const std::string target = base.Table.FileName;
  TCommitJournal journal(GetFileDirPart(target));
  const std::string fresh = journal.NewFileFor(target);
  if (fresh.empty()) {
    failure = "не создается таблица рядом с базой"_w;
    return false;
  }
  std::vector<std::string> lost;
  if (!WriteRebuilt(templ, base.Table, fresh, lost, failure)) {
    journal.RollBack();
    return false;
  }
  // Values the new structure cannot hold are not dropped without a word:
  // each is named, and the old table is kept whole beside the new one, so
  // that they can be taken back from it.
  std::string copy;
  if (!lost.empty()) {
    copy = FreeCopyName(target);
    if (copy.empty() || !CopyFileOver(target, copy)) {
      journal.RollBack();
      failure = "не сохраняется копия прежней базы "_w + (copy.empty() ? target + ".old" : copy);
      return false;
    }
  }
  if (!journal.Begin() || !journal.Replace() || !journal.Finish()) {
    failure = journal.Failure();
    if (!copy.empty()) Files().Remove(copy);
    return false;
  }
  for (const std::string& line : lost) LogError(line);
  if (!copy.empty()) LogError("Прежняя база "_w + target + " сохранена в файле "_w + copy);
  return true;
}

}  // namespace vm
