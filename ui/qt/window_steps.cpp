#include "ui/qt/window_steps.h"

#include "documents/document_window.h"
#include "ui/qt/document_window.h"
#include "ui/qt/main_program.h"

namespace vm {

bool TWindowSteps::AskPassword(int32_t level) {
  return AskPasswordInDialog(level, std::string(), mainWindow_);
}

bool TWindowSteps::DisableMainWindow() {
  const bool enabled = mainWindow_ && mainWindow_->isEnabled();
  if (mainWindow_) mainWindow_->setEnabled(false);
  return enabled;
}

void TWindowSteps::RestoreMainWindow(bool enabled) {
  if (mainWindow_) mainWindow_->setEnabled(enabled);
}

bool TWindowSteps::RunPass(TDocData& data, bool firstShowing) {
  // A document without tables runs its program alone, as without windows.
  if (doc_.Forms.Count() == 0) return THeadlessSteps::RunPass(data, firstShowing);
  if (!ConfirmEntry(data)) return false;
  TDocumentWindowLogic logic(doc_, data.MenuCaption);
  TDocumentWindow window(doc_, logic, data, mainWindow_);
  window.ApplyDocLayout();
  window.OnShown = Shown;
  // A program that ended the document at its start leaves nothing to enter.
  if (window.ShowModal(firstShowing) == TDocumentWindow::kNotShown) logic.CanButClick(false);
  logic.Close();
  return logic.CommitFlag();
}

}  // namespace vm
