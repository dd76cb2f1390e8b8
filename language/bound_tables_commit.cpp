#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/settings_syntax.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "platform/files.h"

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
  bool ok = fresh.CreateTableIn(TCommitJournal::MakeNewFile(path));
  for (int i = 0; ok && i < old.FieldCount(); ++i) ok = fresh.AddField(old.GetFieldDef(i));
  ok = ok && fresh.WriteStructure();
  const auto size = static_cast<std::size_t>(old.RecordSize());
  ok = ok && static_cast<std::size_t>(fresh.RecordSize()) == size;
  if (ok && old.OemCoded() == fresh.OemCoded()) {
    ok = fresh.AppendRecords(records.data(), records.size() / size);
  } else {
    std::vector<char> text(size);
    for (std::size_t pos = 0; ok && pos < records.size(); pos += size) {
      // Moving to the end clears the deletion mark, so it comes first.
      fresh.GoToRecord(fresh.RecCount() + 1);
      std::memcpy(old.RecordBytes(), &records[pos], size);
      old.GetRecordText(text.data());
      fresh.SetRecordText(text.data());
      ok = fresh.WriteRecord();
    }
  }
  if (!ok) fresh.AbandonRewrite();
  ok = fresh.Close() && ok;
  return ok && fresh.LostRecords() == 0;
}

bool Fail(std::string& failure, std::string text) {
  if (failure.empty()) failure = std::move(text);
  return false;
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
  std::unique_ptr<File> f = TCommitJournal::MakeNewFile(path);
  return f && f->WriteAt(0, bytes.data(), bytes.size());
}

enum class TPlanned { Elsewhere, Written, Failed };

// A whole file planned into the journal and its new bytes written beside
// it, unless it lies outside the journal's folder.
TPlanned PlanWholeFile(TCommitJournal& journal, const std::string& path, const std::string& bytes) {
  const std::string newFile = journal.NewFileFor(path);
  if (newFile.empty()) return TPlanned::Elsewhere;
  return WriteNewFile(newFile, bytes) ? TPlanned::Written : TPlanned::Failed;
}

}  // namespace

bool TBaseList::WriteSavedBases(std::string& failure) {
  std::vector<TWholeFile> none;
  return WriteSavedBases(failure, none);
}

bool TBaseList::WriteSavedBases(std::string& failure, std::vector<TWholeFile>& files) {
  failure.clear();
  // Each base once, at its last SAVEBASE.
  std::vector<TPlannedTable> tables;
  for (int32_t n = 1; n <= SaveCount; ++n) {
    TUBL* base = FindByNumber(n);
    if (base == nullptr || base->Table.OwnsDbf()) continue;
    // A base emptied by RESETRECORDS is written whole from the rows it
    // holds: updating in place would write only the changed rows into the
    // empty file and lose every row loaded back unchanged.
    if (!base->Truncate && !base->Table.Modified) continue;
    // The designer's stand-in for a base it has not created yet: its rows
    // would become the base's file, which a later save then takes for the
    // base's own. Nothing of the run is written.
    if (base->Base != nullptr && base->Base->Unsaved)
      return Fail(failure, "База данных "_w + base->Base->Alias +
                               " ещё не создана: сначала сохраните служебные настройки"_w);
    TDBF* dbf = base->Table.Dbf();
    // A table opened only for reading is written all the same: the new
    // file goes beside it and is renamed in, under the database lock.
    if (dbf == nullptr || !dbf->Active())
      return Fail(failure, "База данных "_w + base->Alias + " не открыта"_w);
    TPlannedTable t;
    t.Base = base;
    if (!base->Table.PlanSave(base->RewriteAll || base->Truncate, t.Plan))
      return Fail(failure, "Не удалось прочитать базу данных "_w + dbf->FileName);
    if (t.Plan.Nothing) continue;
    tables.push_back(std::move(t));
  }
  if (tables.empty() && files.empty()) return true;

  const std::string dir =
      FolderOf(tables.empty() ? files.front().Path : tables.front().Base->Table.Dbf()->FileName);
  TCommitJournal journal(dir);
  for (TWholeFile& file : files) {
    const TPlanned planned = PlanWholeFile(journal, file.Path, file.Bytes);
    if (planned == TPlanned::Elsewhere) continue;
    bool ok = planned == TPlanned::Written;
    // The copies change with the file, so that a commit that never stood
    // leaves them as they were.
    for (auto copy = file.Copies.begin(); ok && copy != file.Copies.end(); ++copy)
      ok = copy->Later || (copy->Remove ? journal.PlanRemove(copy->Path)
                                        : PlanWholeFile(journal, copy->Path, copy->Bytes) == TPlanned::Written);
    if (!ok) {
      journal.RollBack();
      return Fail(failure, "Не удалось записать файл "_w + file.Path);
    }
    file.Written = true;
  }
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
    Fail(failure,
         journal.Failure().empty() ? "Не удалось записать базы данных"_w : journal.Failure());
    for (TWholeFile& file : files) file.Written = false;
  } else {
    for (const TWholeFile& file : files)
      if (file.Written) SettingsCopiesPlaced(file.Copies);
  }
  for (TPlannedTable& t : tables) {
    TDBF& dbf = *t.Base->Table.Dbf();
    if (!dbf.Open()) ok = Fail(failure, "Не удалось открыть базу данных "_w + dbf.FileName);
    // A failed commit keeps what it was to do, so that it can be tried again.
    if (ok) {
      t.Base->Table.SaveDone(t.Plan);
      t.Base->Table.Modified = false;
      t.Base->Truncate = false;
      t.Base->RewriteAll = false;
    }
  }
  return ok;
}

}  // namespace vm
