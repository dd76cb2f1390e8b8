#include "archive/archive_period.h"

#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "archive/archive_store.h"
#include "archive/command_frame.h"
#include "archive/own_folders.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/field_intake.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "archive/check/archive_check.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr const char* kOldNoField = "__OLDNO__";
// What CompareDateRec gives for a date after the other.
constexpr int kLater = 2;

// What one command keeps of one base of the configuration.
struct TBaseRun {
  TBaseArchive* Entry = nullptr;
  TDBF* Work = nullptr;
  int32_t Count = 0;
  int32_t Remaining = 0;
  // Records written to the corrected copy.
  int32_t Kept = 0;
  // Link targets: the new number of every working record (0: none kept
  // up to it).
  std::vector<int32_t> Renumber;
  std::unique_ptr<TDBF> Corrected;
  std::string CorrectedPath;
  int NoField = -1;
  // Restore: the archive table's fields lie as the working table's.
  bool SameLayout = false;
  // Restore: for each field of the archive table, its length when its field
  // of the working table is the same as when it was archived, and so takes
  // the archived text as it stands; 0 when that field changed.
  std::vector<int32_t> Unchanged;
  // Archive, a table of groups: what the analysis read of each record, so
  // that the save need not read it again.
  std::vector<int32_t> Groups;
  std::vector<uint8_t> Later;
};

std::unique_ptr<TDBF> CreateWorkTable(const TDBF& src, const std::string& path, bool withOldNo) {
  auto t = std::make_unique<TDBF>();
  t->FileName = path;
  if (!t->CreateTable()) return nullptr;
  for (int i = 0; i < src.FieldCount(); ++i)
    if (!t->AddField(src.GetFieldDef(i))) return nullptr;
  if (withOldNo && !t->AddFieldEx(kOldNoField, 11, 'N', 0)) return nullptr;
  if (!t->WriteStructure()) return nullptr;
  return t;
}

TDateRec RecordDate(const TBaseRun& run) {
  bool error = false;
  const TDateRec d = run.Work->GetFieldDate(run.Entry->DateIndex, error);
  // An empty or broken date is older than any cut date.
  return error ? TDateRec{} : d;
}

int32_t GroupValue(const TBaseRun& run) {
  bool error = false;
  const int32_t g = run.Work->GetFieldInt(run.Entry->GroupIndex, error);
  return error ? 0 : g;
}

// A link field's value through the target's new numbers: the number, or
// "???" when the record it named has none, or the field cannot hold its
// new number (blank when it cannot hold "???" either): the old number
// would name another record.
void RenumberLink(TDBF& table, int field, int32_t value, bool valid, const std::vector<int32_t>& renumber) {
  const int32_t n = valid && value >= 1 && static_cast<std::size_t>(value) <= renumber.size()
                        ? renumber[static_cast<std::size_t>(value - 1)]
                        : 0;
  if (n >= 1 && table.SetFieldInt(field, n)) return;
  if (!table.SetFieldStr(field, "???")) table.SetFieldStr(field, "");
}

// An archived value into its field of the restored table, which has
// become narrower or of another kind since: only a value of the field's
// kind, a number digit for digit (FieldTextOf), any other text whole. A
// number rounded or cut would be read apart from the one its movements
// add up to, and the 80-bit numbers hold no more than about 19 digits.
bool PutArchivedValue(TDBF& out, int field, const TFieldRecord& def, const std::string& value) {
  std::string stored;
  return FieldTextOf(def, value, TIntake::Archived, stored) && stored.size() <= static_cast<std::size_t>(def.Length) &&
         out.SetFieldStr(field, stored);
}

// A value the restored table cannot hold as it was ends the restore before
// anything is replaced, rather than coming back blank, cut or rounded.
void RestoreField(const TBaseArchive& base, TDBF& out, int field, const std::string& value) {
  const TFieldRecord def = out.GetFieldDef(field);
  if (PutArchivedValue(out, field, def, value)) return;
  throw TArchiveFault("База "_w + base.Alias + ", поле "_w + def.Name + ": значение "_w + TrimBlanks(value) +
                      " не помещается в поле"_w);
}

