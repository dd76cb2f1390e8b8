#include "platform/services.h"

#include "platform/encoding.h"

namespace vm {

int32_t UiServices::MsgBox(const std::string&, const std::string&, uint32_t flags) {
  // Headless: the default button. Yes/No boxes with No as the default say No.
  const uint32_t buttons = flags & 0x0F;
  if (buttons == 4 || buttons == 3) return (flags & 0x100) ? kIdNo : kIdYes;
  if (buttons == 1) return (flags & 0x100) ? kIdCancel : kIdOk;
  return kIdOk;
}

bool UiServices::ChooseFiles(const FileDialogRequest&, std::vector<std::string>&) { return false; }

namespace {
TLogWriter gLogWriter = nullptr;
}  // namespace

void InstallLogWriter(TLogWriter writer) { gLogWriter = writer; }

void UiServices::LogError(const std::string& msg) {
  if (gLogWriter) gLogWriter(msg);
}

std::string UiServices::AppTitle() const { return title_.empty() ? "Веломар"_w : title_; }

bool UiServices::CheckBoxes(const std::string&, const std::vector<std::string>&, uint32_t,
                            int, uint32_t& result) {
  result = 0;
  return false;
}

bool UiServices::AskQuestion(const QuestionRequest&, std::vector<std::string>& texts) {
  texts.clear();
  return false;
}

BaseQuestionEnd UiServices::AskBaseQuestion(const BaseQuestionRequest&, int32_t& row) {
  row = -1;
  return BaseQuestionEnd::Cancelled;
}

bool UiServices::PickFromList(const ListPickRequest&, std::string&) { return false; }

bool UiServices::DesignerTestRun() const { return vm::DesignerTestRun(); }

bool& DesignerTestRun() {
  static bool designerTest = false;
  return designerTest;
}

namespace {
UiServices gHeadless;
UiServices* gInstalled = nullptr;
}  // namespace

UiServices& Ui() { return gInstalled ? *gInstalled : gHeadless; }

void InstallUiServices(UiServices* services) { gInstalled = services; }

bool SuspendBusy() {
  const bool ran = Ui().BusyRunning();
  if (ran) Ui().EndBusy();
  return ran;
}

void SetBusy(bool on) {
  if (on) {
    Ui().BeginBusy();
  } else {
    Ui().EndBusy();
  }
}

}  // namespace vm
