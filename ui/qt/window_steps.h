// The road of a document in the window program: the password in the input
// dialog and each pass of a document with tables in its document window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "documents/headless_steps.h"
#include "ui/qt/qt_controls.h"

namespace vm {

class TDocumentWindow;

class TWindowSteps : public THeadlessSteps {
 public:
  explicit TWindowSteps(QWidget* mainWindow) : mainWindow_(mainWindow) { controls_ = &windowControls_; }
  // The start of the day runs before the main window exists.
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  bool AskPassword(int32_t level) override;
  bool DisableMainWindow() override;
  void RestoreMainWindow(bool enabled) override;

  // Called with each document window once it shows (tests enter rows and
  // press its buttons there).
  std::function<void(TDocumentWindow&)> Shown;

 protected:
  bool RunPass(TDocData& data, bool firstShowing) override;

 private:
  QPointer<QWidget> mainWindow_;
  // The document's selects, list selects and buttons wait here, off every
  // window, until its window takes them.
  TQtControls windowControls_;
};

}  // namespace vm
