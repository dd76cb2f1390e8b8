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

}  // namespace

void ReportResultsNotSaved(uint32_t flags) {
  Ui().MsgBox("При выполнении операции были ошибки! Результаты не будут сохранены!"_w,
              "Внимание!"_w, flags);
}

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
  TAutoList paramsBefore;
  m.AutoParams.CopyTo(paramsBefore);
  const std::string operationBefore = GetSysVarText(kSysVarNoOperat, 0, 0);
  const TDateRec lastDateBefore = m.LastDate;
  const TTimeRec lastTimeBefore = m.LastTime;
  const auto failed = [&](const std::string& failure) {
    paramsBefore.CopyTo(m.AutoParams);
    SetSysVarText(kSysVarNoOperat, operationBefore);
    m.LastDate = lastDateBefore;
    m.LastTime = lastTimeBefore;
    Ui().LogError(failure);
    Ui().MsgBox(failure + "\r"_w + "Результаты не сохранены."_w, "Ошибка"_w, kMbError);
    return false;
  };
  // Every commit makes its moment the last confirmed one in the same change
  // as its data: kept only in memory until the run ends, it would be lost
  // with a process that dies before, and the next start could take a time
  // before the one the data were written at (the day before a start of day).
  m.LastDate = MainState().Clock.BaseDate();
  m.LastTime = MainState().Clock.BaseTime();
  // "local.ini" beside the program while the data lie elsewhere cannot join
  // their change: the moment goes into it first, with the parameters as they
  // were, so that no crash leaves the tables beside an earlier moment.
  const bool localApart = !BesideTables(LocalIniName());
  if (localApart && !PutSettingsText(LocalIniName(), LocalSettingsText(LocalIniName(), m)))
    return failed("Не удалось сохранить параметры программы"_w);
  if (working != nullptr) {
    TakeRunsChanges(doc.AutoParams, m.AutoParams);
  } else {
    doc.AutoParams.List().CopyTo(m.AutoParams);
  }
  NextOperationNumber();
  // A settings file is written again, its copies moved, only when its text
  // changes: written again as it was, it would push a copy equal to it into
  // the numbered ones and lose the oldest.
  std::vector<TWholeFile> files;
  for (auto [path, text] : {std::pair{ManagerIniName(), AutoParamsText(m)},
                            std::pair{LocalIniName(), LocalSettingsText(LocalIniName(), m)}}) {
    if (FileHoldsText(path, text)) continue;
    files.push_back({path, std::move(text), {}, false});
    // Without the copies of the old file nothing is replaced.
    if (BesideTables(path) && !SettingsCopiesOf(path, files.back().Copies))
      return failed("Не удалось сделать копии файлов настроек"_w);
  }
  std::string failure;
  if (!doc.Bases.WriteSavedBases(failure, files)) return failed(failure);
  if (working != nullptr) TakeRunsChanges(doc.AutoParams, *working);
  // A settings file outside the tables' folder cannot join their change;
  // it is saved after them.
  bool saved = true;
  for (const TWholeFile& file : files)
    if (!file.Written) saved = PutSettingsText(file.Path, file.Bytes) && saved;
  if (!saved) {
    const std::string text = "Не удалось сохранить параметры программы"_w;
    Ui().LogError(text);
    Ui().MsgBox(text, "Ошибка"_w, kMbError);
    return false;
  }
  return true;
}

}  // namespace vm