// Moves a finished work file to where a commit wants its new content.
bool MoveInto(const std::string& from, const std::string& to) {
  return Files().Rename(from, to) || (CopyFileOver(from, to) && EraseFile(from));
}

// Lets the system start putting a finished work file on the disk while the
// command goes on; the commit then only waits for it.
void StartWriting(const std::string& path) {
  if (const auto f = Files().Open(path, FileMode::Read)) f->StartSync();
}

// What one command changes in the data folder, as one commit.
struct TPeriodCommit {
  std::vector<std::pair<std::string, std::string>> Moves;  // work file, its place
  std::vector<TArchiveListRecord> List;
  std::string Removed;  // a file of "ARCHIVE" that goes
};

// How a restore ended: the user stopped it before anything began (no
// closing message), or it ran to success or failure.
enum class TRestoreEnd { Stopped, Done, Failed };

class TPeriodCommand {
 public:
  TPeriodCommand(TArchiveConfig& config, const TArchiveEnv& env)
      : config_(config), env_(env), scratch_(env.WorkDir()) {}
  ~TPeriodCommand() { CleanUp(); }

  bool Archive(const TDateRec& cut);
  TRestoreEnd Restore();
  // Every table closed, the work tables dropped and "WORK" emptied.
  void CleanUp();

 private:
  bool PrepareFolders();
  bool AddRuns();
  bool Fail(const std::string& text, const std::string& caption) {
    Ui().MsgBox(text, caption, kMbError);
    return false;
  }
  bool Analyse(const TDateRec& cut, TArchiveGauge& gauge);
  bool Save(const TDateRec& cut, TArchiveGauge& gauge);
  bool CorrectLinks();
  bool CloseWorkTables();
  bool Commit(const TPeriodCommit& plan);
  std::vector<int32_t>* RenumberOf(const TBaseArchive* target);
  // The merge of the working records with the archived ones back into
  // their former places; step gets (from the archive, record, position).
  template <typename Step>
  bool MergeWalk(TBaseRun& run, TArchiveGauge& gauge, Step step);
  bool OpenArchiveTable(TBaseRun& run, bool& differs);
  bool RestoreRecord(TBaseRun& run, bool fromArchive, int32_t n);
  bool RestoreRecords(int32_t index, const TArchiveListRecord& record);

  TArchiveConfig& config_;
  const TArchiveEnv& env_;
  // "WORK" is emptied before every command and its files reach the data
  // folder only through the commit, which puts them on the disk itself.
  ScratchFolder scratch_;
  std::vector<TBaseRun> runs_;
  std::unordered_set<int32_t> keptGroups_;
};

bool TPeriodCommand::PrepareFolders() {
  return OwnFoldersSound(env_.Dir, {"WORK", "ARCHIVE"}) && CheckDirExists(env_.WorkDir(), true) &&
         CheckDirExists(env_.ArchiveDir(), true) && ClearDirFiles(env_.WorkDir());
}

std::vector<int32_t>* TPeriodCommand::RenumberOf(const TBaseArchive* target) {
  for (TBaseRun& r : runs_)
    if (r.Entry == target) return &r.Renumber;
  return nullptr;
}

bool TPeriodCommand::AddRuns() {
  runs_.clear();
  for (int32_t i = 0; i < config_.Count(); ++i) {
    TBaseRun& run = runs_.emplace_back();
    run.Entry = config_.GetBase(i);
    run.Work = run.Entry->Dbf;
    if (!run.Work || !run.Work->Active()) return false;
    run.Count = run.Work->RecCount();
    run.Remaining = run.Count;
    run.CorrectedPath = env_.WorkDir() + GetFileNamePart(run.Entry->FileName);
    run.NoField = run.Work->FieldIndex("NO__");
    if (run.Entry->IsLinkTarget) {
      try {
        run.Renumber.assign(static_cast<std::size_t>(run.Count), 0);
      } catch (const std::bad_alloc&) {
        return Fail("Недостаточно памяти  !"_w, "Ошибка"_w);
      }
    }
    run.Corrected = CreateWorkTable(*run.Work, run.CorrectedPath, false);
    if (!run.Corrected) return false;
  }
  return true;
}

