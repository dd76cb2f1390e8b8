// "Печать справочника" (the form TPAsk): print the current record or the
// whole book.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QRadioButton;
class QPushButton;

namespace vm {

class TPrintRangeDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TPrintRangeDialog(QWidget* parent = nullptr);
  QRadioButton* First() const { return first_; }
  QRadioButton* Second() const { return second_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QRadioButton* first_;
  QRadioButton* second_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// 0 cancelled, 1 the first choice, 2 the second; the first is checked at
// the start.
int32_t AskPrintRange(const std::string& caption, const std::string& first, const std::string& second,
                      QWidget* parent = nullptr);

}  // namespace vm
