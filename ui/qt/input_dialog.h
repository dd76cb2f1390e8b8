// The modal one-line input box: an optional prompt, an optional check box,
// an optional password character, and OK enabled only for valid text.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "models/input_rules.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vm {

struct TInputRequest {
  std::string Caption;
  std::string Text;
  std::vector<std::string> Names;  // the text must not repeat one of them
  bool Ticked = false;
  std::string CheckCaption;  // empty: no check box
  std::string Prompt;        // empty: no prompt
  bool AllowEmpty = true;
  char PasswordChar = 0;  // 0: the text is shown
  char Kind = 'C';        // 'C' text, 'N' number, anything else a date
  int32_t ExceptIndex = -1;
};

class TInputDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TInputDialog(const TInputRequest& request, QWidget* parent = nullptr);

  std::string Text() const;
  bool Ticked() const;
  QLineEdit* Edit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Validate();

  TInputRules rules_;
  QLabel* prompt_;
  QLineEdit* edit_;
  QCheckBox* check_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// True when closed with OK; Text and Ticked are then written back.
bool ShowInputDialog(TInputRequest& request, QWidget* parent = nullptr);

}  // namespace vm