bool TPeriodCommand::Analyse(const TDateRec& cut, TArchiveGauge& gauge) {
  for (TBaseRun& run : runs_) {
    if (run.Entry->GroupIndex < 0) continue;
    try {
      run.Groups.assign(static_cast<std::size_t>(run.Count), 0);
      run.Later.assign(static_cast<std::size_t>(run.Count), 0);
    } catch (const std::bad_alloc&) {
      return Fail("Недостаточно памяти  !"_w, "Ошибка"_w);
    }
    const bool conditional = !TrimBlanks(run.Entry->Condition).empty();
    run.Work->GoToRecord(1);
    for (int32_t r = 1; r <= run.Count; ++r) {
      const int state = run.Work->ReadRecord();
      gauge.Advance();
      if (state < 0) return false;
      if (state == 1) continue;
      const auto at = static_cast<std::size_t>(r - 1);
      const int32_t group = run.Groups[at] = GroupValue(run);
      if (CompareDateRec(RecordDate(run), cut) == kLater) {
        run.Later[at] = 1;
        keptGroups_.insert(group);
        continue;
      }
      // The kept last record holds its group back only beside a condition;
      // without one it stays alone and its group's older records still go.
      const TArchiveVerdict verdict =
          conditional ? EvalArchiveCondition(*run.Entry) : TArchiveVerdict::NoCondition;
      if (verdict != TArchiveVerdict::NoCondition &&
          (verdict == TArchiveVerdict::NonZero || (run.Entry->KeepLast && r == run.Count)))
        keptGroups_.insert(group);
    }
  }
  return true;
}

bool TPeriodCommand::Save(const TDateRec& cut, TArchiveGauge& gauge) {
  for (TBaseRun& run : runs_) {
    TDBF& archive = *run.Entry->ArchiveTable;
    TDBF& kept = *run.Corrected;
    const int oldNo = archive.FieldIndex(kOldNoField);
    const std::size_t size = static_cast<std::size_t>(run.Work->RecordSize());
    const bool grouped = run.Entry->GroupIndex >= 0;
    const bool conditional = !TrimBlanks(run.Entry->Condition).empty();
    int32_t archived = 0;
    run.Work->GoToRecord(1);
    for (int32_t r = 1; r <= run.Count; ++r) {
      const int state = run.Work->ReadRecord();
      gauge.Advance();
      if (state < 0) return false;
      // A deleted record is neither archived nor dropped: it keeps its place
      // so that every number after it stays right.
      const auto at = static_cast<std::size_t>(r - 1);
      bool toArchive = state == 0 && !(run.Entry->KeepLast && r == run.Count) &&
                       (grouped ? !run.Later[at] && !keptGroups_.contains(run.Groups[at])
                                : CompareDateRec(RecordDate(run), cut) != kLater);
      if (toArchive && conditional)
        toArchive = EvalArchiveCondition(*run.Entry) == TArchiveVerdict::Zero;
      if (toArchive) {
        --run.Remaining;
        ++archived;
        std::memcpy(archive.RecordBytes(), run.Work->RecordView(), size);
        archive.SetFieldInt(oldNo, r);
        if (!archive.WriteRecord()) return false;
      } else {
        std::memcpy(kept.RecordBytes(), run.Work->RecordView(), size);
        if (run.NoField >= 0 && state == 0) kept.SetFieldInt(run.NoField, r - archived);
        if (!kept.WriteRecord()) return false;
        ++run.Kept;
      }
      if (!run.Renumber.empty()) run.Renumber[static_cast<std::size_t>(r - 1)] = r - archived;
    }
  }
  return true;
}

bool TPeriodCommand::CloseWorkTables() {
  bool ok = true;
  for (TBaseRun& run : runs_) {
    if (run.Corrected && run.Corrected->Active()) ok = run.Corrected->Close() && ok;
    TDBF* archive = run.Entry->ArchiveTable.get();
    if (archive && archive->Active()) ok = archive->Close() && ok;
  }
  return ok;
}

