// The question dialog of a document's questions: the document language
// places its labels and edits on Client(); the dialog gives the frame, "OK"
// and "Отмена", and closes only through a button.
#pragma once

#include <functional>

#include "ui/qt/button_closed_dialog.h"

class QPushButton;
class QWidget;

namespace vm {

class TQuestionDialog : public TButtonClosedDialog {
  Q_OBJECT

 public:
  explicit TQuestionDialog(QWidget* parent = nullptr);

  QWidget* Client() const { return client_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  void SetCancelVisible(bool visible);
  // Asked before OK is offered; the document language calls UpdateOk after
  // every change of its edits.
  void SetValidator(std::function<bool()> validator) { validator_ = std::move(validator); }
  void UpdateOk();
  // 1 for OK, 2 for "Отмена".
  int ShowModal();

 protected:
  void showEvent(QShowEvent* event) override;
  void EscapePressed() override;

 private:
  void LayOutButtons() override;

  QWidget* client_;
  QWidget* panel_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::function<bool()> validator_;
};

}  // namespace vm
