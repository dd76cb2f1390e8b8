#include "documents/document_commit.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "config/sysvars.h"
#include "documents/compiler/document_compiler.h"
#include "foundation/text/strutils.h"
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
  // The run's parameters and the next operation number go into
  // "manager.ini" (this workstation's own parameters into "local.ini") in
  // the same change as the bases, so that a crash leaves
  // the tables and the numbers they were written under (a check's number)
  // all before or all after. A commit that failed leaves nothing of the
  // run behind, in memory or on disk.
  TAutoList paramsBefore;
  m.AutoParams.CopyTo(paramsBefore);
  const std::string operationBefore = GetSysVarText(kSysVarNoOperat, 0, 0);
  doc.AutoParams.List().CopyTo(m.AutoParams);
  NextOperationNumber();
  // A start of day that commits makes its moment the last confirmed one in
  // the same change as the day's data: kept only in memory until the run
  // it started for ends, it would be lost with a process that dies before,
  // and the next start would take the clock back to the day before and
  // start that day again over the data of this one.
  const TDateRec lastDateBefore = m.LastDate;
  const TTimeRec lastTimeBefore = m.LastTime;
  if (doc.StartOfDay) {
    m.LastDate = MainState().Clock.BaseDate();
    m.LastTime = MainState().Clock.BaseTime();
  }
  // A settings file is written again, its copies moved, only when its text
  // changes: written again as it was, it would push a copy equal to it into
  // the numbered ones and lose the oldest. "local.ini" changes only with a
  // run's own parameters of this workstation and with a day started.
  std::vector<TWholeFile> files;
  for (auto [path, text] : {std::pair{ManagerIniName(), AutoParamsText(m)},
                            std::pair{LocalIniName(), LocalSettingsText(m)}})
    if (!FileHoldsText(path, text)) files.push_back({path, std::move(text), false});
  // As every save of a settings file: without the copies of the old files
  // nothing is replaced (the copy not made is named in "Errors.log"). They
  // are made only once nothing can refuse the commit any more, so that a
  // refused run leaves the copies as they were.
  std::string failure;
  const auto keepCopies = [&files, &failure] {
    for (const TWholeFile& file : files)
      if (!KeepSettingsCopies(file.Path)) {
        failure = "Не удалось сделать копии файлов настроек"_w;
        return false;
      }
    return true;
  };
  const bool written = doc.Bases.WriteSavedBases(failure, files, keepCopies);
  if (!written) {
    paramsBefore.CopyTo(m.AutoParams);
    SetSysVarText(kSysVarNoOperat, operationBefore);
    m.LastDate = lastDateBefore;
    m.LastTime = lastTimeBefore;
    Ui().LogError(failure);
    Ui().MsgBox(failure + "\r"_w + "Результаты не сохранены."_w, "Ошибка"_w, kMbError);
    return false;
  }
  // While the designer tries its working copies the run began from its
  // working auto-parameters: they take in what was committed, or the next
  // run from them (the designer's own after the start of day it began
  // with) or the designer's save would write the older values over it.
  if (TAutoList* working = CompileRegistries().AutoParams) m.AutoParams.CopyTo(*working);
  // A settings file outside the tables' folder ("local.ini" beside the
  // program while the data lie elsewhere) cannot join their change; it is
  // saved after them, without copies: they were made above, and a second
  // rotation would push the same file into two of them and lose the oldest.
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