bool TPeriodCommand::CorrectLinks() {
  int64_t total = 0;
  for (const TBaseRun& run : runs_)
    if (run.Entry->LinkCount() > 0) total += run.Kept;
  if (total == 0) return true;
  TArchiveGauge gauge("Идет корректировка баз данных ..."_w, total);
  for (TBaseRun& run : runs_) {
    if (run.Entry->LinkCount() == 0) continue;
    TDBF& t = *run.Corrected;
    t.FileName = run.CorrectedPath;
    if (!t.OpenExclusive()) return false;
    const int32_t count = t.RecCount();
    for (int32_t r = 1; r <= count; ++r) {
      t.GoToRecord(r);
      const int state = t.ReadRecord();
      if (state < 0) return false;
      for (const TBaseArchive::TLink& link : run.Entry->Links) {
        bool error = false;
        const int32_t value = t.GetFieldInt(link.Field, error);
        if (!error) RenumberLink(t, link.Field, value, true, *RenumberOf(link.Target));
      }
      t.GoToRecord(r);
      t.SetDeleted(state == 1);
      if (!t.WriteRecord()) return false;
      gauge.Advance();
    }
    if (!t.Close()) return false;
  }
  return true;
}

bool TPeriodCommand::Commit(const TPeriodCommit& plan) {
  TCommitJournal journal(env_.Dir);
  auto give = [&](const std::string& target) {
    const std::string path = journal.NewFileFor(target);
    if (path.empty()) throw TArchiveFault("Файл не в каталоге данных: "_w + target);
    return path;
  };
  bool ok = true;
  try {
    for (TBaseRun& run : runs_) run.Work->Close();
    for (const auto& [from, to] : plan.Moves) ok = ok && MoveInto(from, give(to));
    ok = ok && WriteArchiveList(give(env_.ListFile()), plan.List);
    if (ok && !plan.Removed.empty()) ok = journal.PlanRemove(plan.Removed);
    if (ok && env_.SaveConfig) ok = env_.SaveConfig(give(env_.ConfigFile));
  } catch (const TArchiveFault&) {
    ok = false;
  }
  ok = ok && journal.Begin() && journal.Replace() && journal.Finish();
  if (!ok) {
    journal.RollBack();
    if (!journal.Failure().empty()) Ui().LogError(journal.Failure());
  }
  return ok;
}

bool TPeriodCommand::Archive(const TDateRec& cut) {
  if (!PrepareFolders() || !AddRuns()) return false;
  int64_t records = 0, groups = 0, bytes = 0;
  for (TBaseRun& run : runs_) {
    records += run.Count;
    if (run.Entry->GroupIndex >= 0) groups += run.Count;
    TBaseArchive& e = *run.Entry;
    e.ArchiveTable = CreateWorkTable(*run.Work, env_.WorkDir() + e.PackName, true);
    if (!e.ArchiveTable) return false;
    bytes += run.Work->GetFileSize();
  }
  const int64_t free = env_.FreeBytes ? env_.FreeBytes(env_.Dir) : -1;
  if (free >= 0 && 4 * bytes > free) {
    ReportNoDiskSpace(env_.Disk);
    return false;
  }
  {
    TArchiveGauge gauge("Идет анализ баз данных ..."_w, records + groups);
    if (!Analyse(cut, gauge)) return false;
    Ui().SetProgressText("Идет сохранение баз данных ..."_w);
    if (!Save(cut, gauge)) return false;
  }
  if (!CloseWorkTables() || !CorrectLinks()) return false;
  for (const TBaseRun& run : runs_) StartWriting(run.CorrectedPath);

  int32_t& next = NextArchiveNumber();
  int32_t last = -1;
  if (!ReadArchiveList(env_.ListFile(), last)) return false;
  if (next <= last) next = last + 1;
  const int32_t highest = MaxNumberedFileName(env_.ArchiveDir(), "*.*");
  if (next <= highest) next = highest + 1;
  const std::string name = ArchiveNumberStr(next);

  TArchiveListRecord record;
  record.ConfigName = config_.Name;
  record.ConfigID = config_.ID;
  record.Sequence = config_.ArchiveNo;
  record.CafName = name + ".CAF";
  record.BhName = name + ".BH";
  GetNowRec(record.Made, record.MadeTime);
  record.CutDate = cut;
  if (!MergeBasesToCaf(config_, env_.WorkDir(), env_.WorkDir() + record.CafName)) return false;
  record.Packed = env_.Packer && env_.Packer->PackCafToArchive(env_.WorkDir() + name) ? 1 : 0;
  const std::string target = env_.ArchiveDir() + record.KeptFile();
  if (Files().Exists(target)) return Fail("Не могу записать файл "_w + target + " !", "Ошибка"_w);

  TPeriodCommit plan;
  for (TBaseRun& run : runs_) plan.Moves.emplace_back(run.CorrectedPath, run.Work->FileName);
  plan.Moves.emplace_back(env_.WorkDir() + record.KeptFile(), target);
  plan.List = LoadArchiveList(env_.ListFile());
  plan.List.push_back(record);
  ++next;
  ++config_.ArchiveNo;
  if (Commit(plan)) {
    SetArchiveAttributes(target, true);
    return true;
  }
  --next;
  --config_.ArchiveNo;
  return false;
}

