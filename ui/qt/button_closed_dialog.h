// A modal dialog of the document language's questions: it closes only
// through its buttons (Finish), and the busy window waits while it shows.
#pragma once

#include <QDialog>

namespace vm {

class TButtonClosedDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TButtonClosedDialog(QWidget* parent = nullptr);

 protected:
  // Ends the dialog with result.
  void Finish(int result);
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool mayClose_ = false;
  bool busyWasRunning_ = false;
};

}  // namespace vm
