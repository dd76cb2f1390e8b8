#include "ui/qt/qt_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrinterInfo>

#include "platform/files.h"
#include "ui/qt/busy_window.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/check_box_dialog.h"
#include "ui/qt/message_box.h"
#include "ui/qt/progress_window.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TQtUiServices::TQtUiServices() = default;
TQtUiServices::~TQtUiServices() { delete progress_.data(); }

QWidget* TQtUiServices::AskingWindow() const {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal->isVisible()) return modal;
  QWidget* active = QApplication::activeWindow();
  const bool ours = active == busy_.get() || active == progress_.data();
  return active && !ours && active->isVisible() ? active : mainWindow_.data();
}

int32_t TQtUiServices::MsgBox(const std::string& text, const std::string& caption, uint32_t flags) {
  return ShowMessageBox(AskingWindow(), text, caption, flags);
}

void TQtUiServices::ProcessMessages() { QApplication::processEvents(); }

bool TQtUiServices::BusyRunning() const { return busy_ && busy_->Running(); }

void TQtUiServices::BeginBusy() {
  if (BusyRunning()) return;
  if (!busy_) {
    busy_ = std::make_unique<TBusyWindow>([this] {
      if (onBreak_) onBreak_();
    });
  }
  busy_->Start();
}

void TQtUiServices::EndBusy() {
  if (!BusyRunning()) return;
  busy_->Stop();
  busy_.reset();
}

void TQtUiServices::AddDocWindow(QWidget* window) {
  docWindows_.emplace_back(window);
  window->setEnabled(docWindowsEnabled_);
}

void TQtUiServices::EnableDocWindows(bool enable) {
  if (!enable && docWindowsEnabled_) focusBeforeDisable_ = QApplication::focusWidget();
  docWindowsEnabled_ = enable;
  for (const QPointer<QWidget>& w : docWindows_)
    if (w) w->setEnabled(enable);
  if (enable && focusBeforeDisable_) {
    // A control hidden or disabled meanwhile cannot take the focus back.
    QWidget* w = focusBeforeDisable_;
    if (w->isVisible() && w->isEnabled() && w->window()->isEnabled()) w->setFocus();
    focusBeforeDisable_.clear();
  }
}

QStringList FileDialogFilters(const std::string& filter) {
  const QStringList parts = ToQt(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString masks = parts[i + 1];
    masks.replace(';', ' ');
    masks = masks.simplified();
    // A description that names its masks already ends with them in
    // brackets, and Qt takes its patterns from there: once is enough.
    const QString named = " (" + masks + ")";
    if (parts[i].endsWith(named))
      filters << parts[i];
    else
      filters << parts[i] + named;
  }
  return filters;
}

bool TQtUiServices::ChooseFiles(const FileDialogRequest& request, std::vector<std::string>& paths) {
  QFileDialog dialog(AskingWindow(), ToQt(request.Title), ToQt(NativePath(request.Dir)));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::ReadOnly, request.HideReadOnly);
  PrepareFileDialog(dialog);
  const QStringList filters = FileDialogFilters(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (request.FilterIndex > 0 && request.FilterIndex <= filters.size())
      dialog.selectNameFilter(filters[request.FilterIndex - 1]);
  }
  if (!request.FileName.empty()) dialog.selectFile(ToQt(NativePath(request.FileName)));
  const bool busy = SuspendBusy();
  const bool chosen = dialog.exec() == QDialog::Accepted;
  SetBusy(busy);
  if (!chosen) return false;
  paths.clear();
  for (const QString& file : dialog.selectedFiles()) paths.push_back(FromQt(file));
  return !paths.empty();
}

std::string TQtUiServices::AppTitle() const {
  return title_.empty() ? UiServices::AppTitle() : title_;
}

bool TQtUiServices::CheckBoxes(const std::string& caption, const std::vector<std::string>& items,
                               uint32_t mask, int columns, uint32_t& result) {
  TCheckBoxDialog dialog(caption, items, mask, columns, AskingWindow());
  result = 0;
  if (dialog.exec() != QDialog::Accepted) return false;
  result = dialog.Checked();
  return true;
}

std::vector<std::string> TQtUiServices::PrinterNames() const {
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(FromQt(name));
  return names;
}

void TQtUiServices::CloseDocWindow() {
  if (DocWindow.Close) DocWindow.Close();
}

void TQtUiServices::FocusTable(FocusableTable* table) {
  if (DocWindow.FocusTable) DocWindow.FocusTable(table);
}

void TQtUiServices::DocOkClick(bool confirm) {
  if (DocWindow.OkClick) DocWindow.OkClick(confirm);
}

void TQtUiServices::DocPrintClick() {
  if (DocWindow.PrintClick) DocWindow.PrintClick();
}

bool TQtUiServices::DocCheckAll() { return DocWindow.CheckAll ? DocWindow.CheckAll() : UiServices::DocCheckAll(); }

void TQtUiServices::SetMainWindow(QWidget* window) {
  if (window != mainWindow_) {
    delete progress_.data();
    progress_ = nullptr;
  }
  mainWindow_ = window;
}

TProgressWindow& TQtUiServices::Progress() {
  if (!progress_) progress_ = new TProgressWindow(mainWindow_);
  return *progress_;
}

void TQtUiServices::ShowProgressMessage(const std::string& text, int32_t max) {
  Progress().ShowMessage(text, max, AppTitle());
}

void TQtUiServices::SetProgressText(const std::string& text) {
  if (progress_) progress_->ChangeMessage(text);
}

void TQtUiServices::SetProgressPosition(int32_t position) {
  if (progress_) progress_->SetPosition(position);
}

void TQtUiServices::HideProgressMessage() {
  if (progress_) progress_->HideMessage();
}

}  // namespace vm