template <typename Step>
bool TPeriodCommand::MergeWalk(TBaseRun& run, TArchiveGauge& gauge, Step step) {
  TDBF& archive = *run.Entry->ArchiveTable;
  const int oldNoField = archive.FieldCount() - 1;
  const int32_t workCount = run.Count, archiveCount = archive.RecCount();
  int32_t w = 1, a = 1, n = 1, oldNo = 0;
  bool haveArchive = false;
  while (w <= workCount || a <= archiveCount) {
    if (a <= archiveCount && !haveArchive) {
      archive.GoToRecord(a);
      bool error = false;
      if (archive.ReadRecord() < 0) return false;
      oldNo = archive.GetFieldInt(oldNoField, error);
      if (error) return false;
      haveArchive = true;
    }
    const bool fromArchive = a <= archiveCount && (w > workCount || oldNo <= n);
    if (fromArchive) {
      if (!step(true, a, n)) return false;
      ++a;
      haveArchive = false;
    } else {
      run.Work->GoToRecord(w);
      if (run.Work->ReadRecord() < 0 || !step(false, w, n)) return false;
      ++w;
    }
    ++n;
    gauge.Advance();
  }
  return true;
}

bool TPeriodCommand::OpenArchiveTable(TBaseRun& run, bool& differs) {
  TBaseArchive& e = *run.Entry;
  e.ArchiveTable = std::make_unique<TDBF>();
  e.ArchiveTable->FileName = env_.WorkDir() + e.PackName;
  if (!e.ArchiveTable->OpenExclusive()) return false;
  const TDBF& a = *e.ArchiveTable;
  if (a.FieldCount() < 1 || a.GetFieldName(a.FieldCount() - 1) != kOldNoField) return false;
  e.AllocFieldMap();
  std::fill(e.FieldMap.begin(), e.FieldMap.end(), -1);
  run.SameLayout = a.FieldCount() == run.Work->FieldCount() + 1;
  run.Unchanged.assign(static_cast<std::size_t>(e.MapCount()), 0);
  for (int i = 0; i < run.Work->FieldCount(); ++i) {
    const TFieldRecord def = run.Work->GetFieldDef(i);
    const int j = a.FieldIndex(def.Name);
    if (j < 0 || j >= e.MapCount()) {
      differs = true;
      run.SameLayout = false;
      continue;
    }
    e.FieldMap[static_cast<std::size_t>(j)] = i;
    const TFieldRecord got = a.GetFieldDef(j);
    if (got.FieldType != def.FieldType) differs = true;
    const bool same = got.FieldType == def.FieldType && got.Length == def.Length && got.Decimals == def.Decimals;
    run.Unchanged[static_cast<std::size_t>(j)] = same ? got.Length : 0;
    if (j != i || !same) run.SameLayout = false;
  }
  return true;
}

