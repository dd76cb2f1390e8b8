// The date dialog (the form TDtQForm, whose name is still its title): a
// modal shell in which its caller places its own edit fields and a
// validation test. Only "OK" and "Отмена" close it; it has no close box, and
// Esc or any other close request is refused, so a date is never left half
// confirmed.
#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QWidget;

namespace vm {

class TDateDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TDateDialog(QWidget *parent = nullptr);

  // Where the caller puts its fields, above the buttons.
  QWidget *Fields() const { return fields_; }
  QPushButton *OkButton() const { return ok_; }
  QPushButton *CancelButton() const { return cancel_; }
  QPushButton *SystemDateButton() const { return systemDate_; }

  // OK is enabled exactly while Valid holds; unset, OK stays enabled.
  std::function<bool()> Valid;
  // "Системная дата": the caller writes the computer's date and time into
  // its fields.
  std::function<void()> SystemDate;
  // Re-run by the caller after every change of its fields.
  void CheckStates();

  void reject() override;

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  QWidget *fields_;
  QPushButton *ok_;
  QPushButton *cancel_;
  QPushButton *systemDate_;
  bool closeAllowed_ = false;
};

}  // namespace vm
