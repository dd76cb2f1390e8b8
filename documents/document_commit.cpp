#include "documents/document_commit.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "config/sysvars.h"
#include "documents/compiler/document_compiler.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "language/registry_context.h"
#include "language/interpreter.h"
#include "models/main_state.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

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

// While the designer tries its working copies a run begins from them,
// edits the user has not saved among them: only what the run's programs
// changed goes into the configuration's parameters and their file, and into
// the working ones, so that "Отмена" still takes the unsaved edits back and
// neither the next run nor a save writes older values over the run's.
void TakeRunsChanges(const TDocAutoParams& run, TAutoList& into) {
  const TAutoList& now = run.List();
  for (int32_t i = 0; i < now.Count(); ++i) {
    const TAPar* p = now.GetItem(i);
    const TAPar* was = run.Initial().FindByName(p->Name);
    if (was != nullptr && was->ValueText == p->ValueText) continue;
    if (TAPar* q = into.FindByName(p->Name)) q->ValueText = p->ValueText;
  }
}

// Whether a settings file lies with the tables, and so goes into their change.
bool BesideTables(const std::string& path) { return SameFileName(GetFileDirPart(path), DataDir()); }

// A settings file whose text changes, with the numbered copies it pushes
// down, for the tables' change; false when the copies cannot be planned
// (without them nothing is replaced).
bool AddChangedSettings(const std::string& path, std::string text, std::vector<TWholeFile>& files) {
  if (FileHoldsText(path, text)) return true;
  files.push_back({path, std::move(text), {}, false});
  return !BesideTables(path) || SettingsCopiesOf(path, files.back().Copies);
}

// What the run leaves in memory, taken back when its commit fails.
struct TCommitUndo {
  explicit TCommitUndo(TSettingsModel& m)
      : operation(GetSysVarText(kSysVarNoOperat, 0, 0)), lastDate(m.LastDate), lastTime(m.LastTime) {
    m.AutoParams.CopyTo(params);
  }
  void Undo(TSettingsModel& m) const {
    params.CopyTo(m.AutoParams);
    SetSysVarText(kSysVarNoOperat, operation);
    m.LastDate = lastDate;
    m.LastTime = lastTime;
  }

  TAutoList params;
  std::string operation;
  TDateRec lastDate;
  TTimeRec lastTime;
};

}  // namespace

void ReportResultsNotSaved(uint32_t flags) {
  Ui().MsgBox("При выполнении операции были ошибки! Результаты не будут сохранены!"_w,
              "Внимание!"_w, flags);
}

// "local.ini" is written at most twice, in this order:
//  1. where the data lie apart from the program, before the tables change,
//     with the run's moment and the parameters as they were, so that no
//     crash leaves the tables beside an earlier moment;
//  2. with the run's parameters: beside the tables in their change, together
//     with "manager.ini"; apart, once the tables stand, in place of the
//     first write (one numbered copy for the commit).
// Each write takes the file's content as it is then and changes in it only
// what this program changed since it last read or wrote it: another
// program on the same program directory may have committed meanwhile.
bool CommitDocument(TCompiledDocument& doc) {
  if (Ui().DesignerTestRun()) return false;
  if (Interp().Aborted()) {
    ReportResultsNotSaved(kMbInformation);
    return false;
  }
  TSettingsModel& m = Settings();
  TAutoList* working = CompileRegistries().AutoParams;
  // The run's parameters and the next operation number go into
  // "manager.ini" (this workstation's own parameters into "local.ini") in
  // the same change as the bases, so that a crash leaves
  // the tables and the numbers they were written under (a check's number)
  // all before or all after. A commit that failed leaves nothing of the
  // run behind, in memory or on disk.
  const TCommitUndo undo(m);
  const auto failed = [&](const std::string& failure) {
    undo.Undo(m);
    Ui().LogError(failure);
    Ui().MsgBox(failure + "\r"_w + "Результаты не сохранены."_w, "Ошибка"_w, kMbError);
    return false;
  };
  const std::string local = LocalIniName();
  const bool localApart = !BesideTables(local);
  // Every commit makes its moment the last confirmed one in the same change
  // as its data: kept only in memory until the run ends, it would be lost
  // with a process that dies before, and the next start could take a time
  // before the one the data were written at (the day before a start of day).
  m.LastDate = MainState().Clock.BaseDate();
  m.LastTime = MainState().Clock.BaseTime();
  // 1. Apart from the tables: the moment first.
  bool momentWritten = false;
  if (localApart) {
    const std::string text = LocalSettingsText(local, m);
    momentWritten = !FileHoldsText(local, text);
    if (!PutSettingsText(local, text)) return failed("Не удалось сохранить параметры программы"_w);
    NoteLocalSettingsSeen(local, m);
  }
  if (working != nullptr) {
    TakeRunsChanges(doc.AutoParams, m.AutoParams);
  } else {
    doc.AutoParams.List().CopyTo(m.AutoParams);
  }
  NextOperationNumber();
  // 2. The run's parameters, beside the tables in their change. A settings
  // file is written again, its copies moved, only when its text changes:
  // written again as it was, it would push a copy equal to it into the
  // numbered ones and lose the oldest.
  std::vector<TWholeFile> files;
  if (!AddChangedSettings(ManagerIniName(), AutoParamsText(m), files) ||
      (!localApart && !AddChangedSettings(local, LocalSettingsText(local, m), files)))
    return failed("Не удалось сделать копии файлов настроек"_w);
  std::string failure;
  if (!doc.Bases.WriteSavedBases(failure, files)) return failed(failure);
  if (working != nullptr) TakeRunsChanges(doc.AutoParams, *working);
  // A settings file outside the tables' folder cannot join their change;
  // it is saved after them, "local.ini" apart in place of its first write.
  bool saved = true;
  for (const TWholeFile& file : files)
    if (!file.Written) saved = PutSettingsText(file.Path, file.Bytes) && saved;
  if (localApart) saved = PutSettingsText(local, LocalSettingsText(local, m), !momentWritten) && saved;
  if (!saved) {
    const std::string text = "Не удалось сохранить параметры программы"_w;
    Ui().LogError(text);
    Ui().MsgBox(text, "Ошибка"_w, kMbError);
    return false;
  }
  NoteLocalSettingsSeen(local, m);
  return true;
}

}  // namespace vm