bool TPeriodCommand::RestoreRecord(TBaseRun& run, bool fromArchive, int32_t n) {
  TDBF& out = *run.Corrected;
  TBaseArchive& e = *run.Entry;
  if (fromArchive) {
    TDBF& a = *e.ArchiveTable;
    if (run.SameLayout) {
      std::memcpy(out.RecordBytes(), a.RecordView(), static_cast<std::size_t>(out.RecordSize()));
      out.SetDeleted(false);
    } else {
      out.ClearRecordBuf();
      for (int32_t j = 0; j < e.MapCount(); ++j) {
        const int field = e.FieldMap[static_cast<std::size_t>(j)];
        if (field < 0) continue;
        if (const int32_t length = run.Unchanged[static_cast<std::size_t>(j)]; length > 0) {
          std::memcpy(out.RecordBytes() + out.FieldOffset(field), a.RecordView() + a.FieldOffset(j),
                      static_cast<std::size_t>(length));
        } else {
          RestoreField(e, out, field, a.GetFieldStr(j));
        }
      }
    }
  } else {
    std::memcpy(out.RecordBytes(), run.Work->RecordView(), static_cast<std::size_t>(out.RecordSize()));
    for (const TBaseArchive::TLink& link : e.Links) {
      bool error = false;
      const int32_t value = run.Work->GetFieldInt(link.Field, error);
      RenumberLink(out, link.Field, value, !error, *RenumberOf(link.Target));
    }
  }
  if (run.NoField >= 0) out.SetFieldInt(run.NoField, n);
  return out.WriteRecord();
}

TRestoreEnd TPeriodCommand::Restore() {
  const std::string caption = "Восстановление данных"_w;
  TArchiveListRecord record;
  const int32_t index = Files().Exists(env_.ListFile()) ? FindLastArchiveOfConfig(env_.ListFile(), config_.ID, record) : -1;
  if (index < 0) {
    Ui().MsgBox("Архивы по конфигурации '"_w + config_.Name + "' не найдены !"_w, caption, kMbInformation);
    return TRestoreEnd::Stopped;
  }
  if (record.Sequence != config_.ArchiveNo - 1 &&
      Ui().MsgBox("Нарушена непрерывность архивов! Продолжить ?"_w, caption, kMbYesNoQuestion) != kIdYes)
    return TRestoreEnd::Stopped;
  if (Ui().MsgBox("Вы действительно желаете восстановить данные по конфигурации '"_w + config_.Name +
                      "', удаленные по "_w + DateRecToLongStr(record.CutDate) + " включительно, заархивированные "_w +
                      DateRecToLongStr(record.Made) + " ?",
                  caption, kMbYesNoQuestion) != kIdYes)
    return TRestoreEnd::Stopped;
  return RestoreRecords(index, record) ? TRestoreEnd::Done : TRestoreEnd::Failed;
}

bool TPeriodCommand::RestoreRecords(int32_t index, const TArchiveListRecord& record) {
  const std::string caption = "Восстановление данных"_w;
  // Only names of the list's own pattern reach the file system.
  const std::string kept = record.KeptFile();
  if (!IsArchiveFileName(record.CafName, ".CAF") || !IsArchiveFileName(kept, record.Packed ? ".BH" : ".CAF"))
    throw TArchiveFault("Испорчена запись списка архивов"_w);
  if (!PrepareFolders()) return false;
  const std::string source = env_.ArchiveDir() + kept;
  int64_t needed = 0;
  for (int32_t i = 0; i < config_.Count(); ++i) needed += config_.GetBase(i)->Dbf->GetFileSize();
  needed = 4 * (needed + std::max<int64_t>(Files().FileSize(source), 0) * (record.Packed ? 15 : 1));
  const int64_t free = env_.FreeBytes ? env_.FreeBytes(env_.Dir) : -1;
  if (free >= 0 && needed > free &&
      Ui().MsgBox("Возможно будет недостаточно места на диске "_w + env_.Disk + ": (имеется "_w +
                      std::to_string(free / 1000) + "КБ, надо "_w + std::to_string(needed / 1000) + "КБ)! Продолжить?"_w,
                  " Ошибка "_w, kMbYesNoWarning) != kIdYes)
    return false;
  if (!CopyFileOver(source, env_.WorkDir() + kept)) return false;
  if (record.Packed && (!env_.Packer || !env_.Packer->UnpackArchive(env_.WorkDir() + kept))) return false;
  if (!SplitCafToBases(config_, env_.WorkDir(), env_.WorkDir() + record.CafName)) return false;

  if (!AddRuns()) return false;
  int64_t total = 0;
  bool differs = false;
  for (TBaseRun& run : runs_) {
    if (!OpenArchiveTable(run, differs)) return false;
    total += run.Count + run.Entry->ArchiveTable->RecCount();
  }
  if (differs && Ui().MsgBox("Обнаружены различия в структурах баз и архивов! Продолжить ?"_w, caption,
                             kMbYesNoQuestion) != kIdYes)
    return false;
  {
    TArchiveGauge gauge("Идет анализ данных..."_w, total);
    for (TBaseRun& run : runs_)
      if (!run.Renumber.empty() &&
          !MergeWalk(run, gauge, [&](bool fromArchive, int32_t i, int32_t n) {
            if (!fromArchive) run.Renumber[static_cast<std::size_t>(i - 1)] = n;
            return true;
          }))
        return false;
  }
  {
    TArchiveGauge gauge("Идет восстановление данных..."_w, total);
    for (TBaseRun& run : runs_)
      if (!MergeWalk(run, gauge, [&](bool fromArchive, int32_t, int32_t n) { return RestoreRecord(run, fromArchive, n); }))
        return false;
  }
  if (!CloseWorkTables()) return false;

  TPeriodCommit plan;
  for (TBaseRun& run : runs_) plan.Moves.emplace_back(run.CorrectedPath, run.Work->FileName);
  plan.List = LoadArchiveList(env_.ListFile());
  plan.List.erase(plan.List.begin() + index);
  plan.Removed = source;
  if (Files().Exists(source)) SetArchiveAttributes(source, false);
  --config_.ArchiveNo;
  if (Commit(plan)) return true;
  ++config_.ArchiveNo;
  if (Files().Exists(source)) SetArchiveAttributes(source, true);
  return false;
}

