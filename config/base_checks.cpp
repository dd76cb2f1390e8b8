#include "config/base_checks.h"

#include <vector>

#include "config/errorlog.h"
#include "config/sysvars.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
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

bool CopyRecords(TDBF& from, TDBF& to, std::string& failure) {
  const std::vector<int> map = FieldMap(from, to);
  const int number = to.FieldIndex(ReservedFields()[0].Name);
  std::string text;
  int32_t written = 0;
  for (int32_t rec = 1; rec <= from.RecCount(); ++rec) {
    if (rec % 100 == 0) Ui().ProcessMessages();
    from.GoToRecord(rec);
    const int state = from.ReadRecord();
    if (state < 0) {
      failure = "не читается запись "_w + std::to_string(rec);
      return false;
    }
    if (state == 1) continue;
    to.ClearRecordBuf();
    for (std::size_t i = 0; i < map.size(); ++i) {
      if (map[i] < 0) continue;
      from.GetFieldStr(map[i], text);
      to.SetFieldStr(static_cast<int>(i), text);
    }
    to.SetFieldInt(number, ++written);
    to.GoToRecord(written);
    if (!to.WriteRecord()) {
      failure = "ошибка записи"_w;
      return false;
    }
  }
  return true;
}

bool WriteRebuilt(const TDBF& templ, TDBF& old, const std::string& path, std::string& failure) {
  TDBF fresh;
  fresh.FileName = path;
  bool ok = fresh.CreateTableIn(TCommitJournal::MakeNewFile(path));
  for (int i = 0; ok && i < templ.FieldCount(); ++i) ok = fresh.AddField(templ.GetFieldDef(i));
  ok = ok && fresh.WriteStructure();
  if (!ok) failure = "не создается таблица "_w + path;
  ok = ok && old.OpenExclusive();
  if (!ok && failure.empty()) failure = "не открывается"_w;
  ok = ok && CopyRecords(old, fresh, failure);
  old.Close();
  if (!fresh.Close() && ok) {
    failure = "ошибка записи"_w;
    ok = false;
  }
  return ok;
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
  if (!WriteRebuilt(templ, base.Table, fresh, failure)) {
    journal.RollBack();
    return false;
  }
  if (journal.Begin() && journal.Replace() && journal.Finish()) return true;
  failure = journal.Failure();
  return false;
}

}  // namespace vm
