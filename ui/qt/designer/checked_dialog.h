// The designer's small entry dialogs: labelled controls over OK and
// "Отмена", OK enabled only while the designer's rule accepts what the
// controls hold. No message is shown for what cannot be confirmed.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <string>
#include <vector>

class QBoxLayout;
class QFormLayout;
class QHBoxLayout;
class QLabel;

namespace vm {

// OK and "Отмена" at the right of a bar under a dialog's controls, ending
// it as accepted and as rejected. OK is the default button: Enter in a
// field confirms the dialog rather than pressing whichever button comes
// first.
struct TOkCancel {
  QPushButton* Ok;
  QPushButton* Cancel;
};
TOkCancel AddOkCancel(QBoxLayout& layout, QDialog& dialog);

class TCheckedDialog : public QDialog {
  Q_OBJECT

 public:
  // Asks the window manager for the close button only; fixed in size.
  TCheckedDialog(const std::string& caption, QWidget* parent);

  // Asks for no close button either: OK, "Отмена" and Esc end the dialog.
  void WithoutCloseButton();

  // An edit whose typed letters are upper-cased (Windows-1251 rule) when
  // asked, at most maxLength characters (0: no limit).
  QLineEdit* AddEdit(const std::string& label, const std::string& text, bool upper,
                     int maxLength = 0);
  // A list the user only picks from.
  QComboBox* AddPickList(const std::string& label, const std::vector<std::string>& items);
  // A spin of low..high showing text; a text that is no number in range
  // shows the nearest bound.
  QSpinBox* AddSpin(const std::string& label, const std::string& text, int low, int high);
  void SetCheck(std::function<bool()> check);
  // Runs the check: OK follows it.
  void Check();
  // The controls added from now on stand in a column right of the ones
  // before.
  void NextColumn();
  // The labels in bold, as the dialogs of the databases give them.
  void BoldLabels();
  // "Отмена" rather than the first control takes the focus on showing.
  void FocusCancel() { focusCancel_ = true; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AddRow(const std::string& label, QWidget* field);

  QHBoxLayout* columns_;
  QFormLayout* form_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::vector<QLabel*> labels_;
  std::vector<QWidget*> fields_;
  bool focusCancel_ = false;
  std::function<bool()> check_;
};

std::string TextOf(const QLineEdit* edit);
std::string TextOf(const QComboBox* box);
// What the spin's field holds as typed, which may still be out of range.
std::string TextOf(const QSpinBox* spin);

}  // namespace vm