void TPeriodCommand::CleanUp() {
  for (TBaseRun& run : runs_) {
    if (run.Work && run.Work->Active()) run.Work->Close();
    if (run.Corrected && run.Corrected->Active()) {
      run.Corrected->AbandonRewrite();
      run.Corrected->Close();
    }
    run.Entry->ArchiveTable.reset();
    run.Entry->FreeFieldMap();
  }
  runs_.clear();
  keptGroups_.clear();
  ClearDirFiles(env_.WorkDir());
}

}  // namespace

bool ArchivePeriod(TArchiveConfig& config, const TArchiveEnv& env) {
  InputBoxRequest ask;
  ask.Caption = "Архивация до даты (включительно)"_w;
  ask.Kind = 'D';
  ask.AllowEmpty = false;
  if (!Ui().InputBox(ask)) return false;
  const TDateRec cut = StrToDateRec(NormalizeDateStr(ask.Text));
  if (Ui().MsgBox("Архивировать базы по конфигурации '"_w + config.Name + "'\r по "_w + DateRecToLongStr(cut) +
                      " включительно?"_w,
                  "Подтвердите архивацию"_w, kMbYesNoQuestion) != kIdYes)
    return false;
  bool ok = false;
  std::string fault;
  {
    TPeriodCommand command(config, env);
    ok = Guarded("Архивация"_w, fault, [&] { return command.Archive(cut); });
    Ui().HideProgressMessage();
  }
  Ui().MsgBox(ok ? "Архивация успешно завершена"_w
                 : WithFault("Архивация не была завершена из-за возникших ошибок"_w, fault),
              "Архивация"_w, kMbInformation);
  return ok;
}

bool RestoreFromArchive(TArchiveConfig& config, const TArchiveEnv& env) {
  TRestoreEnd end = TRestoreEnd::Failed;
  std::string fault;
  {
    TPeriodCommand command(config, env);
    Guarded("Восстановление данных"_w, fault, [&] {
      end = command.Restore();
      return true;
    });
    Ui().HideProgressMessage();
  }
  const bool ok = end == TRestoreEnd::Done;
  if (end != TRestoreEnd::Stopped)
    Ui().MsgBox(ok ? "Восстановление данных успешно завершено"_w
                   : WithFault("Восстановление данных не было завершено из-за возникших ошибок"_w, fault),
                "Восстановление данных"_w, kMbInformation);
  return ok;
}

}  // namespace vm
