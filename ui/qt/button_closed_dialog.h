// A modal dialog of the document language's questions: it closes only
// through its buttons (Finish), lays its buttons out on show and resize,
// and the busy window waits while it shows.
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
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  virtual void LayOutButtons() = 0;
  // What Esc does; nothing by default.
  virtual void EscapePressed() {}

 private:
  bool mayClose_ = false;
  bool busyWasRunning_ = false;
};

}  // namespace vm
