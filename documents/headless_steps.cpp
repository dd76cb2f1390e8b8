#include "documents/headless_steps.h"

#include <string>
#include <vector>

#include "config/page_format.h"
#include "config/scramble.h"
#include "config/settings.h"
#include "documents/document_commit.h"
#include "documents/compiler/document_compiler.h"
#include "documents/document_window.h"
#include "language/interpreter.h"
#include "language/registry_context.h"
#include "platform/report_list.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// A re-entry document without a window could go round for ever when its
// programs never set TERMINATE.
constexpr int kMaxHeadlessPasses = 1000;

}  // namespace

void THeadlessSteps::CloseWorkbooks(bool quit) {
  CloseAllReports(false);
  if (quit) Spreadsheet().SetVisible(false);
}

bool THeadlessSteps::AskPassword(int32_t level) {
  if (level < 1 || level > 16) return false;
  std::string password;
  UnpackPassword(Settings().Passwords[static_cast<std::size_t>(level - 1)], level, password);
  QuestionRequest request;
  request.Caption = "Пароль"_w;
  request.CancelVisible = true;
  request.Inputs.push_back(QuestionInput{"Введите пароль"_w, 'C', 10, 0, ""});
  std::vector<std::string> texts;
  if (!Ui().AskQuestion(request, texts)) return false;
  return !texts.empty() && texts.front() == password;
}

bool THeadlessSteps::ConfirmDateTime(TDateRec& date, TTimeRec& time) {
  DateTimeFields v{date.Day, date.Month, date.Year, time.Hour, time.Minute, time.Second};
  if (!Ui().AskDateTime(v)) return false;
  date = TDateRec{v.Day, v.Month, v.Year};
  time = TTimeRec{v.Hour, v.Minute, v.Second};
  return true;
}

bool THeadlessSteps::Compile(TDocData& doc, int32_t& errorLine, int32_t& errorCode) {
  TSettingsModel& m = Settings();
  Interp().BeginDocumentRun();
  TCompileContext context;
  const TCompileRegistries& r = CompileRegistries();
  context.Bases = r.Bases ? r.Bases : &m.Bases;
  context.Blanks = r.Blanks ? r.Blanks : &m.Blanks;
  context.AutoParams = r.AutoParams ? r.AutoParams : &m.AutoParams;
  context.PageFormats = &PageFormatsInForce();
  context.PriceTags = &m.PriceTags;
  context.StandardPaper = StandardPaperInForce();
  context.Controls = controls_;
  TDocumentSource source;
  source.Name = doc.MenuCaption;
  source.Description = doc.Description;
  source.StartOfDay = &doc == &m.StartOfDayDoc || &doc == r.StartOfDay;
  int line = 0;
  errorCode = CompileDocument(doc_, source, context, line);
  errorLine = line;
  // The blanks are compiled for each run, so their conditions and headers
  // read the values the run's programs give its parameters, as its own
  // formulas do, until the run ends.
  if (paramsBeforeRun_ == nullptr) paramsBeforeRun_ = &GlobalAutoParams();
  SetGlobalAutoParams(&doc_.AutoParams.List());
  doc_.Bases.BeginRun();
  return errorCode == 0;
}

void THeadlessSteps::ClearRun() {
  if (paramsBeforeRun_ != nullptr) SetGlobalAutoParams(paramsBeforeRun_);
  paramsBeforeRun_ = nullptr;
  doc_.Clear();
}

bool THeadlessSteps::ConfirmEntry(const TDocData& data) {
  if (doc_.Options.EnterConfirm.empty() ||
      Ui().MsgBox(doc_.Options.EnterConfirm, data.MenuCaption, kMbYesNoQuestion) == kIdYes)
    return true;
  entryDeclined_ = true;
  return false;
}

bool THeadlessSteps::RunPass(TDocData& data, bool firstShowing) {
  if (doc_.Forms.Count() == 0) {
    if (doc_.Programs.Init == nullptr) return false;
    Interp().ExecProgram(doc_.Programs.Init);
    return !Ui().DesignerTestRun() && !Interp().Aborted();
  }
  if (!ConfirmEntry(data)) return false;
  TDocumentWindowLogic window(doc_, data.MenuCaption);
  window.Show(firstShowing);
  if (Interp().TerminateValue() == 0 && !Interp().Aborted()) window.OkButClick(true);
  // Nobody can mend what a check refused: the window is abandoned.
  if (!window.MayClose()) window.CanButClick(false);
  window.Close();
  return window.CommitFlag();
}

TPassesResult THeadlessSteps::RunPasses(TDocData& data) {
  TPassesResult result;
  bool committed = false;
  entryDeclined_ = false;
  const bool reentry = doc_.Forms.Count() > 0 && doc_.Programs.Reentry != nullptr;
  for (int pass = 0; pass < kMaxHeadlessPasses; ++pass) {
    committed = false;
    const bool commit = RunPass(data, pass == 0);
    if (commit && Interp().TerminateValue() == 0) {
      committed = CommitDocument(doc_);
      result.CommittedAny = result.CommittedAny || committed;
    } else if (!Ui().DesignerTestRun() && Interp().TerminateValue() == 0 && Interp().Aborted()) {
      ReportResultsNotSaved(0x30);
    }
    // A No to the entry question ends a re-entry document too, which
    // otherwise would ask again for ever.
    if (!reentry || entryDeclined_ || Interp().TerminateValue() != 0) break;
  }
  // A run that ended by TERMINATE before its commit committed nothing, and
  // does not say it did.
  result.Result = reentry ? true : committed;
  return result;
}

}  // namespace vm
