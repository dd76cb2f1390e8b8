#include "documents/document_commit.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "config/settings.h"
#include "config/sysvars.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "foundation/text/strutils.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

// One table of the commit: its binding and the records it is to hold.
struct TPlannedTable {
  TUBL* Base = nullptr;
  TPendingSave Plan;
  std::string NewFile;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// The new content of a table written whole at path, with the fields of the
// table it replaces. Text goes through the record's text when the old file
// keeps its text in another code page than the new one.
bool WriteNewTable(TDBF& old, const std::string& path, const std::vector<uint8_t>& records) {
  TDBF fresh;
  fresh.FileName = path;
  bool ok = fresh.CreateTable();
  for (int i = 0; ok && i < old.FieldCount(); ++i) ok = fresh.AddField(old.GetFieldDef(i));
  ok = ok && fresh.WriteStructure();
  const auto size = static_cast<std::size_t>(old.RecordSize());
  ok = ok && static_cast<std::size_t>(fresh.RecordSize()) == size;
  std::vector<char> text(size);
  for (std::size_t pos = 0; ok && pos < records.size(); pos += size) {
    // Moving to the end clears the deletion mark, so it comes first.
    fresh.GoToRecord(fresh.RecCount() + 1);
    if (old.OemCoded() == fresh.OemCoded()) {
      std::memcpy(fresh.RecordBytes(), &records[pos], size);
    } else {
      std::memcpy(old.RecordBytes(), &records[pos], size);
      old.GetRecordText(text.data());
      fresh.SetRecordText(text.data());
    }
    ok = fresh.WriteRecord();
  }
  if (!ok) fresh.AbandonRewrite();
  ok = fresh.Close() && ok;
  return ok && fresh.LostRecords() == 0;
}

bool Fail(std::string& failure, std::string text) {
  if (failure.empty()) failure = std::move(text);
  return false;
}

}  // namespace

bool CommitBases(TBaseList& bases, std::string& failure) {
  failure.clear();
  // Each base once, at its last SAVEBASE.
  std::vector<TPlannedTable> tables;
  for (int32_t n = 1; n <= bases.SaveCount; ++n) {
    TUBL* base = bases.FindByNumber(n);
    if (base == nullptr || base->Table.OwnsDbf()) continue;
    if (!base->Truncate && !base->Table.Modified) continue;
    TDBF* dbf = base->Table.Dbf();
    if (dbf == nullptr || !dbf->Active() || dbf->ReadOnly())
      return Fail(failure, "База данных "_w + base->Alias + " открыта только для чтения"_w);
    TPlannedTable t;
    t.Base = base;
    if (!base->Table.PlanSave(base->RewriteAll, base->Truncate, t.Plan))
      return Fail(failure, "Не удалось прочитать базу данных "_w + dbf->FileName);
    if (t.Plan.Nothing) continue;
    tables.push_back(std::move(t));
  }
  if (tables.empty()) return true;

  const std::string dir = FolderOf(tables.front().Base->Table.Dbf()->FileName);
  TCommitJournal journal(dir);
  for (TPlannedTable& t : tables) {
    TDBF& dbf = *t.Base->Table.Dbf();
    t.NewFile = journal.NewFileFor(dbf.FileName);
    if (t.NewFile.empty() || !WriteNewTable(dbf, t.NewFile, t.Plan.Records)) {
      if (!t.NewFile.empty()) Files().Remove(t.NewFile);
      journal.RollBack();
      return Fail(failure, "Не удалось записать базу данных "_w + dbf.FileName);
    }
  }
  // The old files must be let go before they are renamed away; the tables
  // open again on whatever stands after the commit.
  for (TPlannedTable& t : tables) t.Base->Table.Dbf()->Close();
  bool ok = journal.Begin() && journal.Replace() && journal.Finish();
  if (!ok) {
    journal.RollBack();
    Fail(failure, journal.Failure().empty() ? "Не удалось записать базы данных"_w : journal.Failure());
  }
  for (TPlannedTable& t : tables) {
    TDBF& dbf = *t.Base->Table.Dbf();
    if (!dbf.Open()) ok = Fail(failure, "Не удалось открыть базу данных "_w + dbf.FileName);
    if (ok) {
      t.Base->Table.SaveDone(t.Plan);
      t.Base->Table.Modified = false;
      t.Base->Truncate = false;
    }
  }
  return ok;
}

namespace {

// NO_OPERAT moves on by one; a value that is no number starts again at 0.
void NextOperationNumber() {
  const std::string text = TrimBlanks(GetSysVarText(kSysVarNoOperat, 0, 0));
  char* end = nullptr;
  const long double v = text.empty() ? 0 : std::strtold(text.c_str(), &end);
  std::string next = "0";
  if (!text.empty() && end != nullptr && *end == 0 && std::isfinite(v) && std::fabs(v) < 1e15L)
    next = std::to_string(std::llround(v) + 1);
  SetSysVarText(kSysVarNoOperat, next);
}

}  // namespace

void ReportResultsNotSaved(uint32_t flags) {
  Ui().MsgBox("При выполнении операции были ошибки! Результаты не будут сохранены!"_w, "Внимание!"_w, flags);
}

bool CommitDocument(TCompiledDocument& doc) {
  if (Ui().DesignerTestRun()) return false;
  if (Interp().Aborted()) {
    ReportResultsNotSaved(kMbInformation);
    return false;
  }
  TSettingsModel& m = Settings();
  // The parameters go back only once the bases are in: a commit that failed
  // leaves nothing of the run behind, in memory or on disk.
  std::string failure;
  if (!CommitBases(doc.Bases, failure)) {
    Ui().LogError(failure);
    Ui().MsgBox(failure + "\r"_w + "Результаты не сохранены."_w, "Ошибка"_w, kMbError);
    return false;
  }
  doc.AutoParams.List().CopyTo(m.AutoParams);
  NextOperationNumber();
  bool saved = SaveAutoParams();
  saved = SaveLocalSettings() && saved;
  if (!saved) {
    const std::string text = "Не удалось сохранить параметры программы"_w;
    Ui().LogError(text);
    Ui().MsgBox(text, "Ошибка"_w, kMbError);
    return false;
  }
  return true;
}

}  // namespace vm
